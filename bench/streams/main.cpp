// vel-bench-streams: plays N addresses headless for T seconds through the
// panel's player manager (CRTSPPlayer into VelVideoLabel), then decodes the
// same addresses for the same time with "ffmpeg -f null", and prints what each
// cost. Without addresses it starts the test RTSP server and plays one of its
// mounts N times.
//
//   vel-bench-streams [--streams N] [--seconds T] [--mount NAME] [--audio]
//                     [--label-size WxH] [--no-ffmpeg] [--cold] [--replay]
//                     [--mix N] [--lipsync] [--scaler NAME] [address...]
//
// A test server mount is kept running by one extra ffmpeg client that only
// copies packets, so the players join a running camera as they would a real
// one (--cold: they start it).
//
// --lipsync plays the server's flash-and-beep mount (1080p, sound) at
// 1280x720, beside --mix N thumbnails if given, and prints when each flash
// reached the label's paint against when its beep reached the device:
// ALSA's null plugin (or the configured device) behind the engine's own ALSA
// device, whose delay counts what it was handed and has not played.

#include "calsaaudiodevice.h"
#include "caudiodevice.h"
#include "cpicturescaler.h"
#include "crtspplayer.h"
#include "lipsync.h"
#include "velrtspserver.h"
#include "velvideolabel.h"
#include "velvlcplayermanger.h"

#include <QApplication>
#include <QBackingStore>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QGridLayout>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern "C" {
#include <libavutil/time.h>
}

extern char** environ;

namespace
{

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

// A label that notes, after each paint, how long ago the packet of the
// picture it painted was read, and (watching flashes) when a white picture
// was first painted.
class BenchLabel : public VelVideoLabel
{
public:
    using VelVideoLabel::VelVideoLabel;
    bool measuring = false;
    bool watchFlashes = false;
    std::vector<double> latenciesMs;
    std::vector<int64_t> flashesUs; // av_gettime_relative

protected:
    void paintEvent(QPaintEvent* e) override
    {
        VelVideoLabel::paintEvent(e);
        if (watchFlashes)
            noteFlash();
        const qint64 readAt = paintedPictureReadAt();
        if (readAt < 0 || readAt == m_lastReadAt)
            return;
        m_lastReadAt = readAt;
        if (measuring)
            latenciesMs.push_back((av_gettime_relative() - readAt) / 1000.0);
    }

private:
    // What the paint left in the window's backing store, at the middle of
    // the label.
    void noteFlash()
    {
        QBackingStore* store = window()->backingStore();
        QPaintDevice* device = store ? store->paintDevice() : nullptr;
        if (!device || device->devType() != QInternal::Image)
            return;
        const QImage* image = static_cast<const QImage*>(device);
        const QPoint centre = mapTo(window(), rect().center()) * image->devicePixelRatio();
        if (!image->rect().contains(centre))
            return;
        const bool white = qGray(image->pixel(centre)) > 200;
        if (white && !m_white)
            flashesUs.push_back(av_gettime_relative());
        m_white = white;
    }

    qint64 m_lastReadAt = -1;
    bool m_white = false;
};

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

double cpuSeconds(const rusage& usage)
{
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
           usage.ru_stime.tv_usec / 1e6;
}

double selfCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return cpuSeconds(usage);
}

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

