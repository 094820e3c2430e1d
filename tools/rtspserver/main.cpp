// vel-rtsp-server: live test cameras over RTSP on 127.0.0.1.
//
//   vel-rtsp-server [--port N] [--no-control] [--pattern ball|smpte] [--replay]
//
// --port 0 (the default) lets the system pick a free port. Once the server
// listens it prints "READY <port>" on stdout.
//
// Mounts (25 fps with a one-second key frame interval, AAC audio):
//   /cam720, /cam1080              H.264 baseline profile, AAC 16000 Hz mono
//   /cam720main, /cam1080main      H.264 main profile with two B-frames, AAC 16000 Hz mono
//   /cam720h265, /cam1080h265      H.265 main profile
//   /cam720mjpeg                   Motion JPEG (full-range YUV)
//   <camera>-gop2                  a key frame every two seconds on the encoder's own
//                                  schedule (a PLAY does not ask for one), e.g. /cam1080main-gop2
//   <camera>[-gop2]-noaudio        the same video without audio, e.g. /cam1080main-noaudio
//   <camera>[-gop2]-a<rate><m|s>   the same video with AAC at <rate> Hz, mono or stereo;
//                                  rate is 8000, 16000, 44100 or 48000, e.g. /cam720-a44100s
//   <camera>[-gop2]-pcmu           G.711 u-law, 8000 Hz mono
//   <camera>[-gop2]-siren          Siren audio (16000 Hz), which FFmpeg does not decode
//   /audio, /audio-a<rate><m|s>    AAC only (no video), /audio is 16000 Hz mono
//   /flashbeep720, /flashbeep1080  black, white for the frame at each whole second; silence,
//                                  a 1 kHz beep for the first 100 ms of each second (lip sync)
//   /cam720-noplay                 video only; SETUP is answered, PLAY never (until the
//                                  client hangs up)
//   /replay720, /replay1080        with --replay: H.264 baseline (key frame every second)
//                                  and AAC 16000 Hz mono from files FFmpeg encodes at
//                                  start, looped every 10.24 s; -noaudio: video only
//
// Control, one command a line on stdin, each answered on stdout with
// "OK <command>" (or "ERR <command>"):
//   stall <mount>    media of the mount stops flowing; RTSP sessions stay up
//   resume <mount>   media flows again, starting with a key frame
//   novideo <mount>  the mount's video stops while its sound flows on; sessions stay up
//   video <mount>    video flows again, starting with a key frame
//   teardowns <mount> prints "TEARDOWNS <mount> <n>": RTSP TEARDOWNs received so far
//   setups <mount>   prints "SETUPS <mount> <n>": RTSP SETUPs received so far
//   plays <mount>    prints "PLAYS <mount> <n>": RTSP PLAYs received so far
//   quit             stop the server
// End of input also stops the server, so a test that dies takes its server
// with it; --no-control ignores stdin (for running it by hand in the background).
//
// RTP over UDP and interleaved over the RTSP connection are both offered. The
// RTP ports, like the RTSP port, are bound on 127.0.0.1 only.

#include "flashbeep.h"
#include "mount.h"
#include "replay.h"

#include <gst/gst.h>
#include <gst/rtsp-server/rtsp-server.h>
#include <gst/video/video.h>

