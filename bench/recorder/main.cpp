// vel-bench-recorder: what the finishing copy of a stopped recording costs.
//
//   vel-bench-recorder [--minutes 10] [--bitrate 2000] [--dir DIR] [--cold] [--keep]
//
// Builds a fragmented recording of the given length as the recorder writes it
// (H.264 at --bitrate kbit/s, 1280x720, 25 fps, a key frame a second, AAC
// 16000 Hz mono, a fragment every 250 ms): ten seconds encoded by ffmpeg from
// lavfi, then copied end to end until the length is reached. Then runs the
// recorder's finishing copy on it and prints its wall and CPU time, the peak
// extra disk it needs, and the same extrapolated to two hours (both grow with
// the file's size). --cold drops the page cache first (root only), as after a
// long recording whose start the cache no longer holds.

#include "recordfinish.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>

namespace
{

bool runFfmpeg(const QStringList& args)
{
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    ffmpeg.start(QStringLiteral("ffmpeg"), QStringList{"-nostdin", "-y", "-v", "error"} + args);
    return ffmpeg.waitForStarted(5000) && ffmpeg.waitForFinished(30 * 60 * 1000) &&
           ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0;
}

bool makeRecording(const QString& strDir, const QString& strPath, int nMinutes, int nKbits)
{
    const QString strSegment = strDir + QStringLiteral("/segment.mp4");
    const QString strRate = QString::number(nKbits) + QLatin1Char('k');
    if (!runFfmpeg(
            {"-f",       "lavfi",   "-i",       "testsrc2=size=1280x720:rate=25:duration=10.24",
             "-f",       "lavfi",   "-i",       "sine=sample_rate=16000:duration=10.24",
             "-c:v",     "libx264", "-preset",  "ultrafast",
             "-g",       "25",      "-pix_fmt", "yuv420p",
             "-b:v",     strRate,   "-maxrate", strRate,
             "-bufsize", strRate,   "-c:a",     "aac",
             "-b:a",     "24k",     strSegment}))
        return false;
    const int nLoops = nMinutes * 60 / 10 + 1;
    return runFfmpeg({"-stream_loop", QString::number(nLoops), "-i", strSegment, "-t",
                      QString::number(nMinutes * 60), "-c", "copy", "-movflags",
                      "+frag_keyframe+empty_moov+delay_moov+default_base_moof", "-frag_duration",
                      "250000", strPath});
}

bool dropPageCache()
{
    ::sync();
    QFile control(QStringLiteral("/proc/sys/vm/drop_caches"));
    return control.open(QIODevice::WriteOnly) && control.write("3\n") == 2;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int nMinutes = 10;
    int nKbits = 2000;
    QString strDir;
    bool bKeep = false;
    bool bCold = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--minutes") && i + 1 < args.size())
            nMinutes = qMax(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--bitrate") && i + 1 < args.size())
            nKbits = qMax(100, args[++i].toInt());
        else if (args[i] == QLatin1String("--dir") && i + 1 < args.size())
            strDir = args[++i];
        else if (args[i] == QLatin1String("--keep"))
            bKeep = true;
        else if (args[i] == QLatin1String("--cold"))
            bCold = true;
    }
    QTemporaryDir temp(strDir.isEmpty() ? QDir::tempPath() + QStringLiteral("/vel-bench-recorder")
                                        : strDir + QStringLiteral("/vel-bench-recorder"));
    temp.setAutoRemove(!bKeep);
    if (!temp.isValid()) {
        std::fprintf(stderr, "no temporary directory\n");
        return 1;
    }
    const QString strPath = temp.filePath(QStringLiteral("record.mp4"));
    std::printf("making a %d-minute fragmented recording at %d kbit/s in %s\n", nMinutes, nKbits,
                qPrintable(temp.path()));
    std::fflush(stdout);
    if (!makeRecording(temp.path(), strPath, nMinutes, nKbits)) {
        std::fprintf(stderr, "ffmpeg could not make the recording\n");
        return 1;
    }
    const qint64 nFragmented = QFileInfo(strPath).size();

    if (bCold && !dropPageCache())
        std::printf("the page cache could not be dropped: figures with a warm cache\n");
    // The copy sits beside the recording until the rename: that is the extra disk.
    const QString strCopy = temp.filePath(QStringLiteral(".record.mp4.finishing.mp4"));
    std::atomic<bool> bDone{false};
    std::atomic<qint64> nPeak{0};
    std::thread watcher([&] {
        while (!bDone) {
            nPeak = qMax(nPeak.load(), QFileInfo(strCopy).size());
            QThread::msleep(20);
        }
    });
    const double dCpu = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    const bool bOk = RecordFinish::rewritePlain(strPath);
    const double dWall = clock.elapsed() / 1000.0;
    const double dCpuUsed = cpuSeconds() - dCpu;
    bDone = true;
    watcher.join();
    const qint64 nPlain = QFileInfo(strPath).size();
    const qint64 nExtra = qMax(nPeak.load(), nPlain);
    if (!bOk) {
        std::fprintf(stderr, "the finishing copy failed\n");
        return 1;
    }

    const double dScale = 120.0 / nMinutes;
    const double dMb = 1024.0 * 1024.0;
    std::printf("recording     %d min at %d kbit/s, fragmented %.1f MB, plain %.1f MB (%s cache)\n",
                nMinutes, nKbits, nFragmented / dMb, nPlain / dMb, bCold ? "cold" : "warm");
    std::printf("finishing     %.2f s wall, %.2f s CPU, extra disk %.1f MB (%.0f MB/s)\n", dWall,
                dCpuUsed, nExtra / dMb, nFragmented / dMb / qMax(dWall, 1e-3));
    std::printf("2 hours (x%.0f) %.1f s wall, %.1f s CPU, extra disk %.1f MB\n", dScale,
                dWall * dScale, dCpuUsed * dScale, nExtra * dScale / dMb);
    return 0;
}
