// CAudioDecoder on the decode thread: opening the sound's decoder and writer,
// the drain pass, resampling and the clock the picture follows.
#include "caudiodecoder.h"

#include "caudiowrite.h"
#include "cinputopener.h"
#include "cstreaminput.h"
#include "veldecode.h"

extern "C" {
#include <libavutil/time.h>
}

namespace
{

const char kAudioCacheFile[] = "c://audio_cache.txt";

// Sound kept waiting beyond the buffer being refilled, against network
// jitter: the picture follows the sound, so this margin costs no lip sync.
constexpr int kAudioBacklogMs = 150;

} // namespace

CAudioDecoder::CAudioDecoder(const std::atomic<bool>& bStop, CStreamInput& input, bool bWithAudio,
                             std::function<void(bool)> onDeviceChecked)
    : m_bStop(bStop), m_input(input), m_onDeviceChecked(std::move(onDeviceChecked))
#if defined(VEL_FORM_TESSARO)
      ,
      m_bWithAudio(bWithAudio)
#endif
{
#if defined(VEL_FORM_VIMBREL)
    (void)bWithAudio;
#endif
    m_nAudioDelay = CInputOpener::readTuningFile(kAudioCacheFile, 0);
}

CAudioDecoder::~CAudioDecoder()
{
    free();
}

bool CAudioDecoder::wanted() const
{
#if defined(VEL_FORM_TESSARO)
    return m_bWithAudio;
#else
    return m_bEnabled;
#endif
}

#if defined(VEL_FORM_VIMBREL)
void CAudioDecoder::setEnabled(bool bEnabled)
{
    std::lock_guard<std::mutex> lock(m_writerLock);
    m_bEnabled = bEnabled;
    if (m_pAudioWrite)
        m_pAudioWrite->SetEnabled(bEnabled);
}
#endif

int CAudioDecoder::open(const AVStream* pStream)
{
    VelCodecContextPtr pContext;
    const VelDecoderOpen result = velOpenDecoder(pStream, &pContext);
    if (result != VelDecoderOpen::Opened)
        return result == VelDecoderOpen::NoDecoder ? -10 : -11;
    m_pAudioFrame.reset(av_frame_alloc());
    if (!m_pAudioFrame)
        return -11;

    m_nAudioRate = pContext->sample_rate <= 16000 ? 8000 : 16000;
    m_audioOut.assign(size_t(m_nAudioRate) * 2, 0);
    // A resampler that cannot be set up now is tried again with the first
    // decoded frame's own parameters.
    setUpResampler(pContext->ch_layout, pContext->sample_fmt, pContext->sample_rate);
    m_pAudioCodec = std::move(pContext);

#if defined(VEL_FORM_TESSARO)
    const bool bCreateWriter = m_bWithAudio;
#else
    const bool bCreateWriter = true;
#endif
    if (bCreateWriter) {
        auto pWriter = std::make_unique<CAudioWrite>();
        pWriter->SetBacklogLimit(kAudioBacklogMs);
        // A writer without a device keeps taking audio; nothing is heard.
        const bool bOpened = pWriter->Open(m_nAudioRate, 16, 1);
        m_nDeviceState = bOpened ? DeviceOpen : DeviceFailed;
        if (m_onDeviceChecked)
            m_onDeviceChecked(bOpened);
        std::lock_guard<std::mutex> lock(m_writerLock);
#if defined(VEL_FORM_VIMBREL)
        pWriter->SetEnabled(m_bEnabled);
#endif
        m_pAudioWrite = std::move(pWriter);
    }
    return 0;
}

void CAudioDecoder::closeDecoder()
{
    m_pAudioCodec.reset();
    m_pAudioFrame.reset();
}

void CAudioDecoder::free()
{
    closeDecoder();
    m_audioOut.clear();
    m_audioOut.shrink_to_fit();
    {
        std::lock_guard<std::mutex> lock(m_writerLock);
        if (m_pAudioWrite)
            m_pAudioWrite->Close();
        m_pAudioWrite.reset();
    }
    m_pSwr.reset();
    av_channel_layout_uninit(&m_swrSourceLayout);
    m_nSwrSourceFormat = -1;
    m_nSwrSourceRate = 0;
    m_nAudioRate = 0;
}