#include <glib-unix.h>
#include <glib/gstdio.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace
{

// Mounts, their formats and counters: mount.h.

std::map<std::string, std::unique_ptr<Mount>> g_mounts;
std::string g_aacEncoder;
GMainLoop* g_loop = nullptr;

const char* findAacEncoder()
{
    for (const char* name : {"avenc_aac", "voaacenc", "fdkaacenc"}) {
        GstElementFactory* factory = gst_element_factory_find(name);
        if (factory) {
            gst_object_unref(factory);
            return name;
        }
    }
    return nullptr;
}

bool haveElement(const char* name)
{
    GstElementFactory* factory = gst_element_factory_find(name);
    if (!factory)
        return false;
    gst_object_unref(factory);
    return true;
}

void addMount(const std::string& path, const CameraFormat& format)
{
    auto mount = std::make_unique<Mount>();
    mount->format = format;
    g_mounts[path] = std::move(mount);
}

struct Camera {
    std::string name;
    CameraFormat format;
};

// Every camera comes with the same variants of key frame interval and sound.
void addCameraMounts(const Camera& camera)
{
    const int rates[] = {8000, 16000, 44100, 48000};
    for (int keyInterval : {25, 50}) {
        const std::string name = camera.name + (keyInterval == 50 ? "-gop2" : "");
        CameraFormat format = camera.format;
        format.keyInterval = keyInterval;
        addMount(name, {format.height, format.mainProfile, 16000, 1, format.video, keyInterval});
        addMount(name + "-noaudio",
                 {format.height, format.mainProfile, 0, 0, format.video, keyInterval});
        addMount(name + "-pcmu", {format.height, format.mainProfile, 8000, 1, format.video,
                                  keyInterval, AudioCodec::Pcmu});
        addMount(name + "-siren", {format.height, format.mainProfile, 16000, 1, format.video,
                                   keyInterval, AudioCodec::Siren});
        for (int rate : rates) {
            for (int channels : {1, 2}) {
                addMount(
                    name + "-a" + std::to_string(rate) + (channels == 1 ? "m" : "s"),
                    {format.height, format.mainProfile, rate, channels, format.video, keyInterval});
            }
        }
    }
}

void buildMountTable()
{
    const int rates[] = {8000, 16000, 44100, 48000};
    for (int height : {720, 1080}) {
        for (bool mainProfile : {false, true}) {
            addCameraMounts({"/cam" + std::to_string(height) + (mainProfile ? "main" : ""),
                             {height, mainProfile}});
        }
        addCameraMounts(
            {"/cam" + std::to_string(height) + "h265", {height, true, 0, 0, VideoCodec::H265}});
    }
    addCameraMounts({"/cam720mjpeg", {720, false, 0, 0, VideoCodec::Mjpeg}});
    if (haveReplayFiles()) {
        for (int height : {720, 1080}) {
            CameraFormat format{height, false, 16000, 1};
            format.replay = true;
            addMount("/replay" + std::to_string(height), format);
            format.sampleRate = format.channels = 0;
            addMount("/replay" + std::to_string(height) + "-noaudio", format);
        }
    }
    addMount("/audio", {0, false, 16000, 1});
    for (int height : {720, 1080}) {
        CameraFormat format{height, false, 16000, 1};
        format.flashBeep = true;
        addMount("/flashbeep" + std::to_string(height), format);
    }
    addMount("/cam720-noplay", {720, false, 0, 0});
    g_mounts["/cam720-noplay"]->playUnanswered = true;
    for (int rate : rates) {
        for (int channels : {1, 2}) {
            addMount("/audio-a" + std::to_string(rate) + (channels == 1 ? "m" : "s"),
                     {0, false, rate, channels});
        }
    }
}

// Picture of every camera; "--pattern smpte" gives scrolling colour bars
// that read as video at a glance (the demo uses them).
std::string g_pattern = "ball";

std::string patternProperties()
{
    if (g_pattern == "ball")
        return "pattern=ball";
    return "pattern=" + g_pattern + " horizontal-speed=2";
}

// The encoder and payloader of a camera's video; "venc" is asked for key frames.
std::string videoEncoder(const CameraFormat& format, const std::string& payloader)
{
    const std::string keyInterval = std::to_string(format.keyInterval);
    const std::string bitrate = format.height >= 1080 ? "4000" : "2000";
    switch (format.video) {
    case VideoCodec::H265:
        // Parameter sets before every key frame, as cameras send them.
        return "x265enc name=venc tune=zerolatency speed-preset=ultrafast key-int-max=" +
               keyInterval + " bitrate=" + bitrate +
               " option-string=repeat-headers=1 ! video/x-h265,stream-format=byte-stream"
               " ! rtph265pay name=" +
               payloader + " pt=96 config-interval=0 ";
    case VideoCodec::Mjpeg:
        // Every picture stands alone, in full-range YUV as JPEG has it.
        return "jpegenc name=venc quality=80 ! rtpjpegpay name=" + payloader + " pt=26 ";
    case VideoCodec::H264:
        break;
    }
    // In byte-stream form x264 repeats SPS/PPS before every key frame, as
    // cameras do; having the payloader insert them too split key frames
    // into two access units on the client side.
    return "x264enc name=venc tune=zerolatency speed-preset=ultrafast key-int-max=" + keyInterval +
           " bitrate=" + bitrate +
           (format.mainProfile
                ? " bframes=2 b-adapt=false ! video/x-h264,profile=main,stream-format=byte-stream"
                : " bframes=0 ! video/x-h264,profile=baseline,stream-format=byte-stream") +
           " ! rtph264pay name=" + payloader + " pt=96 config-interval=0 ";
}

std::string audioEncoder(const CameraFormat& format, const std::string& payloader)
{
    switch (format.audio) {
    case AudioCodec::Pcmu:
        return "mulawenc ! rtppcmupay name=" + payloader + " pt=0 ";
    case AudioCodec::Siren:
        return "sirenenc ! rtpsirenpay name=" + payloader + " pt=97 ";
    case AudioCodec::Aac:
        break;
    }
    const int bitrate = (format.sampleRate <= 16000 ? 24000 : 64000) * format.channels;
    return g_aacEncoder + " bitrate=" + std::to_string(bitrate) +
           " ! rtpmp4gpay name=" + payloader + " pt=97 ";
}

std::string launchLine(const CameraFormat& format)
{
    if (format.replay)
        return replayLaunchLine(format.sampleRate > 0);
    if (format.flashBeep)
        return flashBeepLaunchLine(format.height, videoEncoder(format, "pay0"),
                                   audioEncoder(format, "pay1"));
    std::string line = "( ";
    int payloader = 0;
    if (format.height > 0) {
        const int width = format.height * 16 / 9;
        // The ball pattern is cheap to draw and moves, so frozen pictures show.
        line += "videotestsrc name=vsrc is-live=true " + patternProperties() +
                " ! video/x-raw,format=I420,width=" + std::to_string(width) +
                ",height=" + std::to_string(format.height) + ",framerate=25/1 ! " +
                videoEncoder(format, "pay" + std::to_string(payloader++));
    }
    if (format.sampleRate > 0) {
        line += "audiotestsrc name=asrc is-live=true wave=sine freq=440 samplesperbuffer=1024 ! "
                "audio/x-raw,rate=" +
                std::to_string(format.sampleRate) + ",channels=" + std::to_string(format.channels) +
                " ! audioconvert ! " + audioEncoder(format, "pay" + std::to_string(payloader++));
    }
    return line + ")";
}

} // namespace