bool parseOptions(const QApplication& app, Options& options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Plays streams headless through the stream engine, then with ffmpeg, and "
                       "prints the cost."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("streams"),
         QStringLiteral("Number of streams (default: one per address, "
                        "or 1)."),
         QStringLiteral("N")},
        {QStringLiteral("seconds"), QStringLiteral("Seconds each run lasts (default 20)."),
         QStringLiteral("T")},
        {QStringLiteral("mount"),
         QStringLiteral("Test server mount when no address is given (default cam720)."),
         QStringLiteral("NAME")},
        {QStringLiteral("audio"), QStringLiteral("Decode audio too (ffmpeg: not -an).")},
        {QStringLiteral("label-size"),
         QStringLiteral("Size of each video label (default 640x360)."), QStringLiteral("WxH")},
        {QStringLiteral("no-ffmpeg"), QStringLiteral("Skip the ffmpeg comparison.")},
        {QStringLiteral("cold"),
         QStringLiteral("Do not keep the test server's camera running between clients.")},
        {QStringLiteral("replay"),
         QStringLiteral("Use the test server's replay mounts (files encoded once at start; "
                        "default mount replay720).")},
        {QStringLiteral("mix"),
         QStringLiteral("Replay: one 1080p stream with sound at 1280x720 plus N 720p "
                        "thumbnails at 208x117."),
         QStringLiteral("N")},
        {QStringLiteral("lipsync"),
         QStringLiteral("Play the flash-and-beep mount with sound at 1280x720 (beside --mix N "
                        "thumbnails) and print the offset of each flash to its beep.")},
        {QStringLiteral("scaler"),
         QStringLiteral("Picture converter: libyuv (default), fast-bilinear, bilinear or point "
                        "(swscale)."),
         QStringLiteral("NAME")},
    });
    parser.addPositionalArgument(QStringLiteral("address"), QStringLiteral("Stream addresses."),
                                 QStringLiteral("[address...]"));
    parser.process(app);

    bool ok = true;
    options.addresses = parser.positionalArguments();
    options.streams = parser.isSet(QStringLiteral("streams"))
                          ? parser.value(QStringLiteral("streams")).toInt(&ok)
                          : qMax(1, int(options.addresses.size()));
    if (!ok || options.streams < 1) {
        std::fprintf(stderr, "vel-bench-streams: --streams needs a positive number\n");
        return false;
    }
    if (parser.isSet(QStringLiteral("seconds"))) {
        options.seconds = parser.value(QStringLiteral("seconds")).toInt(&ok);
        if (!ok || options.seconds < 1) {
            std::fprintf(stderr, "vel-bench-streams: --seconds needs a positive number\n");
            return false;
        }
    }
    if (parser.isSet(QStringLiteral("mount")))
        options.mount = parser.value(QStringLiteral("mount"));
    if (parser.isSet(QStringLiteral("label-size"))) {
        const QStringList parts = parser.value(QStringLiteral("label-size")).split('x');
        const int width = parts.value(0).toInt();
        const int height = parts.value(1).toInt();
        if (parts.size() != 2 || width < 16 || height < 9) {
            std::fprintf(stderr, "vel-bench-streams: --label-size takes WxH, e.g. 640x360\n");
            return false;
        }
        options.labelSize = QSize(width, height);
    }
    options.audio = parser.isSet(QStringLiteral("audio"));
    options.ffmpeg = !parser.isSet(QStringLiteral("no-ffmpeg"));
    options.cold = parser.isSet(QStringLiteral("cold"));
    options.replay = parser.isSet(QStringLiteral("replay"));
    if (parser.isSet(QStringLiteral("mix"))) {
        options.mix = parser.value(QStringLiteral("mix")).toInt(&ok);
        if (!ok || options.mix < 1) {
            std::fprintf(stderr, "vel-bench-streams: --mix needs a positive number\n");
            return false;
        }
        options.replay = true;
        options.streams = options.mix + 1;
    }
    options.lipsync = parser.isSet(QStringLiteral("lipsync"));
    if (options.lipsync) {
        options.streams = options.mix + 1;
        options.replay = options.mix > 0;
    }
    if (parser.isSet(QStringLiteral("scaler"))) {
        const QString name = parser.value(QStringLiteral("scaler"));
        if (name == QLatin1String("libyuv"))
            options.scaler = CPictureScaler::LibYuv;
        else if (name == QLatin1String("fast-bilinear"))
            options.scaler = CPictureScaler::SwsFastBilinear;
        else if (name == QLatin1String("bilinear"))
            options.scaler = CPictureScaler::SwsBilinear;
        else if (name == QLatin1String("point"))
            options.scaler = CPictureScaler::SwsPoint;
        else {
            std::fprintf(stderr, "vel-bench-streams: unknown --scaler %s\n", qPrintable(name));
            return false;
        }
    }
    if (options.replay && !parser.isSet(QStringLiteral("mount")))
        options.mount = QStringLiteral("replay720");
    return true;
}

// Our run: every stream gets a label in one window and a player through the
// manager, as the panel does. Returns the CPU seconds the process used.
double runOurs(const Options& options, std::vector<OurStream>& streams)
{
    QWidget window;
    auto* grid = new QGridLayout(&window);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    const int columns = int(std::ceil(std::sqrt(double(streams.size()))));
    for (size_t i = 0; i < streams.size(); ++i) {
        streams[i].label = new BenchLabel(&window);
        streams[i].label->setFixedSize(streams[i].labelSize);
        streams[i].label->watchFlashes = options.lipsync && i == 0;
        grid->addWidget(streams[i].label, int(i) / columns, int(i) % columns);
    }
    window.show();
    QCoreApplication::processEvents();

    QElapsedTimer clock;
    const double cpuBefore = selfCpuSeconds();
    clock.start();
    for (OurStream& stream : streams) {
        stream.startedMs = clock.elapsed();
        VelVlcPlayerManger::Instance()->AddPlayer(stream.label, stream.address, stream.audio);
    }

    // The label counts pictures as they are handed in; the first one seen
    // here is late by at most one poll interval.
    QTimer poll;
    poll.setInterval(2);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        bool waiting = false;
        for (OurStream& stream : streams) {
            if (stream.firstPictureMs < 0 && stream.label->picturesReceived() > 0)
                stream.firstPictureMs = clock.elapsed() - stream.startedMs;
            waiting = waiting || stream.firstPictureMs < 0;
        }
        if (!waiting)
            poll.stop();
    });
    poll.start();
    // The sound a player holds behind the picture, sampled past the start.
    QTimer sample;
    sample.setInterval(50);
    QObject::connect(&sample, &QTimer::timeout, [&] {
        for (OurStream& stream : streams) {
            if (stream.firstPictureMs < 0 ||
                clock.elapsed() - stream.startedMs < stream.firstPictureMs + kSettleMs)
                continue;
            stream.label->measuring = true;
            CRTSPPlayer* player = VelVlcPlayerManger::Instance()->FindPlayer(stream.label);
            if (stream.audio && player)
                stream.audioOffsetsMs.push_back(player->GetAudioQueueMs());
        }
    });
    sample.start();
    QTimer::singleShot(options.seconds * 1000, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    poll.stop();
    sample.stop();

    const double cpu = selfCpuSeconds() - cpuBefore;
    for (OurStream& stream : streams) {
        stream.handed = stream.label->picturesReceived();
        if (CRTSPPlayer* player = VelVlcPlayerManger::Instance()->FindPlayer(stream.label))
            stream.read = player->GetVideoPacketsRead();
        stream.dropped = stream.label->picturesDropped();
        stream.latenciesMs = stream.label->latenciesMs;
        stream.flashesUs = stream.label->flashesUs;
        if (CRTSPPlayer* player = VelVlcPlayerManger::Instance()->FindPlayer(stream.label)) {
            stream.late = player->GetPicturesLate();
            stream.silences = player->GetAudioSilences();
        }
    }
    VelVlcPlayerManger::DeleteInstance();
    for (OurStream& stream : streams)
        stream.label = nullptr; // deleted with the window
    return cpu;
}

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

