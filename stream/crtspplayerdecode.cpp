// CRTSPPlayer on the decode thread: one drain pass of each queue, picture
// conversion and hand-off in step with the sound, and audio resampling.
#include "crtspplayer.h"

#include "caudiowrite.h"

#include <chrono>
#include <thread>

extern "C" {
#include <libavutil/time.h>
}

namespace
{

// Decoded pictures held ahead of their sound; the packets behind them wait
// in the queue, which costs far less memory than pictures.
constexpr size_t kMaxHeldPictures = 4;
// A picture is handed on this much before its sound: the label paints it
// on the GUI thread a little later.
constexpr int64_t kPaintLeadUs = 5000;
// Within one decode pass the thread waits for the next picture itself.
constexpr int64_t kWaitWithinPassUs = 20000;
constexpr int kWaitSliceMs = 5;
// Sound and picture this far apart do not share a time line (a camera's
// clocks out of step, a jump): the picture is shown as decoded. Beyond the
// most sound the writer and the device can hold (about 2 s).
constexpr int64_t kUnrelatedUs = 3000000;
// Late pictures are dropped, but the picture never stands still longer.
constexpr int64_t kMaxStillUs = 200000;
// Through a gap in the sound the clock runs on by itself this long.
constexpr int64_t kClockCoastUs = 1000000;
// While sound flows but is not heard yet (the device's first buffers, the
// writer's margin), pictures wait for it, but no longer than this.
constexpr int64_t kMaxWaitForSoundUs = 1000000;

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
// Pictures held for their sound keep the packets behind them in the queue.
void CRTSPPlayer::DecodeVideo()
{
    if (m_bFirstPicture) {
        // A new open: nothing of the last one is shown, and its clock is gone.
        m_heldPictures.clear();
        m_nClockUs = INT64_MIN;
    }
    presentHeld(false);
    while (!m_bStop && m_heldPictures.size() < kMaxHeldPictures) {
        VelPacketPtr pPacket = takePacket(m_videoQueue);
        if (!pPacket)
            break;
        if (decodePacket(m_pVideoCodec.get(), m_pVideoFrame.get(), pPacket.get(),
                         &CRTSPPlayer::takePicture) < 0)
            break;
        presentHeld(false);
    }
    presentHeld(true);
}

// Players without sound (thumbnails, a camera without audio, no device, the
// tour's sound switched off) show every picture as soon as it is decoded.
bool CRTSPPlayer::followsSound() const
{
    return wantsAudio() && m_pAudioCodec && m_pAudioWrite && m_pAudioWrite->IsDeviceOpen();
}

// The time of the sound heard now; through a short gap (silence while the
// ring refills) it runs on from the last known time.
int64_t CRTSPPlayer::audioClockUs()
{
    const int64_t nNow = av_gettime_relative();
    const int64_t nClock = m_pAudioWrite ? m_pAudioWrite->Clock() : CAudioWrite::kNoClock;
    if (nClock != CAudioWrite::kNoClock) {
        m_nClockUs = nClock;
        m_nClockAtUs = nNow;
        return nClock;
    }
    if (m_nClockUs == INT64_MIN || nNow - m_nClockAtUs > kClockCoastUs)
        return INT64_MIN;
    return m_nClockUs + (nNow - m_nClockAtUs);
}

// Microseconds on the camera's clock. The receive thread takes the video
// stream's start off video timestamps; it is put back here, so that sound
// and picture compare.
int64_t CRTSPPlayer::streamTimeUs(int nStream, int64_t nPts) const
{
    if (nPts == AV_NOPTS_VALUE || !m_pFormat || nStream < 0 ||
        nStream >= int(m_pFormat->nb_streams))
        return INT64_MIN;
    const AVStream* pStream = m_pFormat->streams[nStream];
    if (nStream == m_nVideoIndex && pStream->start_time != AV_NOPTS_VALUE)
        nPts += pStream->start_time;
    return av_rescale_q(nPts, pStream->time_base, AVRational{1, 1000000});
}

void CRTSPPlayer::takePicture(const AVFrame* pFrame)
{
    if (m_bFirstPicture || !followsSound()) {
        // The first picture of an open is shown at once, as a poster is.
        m_heldPictures.clear();
        showPicture(pFrame);
        m_nLastShownUs = av_gettime_relative();
        return;
    }
    VelFramePtr pHeld(av_frame_alloc());
    if (!pHeld || av_frame_ref(pHeld.get(), pFrame) < 0) {
        showPicture(pFrame);
        return;
    }
    const int64_t nTime = streamTimeUs(m_nVideoIndex, pFrame->best_effort_timestamp);
    if (nTime != INT64_MIN && m_nLastPictureUs != INT64_MIN) {
        const int64_t nStep = nTime - m_nLastPictureUs;
        if (nStep >= 5000 && nStep <= 200000)
            m_nFrameUs = nStep;
    }
    m_nLastPictureUs = nTime;
    m_heldPictures.push_back(std::move(pHeld));
}

// Hands on the held pictures whose sound is being heard and drops those late
// by more than a frame. With bWaitForNext, a picture due within this pass is
// waited for here, in short slices that notice a stop.
void CRTSPPlayer::presentHeld(bool bWaitForNext)
{
    while (!m_heldPictures.empty() && !m_bStop) {
        AVFrame* pFrame = m_heldPictures.front().get();
        if (!followsSound()) {
            // The sound went away (the tour's switch): what waited shows now.
            showPicture(pFrame);
            m_nLastShownUs = av_gettime_relative();
            m_heldPictures.pop_front();
            continue;
        }
        const int64_t nTime = streamTimeUs(m_nVideoIndex, pFrame->best_effort_timestamp);
        const int64_t nClock = audioClockUs();
        const int64_t nEarly = (nTime == INT64_MIN || nClock == INT64_MIN) ? 0 : nTime - nClock;
        const int64_t nNow = av_gettime_relative();
        // Before the sound is first heard it is awaited; once lost (an
        // underrun beyond the coast), pictures do not wait for it.
        if (nClock == INT64_MIN && m_nClockUs == INT64_MIN && m_nLastAudioUs >= 0 &&
            nNow - m_nLastAudioUs < kClockCoastUs &&
            (m_nLastShownUs < 0 || nNow - m_nLastShownUs < kMaxWaitForSoundUs))
            return; // sound is coming
        if (nEarly > kPaintLeadUs && nEarly < kUnrelatedUs) {
            if (!bWaitForNext || nEarly - kPaintLeadUs > kWaitWithinPassUs)
                return;
            const int64_t nSliceUs = std::min<int64_t>(nEarly - kPaintLeadUs, kWaitSliceMs * 1000);
            std::this_thread::sleep_for(std::chrono::microseconds(nSliceUs));
            continue;
        }
        const bool bLate = -nEarly > m_nFrameUs && -nEarly < kUnrelatedUs;
        const bool bStill = m_nLastShownUs >= 0 && nNow - m_nLastShownUs > kMaxStillUs;
        if (bLate && (m_heldPictures.size() > 1 || !bStill)) {
            ++m_nPicturesLate;
            keepLastFrame(pFrame); // a snapshot still gets the newest picture
        } else {
            showPicture(pFrame);
            m_nLastShownUs = nNow;
        }
        m_heldPictures.pop_front();
    }
}

quint64 CRTSPPlayer::GetAudioSilences() const
{
    std::lock_guard<std::mutex> lock(m_writerLock);
    return m_pAudioWrite ? m_pAudioWrite->SilencesInserted() : 0;
}

// Audio waits in its queue until the configured delay has passed.
void CRTSPPlayer::DecodeAudio()
{
    if (!m_pAudioCodec || m_decodeClock.elapsed() < m_nAudioDelay)
        return;
    // A file is read at once: its sound is decoded only as far ahead as the
    // writer keeps, so that the ring never overflows nor has to catch up.
    const bool bPaced = followsSound() && isFiniteSource();
    while (!m_bStop) {
        if (bPaced && m_pAudioWrite->HoldsMargin())
            return;
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
    QSize size = m_pSink ? m_pSink->shownPictureSize() : QSize();
    if (size.isEmpty())
        size = QSize(pFrame->width, pFrame->height);
    QImage* pPicture = freePicture(size);
    if (!pPicture || pPicture->isNull() || !m_scaler.scale(pFrame, pPicture))
        return;

    if (m_bFirstPicture) {
        m_bFirstPicture = false;
        m_nPlayState = 1;
        showState(CVideoSink::PlayerPlaying);
    }
    if (!m_pSink)
        return;
    m_pSink->setPicture(*pPicture, readTimeOf(pFrame->pts));
    if (m_pSink->wantsSnapshot())
        m_pSink->saveSnapshot(CPictureScaler::fullPicture(pFrame));
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
    // What the resampler holds back comes out first, and earlier.
    int64_t nTime = streamTimeUs(m_nAudioIndex, pFrame->best_effort_timestamp);
    if (nTime != INT64_MIN)
        nTime -= swr_get_delay(m_pSwr.get(), 1000000);
    const int nSamples =
        swr_convert(m_pSwr.get(), out, m_nAudioRate,
                    const_cast<const uint8_t**>(pFrame->extended_data), pFrame->nb_samples);
    if (nSamples > 0)
        m_nLastAudioUs = av_gettime_relative();
    if (nSamples > 0 && m_pAudioWrite)
        m_pAudioWrite->Write(m_audioOut.data(), nSamples * 2,
                             nTime == INT64_MIN ? CAudioWrite::kNoClock : nTime);
}
