// CStreamInput: the open and probe (decode thread), and the receive thread
// that reads packets into the two queues and notices a stream that stalls or
// breaks.
#include "cstreaminput.h"

#include "veldebug.h"
#include "velthreads.h"

#include <QElapsedTimer>

#include <cstdio>

extern "C" {
#include <libavutil/time.h>
}

namespace
{

constexpr int kVideoQueueLimit = 100;
constexpr int kAudioQueueLimit = 1000;
// Pause after a failed read that was not a timeout (end of a file, a closed
// connection), so that retrying does not spin.
constexpr int kReadRetryMs = 10;

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

CStreamInput::CStreamInput(const std::atomic<bool>& bStop, bool bKeepAudio,
                           std::function<void()> onLost)
    : m_bStop(bStop), m_bKeepAudio(bKeepAudio), m_onLost(std::move(onLost))
{
    m_guard.pStop = &m_bStop;
    CInputOpener::readLimits(&m_guard);
}

void CStreamInput::reset()
{
    m_nVideoIndex = -1;
    m_nAudioIndex = -1;
    m_nLastVideoReadUs = -1;
    m_nVideoPacketsRead = 0;
    std::lock_guard<std::mutex> lock(m_readTimesLock);
    m_readTimes.fill(ReadTime());
}

int CStreamInput::open(const QByteArray& strUrl)
{
    CInputOpener opener(&m_guard);
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
    return 0;
}

// Sound that FFmpeg has no decoder for is data to the probe: otherwise it
// waits out its whole analysis time for codec parameters that never come,
// and the open runs into its limit.
void CStreamInput::hideUndecodableAudio()
{
    for (unsigned i = 0; i < m_pFormat->nb_streams; ++i) {
        AVCodecParameters* pParameters = m_pFormat->streams[i]->codecpar;
        if (pParameters->codec_type == AVMEDIA_TYPE_AUDIO &&
            (pParameters->codec_id == AV_CODEC_ID_NONE ||
             !avcodec_find_decoder(pParameters->codec_id)))
            pParameters->codec_type = AVMEDIA_TYPE_DATA;
    }
}

void CStreamInput::close()
{
    CInputOpener(&m_guard).close(&m_pFormat);
    m_nVideoIndex = -1;
    m_nAudioIndex = -1;
}

bool CStreamInput::isFiniteSource() const
{
    const AVIOContext* pIo = m_pFormat->pb;
    return pIo && (pIo->seekable & AVIO_SEEKABLE_NORMAL);
}

const AVStream* CStreamInput::stream(int nIndex) const
{
    if (!m_pFormat || nIndex < 0 || nIndex >= int(m_pFormat->nb_streams))
        return nullptr;
    return m_pFormat->streams[nIndex];
}

// The receive thread takes the video stream's start off video timestamps; it
// is put back here, so that sound and picture compare. The stream's own start
// time will not do: a fresh RTSP session has none when the thread starts, and
// FFmpeg sets it later (to the first timestamp after the sender reports, up
// to 1.5 s on), which put each picture that far behind its sound.
int64_t CStreamInput::streamTimeUs(int nStream, int64_t nPts) const
{
    if (nPts == AV_NOPTS_VALUE || !m_pFormat || nStream < 0 ||
        nStream >= int(m_pFormat->nb_streams))
        return INT64_MIN;
    const AVStream* pStream = m_pFormat->streams[nStream];
    if (nStream == m_nVideoIndex)
        nPts += m_nVideoStartTime.load();
    return av_rescale_q(nPts, pStream->time_base, AVRational{1, 1000000});
}

void CStreamInput::startReceiving()
{
    m_recvThread = std::thread(&CStreamInput::ThreadRecvVideo, this);
}

void CStreamInput::joinReceiver()
{
    if (m_recvThread.joinable())
        m_recvThread.join();
}

VelPacketPtr CStreamInput::takePacket(std::deque<VelPacketPtr>& queue)
{
    std::lock_guard<std::mutex> lock(m_queueLock);
    if (queue.empty())
        return VelPacketPtr();
    VelPacketPtr pPacket = std::move(queue.front());
    queue.pop_front();
    return pPacket;
}

void CStreamInput::clearQueues()
{
    std::deque<VelPacketPtr> video;
    std::deque<VelPacketPtr> audio;
    {
        std::lock_guard<std::mutex> lock(m_queueLock);
        video.swap(m_videoQueue);
        audio.swap(m_audioQueue);
    }
}

// ---- receive thread ----

void CStreamInput::ThreadRecvVideo()
{
#if defined(VEL_FORM_VIMBREL)
    try {
        recvPackets();
    } catch (...) {
        velDebugOutput("*******\n********\n*****\nCStreamInput::ThreadRecvVideo\n");
    }
#else
    recvPackets();
#endif
}

void CStreamInput::recvPackets()
{
    AVFormatContext* pContext = m_pFormat.get();
    int64_t nStartTime = 0;
    if (m_nVideoIndex >= 0) {
        const int64_t nStreamStart = pContext->streams[m_nVideoIndex]->start_time;
        if (nStreamStart != AV_NOPTS_VALUE)
            nStartTime = nStreamStart;
    }
    m_nVideoStartTime = nStartTime;
    VelPacketPtr pPacket(av_packet_alloc());
    if (!pPacket)
        return;
    CInputOpener(&m_guard).guardReads(pContext);

    // The end of a file is not a lost stream: the last picture stays. Any
    // other failure that lasts as long as a stalled read counts as one.
    const bool bFinite = isFiniteSource();
    QElapsedTimer sinceData;
    sinceData.start();
    while (!m_bStop) {
        m_guard.timedOut = false;
        m_guard.clock.restart();
        const int nResult = av_read_frame(pContext, pPacket.get());
        if (nResult >= 0) {
            queuePacket(pPacket.get(), nStartTime);
            av_packet_unref(pPacket.get());
            // A read cut off by the callback still hands out what the parsers
            // held back: the stream is gone all the same.
            if (m_guard.timedOut) {
                m_onLost();
                break;
            }
            sinceData.restart();
            continue;
        }
        if (m_bStop)
            break;
        const bool bEnded = bFinite && nResult == AVERROR_EOF;
        if (m_guard.timedOut || (!bEnded && sinceData.elapsed() >= m_guard.readTimeout)) {
            m_onLost();
            break;
        }
        velSleep(kReadRetryMs);
    }
}

// Timestamps are not used after queuing, so every packet is kept: the first
// ones of a fresh RTSP session come without a dts or before the stream's
// start time, and among them is the key frame the session starts with.
void CStreamInput::queuePacket(AVPacket* pPacket, int64_t nStartTime)
{
    if (pPacket->stream_index == m_nVideoIndex) {
        m_nLastVideoReadUs = av_gettime_relative();
        if (m_nVideoPacketsRead > 0 || (pPacket->flags & AV_PKT_FLAG_KEY))
            ++m_nVideoPacketsRead;
        if (pPacket->pts != AV_NOPTS_VALUE)
            pPacket->pts -= nStartTime;
        if (pPacket->dts != AV_NOPTS_VALUE)
            pPacket->dts -= nStartTime;
        noteReadTime(pPacket->pts);
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
    if (pPacket->stream_index != m_nAudioIndex || m_nAudioIndex < 0)
        return;
#if defined(VEL_FORM_TESSARO)
    // A player without sound never decodes its audio: nothing to hold.
    if (!m_bKeepAudio)
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

void CStreamInput::noteReadTime(int64_t nPts)
{
    if (nPts == AV_NOPTS_VALUE)
        return;
    std::lock_guard<std::mutex> lock(m_readTimesLock);
    m_readTimes[size_t(m_nReadTimesNext)] = {nPts, av_gettime_relative()};
    m_nReadTimesNext = (m_nReadTimesNext + 1) % int(m_readTimes.size());
}

// Decode thread.
int64_t CStreamInput::readTimeOf(int64_t nPts)
{
    if (nPts == AV_NOPTS_VALUE)
        return -1;
    std::lock_guard<std::mutex> lock(m_readTimesLock);
    for (const ReadTime& read : m_readTimes) {
        if (read.nPts == nPts)
            return read.nAtUs;
    }
    return -1;
}