// A client that holds the camera open, copying packets and decoding nothing.
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

// The same addresses, all at once, for the same wall-clock time; then
// SIGINT, which ffmpeg takes as a normal end. Returns the children's CPU.
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

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vel-bench-streams"));

    Options options;
    if (!parseOptions(app, options))
        return 2;
    CPictureScaler::setDefaultMethod(options.scaler);
    // Sound needs a device to drain the writer; without one configured, ALSA's
    // null plugin (kept to real time by the engine's ALSA device) stands in.
    QTemporaryDir alsaDir;
    if (qEnvironmentVariableIsEmpty("ALSA_CONFIG_PATH") && alsaDir.isValid()) {
        QFile conf(alsaDir.filePath(QStringLiteral("asound.conf")));
        if (conf.open(QIODevice::WriteOnly) &&
            conf.write("pcm.null { type null }\npcm.!default { type null }\n") > 0) {
            conf.close();
            qputenv("ALSA_CONFIG_PATH", conf.fileName().toLocal8Bit());
        }
    }

    if (options.lipsync)
        installBeepWatch();

    std::unique_ptr<VelRtspServer> server;
    if (options.addresses.isEmpty()) {
        server = std::make_unique<VelRtspServer>(false);
        if (options.replay)
            server->setExtraArguments({QStringLiteral("--replay")});
        if (!server->start(0, 120000)) {
            std::fprintf(stderr, "vel-bench-streams: test server: %s\n",
                         qPrintable(server->errorString()));
            return 1;
        }
        if (options.lipsync)
            options.addresses << QString() << server->url(QStringLiteral("replay720-noaudio"));
        else if (options.mix > 0)
            options.addresses << server->url(QStringLiteral("replay1080"))
                              << server->url(QStringLiteral("replay720-noaudio"));
        else
            options.addresses << server->url(options.mount);
    }
    // The flash-and-beep camera runs in a server of its own, started and kept
    // running before the players open, as a camera is: a server busy starting
    // 16 replay feeders made its sound late, and its timestamps with it.
    std::unique_ptr<VelRtspServer> lipServer;
    pid_t lipKeeper = -1;
    if (options.lipsync && server) {
        lipServer = std::make_unique<VelRtspServer>(false);
        if (!lipServer->start(0, 30000)) {
            std::fprintf(stderr, "vel-bench-streams: test server: %s\n",
                         qPrintable(lipServer->errorString()));
            return 1;
        }
        options.addresses[0] = lipServer->url(QStringLiteral("flashbeep1080"));
        lipKeeper = spawnKeeper(options.addresses.first());
        QThread::msleep(2000);
    }
    pid_t keeper = -1;
    // Replay mounts run from the start, like a camera that is on.
    if (server && !options.cold && !options.replay && !options.lipsync) {
        keeper = spawnKeeper(options.addresses.first());
        // Long enough for the camera to start and the keeper to be playing.
        QThread::msleep(2000);
    }

    std::vector<OurStream> ours(size_t(options.streams));
    for (size_t i = 0; i < ours.size(); ++i) {
        ours[i].address = options.addresses.at(int(i % size_t(options.addresses.size())));
        ours[i].audio = options.audio;
        ours[i].labelSize = options.labelSize;
        if (options.mix > 0 || options.lipsync) {
            const bool main = i == 0;
            ours[i].address = options.addresses.at(main ? 0 : 1);
            ours[i].audio = main;
            ours[i].labelSize = main ? QSize(1280, 720) : QSize(208, 117);
        }
    }

    const double ourCpu = runOurs(options, ours);
    std::vector<FfmpegStream> ffmpeg(ours.size());
    const double ffmpegCpu = options.ffmpeg ? runFfmpeg(options, ours, ffmpeg) : 0;
    stopChild(keeper);
    stopChild(lipKeeper);
    printReport(options, keeper > 0, ours, ourCpu, ffmpeg, ffmpegCpu);
    return 0;
}