// Asks the encoder of the bin for a key frame with its parameter sets, so a
// client that joins a running camera or comes back from a stall gets a picture
// without waiting for the next scheduled key frame.
void requestKeyFrame(GstElement* bin)
{
    if (!bin || !GST_IS_BIN(bin))
        return;
    GstElement* encoder = gst_bin_get_by_name(GST_BIN(bin), "venc");
    if (!encoder)
        return;
    GstPad* pad = gst_element_get_static_pad(encoder, "src");
    if (pad) {
        gst_pad_send_event(
            pad, gst_video_event_new_upstream_force_key_unit(GST_CLOCK_TIME_NONE, TRUE, 0));
        gst_object_unref(pad);
    }
    gst_object_unref(encoder);
}

namespace
{

struct SourceProbe {
    Mount* mount;
    bool video;
    bool dropping = false; // touched only by the source's streaming thread
};

GstPadProbeReturn dropWhileStalled(GstPad* pad, GstPadProbeInfo*, gpointer data)
{
    auto* probe = static_cast<SourceProbe*>(data);
    if (probe->mount->stalled.load() || (probe->video && probe->mount->videoWithheld.load())) {
        probe->dropping = true;
        return GST_PAD_PROBE_DROP;
    }
    if (probe->dropping) {
        probe->dropping = false;
        if (probe->video) {
            GstObject* source = gst_pad_get_parent(pad);
            if (source) {
                GstObject* bin = gst_object_get_parent(source);
                requestKeyFrame(GST_ELEMENT(bin));
                if (bin)
                    gst_object_unref(bin);
                gst_object_unref(source);
            }
        }
    }
    return GST_PAD_PROBE_OK;
}

void attachProbe(GstElement* bin, const char* sourceName, Mount* mount, bool video)
{
    GstElement* source = gst_bin_get_by_name(GST_BIN(bin), sourceName);
    if (!source)
        return;
    GstPad* pad = gst_element_get_static_pad(source, "src");
    if (pad) {
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, dropWhileStalled,
                          new SourceProbe{mount, video},
                          [](gpointer p) { delete static_cast<SourceProbe*>(p); });
        gst_object_unref(pad);
    }
    gst_object_unref(source);
}

