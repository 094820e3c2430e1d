// CRTSPPlayer on the decode thread: one drain pass of each queue, picture
// conversion and hand-off, and audio resampling.
#include "crtspplayer.h"

#include "caudiowrite.h"
#include "velvideolabel.h"

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

// The shown size changes with the label only, so the pool is reallocated
// only then.
QImage* CRTSPPlayer::freePicture(const QSize& size)
{
    QImage* pFree = nullptr;
    for (QImage& picture : m_pictures) {
        if (!picture.isDetached() && !picture.isNull())
            continue;
        if (picture.size() == size)
            return &picture;
        pFree = &picture;
    }
    if (pFree)
        *pFree = QImage(size, QImage::Format_RGB32);
    return pFree;
}

void CRTSPPlayer::keepLastFrame(const AVFrame* pFrame)
{
    std::lock_guard<std::mutex> lock(m_lastFrameLock);
    if (!m_pLastFrame)
        m_pLastFrame.reset(av_frame_alloc());
    if (!m_pLastFrame)
        return;
    av_frame_unref(m_pLastFrame.get());
    if (av_frame_ref(m_pLastFrame.get(), pFrame) < 0)
        av_frame_unref(m_pLastFrame.get());
}

// Converted once, straight to the size the label shows; the full picture is
// kept as a reference and converted only when a snapshot wants it.
void CRTSPPlayer::showPicture(const AVFrame* pFrame)
{
    if (pFrame->width <= 0 || pFrame->height <= 0)
        return;
    keepLastFrame(pFrame);
    QSize size = m_pLabel ? m_pLabel->shownPictureSize() : QSize();
    if (size.isEmpty())
        size = QSize(pFrame->width, pFrame->height);
    QImage* pPicture = freePicture(size);
    if (!pPicture || pPicture->isNull() || !m_scaler.scale(pFrame, pPicture))
        return;

    if (m_bFirstPicture) {
        m_bFirstPicture = false;
        m_nPlayState = 1;
        showPlaying();
    }
    if (!m_pLabel)
        return;
    m_pLabel->setPicture(*pPicture, readTimeOf(pFrame->pts));
    if (m_pLabel->wantsSnapshot())
        m_pLabel->saveSnapshot(CPictureScaler::fullPicture(pFrame));
}

QImage CRTSPPlayer::GetCurrentImage() const
{
    VelFramePtr pFrame(av_frame_alloc());
    if (!pFrame)
        return QImage();
    {
        std::lock_guard<std::mutex> lock(m_lastFrameLock);
        if (!m_pLastFrame || !m_pLastFrame->buf[0] ||
            av_frame_ref(pFrame.get(), m_pLastFrame.get()) < 0)
            return QImage();
    }
    return CPictureScaler::fullPicture(pFrame.get());
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
