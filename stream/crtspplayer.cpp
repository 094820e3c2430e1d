#include "crtspplayer.h"

#include "caudiowrite.h"
#include "veldebug.h"
#include "veldrive.h"
#include "velthreads.h"
#include "velvideolabel.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <QtDebug>

#include <cstdio>

namespace
{

constexpr int kVideoQueueLimit = 100;
constexpr int kAudioQueueLimit = 1000;
constexpr int kDecodePassMs = 20;
// Pause after a failed read that was not a timeout (end of a file, a closed
// connection), so that retrying does not spin.
constexpr int kReadRetryMs = 10;

const char kAudioCacheFile[] = "c://audio_cache.txt";
const char kOpenTimeoutFile[] = "c://timeout_open_input.txt";
const char kFindStreamTimeoutFile[] = "c://timeout_find_stream.txt";
#if defined(VEL_FORM_TESSARO)
const char kTcpMarkerFile[] = "c://ilook.txt";
#endif

// Reads a tuning file whole as a base-10 integer. False when the file is
// missing; *pValue is nDefault when its content is not an integer.
bool readTuningFile(const char* szWindowsPath, int nDefault, int* pValue)
{
    QFile file(velDrivePath(QString::fromLatin1(szWindowsPath)));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bool bOk = false;
    const int nValue = file.readAll().trimmed().toInt(&bOk, 10);
    *pValue = bOk ? nValue : nDefault;
    return true;
}

void initNetworkOnce()
{
    static std::once_flag s_once;
    std::call_once(s_once, [] { avformat_network_init(); });
}

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

// A copy of a demuxed packet for a queue. It takes over the packet's
// reference-counted buffer, which FFmpeg allocates with the zeroed input
// padding its decoders read past the payload; a packet without one is copied
// into a padded buffer.
VelPacketPtr copyPacket(AVPacket* pPacket)
{
    VelPacketPtr pCopy(av_packet_alloc());
    if (!pCopy)
        return pCopy;
    if (pPacket->buf)
        av_packet_move_ref(pCopy.get(), pPacket);
    else if (av_packet_ref(pCopy.get(), pPacket) < 0)
        pCopy.reset();
    return pCopy;
}

void printLine(const char* szText)
{
    std::fputs(szText, stdout);
}

} // namespace

#if defined(VEL_FORM_VIMBREL)
CRTSPPlayer::CRTSPPlayer(VelVideoLabel* pLabel, const int rect[4]) : m_pLabel(pLabel)
#else
CRTSPPlayer::CRTSPPlayer(WId labelWindow, const int rect[4], bool withAudio)
    : m_bWithAudio(withAudio)
#endif
{
#if defined(VEL_FORM_TESSARO)
    m_pLabel = qobject_cast<VelVideoLabel*>(QWidget::find(labelWindow));
#endif
    if (rect) {
        for (int i = 0; i < 4; ++i)
            m_rect[i] = rect[i];
    }
    m_interrupt.pStop = &m_bStop;
    readTuningFiles();
}

CRTSPPlayer::~CRTSPPlayer()
{
    StopThreads();
    FreeDecoder();
}

void CRTSPPlayer::readTuningFiles()
{
    int nValue = 0;
    if (readTuningFile(kAudioCacheFile, 0, &nValue))
        m_nAudioDelay = nValue;
    if (readTuningFile(kOpenTimeoutFile, 3000, &nValue))
        m_interrupt.openTimeout = nValue;
    if (readTuningFile(kFindStreamTimeoutFile, 3000, &nValue))
        m_interrupt.findStreamTimeout = nValue;
}

bool CRTSPPlayer::SetUrl(QString url)
{
    if (url.isNull())
        return false;
    FreeDecoder();
    m_strUrl = url;
    return true;
}

void CRTSPPlayer::StartPlay()
{
    // A decode thread that exists (running, or ended after a failed open)
    // is left alone; Restart() clears it.
    if (m_decodeThread.joinable())
        return;
    m_pFormat.reset();
    m_bStop = false;
    m_decodeThread = std::thread(&CRTSPPlayer::ThreadDecodeVideo, this);
}

void CRTSPPlayer::StopThreads()
{
    if (m_decodeThread.joinable()) {
        m_bStop = true;
        m_decodeThread.join();
        // Only the decode thread starts the receive thread; it has ended now.
        if (m_recvThread.joinable())
            m_recvThread.join();
    }
    clearQueues();
}

