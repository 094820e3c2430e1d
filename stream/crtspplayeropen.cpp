// CRTSPPlayer on the decode thread: opening and probing the stream, setting
// up the decoders, and the decode loop that follows.
#include "crtspplayer.h"

#include "caudiowrite.h"
#include "cinputopener.h"
#include "veldebug.h"
#include "veldiaglog.h"
#include "velmaskaddress.h"
#include "velthreads.h"

#include <QtDebug>

extern "C" {
#include <libavutil/time.h>
}

namespace
{

constexpr int kDecodePassMs = 20;
// An opened session whose video has not flowed for this long before its first
// picture is lost: now and then a session's RTP never arrives after a PLAY
// that succeeded, and a camera may send sound without video, so that reads
// keep succeeding. Video packets flow whatever the key frame interval, so a
// camera whose first key frame comes late is not affected; 5 s is far beyond
// the gap between two pictures of a healthy stream.
constexpr int kNoVideoLimitMs = 5000;
// Sound kept waiting beyond the buffer being refilled, against network
// jitter: the picture follows the sound, so this margin costs no lip sync.
constexpr int kAudioBacklogMs = 150;

void applyTruncatedInput(const AVCodec* pCodec, AVCodecContext* pContext)
{
#if defined(AV_CODEC_CAP_TRUNCATED) && defined(AV_CODEC_FLAG_TRUNCATED)
    if (pCodec->capabilities & AV_CODEC_CAP_TRUNCATED)
        pContext->flags |= AV_CODEC_FLAG_TRUNCATED;
#else
    Q_UNUSED(pCodec);
    Q_UNUSED(pContext);
#endif
}

} // namespace

void CRTSPPlayer::ThreadDecodeVideo()
{
#if defined(VEL_FORM_VIMBREL)
    try {
        BeginDecode();
    } catch (...) {
        velDebugOutput("*******\n********\n*****\nCRTSPPlayer::ThreadDecodeVideo\n");
    }
#else
    BeginDecode();
#endif
}

void CRTSPPlayer::BeginDecode()
{
    m_nInitResult = DecodeInit(m_strUrl);
    if (m_nInitResult != 0) {
        // A session left open here would sit on the camera, unread, until
        // the click that retries it.
        closeInput();
        showState(CVideoSink::PlayerNoSignal);
        // A lost source is tried again after a pause; one that never played
        // waits for a click.
        if (m_bRetrying && !m_bStop)
            postToGui("sltRetryLater");
        return;
    }
    m_nPlayState = 3;
    // The label keeps its saved picture until the first new one arrives.
    showState(CVideoSink::PlayerNoSignal);
    m_recvThread = std::thread(&CRTSPPlayer::ThreadRecvVideo, this);
    velDiagnostic(QStringLiteral("The return code of source <<%1>> is: %2")
                      .arg(velMaskUrl(m_strUrl))
                      .arg(m_nInitResult.load()));

    // The end of a file is no lost stream, even when its video ends first.
    const bool bFinite = isFiniteSource();
    m_decodeClock.start();
    while (!m_bStop && m_pFormat) {
        if (wantsAudio())
            DecodeAudio();
        {
            // Pictures reach the label only while the player is not released.
            std::lock_guard<std::recursive_mutex> lock(m_sinkLock);
            DecodeVideo();
        }
        if (!m_bStop && videoLost(bFinite)) {
            velDiagnostic(QStringLiteral("source <<%1>>: no video for %2 ms %3, reopening")
                              .arg(velMaskUrl(m_strUrl))
                              .arg(m_bFirstPicture ? kNoVideoLimitMs : m_interrupt.readTimeout)
                              .arg(m_bFirstPicture ? QStringLiteral("before the first picture")
                                                   : QStringLiteral("while playing")));
            streamLost();
            return;
        }
        velSleep(kDecodePassMs);
    }
}

// Video is watched for the whole session: before the first picture a
// session without it is lost after kNoVideoLimitMs; after it, a picture
// that stops while the sound flows on counts as lost after the read limit,
// as a read that stalls does. Decode thread.
bool CRTSPPlayer::videoLost(bool bFinite) const
{
    if (m_bFirstPicture)
        return videoSilent();
    const int64_t nLastUs = m_nLastVideoReadUs;
    return !bFinite && nLastUs >= 0 &&
           (av_gettime_relative() - nLastUs) / 1000 >= m_interrupt.readTimeout;
}

// No video packet for the limit, counted from the open. Decode thread.
bool CRTSPPlayer::videoSilent() const
{
    const int64_t nLastUs = m_nLastVideoReadUs;
    const int64_t nSilentMs =
        nLastUs < 0 ? m_decodeClock.elapsed() : (av_gettime_relative() - nLastUs) / 1000;
    return nSilentMs >= kNoVideoLimitMs && m_decodeClock.elapsed() >= kNoVideoLimitMs;
}

bool CRTSPPlayer::wantsAudio() const
{
#if defined(VEL_FORM_TESSARO)
    return m_bWithAudio;
#else
    return m_bAudioEnabled;
#endif
}

