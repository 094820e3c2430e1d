// CRTSPPlayer on the decode thread: one drain pass of each queue, picture
// conversion and hand-off, and audio resampling.
#include "crtspplayer.h"

#include "caudiowrite.h"
#include "velvideolabel.h"

#include <QImage>
#include <QPixmap>

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace
{

// The scaler knows the full-range (JPEG) formats only under their
// limited-range names plus a range flag. Asked for a J format it converts
// the format on the way in, so a cached context never matched the next
// picture and was rebuilt, with a warning, every time.
AVPixelFormat limitedRangeName(AVPixelFormat format, bool* pFullRange)
{
    switch (format) {
    case AV_PIX_FMT_YUVJ420P:
        *pFullRange = true;
        return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P:
        *pFullRange = true;
        return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P:
        *pFullRange = true;
        return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P:
        *pFullRange = true;
        return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P:
        *pFullRange = true;
        return AV_PIX_FMT_YUV411P;
    default:
        return format;
    }
}

} // namespace

VelPacketPtr CRTSPPlayer::takePacket(std::deque<VelPacketPtr>& queue)
{
    std::lock_guard<std::mutex> lock(m_queueLock);
    if (queue.empty())
        return VelPacketPtr();
    VelPacketPtr pPacket = std::move(queue.front());
    queue.pop_front();
    return pPacket;
}

void CRTSPPlayer::clearQueues()
{
    std::deque<VelPacketPtr> video;
    std::deque<VelPacketPtr> audio;
    {
        std::lock_guard<std::mutex> lock(m_queueLock);
        video.swap(m_videoQueue);
        audio.swap(m_audioQueue);
    }
}

// A decode error ends the pass; the rest of the queue waits for the next one.
void CRTSPPlayer::DecodeVideo()
{
    while (!m_bStop) {
        VelPacketPtr pPacket = takePacket(m_videoQueue);
        if (!pPacket)
            return;
        if (decodePacket(m_pVideoCodec.get(), m_pVideoFrame.get(), pPacket.get(),
                         &CRTSPPlayer::showPicture) < 0)
            return;
    }
}

// Audio waits in its queue until the configured delay has passed.
void CRTSPPlayer::DecodeAudio()
{
    if (!m_pAudioCodec || m_decodeClock.elapsed() < m_nAudioDelay)
        return;
    while (!m_bStop) {
        VelPacketPtr pPacket = takePacket(m_audioQueue);
        if (!pPacket)
            return;
        if (decodePacket(m_pAudioCodec.get(), m_pAudioFrame.get(), pPacket.get(),
                         &CRTSPPlayer::playAudio) < 0)
            return;
    }
}

int CRTSPPlayer::decodePacket(AVCodecContext* pContext, AVFrame* pFrame, const AVPacket* pPacket,
                              FrameHandler onFrame)
{
    int nResult = avcodec_send_packet(pContext, pPacket);
    if (nResult == AVERROR(EAGAIN)) {
        // The decoder holds output it wants taken first.
        receiveFrames(pContext, pFrame, onFrame);
        nResult = avcodec_send_packet(pContext, pPacket);
    }
    if (nResult < 0)
        return nResult;
    return receiveFrames(pContext, pFrame, onFrame);
}

int CRTSPPlayer::receiveFrames(AVCodecContext* pContext, AVFrame* pFrame, FrameHandler onFrame)
{
    for (;;) {
        const int nResult = avcodec_receive_frame(pContext, pFrame);
        if (nResult == AVERROR(EAGAIN) || nResult == AVERROR_EOF)
            return 0;
        if (nResult < 0)
            return nResult;
        (this->*onFrame)(pFrame);
        av_frame_unref(pFrame);
    }
}

// One scaler per picture size, format and range: built once, kept while
// they hold.
bool CRTSPPlayer::setUpScaler(const AVFrame* pFrame)
{
    bool bFullRange = pFrame->color_range == AVCOL_RANGE_JPEG;
    const AVPixelFormat format = limitedRangeName(AVPixelFormat(pFrame->format), &bFullRange);
    const int nRange = bFullRange ? 1 : 0;
    if (m_pSws && m_nSwsWidth == pFrame->width && m_nSwsHeight == pFrame->height &&
        m_nSwsFormat == format && m_nSwsRange == nRange)
        return true;
    m_pSws.reset(sws_getContext(pFrame->width, pFrame->height, format, pFrame->width,
                                pFrame->height, AV_PIX_FMT_RGB32, SWS_BICUBIC, nullptr, nullptr,
                                nullptr));
    m_nSwsFormat = -1;
    if (!m_pSws)
        return false;
    if (bFullRange) {
        const int* pCoefficients = sws_getCoefficients(SWS_CS_DEFAULT);
        sws_setColorspaceDetails(m_pSws.get(), pCoefficients, 1, pCoefficients, 1, 0, 1 << 16,
                                 1 << 16);
    }
    m_nSwsWidth = pFrame->width;
    m_nSwsHeight = pFrame->height;
    m_nSwsFormat = format;
    m_nSwsRange = nRange;
    return true;
}

// Converts at the decoded picture's own size, so a picture never outgrows
// its buffer and a size change mid-stream just gets a new scaler.
void CRTSPPlayer::showPicture(const AVFrame* pFrame)
{
    const int nWidth = pFrame->width;
    const int nHeight = pFrame->height;
    if (nWidth <= 0 || nHeight <= 0 || !setUpScaler(pFrame))
        return;
    // Qt's RGB32 is FFmpeg's native-endian RGB32: the scaler writes straight
    // into the image, and the pixmap takes the image without a copy.
    QImage image(nWidth, nHeight, QImage::Format_RGB32);
    if (image.isNull())
        return;
    uint8_t* const dst[4] = {image.bits(), nullptr, nullptr, nullptr};
    const int dstStride[4] = {int(image.bytesPerLine()), 0, 0, 0};
    sws_scale(m_pSws.get(), pFrame->data, pFrame->linesize, 0, nHeight, dst, dstStride);

    if (m_bFirstPicture) {
        m_bFirstPicture = false;
        m_nPlayState = 1;
        showPlaying();
    }
    if (m_pLabel)
        m_pLabel->sltSetPixmap(QPixmap::fromImage(std::move(image)));
}

void CRTSPPlayer::playAudio(const AVFrame* pFrame)
{
    if (pFrame->sample_rate != m_nSwrSourceRate || pFrame->format != m_nSwrSourceFormat ||
        av_channel_layout_compare(&pFrame->ch_layout, &m_swrSourceLayout) != 0)
        setUpResampler(pFrame->ch_layout, pFrame->format, pFrame->sample_rate);
    if (!m_pSwr)
        return;
    uint8_t* out[1] = {m_audioOut.data()};
    const int nSamples =
        swr_convert(m_pSwr.get(), out, m_nAudioRate,
                    const_cast<const uint8_t**>(pFrame->extended_data), pFrame->nb_samples);
    if (nSamples > 0 && m_pAudioWrite)
        m_pAudioWrite->Write(m_audioOut.data(), nSamples * 2);
}