// Output: one channel (front left), 16-bit, m_nAudioRate. A source without a
// channel layout gets the default layout for its channel count.
bool CAudioDecoder::setUpResampler(const AVChannelLayout& layout, int nFormat, int nRate)
{
    m_pSwr.reset();
    av_channel_layout_uninit(&m_swrSourceLayout);
    av_channel_layout_copy(&m_swrSourceLayout, &layout);
    m_nSwrSourceFormat = nFormat;
    m_nSwrSourceRate = nRate;

    AVChannelLayout input{};
    if (layout.order == AV_CHANNEL_ORDER_UNSPEC || !av_channel_layout_check(&layout))
        av_channel_layout_default(&input, layout.nb_channels);
    else
        av_channel_layout_copy(&input, &layout);
    AVChannelLayout output{};
    av_channel_layout_from_mask(&output, AV_CH_FRONT_LEFT);

    SwrContext* pSwr = nullptr;
    bool bOk = input.nb_channels > 0 && nRate > 0 && nFormat >= 0 &&
               swr_alloc_set_opts2(&pSwr, &output, AV_SAMPLE_FMT_S16, m_nAudioRate, &input,
                                   AVSampleFormat(nFormat), nRate, 0, nullptr) >= 0 &&
               swr_init(pSwr) >= 0;
    if (bOk)
        m_pSwr.reset(pSwr);
    else
        swr_free(&pSwr);
    av_channel_layout_uninit(&input);
    av_channel_layout_uninit(&output);
    return bOk;
}

// Players without sound (thumbnails, a camera without audio, no device, the
// tour's sound switched off) show every picture as soon as it is decoded.
bool CAudioDecoder::leadsPictures() const
{
    return wanted() && m_pAudioCodec && m_pAudioWrite && m_pAudioWrite->IsDeviceOpen();
}

// The time of the sound heard now; through a short gap (silence while the
// ring refills) it runs on from the last known time.
int64_t CAudioDecoder::clockUs()
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

int CAudioDecoder::queueMs() const
{
    std::lock_guard<std::mutex> lock(m_writerLock);
    return m_pAudioWrite ? m_pAudioWrite->LatencyMs() : 0;
}

uint64_t CAudioDecoder::silences() const
{
    std::lock_guard<std::mutex> lock(m_writerLock);
    return m_pAudioWrite ? m_pAudioWrite->SilencesInserted() : 0;
}

// Audio waits in its queue until the configured delay has passed.
void CAudioDecoder::decodePass(int64_t nElapsedMs)
{
    if (!m_pAudioCodec || nElapsedMs < m_nAudioDelay)
        return;
    // A file is read at once: its sound is decoded only as far ahead as the
    // writer keeps, so that the ring never overflows nor has to catch up.
    const bool bPaced = leadsPictures() && m_input.isFiniteSource();
    while (!m_bStop) {
        if (bPaced && m_pAudioWrite->HoldsMargin())
            return;
        VelPacketPtr pPacket = m_input.takeAudioPacket();
        if (!pPacket)
            return;
        if (velDecodePacket(m_pAudioCodec.get(), m_pAudioFrame.get(), pPacket.get(),
                            [this](const AVFrame* pFrame) { playAudio(pFrame); }) < 0)
            return;
    }
}

void CAudioDecoder::playAudio(const AVFrame* pFrame)
{
    if (pFrame->sample_rate != m_nSwrSourceRate || pFrame->format != m_nSwrSourceFormat ||
        av_channel_layout_compare(&pFrame->ch_layout, &m_swrSourceLayout) != 0)
        setUpResampler(pFrame->ch_layout, pFrame->format, pFrame->sample_rate);
    if (!m_pSwr)
        return;
    uint8_t* out[1] = {m_audioOut.data()};
    // What the resampler holds back comes out first, and earlier.
    int64_t nTime = m_input.streamTimeUs(m_input.audioIndex(), pFrame->best_effort_timestamp);
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
