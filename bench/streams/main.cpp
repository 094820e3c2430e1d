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
//
// Our run is in ourrun.cpp, the ffmpeg baseline in ffmpegrun.cpp, the table
// in report.cpp and the lip-sync figures in lipsync.cpp.

#include "benchstreams.h"
#include "lipsync.h"
#include "velrtspserver.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <memory>
#include <vector>

namespace
{

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