void onMediaConfigure(GstRTSPMediaFactory*, GstRTSPMedia* media, gpointer data)
{
    auto* mount = static_cast<Mount*>(data);
    {
        std::lock_guard<std::mutex> lock(mount->mediaLock);
        if (mount->media)
            g_object_unref(mount->media);
        mount->media = GST_RTSP_MEDIA(g_object_ref(media));
    }
    GstElement* bin = gst_rtsp_media_get_element(media);
    if (!bin)
        return;
    attachProbe(bin, "vsrc", mount, true);
    attachProbe(bin, "asrc", mount, false);
    if (mount->format.flashBeep)
        attachFlashBeep(bin);
    if (mount->format.replay)
        startReplayFeeder(media, bin, mount->format.height);
    gst_object_unref(bin);
}

} // namespace

Mount* findMount(std::string name)
{
    if (name.empty())
        return nullptr;
    if (name[0] != '/')
        name.insert(0, "/");
    auto it = g_mounts.find(name);
    return it == g_mounts.end() ? nullptr : it->second.get();
}

namespace
{

void reply(bool ok, const std::string& command)
{
    std::printf("%s %s\n", ok ? "OK" : "ERR", command.c_str());
    std::fflush(stdout);
}

void runCommand(const std::string& command)
{
    if (command.empty())
        return;
    if (command == "quit") {
        reply(true, command);
        g_main_loop_quit(g_loop);
        return;
    }
    const size_t space = command.find(' ');
    const std::string verb = command.substr(0, space);
    const std::string argument =
        space == std::string::npos ? std::string() : command.substr(space + 1);
    Mount* mount = findMount(argument);
    if (mount && (verb == "stall" || verb == "resume")) {
        mount->stalled.store(verb == "stall");
        reply(true, command);
        return;
    }
    if (mount && (verb == "novideo" || verb == "video")) {
        mount->videoWithheld.store(verb == "novideo");
        reply(true, command);
        return;
    }
    if (mount && verb == "teardowns") {
        std::printf("TEARDOWNS %s %d\n", argument.c_str(), mount->teardowns.load());
        reply(true, command);
        return;
    }
    if (mount && verb == "setups") {
        std::printf("SETUPS %s %d\n", argument.c_str(), mount->setups.load());
        reply(true, command);
        return;
    }
    if (mount && verb == "plays") {
        std::printf("PLAYS %s %d\n", argument.c_str(), mount->plays.load());
        reply(true, command);
        return;
    }
    reply(false, command);
}

gboolean onControlInput(GIOChannel* channel, GIOCondition, gpointer)
{
    gchar* text = nullptr;
    gsize length = 0;
    const GIOStatus status = g_io_channel_read_line(channel, &text, &length, nullptr, nullptr);
    if (status == G_IO_STATUS_NORMAL && text) {
        std::string command(text, length);
        g_free(text);
        while (!command.empty() && (command.back() == '\n' || command.back() == '\r' ||
                                    command.back() == ' ' || command.back() == '\t'))
            command.pop_back();
        runCommand(command);
        return TRUE;
    }
    g_free(text);
    if (status == G_IO_STATUS_AGAIN)
        return TRUE;
    // End of input or a broken pipe: whoever drove us is gone.
    g_main_loop_quit(g_loop);
    return FALSE;
}

gboolean onQuitSignal(gpointer)
{
    g_main_loop_quit(g_loop);
    return G_SOURCE_REMOVE;
}

void usage()
{
    std::fprintf(stderr,
                 "usage: vel-rtsp-server [--port N] [--no-control] [--pattern ball|smpte]\n");
}

} // namespace