int CRTSPPlayer::DecodeInit(const QString& url)
{
    m_nVideoIndex = -1;
    m_nAudioIndex = -1;
    m_bFirstPicture = true;
    m_nLastVideoReadUs = -1;
    m_nVideoPacketsRead = 0;
    m_bLostReported = false;
    {
        std::lock_guard<std::mutex> lock(m_readTimesLock);
        m_readTimes.fill(ReadTime());
    }
    if (url.isEmpty())
        return -1;
    const QByteArray strUrl = url.toUtf8();
    velDiagnostic(QStringLiteral("open source: ") + velMaskUrl(url));
    showState(CVideoSink::PlayerConnecting);

    CInputOpener opener(&m_interrupt);
    int nResult = opener.open(strUrl, &m_pFormat);
    if (nResult != 0)
        return nResult;

    hideUndecodableAudio();
    // Pictures are shown as they come and the frame rate is never used, so
    // the probe does not wait for twenty frames to estimate it: that alone
    // took most of a second off the first picture. Nor does it wait for
    // timestamps: a fresh RTSP session has none until the camera's first
    // sender report, a third of a second on our own server, and they are
    // not used after queuing.
    m_pFormat->fps_probe_size = 0;
    m_pFormat->max_ts_probe = 1;
    nResult = opener.probe(m_pFormat.get());
    if (nResult < 0)
        return nResult;

    for (unsigned i = 0; i < m_pFormat->nb_streams; ++i) {
        const AVMediaType type = m_pFormat->streams[i]->codecpar->codec_type;
        if (type == AVMEDIA_TYPE_VIDEO)
            m_nVideoIndex = int(i);
        else if (type == AVMEDIA_TYPE_AUDIO)
            m_nAudioIndex = int(i);
    }
    if (m_nVideoIndex < 0)
        return -4;
    nResult = openVideoDecoder();
    if (nResult != 0)
        return nResult;
#if defined(VEL_FORM_TESSARO)
    // A thumbnail never plays sound: no decoder, no resampler, no writer.
    if (!m_bWithAudio)
        m_nAudioIndex = -1;
#endif
    if (m_nAudioIndex >= 0) {
        nResult = openAudioDecoder();
        if (nResult != 0) {
            velDiagnostic(
                QStringLiteral("source <<%1>>: audio cannot be decoded (%2), playing without sound")
                    .arg(velMaskUrl(url))
                    .arg(nResult));
            m_pAudioCodec.reset();
            m_pAudioFrame.reset();
            m_nAudioIndex = -1;
        }
    }
    return 0;
}

// Sound that FFmpeg has no decoder for is data to the probe: otherwise it
// waits out its whole analysis time for codec parameters that never come,
// and the open runs into its limit.
void CRTSPPlayer::hideUndecodableAudio()
{
    for (unsigned i = 0; i < m_pFormat->nb_streams; ++i) {
        AVCodecParameters* pParameters = m_pFormat->streams[i]->codecpar;
        if (pParameters->codec_type == AVMEDIA_TYPE_AUDIO &&
            (pParameters->codec_id == AV_CODEC_ID_NONE ||
             !avcodec_find_decoder(pParameters->codec_id)))
            pParameters->codec_type = AVMEDIA_TYPE_DATA;
    }
}

int CRTSPPlayer::openVideoDecoder()
{
    const AVStream* pStream = m_pFormat->streams[m_nVideoIndex];
    const AVCodec* pCodec = avcodec_find_decoder(pStream->codecpar->codec_id);
    if (!pCodec)
        return -5;
    VelCodecContextPtr pContext(avcodec_alloc_context3(pCodec));
    if (!pContext || avcodec_parameters_to_context(pContext.get(), pStream->codecpar) < 0)
        return -6;
    pContext->pkt_timebase = pStream->time_base;
    applyTruncatedInput(pCodec, pContext.get());
    if (avcodec_open2(pContext.get(), pCodec, nullptr) < 0)
        return -6;

    m_pVideoFrame.reset(av_frame_alloc());
    if (!m_pVideoFrame)
        return -6;
    m_pVideoCodec = std::move(pContext);
    return 0;
}

int CRTSPPlayer::openAudioDecoder()
{
    const AVStream* pStream = m_pFormat->streams[m_nAudioIndex];
    const AVCodec* pCodec = avcodec_find_decoder(pStream->codecpar->codec_id);
    if (!pCodec)
        return -10;
    VelCodecContextPtr pContext(avcodec_alloc_context3(pCodec));
    if (!pContext || avcodec_parameters_to_context(pContext.get(), pStream->codecpar) < 0)
        return -11;
    pContext->pkt_timebase = pStream->time_base;
    applyTruncatedInput(pCodec, pContext.get());
    if (avcodec_open2(pContext.get(), pCodec, nullptr) < 0)
        return -11;
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
        m_nAudioDeviceState = bOpened ? AudioDeviceOpen : AudioDeviceFailed;
        emit sigAudioDeviceChecked(bOpened);
        std::lock_guard<std::mutex> lock(m_writerLock);
#if defined(VEL_FORM_VIMBREL)
        pWriter->SetEnabled(m_bAudioEnabled);
#endif
        m_pAudioWrite = std::move(pWriter);
    }
    return 0;
}

// Output: one channel (front left), 16-bit, m_nAudioRate. A source without a
// channel layout gets the default layout for its channel count.
bool CRTSPPlayer::setUpResampler(const AVChannelLayout& layout, int nFormat, int nRate)
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
