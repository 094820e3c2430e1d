// Replay mounts of the test server (--replay): files that FFmpeg encodes once
// at start, pushed at their own pace, so that the server only packetizes.
#include "replay.h"

#include <glib/gstdio.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

// 10.24 s hold exactly 256
// pictures and 160 AAC frames (the encoder's priming frame included), so
// picture and sound stay together from one loop to the next.
static std::string g_replayDir;

static bool runFfmpeg(const std::string& arguments)
{
    const std::string command = "ffmpeg -nostdin -y -loglevel error " + arguments;
    return std::system(command.c_str()) == 0;
}

bool makeReplayFiles()
{
    gchar* dir = g_dir_make_tmp("vel-replay-XXXXXX", nullptr);
    if (!dir)
        return false;
    g_replayDir = dir;
    g_free(dir);
    for (int height : {720, 1080}) {
        const std::string size = std::to_string(height * 16 / 9) + "x" + std::to_string(height);
        if (!runFfmpeg("-f lavfi -i testsrc2=size=" + size +
                       ":rate=25:duration=10.24 -c:v libx264 -preset ultrafast -tune zerolatency "
                       "-g 25 -bf 0 -profile:v baseline -pix_fmt yuv420p -x264-params "
                       "aud=1:sliced-threads=0 "
                       "-b:v " +
                       (height >= 1080 ? "4M" : "2M") + " -f h264 " + g_replayDir + "/v" +
                       std::to_string(height) + ".h264"))
            return false;
    }
    return runFfmpeg("-f lavfi -i sine=frequency=440:sample_rate=16000:duration=10.176 -c:a aac "
                     "-b:a 24k -f adts " +
                     g_replayDir + "/a16000.aac");
}

void removeReplayFiles()
{
    if (g_replayDir.empty())
        return;
    for (const char* name : {"/v720.h264", "/v1080.h264", "/a16000.aac"})
        std::remove((g_replayDir + name).c_str());
    g_rmdir(g_replayDir.c_str());
}

// The replay files in memory, cut into what one push hands on: H.264 access
// units (each starts with an access unit delimiter) and ADTS frames.
static std::map<int, std::vector<std::string>> g_replayVideo; // by picture height
static std::vector<std::string> g_replayAudio;

static bool readFile(const std::string& path, std::string& data)
{
    gchar* contents = nullptr;
    gsize length = 0;
    if (!g_file_get_contents(path.c_str(), &contents, &length, nullptr))
        return false;
    data.assign(contents, length);
    g_free(contents);
    return true;
}

static std::vector<std::string> splitAccessUnits(const std::string& data)
{
    std::vector<size_t> starts;
    for (size_t i = 0; i + 4 < data.size(); ++i) {
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1 && (data[i + 3] & 0x1f) == 9)
            starts.push_back(i > 0 && data[i - 1] == 0 ? i - 1 : i);
    }
    std::vector<std::string> units;
    for (size_t k = 0; k < starts.size(); ++k) {
        const size_t end = k + 1 < starts.size() ? starts[k + 1] : data.size();
        units.push_back(data.substr(starts[k], end - starts[k]));
    }
    return units;
}

static std::vector<std::string> splitAdtsFrames(const std::string& data)
{
    std::vector<std::string> frames;
    size_t at = 0;
    while (at + 7 <= data.size()) {
        const auto* b = reinterpret_cast<const unsigned char*>(data.data() + at);
        const size_t length = ((b[3] & 3u) << 11) | (b[4] << 3) | (b[5] >> 5);
        if (b[0] != 0xff || (b[1] & 0xf0) != 0xf0 || length < 7 || at + length > data.size())
            break;
        frames.push_back(data.substr(at, length));
        at += length;
    }
    return frames;
}

bool loadReplayFiles()
{
    for (int height : {720, 1080}) {
        std::string data;
        if (!readFile(g_replayDir + "/v" + std::to_string(height) + ".h264", data))
            return false;
        g_replayVideo[height] = splitAccessUnits(data);
        if (g_replayVideo[height].empty())
            return false;
    }
    std::string data;
    if (!readFile(g_replayDir + "/a16000.aac", data))
        return false;
    g_replayAudio = splitAdtsFrames(data);
    return !g_replayAudio.empty();
}

// Pushes a replay media's access units every 40 ms and its AAC frames every
// 64 ms by the monotonic clock, from the main loop; appsrc stamps them.
struct ReplayFeeder {
    GstElement* video = nullptr;
    GstElement* audio = nullptr;
    const std::vector<std::string>* units = nullptr;
    gint64 startUs = 0;
    gint64 videoSent = 0;
    gint64 audioSent = 0;
    std::atomic<bool> stopped{false};
};

static void pushBytes(GstElement* source, const std::string& bytes)
{
    GstBuffer* buffer = gst_buffer_new_memdup(bytes.data(), bytes.size());
    GstFlowReturn flow = GST_FLOW_OK;
    g_signal_emit_by_name(source, "push-buffer", buffer, &flow);
    gst_buffer_unref(buffer);
}

static gboolean feedReplay(gpointer data)
{
    auto* feeder = static_cast<ReplayFeeder*>(data);
    if (feeder->stopped) {
        gst_object_unref(feeder->video);
        if (feeder->audio)
            gst_object_unref(feeder->audio);
        delete feeder;
        return G_SOURCE_REMOVE;
    }
    const gint64 elapsed = g_get_monotonic_time() - feeder->startUs;
    while (feeder->videoSent * 40000 <= elapsed) {
        const auto& units = *feeder->units;
        pushBytes(feeder->video, units[size_t(feeder->videoSent++ % gint64(units.size()))]);
    }
    while (feeder->audio && feeder->audioSent * 64000 <= elapsed) {
        pushBytes(feeder->audio,
                  g_replayAudio[size_t(feeder->audioSent++ % gint64(g_replayAudio.size()))]);
    }
    return G_SOURCE_CONTINUE;
}

void startReplayFeeder(GstRTSPMedia* media, GstElement* bin, int height)
{
    auto* feeder = new ReplayFeeder;
    feeder->video = gst_bin_get_by_name(GST_BIN(bin), "vsrc");
    feeder->audio = gst_bin_get_by_name(GST_BIN(bin), "asrc");
    feeder->units = &g_replayVideo[height];
    feeder->startUs = g_get_monotonic_time();
    if (!feeder->video) {
        if (feeder->audio)
            gst_object_unref(feeder->audio);
        delete feeder;
        return;
    }
    g_signal_connect(media, "unprepared", G_CALLBACK(+[](GstRTSPMedia*, gpointer data) {
                         static_cast<ReplayFeeder*>(data)->stopped = true;
                     }),
                     feeder);
    g_timeout_add(5, feedReplay, feeder);
}

std::string replayLaunchLine(bool withAudio)
{
    const std::string queue = " is-live=true do-timestamp=true format=time max-buffers=50 "
                              "leaky-type=downstream ";
    std::string line = "( appsrc name=vsrc" + queue +
                       "caps=video/x-h264,stream-format=byte-stream,alignment=au,framerate=25/1"
                       " ! h264parse ! rtph264pay name=pay0 pt=96 config-interval=-1 ";
    if (withAudio)
        line += "appsrc name=asrc" + queue +
                "caps=audio/mpeg,mpegversion=4,stream-format=adts,rate=16000,channels=1 ! "
                "aacparse ! rtpmp4gpay name=pay1 pt=97 ";
    return line + ")";
}

bool haveReplayFiles()
{
    return !g_replayAudio.empty();
}