int main(int argc, char** argv)
{
    gst_init(&argc, &argv);

    long port = 0;
    bool control = true;
    bool replay = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--port") && i + 1 < argc) {
            char* end = nullptr;
            port = std::strtol(argv[++i], &end, 10);
            if (!end || *end || port < 0 || port > 65535) {
                usage();
                return 2;
            }
        } else if (!std::strcmp(argv[i], "--no-control")) {
            control = false;
        } else if (!std::strcmp(argv[i], "--replay")) {
            replay = true;
        } else if (!std::strcmp(argv[i], "--pattern") && i + 1 < argc) {
            g_pattern = argv[++i];
            if (g_pattern != "ball" && g_pattern != "smpte") {
                usage();
                return 2;
            }
        } else {
            usage();
            return 2;
        }
    }

    const char* aac = findAacEncoder();
    for (const char* name : {"videotestsrc", "x264enc", "rtph264pay", "audiotestsrc", "rtpmp4gpay",
                             "x265enc", "rtph265pay", "jpegenc", "rtpjpegpay", "mulawenc",
                             "rtppcmupay", "sirenenc", "rtpsirenpay"}) {
        if (!haveElement(name)) {
            std::fprintf(stderr, "vel-rtsp-server: GStreamer element %s is missing\n", name);
            return 1;
        }
    }
    if (!aac) {
        std::fprintf(stderr, "vel-rtsp-server: no AAC encoder (avenc_aac, voaacenc, fdkaacenc)\n");
        return 1;
    }
    g_aacEncoder = aac;
    if (replay && !(makeReplayFiles() && loadReplayFiles())) {
        std::fprintf(stderr, "vel-rtsp-server: ffmpeg could not make the replay files\n");
        removeReplayFiles();
        return 1;
    }
    buildMountTable();

    GstRTSPServer* server = gst_rtsp_server_new();
    gst_rtsp_server_set_address(server, "127.0.0.1");
    gst_rtsp_server_set_service(server, std::to_string(port).c_str());
    g_signal_connect(server, "client-connected", G_CALLBACK(onClientConnected), nullptr);
    // One thread a client: a DESCRIBE of a stalled mount waits for caps that do
    // not come, and with the default single thread every other client waited
    // behind it.
    GstRTSPThreadPool* threads = gst_rtsp_server_get_thread_pool(server);
    gst_rtsp_thread_pool_set_max_threads(threads, -1);
    g_object_unref(threads);

    // Without a pool the RTP sockets would be bound on every interface.
    GstRTSPAddressPool* pool = gst_rtsp_address_pool_new();
    gst_rtsp_address_pool_add_range(pool, "127.0.0.1", "127.0.0.1", 20000, 59999, 0);

    GstRTSPMountPoints* mounts = gst_rtsp_server_get_mount_points(server);
    for (auto& [path, mount] : g_mounts) {
        GstRTSPMediaFactory* factory = gst_rtsp_media_factory_new();
        gst_rtsp_media_factory_set_launch(factory, launchLine(mount->format).c_str());
        // A session never played is torn down while the client's next one
        // is being set up: its own media, so that the next DESCRIBE does not
        // meet the first one's being unprepared (503).
        gst_rtsp_media_factory_set_shared(factory, !mount->playUnanswered);
        gst_rtsp_media_factory_set_protocols(
            factory, GstRTSPLowerTrans(GST_RTSP_LOWER_TRANS_UDP | GST_RTSP_LOWER_TRANS_TCP));
        gst_rtsp_media_factory_set_address_pool(factory, pool);
        g_signal_connect(factory, "media-configure", G_CALLBACK(onMediaConfigure), mount.get());
        gst_rtsp_mount_points_add_factory(mounts, path.c_str(), factory);
    }
    g_object_unref(mounts);
    g_object_unref(pool);

    // The listening socket is created with SO_REUSEADDR, so a restart on the
    // same port works right after the previous process was killed.
    if (gst_rtsp_server_attach(server, nullptr) == 0) {
        std::fprintf(stderr, "vel-rtsp-server: cannot listen on 127.0.0.1:%ld\n", port);
        return 1;
    }

    g_loop = g_main_loop_new(nullptr, FALSE);
    g_unix_signal_add(SIGTERM, onQuitSignal, nullptr);
    g_unix_signal_add(SIGINT, onQuitSignal, nullptr);
    if (control) {
        GIOChannel* input = g_io_channel_unix_new(0);
        g_io_add_watch(input, GIOCondition(G_IO_IN | G_IO_HUP | G_IO_ERR), onControlInput, nullptr);
        g_io_channel_unref(input);
    }

    std::printf("READY %d\n", gst_rtsp_server_get_bound_port(server));
    std::fflush(stdout);

    g_main_loop_run(g_loop);
    // Media pipelines and client connections go with the process; tearing
    // them down one by one only delays the exit.
    removeReplayFiles();
    std::fflush(stdout);
    std::_Exit(0);
}
