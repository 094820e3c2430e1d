#pragma once
// The test server's mounts: what each camera sends, and what the control
// commands and the RTSP request hooks (requests.cpp) change or count.

#include <gst/gst.h>
#include <gst/rtsp-server/rtsp-server.h>

#include <atomic>
#include <mutex>
#include <string>

enum class VideoCodec { H264, H265, Mjpeg };
// Siren is a codec the players cannot decode: a camera whose sound they must
// leave out.
enum class AudioCodec { Aac, Pcmu, Siren };

struct CameraFormat {
    int height = 0; // 0: no video
    bool mainProfile = false;
    int sampleRate = 0; // 0: no audio
    int channels = 0;
    VideoCodec video = VideoCodec::H264;
    int keyInterval = 25; // frames between key frames
    AudioCodec audio = AudioCodec::Aac;
    bool replay = false; // a file encoded at start, looped (--replay)
    bool flashBeep = false;
};

// The table is built before the server starts and never changes; only the
// stall flags change, from the main loop, while streaming threads read them.
struct Mount {
    CameraFormat format;
    std::atomic<bool> stalled{false};
    std::atomic<bool> videoWithheld{false}; // sound flows on
    std::atomic<int> teardowns{0};          // TEARDOWN requests received for the mount
    std::atomic<int> setups{0};             // SETUP requests received for the mount
    std::atomic<int> plays{0};              // PLAY requests received for the mount
    // SETUP is answered, PLAY never: a camera that hangs between the two.
    bool playUnanswered = false;
    // The mount's latest media (a reference), so that a DESCRIBE can wait
    // while the last client's TEARDOWN still unprepares it.
    std::mutex mediaLock;
    GstRTSPMedia* media = nullptr;
};

// A mount by its path ("/cam720" or "cam720"), or null.
Mount* findMount(std::string name);
// Asks the video encoder of a media's bin for a key frame.
void requestKeyFrame(GstElement* bin);
// Connects the request hooks of a new client: TEARDOWN, SETUP and PLAY
// counters, the SETUP-only mount, a DESCRIBE that waits out an unprepare.
void onClientConnected(GstRTSPServer* server, GstRTSPClient* client, gpointer data);
