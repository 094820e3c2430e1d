// CVideoDecoder on the decode thread: one drain pass of the video queue,
// picture conversion and hand-off in step with the sound.
#include "cvideodecoder.h"

#include "caudiodecoder.h"
#include "cstreaminput.h"
#include "veldecode.h"

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
// While sound flows but is not heard yet (the device's first buffers, the
// writer's margin), pictures wait for it, but no longer than this.
constexpr int64_t kMaxWaitForSoundUs = 1000000;

} // namespace

CVideoDecoder::CVideoDecoder(const std::atomic<bool>& bStop, CStreamInput& input,
                             CAudioDecoder& audio, std::function<void()> onFirstPicture)
    : m_bStop(bStop), m_input(input), m_audio(audio), m_onFirstPicture(std::move(onFirstPicture))
{
}

int CVideoDecoder::open(const AVStream* pStream)
{
    VelCodecContextPtr pContext;
    const VelDecoderOpen result = velOpenDecoder(pStream, &pContext);
    if (result != VelDecoderOpen::Opened)
        return result == VelDecoderOpen::NoDecoder ? -5 : -6;

    m_pVideoFrame.reset(av_frame_alloc());
    if (!m_pVideoFrame)
        return -6;
    m_pVideoCodec = std::move(pContext);
    return 0;
}

void CVideoDecoder::free()
{
    m_pVideoCodec.reset();
    m_pVideoFrame.reset();
    m_scaler.reset();
    for (QImage& picture : m_pictures)
        picture = QImage();
    std::lock_guard<std::mutex> lock(m_lastFrameLock);
    m_pLastFrame.reset();
}

// A decode error ends the pass; the rest of the queue waits for the next one.
// Pictures held for their sound keep the packets behind them in the queue.
void CVideoDecoder::decodePass(CVideoSink* pSink)
{
    m_pSink = pSink;
    if (m_bFirstPicture) {
        // A new open: nothing of the last one is shown, and its clock is gone.
        m_heldPictures.clear();
        m_audio.resetClock();
    }
    presentHeld(false);
    while (!m_bStop && m_heldPictures.size() < kMaxHeldPictures) {
        VelPacketPtr pPacket = m_input.takeVideoPacket();
        if (!pPacket)
            break;
        if (velDecodePacket(m_pVideoCodec.get(), m_pVideoFrame.get(), pPacket.get(),
                            [this](const AVFrame* pFrame) { takePicture(pFrame); }) < 0)
            break;
        presentHeld(false);
    }
    presentHeld(true);
    m_pSink = nullptr;
}

void CVideoDecoder::takePicture(const AVFrame* pFrame)
{
    if (m_bFirstPicture || !m_audio.leadsPictures()) {
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
    const int64_t nTime = m_input.streamTimeUs(m_input.videoIndex(), pFrame->best_effort_timestamp);
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
void CVideoDecoder::presentHeld(bool bWaitForNext)
{
    while (!m_heldPictures.empty() && !m_bStop) {
        AVFrame* pFrame = m_heldPictures.front().get();
        if (!m_audio.leadsPictures()) {
            // The sound went away (the tour's switch): what waited shows now.
            showPicture(pFrame);
            m_nLastShownUs = av_gettime_relative();
            m_heldPictures.pop_front();
            continue;
        }
        const int64_t nTime =
            m_input.streamTimeUs(m_input.videoIndex(), pFrame->best_effort_timestamp);
        const int64_t nClock = m_audio.clockUs();
        const int64_t nEarly = (nTime == INT64_MIN || nClock == INT64_MIN) ? 0 : nTime - nClock;
        const int64_t nNow = av_gettime_relative();
        const int64_t nLastAudioUs = m_audio.lastWrittenUs();
        // Before the sound is first heard it is awaited; once lost (an
        // underrun beyond the coast), pictures do not wait for it.
        if (nClock == INT64_MIN && !m_audio.clockKnown() && nLastAudioUs >= 0 &&
            nNow - nLastAudioUs < CAudioDecoder::kClockCoastUs &&
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

// The shown size changes with the label only, so the pool is reallocated
// only then.
QImage* CVideoDecoder::freePicture(const QSize& size)
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

void CVideoDecoder::keepLastFrame(const AVFrame* pFrame)
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
void CVideoDecoder::showPicture(const AVFrame* pFrame)
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
        m_onFirstPicture();
    }
    if (!m_pSink)
        return;
    m_pSink->setPicture(*pPicture, m_input.readTimeOf(pFrame->pts));
    if (m_pSink->wantsSnapshot())
        m_pSink->saveSnapshot(CPictureScaler::fullPicture(pFrame));
}

QImage CVideoDecoder::currentImage() const
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
