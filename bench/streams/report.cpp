// vel-bench-streams: the printed figures, per stream and in total.
#include "benchstreams.h"
#include "lipsync.h"

#include <QByteArray>
#include <QFile>
#include <QIODevice>

#include <cstdio>

#include <sys/resource.h>

namespace
{

// Peak resident memory in KiB: VmHWM, else the rusage maximum.
long peakMemoryKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
} // namespace

void printReport(const Options& options, bool keptRunning, const std::vector<OurStream>& ours,
                 double ourCpu, const std::vector<FfmpegStream>& ffmpeg, double ffmpegCpu)
{
    const double streamSeconds = double(ours.size()) * options.seconds;
    if (options.lipsync)
        std::printf("vel-bench-streams: lip sync, flash-and-beep 1080p with sound + %d "
                    "thumbnails, %d s each\n",
                    options.mix, options.seconds);
    else if (options.mix > 0)
        std::printf("vel-bench-streams: 1080p with sound + %d thumbnails, %d s each\n", options.mix,
                    options.seconds);
    else
        std::printf("vel-bench-streams: %d stream(s), %d s each, label %dx%d, audio %s%s\n",
                    int(ours.size()), options.seconds, options.labelSize.width(),
                    options.labelSize.height(), options.audio ? "on" : "off",
                    keptRunning ? ", test camera kept running" : "");
    std::printf("converter: %s\n", CPictureScaler::methodName(options.scaler));
    std::printf("%-3s %-44s %9s %13s %6s %7s %8s %9s %6s %15s %12s %6s %6s", "#", "address",
                "label", "first picture", "read", "handed", "dropped", "handed/s", "lost",
                "read>label ms", "sound ms", "late", "silent");
    if (options.ffmpeg)
        std::printf(" %13s %13s", "ffmpeg frames", "ffmpeg CPU s");
    std::printf("\n");
    for (size_t i = 0; i < ours.size(); ++i) {
        const OurStream& stream = ours[i];
        const QByteArray first =
            stream.firstPictureMs < 0
                ? QByteArray("none")
                : QByteArray::number(stream.firstPictureMs / 1000.0, 'f', 3) + " s";
        // Pictures lost: of those the player read from its first key frame
        // on, the ones that never reached the label. Over TCP every picture
        // the server sends is read; a server that falls behind its 25 a
        // second shows in handed/s, not here.
        const double lost = stream.read > 0
                                ? qMax(0.0, 1.0 - double(stream.handed) / double(stream.read)) * 100
                                : 100;
        const QByteArray label = QByteArray::number(stream.labelSize.width()) + "x" +
                                 QByteArray::number(stream.labelSize.height());
        // Read to label: median / 95th percentile. Sound: what the player
        // holds behind the picture, median / largest.
        const QByteArray latency =
            stream.latenciesMs.empty()
                ? QByteArray("-")
                : QByteArray::number(quantile(stream.latenciesMs, 0.5), 'f', 1) + " / " +
                      QByteArray::number(quantile(stream.latenciesMs, 0.95), 'f', 1);
        const QByteArray sound =
            stream.audioOffsetsMs.empty()
                ? QByteArray("-")
                : QByteArray::number(quantile(stream.audioOffsetsMs, 0.5), 'f', 0) + " / " +
                      QByteArray::number(quantile(stream.audioOffsetsMs, 1.0), 'f', 0);
        // Late: pictures dropped for coming after their sound, in percent of
        // those decoded. Silent: buffers of silence the writer inserted once
        // sound had begun.
        const double late = stream.handed + stream.late > 0
                                ? 100.0 * double(stream.late) / double(stream.handed + stream.late)
                                : 0;
        std::printf("%-3d %-44s %9s %13s %6llu %7llu %8llu %9.1f %5.1f%% %15s %12s %5.2f%% %6llu",
                    int(i + 1), stream.address.toUtf8().constData(), label.constData(),
                    first.constData(), static_cast<unsigned long long>(stream.read),
                    static_cast<unsigned long long>(stream.handed),
                    static_cast<unsigned long long>(stream.dropped),
                    stream.handed / double(options.seconds), lost, latency.constData(),
                    sound.constData(), late, static_cast<unsigned long long>(stream.silences));
        if (options.ffmpeg) {
            std::printf(" %13lld %13.2f", static_cast<long long>(ffmpeg[i].frames),
                        ffmpeg[i].cpuSeconds);
            if (ffmpeg[i].endedMs >= 0)
                std::printf("  (ffmpeg ended after %.1f s, status %d)", ffmpeg[i].endedMs / 1000.0,
                            ffmpeg[i].status);
        }
        std::printf("\n");
    }
    if (options.lipsync && !ours.empty())
        printLipSync(ours.front().flashesUs);
    // One process plays every stream, so CPU is known only in total.
    std::printf("ours:   CPU %.2f s, %.4f CPU s per stream-second, peak memory %.1f MiB\n", ourCpu,
                ourCpu / streamSeconds, peakMemoryKiB() / 1024.0);
    if (options.ffmpeg) {
        std::printf("ffmpeg: CPU %.2f s, %.4f CPU s per stream-second\n", ffmpegCpu,
                    ffmpegCpu / streamSeconds);
        if (ffmpegCpu > 0)
            std::printf("CPU ratio ours / ffmpeg: %.2f\n", ourCpu / ffmpegCpu);
    }
    std::fflush(stdout);
}
