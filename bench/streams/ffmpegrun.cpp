// vel-bench-streams: the ffmpeg baseline ("ffmpeg -f null" on the same
// addresses) and the keeper clients that hold a test camera open.
#include "benchstreams.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QTemporaryDir>

#include <cstdio>

#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

double cpuSeconds(const rusage& usage)
{
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
           usage.ru_stime.tv_usec / 1e6;
}

namespace
{

// argv[0] is looked up in PATH; output goes where ours goes.
pid_t spawn(QList<QByteArray> args)
{
    std::vector<char*> argv;
    for (QByteArray& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    return pid;
}

pid_t spawnFfmpeg(const QString& address, const QString& progressFile, bool audio)
{
    QList<QByteArray> args{"ffmpeg",
                           "-nostdin",
                           "-hide_banner",
                           "-loglevel",
                           "error",
                           "-progress",
                           progressFile.toLocal8Bit(),
                           "-i",
                           address.toUtf8()};
    if (!audio)
        args << "-an";
    return spawn(args << "-f"
                      << "null"
                      << "-");
}

// The last "frame=" of ffmpeg's progress report, or -1.
qint64 framesFromProgress(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    qint64 frames = -1;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("frame="))
            frames = line.mid(6).trimmed().toLongLong();
    }
    return frames;
}

bool reap(FfmpegStream& stream, int flags)
{
    rusage usage{};
    int status = 0;
    const pid_t done = wait4(stream.pid, &status, flags, &usage);
    if (done != stream.pid)
        return false;
    stream.cpuSeconds = cpuSeconds(usage);
    stream.status = status;
    stream.pid = -1;
    return true;
}

} // namespace

pid_t spawnKeeper(const QString& address)
{
    return spawn({"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-rtsp_transport",
                  "tcp", "-i", address.toUtf8(), "-map", "0", "-c", "copy", "-f", "null", "-"});
}

void stopChild(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGINT);
    QElapsedTimer clock;
    clock.start();
    while (waitpid(pid, nullptr, WNOHANG) == 0) {
        if (clock.elapsed() > 3000)
            kill(pid, SIGKILL);
        usleep(10 * 1000);
    }
}

double runFfmpeg(const Options& options, const std::vector<OurStream>& ours,
                 std::vector<FfmpegStream>& streams)
{
    QTemporaryDir dir;
    QElapsedTimer clock;
    clock.start();
    for (size_t i = 0; i < ours.size(); ++i) {
        streams[i].pid =
            spawnFfmpeg(ours[i].address, dir.filePath(QString::number(i)), ours[i].audio);
        if (streams[i].pid < 0)
            std::fprintf(stderr, "vel-bench-streams: cannot run ffmpeg\n");
    }
    while (clock.elapsed() < options.seconds * 1000) {
        usleep(50 * 1000);
        for (FfmpegStream& stream : streams) {
            if (stream.pid > 0 && reap(stream, WNOHANG))
                stream.endedMs = clock.elapsed();
        }
    }
    for (FfmpegStream& stream : streams) {
        if (stream.pid > 0)
            kill(stream.pid, SIGINT);
    }
    QElapsedTimer grace;
    grace.start();
    for (FfmpegStream& stream : streams) {
        while (stream.pid > 0 && !reap(stream, WNOHANG)) {
            if (grace.elapsed() > 5000)
                kill(stream.pid, SIGKILL);
            usleep(10 * 1000);
        }
    }
    double cpu = 0;
    for (size_t i = 0; i < streams.size(); ++i) {
        streams[i].frames = framesFromProgress(dir.filePath(QString::number(i)));
        cpu += streams[i].cpuSeconds;
    }
    return cpu;
}