void CRTSPPlayer::FreeDecoder()
{
    // Nothing is freed under a running thread.
    StopThreads();
    m_pVideoCodec.reset();
    m_pAudioCodec.reset();
    m_pFormat.reset();
    m_pAudioFrame.reset();
    m_audioOut.clear();
    m_audioOut.shrink_to_fit();
    m_pVideoFrame.reset();
    {
        std::lock_guard<std::mutex> lock(m_writerLock);
        if (m_pAudioWrite)
            m_pAudioWrite->Close();
        m_pAudioWrite.reset();
    }
    m_pSws.reset();
    m_pSwr.reset();
    av_channel_layout_uninit(&m_swrSourceLayout);
    m_nSwrSourceFormat = -1;
    m_nSwrSourceRate = 0;
    m_nVideoIndex = -1;
    m_nAudioIndex = -1;
    m_nAudioRate = 0;
}

void CRTSPPlayer::Restart()
{
#if defined(VEL_FORM_VIMBREL)
    SetAudioEnabled(false);
#endif
    StopThreads();
    FreeDecoder();
    m_nPlayState = 3;
}

#if defined(VEL_FORM_VIMBREL)
void CRTSPPlayer::SetAudioEnabled(bool bEnabled)
{
    std::lock_guard<std::mutex> lock(m_writerLock);
    m_bAudioEnabled = bEnabled;
    if (m_pAudioWrite)
        m_pAudioWrite->SetEnabled(bEnabled);
}
#endif

// GUI thread, queued by the receive thread after a lost stream.
void CRTSPPlayer::sltAutoConnect()
{
    if (m_nPlayState == 1 || !m_pLabel || !labelShowsNoSignalOnly())
        return;
    StopThreads();
    FreeDecoder();
    m_nPlayState = 3;
    StartPlay();
}

// FFmpeg's interrupt callback, on whichever thread makes the guarded call.
int CRTSPPlayer::interruptCallback(void* opaque)
{
    auto* pRecord = static_cast<InterruptRecord*>(opaque);
    // A player being stopped does not sit out a stalled call.
    if (pRecord->pStop && pRecord->pStop->load())
        return 1;
    const int nPhase = pRecord->phase;
    const int nLimit = nPhase == 0   ? pRecord->openTimeout
                       : nPhase == 1 ? pRecord->findStreamTimeout
                                     : pRecord->readTimeout;
    const qint64 nElapsed = pRecord->clock.isValid() ? pRecord->clock.elapsed() : 0;
    if (nElapsed > 0 && nElapsed >= nLimit) {
        pRecord->timedOut = true;
        return 1;
    }
    pRecord->timedOut = false;
    return 0;
}

// ---- decode thread ----

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
        // Not retried here: a click on the label does that.
        showNoSignal();
        return;
    }
    m_nPlayState = 3;
    // The label keeps its saved picture until the first new one arrives.
    showNoSignal();
    m_recvThread = std::thread(&CRTSPPlayer::ThreadRecvVideo, this);
    qDebug("The return code of source <<%s>> is: %d", m_strUrl.toUtf8().constData(),
           m_nInitResult.load());

    m_decodeClock.start();
    while (!m_bStop && m_pFormat) {
        if (wantsAudio())
            DecodeAudio();
        DecodeVideo();
        velSleep(kDecodePassMs);
    }
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
    if (url.isEmpty())
        return -1;
    initNetworkOnce();

    const QByteArray strUrl = url.toUtf8();
    qDebug("open source: %s", strUrl.constData());
    showConnecting();

    int nResult = openInput(strUrl, false);
#if defined(VEL_FORM_VIMBREL)
    if (nResult != 0 && !m_bStop)
        nResult = openInput(strUrl, true);
#endif
    if (nResult != 0)
        return nResult;

    // Pictures are shown as they come and the frame rate is never used, so
    // the probe does not wait for twenty frames to estimate it: that alone
    // took most of a second off the first picture.
    m_pFormat->fps_probe_size = 0;
    m_interrupt.clock.restart();
    m_interrupt.phase = 1;
    nResult = avformat_find_stream_info(m_pFormat.get(), nullptr);
    m_pFormat->interrupt_callback.callback = nullptr;
    m_interrupt.clock.invalidate();
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
    if (m_nAudioIndex >= 0)
        return openAudioDecoder();
    return 0;
}

