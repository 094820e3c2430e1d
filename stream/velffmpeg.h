#ifndef VELFFMPEG_H
#define VELFFMPEG_H

// Owning holders for the FFmpeg objects of the engine: every exit path frees
// them, and reset() is safe to repeat.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>

struct VelFormatInputDeleter {
    void operator()(AVFormatContext* p) const { avformat_close_input(&p); }
};
struct VelCodecContextDeleter {
    void operator()(AVCodecContext* p) const { avcodec_free_context(&p); }
};
struct VelFrameDeleter {
    void operator()(AVFrame* p) const { av_frame_free(&p); }
};
struct VelPacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct VelSwrDeleter {
    void operator()(SwrContext* p) const { swr_free(&p); }
};
struct VelSwsDeleter {
    void operator()(SwsContext* p) const { sws_freeContext(p); }
};

using VelFormatInputPtr = std::unique_ptr<AVFormatContext, VelFormatInputDeleter>;
using VelCodecContextPtr = std::unique_ptr<AVCodecContext, VelCodecContextDeleter>;
using VelFramePtr = std::unique_ptr<AVFrame, VelFrameDeleter>;
using VelPacketPtr = std::unique_ptr<AVPacket, VelPacketDeleter>;
using VelSwrPtr = std::unique_ptr<SwrContext, VelSwrDeleter>;
using VelSwsPtr = std::unique_ptr<SwsContext, VelSwsDeleter>;

// An options dictionary that frees itself.
class VelDictionary
{
public:
    VelDictionary() = default;
    VelDictionary(const VelDictionary&) = delete;
    VelDictionary& operator=(const VelDictionary&) = delete;
    ~VelDictionary() { av_dict_free(&m_pDict); }

    void set(const char* szKey, const char* szValue) { av_dict_set(&m_pDict, szKey, szValue, 0); }
    AVDictionary** address() { return &m_pDict; }

private:
    AVDictionary* m_pDict = nullptr;
};

#endif // VELFFMPEG_H
