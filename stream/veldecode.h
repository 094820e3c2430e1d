#ifndef VELDECODE_H
#define VELDECODE_H

// The decode steps the player's video and sound decoders share: opening the
// decoder, and one packet in with every frame it yields handed to onFrame.

#include "velffmpeg.h"

enum class VelDecoderOpen {
    Opened,
    NoDecoder, // FFmpeg has none for the stream's codec
    Failed,
};

// The stream's decoder, set up from its parameters and opened into *pContext.
inline VelDecoderOpen velOpenDecoder(const AVStream* pStream, VelCodecContextPtr* pContext)
{
    const AVCodec* pCodec = avcodec_find_decoder(pStream->codecpar->codec_id);
    if (!pCodec)
        return VelDecoderOpen::NoDecoder;
    VelCodecContextPtr pNew(avcodec_alloc_context3(pCodec));
    if (!pNew || avcodec_parameters_to_context(pNew.get(), pStream->codecpar) < 0)
        return VelDecoderOpen::Failed;
    pNew->pkt_timebase = pStream->time_base;
#if defined(AV_CODEC_CAP_TRUNCATED) && defined(AV_CODEC_FLAG_TRUNCATED)
    if (pCodec->capabilities & AV_CODEC_CAP_TRUNCATED)
        pNew->flags |= AV_CODEC_FLAG_TRUNCATED;
#endif
    if (avcodec_open2(pNew.get(), pCodec, nullptr) < 0)
        return VelDecoderOpen::Failed;
    *pContext = std::move(pNew);
    return VelDecoderOpen::Opened;
}

template <class FrameHandler>
int velReceiveFrames(AVCodecContext* pContext, AVFrame* pFrame, FrameHandler onFrame)
{
    for (;;) {
        const int nResult = avcodec_receive_frame(pContext, pFrame);
        if (nResult == AVERROR(EAGAIN) || nResult == AVERROR_EOF)
            return 0;
        if (nResult < 0)
            return nResult;
        onFrame(pFrame);
        av_frame_unref(pFrame);
    }
}

template <class FrameHandler>
int velDecodePacket(AVCodecContext* pContext, AVFrame* pFrame, const AVPacket* pPacket,
                    FrameHandler onFrame)
{
    int nResult = avcodec_send_packet(pContext, pPacket);
    if (nResult == AVERROR(EAGAIN)) {
        // The decoder holds output it wants taken first.
        velReceiveFrames(pContext, pFrame, onFrame);
        nResult = avcodec_send_packet(pContext, pPacket);
    }
    if (nResult < 0)
        return nResult;
    return velReceiveFrames(pContext, pFrame, onFrame);
}

#endif // VELDECODE_H
