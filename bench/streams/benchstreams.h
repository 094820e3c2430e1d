#ifndef BENCHSTREAMS_H
#define BENCHSTREAMS_H

// vel-bench-streams: what main.cpp parses and each run (ourrun.cpp,
// ffmpegrun.cpp) fills in for the report (report.cpp).

#include "cpicturescaler.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

#include <sys/types.h>

struct rusage;
class BenchLabel;

struct Options {
    int streams = 1;
    int seconds = 20;
    QString mount = QStringLiteral("cam720");
    bool audio = false;
    QSize labelSize{640, 360};
    bool ffmpeg = true;
    bool cold = false;
    bool replay = false;  // the server's --replay mounts: it only packetizes
    int mix = 0;          // 1080p with sound at 1280x720 plus this many 720p thumbnails
    bool lipsync = false; // the program is the flash-and-beep mount
    CPictureScaler::Method scaler = CPictureScaler::defaultMethod();
    QStringList addresses;
};

// Figures are taken from this long after a stream's first picture on, past
// the start-up burst.
constexpr qint64 kSettleMs = 1000;

struct OurStream {
    QString address;
    bool audio = false;
    QSize labelSize;
    BenchLabel* label = nullptr;
    std::vector<double> latenciesMs;    // packet read to painted, ms
    std::vector<double> audioOffsetsMs; // sound waiting behind the picture, ms
    std::vector<int64_t> flashesUs;     // painted, av_gettime_relative
    quint64 late = 0;                   // pictures dropped for coming after their sound
    quint64 silences = 0;               // silent buffers inserted after sound began
    qint64 startedMs = 0;
    qint64 firstPictureMs = -1; // since AddPlayer; -1: none
    quint64 handed = 0;
    quint64 dropped = 0;
    quint64 read = 0; // video packets the player read from its first key frame on
};

struct FfmpegStream {
    pid_t pid = -1;
    double cpuSeconds = 0;
    qint64 frames = -1;
    qint64 endedMs = -1; // -1: ran until stopped
    int status = 0;
};

double cpuSeconds(const rusage& usage);

// Our run: every stream gets a label in one window and a player through the
// manager, as the panel does. Returns the CPU seconds the process used.
double runOurs(const Options& options, std::vector<OurStream>& streams);

// A client that holds the camera open, copying packets and decoding nothing.
pid_t spawnKeeper(const QString& address);
// SIGINT, then SIGKILL if it has not ended within 3 s.
void stopChild(pid_t pid);
// The same addresses, all at once, for the same wall-clock time; then
// SIGINT, which ffmpeg takes as a normal end. Returns the children's CPU.
double runFfmpeg(const Options& options, const std::vector<OurStream>& ours,
                 std::vector<FfmpegStream>& streams);

// The table of every stream, then the totals; keptRunning: a keeper held the
// test camera open.
void printReport(const Options& options, bool keptRunning, const std::vector<OurStream>& ours,
                 double ourCpu, const std::vector<FfmpegStream>& ffmpeg, double ffmpegCpu);

#endif // BENCHSTREAMS_H
