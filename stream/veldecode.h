#ifndef VELDECODE_H
#define VELDECODE_H

// The decode steps the player's video and sound decoders share: one packet
// in, every frame it yields handed to onFrame.

#include "velffmpeg.h"

inline void velApplyTruncatedInput(const AVCodec* pCodec, AVCodecContext* pContext)
{
#if defined(AV_CODEC_CAP_TRUNCATED) && defined(AV_CODEC_FLAG_TRUNCATED)
    if (pCodec->capabilities & AV_CODEC_CAP_TRUNCATED)
        pContext->flags |= AV_CODEC_FLAG_TRUNCATED;
#else
    (void)pCodec;
    (void)pContext;
#endif
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