// Options and transport of one avformat_open_input; the context is stored on
// success (FFmpeg frees it on failure).
int CRTSPPlayer::openInput(const QByteArray& strUrl, bool bTcp)
{
    VelDictionary options;
    options.set("buffer_size", "655350");
    options.set("pkt_size", "655350");
    options.set("reorder_queue_size", "1000");
    options.set("fifo_size", "4000");

    // The socket I/O timeout, in microseconds.
    int nTimeout = 0;
    readTuningFile(kOpenTimeoutFile, 0, &nTimeout);
    const QByteArray strTimeout = QByteArray::number(nTimeout);
#if defined(VEL_FORM_TESSARO)
    Q_UNUSED(bTcp);
    if (QFile::exists(velDrivePath(QString::fromLatin1(kTcpMarkerFile))))
        options.set("rtsp_transport", "tcp");
    if (nTimeout != 0)
        options.set("timeout", strTimeout.constData());
#else
    if (bTcp)
        options.set("rtsp_transport", "tcp");
    options.set("timeout", nTimeout != 0 ? strTimeout.constData() : "5000000");
#endif

    AVFormatContext* pContext = avformat_alloc_context();
    if (!pContext)
        return AVERROR(ENOMEM);
    m_interrupt.phase = 0;
    m_interrupt.timedOut = false;
    m_interrupt.clock.restart();
    pContext->interrupt_callback.callback = &CRTSPPlayer::interruptCallback;
    pContext->interrupt_callback.opaque = &m_interrupt;
    const int nResult =
        avformat_open_input(&pContext, strUrl.constData(), nullptr, options.address());
    if (nResult != 0)
        return nResult;
    m_pFormat.reset(pContext);
    return 0;
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
    // Stand-in size for a codec that reports none yet; pictures are converted
    // at their own size whatever it is.
    m_nPictureWidth = pContext->width >= 1 ? pContext->width : m_rect[2] - m_rect[0];
    m_nPictureHeight = pContext->height >= 1 ? pContext->height : m_rect[3] - m_rect[1];
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
        // A writer without a device keeps taking audio; nothing is heard.
        pWriter->Open(m_nAudioRate, 16, 1);
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

// Converts at the decoded picture's own size, so a picture never outgrows
// its buffer and a size change mid-stream just gets a new scaler.
void CRTSPPlayer::showPicture(const AVFrame* pFrame)
{
    const int nWidth = pFrame->width;
    const int nHeight = pFrame->height;
    if (nWidth <= 0 || nHeight <= 0)
        return;
    m_pSws.reset(sws_getCachedContext(m_pSws.release(), nWidth, nHeight,
                                      AVPixelFormat(pFrame->format), nWidth, nHeight,
                                      AV_PIX_FMT_RGB32, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!m_pSws)
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

// ---- receive thread ----

void CRTSPPlayer::ThreadRecvVideo()
{
#if defined(VEL_FORM_VIMBREL)
    try {
        recvPackets();
    } catch (...) {
        velDebugOutput("*******\n********\n*****\nCRTSPPlayer::ThreadRecvVideo\n");
    }
#else
    recvPackets();
#endif
}

void CRTSPPlayer::recvPackets()
{
    AVFormatContext* pContext = m_pFormat.get();
    int64_t nStartTime = 0;
    if (m_nVideoIndex >= 0) {
        const int64_t nStreamStart = pContext->streams[m_nVideoIndex]->start_time;
        if (nStreamStart != AV_NOPTS_VALUE)
            nStartTime = nStreamStart;
    }
    VelPacketPtr pPacket(av_packet_alloc());
    if (!pPacket)
        return;
    m_interrupt.phase = 2;
    pContext->interrupt_callback.callback = &CRTSPPlayer::interruptCallback;
    pContext->interrupt_callback.opaque = &m_interrupt;

    // The end of a file is not a lost stream: the last picture stays. Any
    // other failure that lasts as long as a stalled read counts as one.
    const bool bFinite = isFiniteSource();
    QElapsedTimer sinceData;
    sinceData.start();
    while (!m_bStop) {
        m_interrupt.timedOut = false;
        m_interrupt.clock.restart();
        const int nResult = av_read_frame(pContext, pPacket.get());
        if (nResult >= 0) {
            queuePacket(pPacket.get(), nStartTime);
            av_packet_unref(pPacket.get());
            // A read cut off by the callback still hands out what the parsers
            // held back: the stream is gone all the same.
            if (m_interrupt.timedOut) {
                streamLost();
                break;
            }
            sinceData.restart();
            continue;
        }
        if (m_bStop)
            break;
        const bool bEnded = bFinite && nResult == AVERROR_EOF;
        if (m_interrupt.timedOut || (!bEnded && sinceData.elapsed() >= m_interrupt.readTimeout)) {
            streamLost();
            break;
        }
        velSleep(kReadRetryMs);
    }
}

bool CRTSPPlayer::isFiniteSource() const
{
    const AVIOContext* pIo = m_pFormat->pb;
    return pIo && (pIo->seekable & AVIO_SEEKABLE_NORMAL);
}

void CRTSPPlayer::queuePacket(AVPacket* pPacket, int64_t nStartTime)
{
    if (pPacket->dts == AV_NOPTS_VALUE)
        return;
    if (pPacket->stream_index == m_nVideoIndex) {
        if (pPacket->dts < nStartTime)
            return;
        if (pPacket->pts != AV_NOPTS_VALUE)
            pPacket->pts -= nStartTime;
        pPacket->dts -= nStartTime;
        VelPacketPtr pCopy = copyPacket(pPacket);
        if (!pCopy) {
            printLine("new video frame fail\r\n");
            return;
        }
        std::lock_guard<std::mutex> lock(m_queueLock);
        if (int(m_videoQueue.size()) >= kVideoQueueLimit)
            printLine("recv video overflow\r\n");
        else
            m_videoQueue.push_back(std::move(pCopy));
        return;
    }
    if (pPacket->stream_index != m_nAudioIndex)
        return;
#if defined(VEL_FORM_TESSARO)
    // A player without sound never decodes its audio: nothing to hold.
    if (!m_bWithAudio)
        return;
    VelPacketPtr pCopy = copyPacket(pPacket);
    if (!pCopy) {
        printLine("new audio frame fail\r\n");
        return;
    }
    std::lock_guard<std::mutex> lock(m_queueLock);
    if (int(m_audioQueue.size()) >= kAudioQueueLimit)
        printLine("recv audio overflow\r\n");
    else
        m_audioQueue.push_back(std::move(pCopy));
#else
    if (pPacket->size <= 0)
        return;
    VelPacketPtr pCopy = copyPacket(pPacket);
    if (!pCopy)
        return;
    std::lock_guard<std::mutex> lock(m_queueLock);
    if (int(m_audioQueue.size()) < kAudioQueueLimit)
        m_audioQueue.push_back(std::move(pCopy));
#endif
}

// The stream stalled or broke: no signal, and a reopen from the GUI thread.
void CRTSPPlayer::streamLost()
{
    m_nPlayState = 3;
    showNoSignal();
    QMetaObject::invokeMethod(this, "sltAutoConnect", Qt::QueuedConnection);
}

// ---- label states ----

void CRTSPPlayer::showConnecting()
{
    if (!m_pLabel)
        return;
#if defined(VEL_FORM_TESSARO)
    m_pLabel->changeState(VideoPlaying | VideoNoSignal, VideoConnecting);
#else
    m_pLabel->sltSetState(VideoStateConnecting);
#endif
}

void CRTSPPlayer::showNoSignal()
{
    if (!m_pLabel)
        return;
#if defined(VEL_FORM_TESSARO)
    m_pLabel->changeState(VideoPlaying | VideoConnecting, VideoNoSignal);
#else
    m_pLabel->sltSetState(VideoStateNoSignal);
#endif
}

void CRTSPPlayer::showPlaying()
{
    if (!m_pLabel)
        return;
#if defined(VEL_FORM_TESSARO)
    m_pLabel->changeState(VideoConnecting | VideoNoSignal, VideoPlaying);
#else
    m_pLabel->sltSetState(VideoStatePlaying);
#endif
}

bool CRTSPPlayer::labelShowsNoSignalOnly() const
{
#if defined(VEL_FORM_TESSARO)
    return m_pLabel->state() == VideoNoSignal;
#else
    return m_pLabel->state() == VideoStateNoSignal;
#endif
}
