// CRTSPPlayer on the receive thread: reads packets into the two queues and
// notices a stream that stalls or breaks.
#include "crtspplayer.h"

#include "veldebug.h"
#include "velthreads.h"

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
    CInputOpener(&m_interrupt).guardReads(pContext);

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

// Timestamps are not used after queuing, so every packet is kept: the first
// ones of a fresh RTSP session come without a dts or before the stream's
// start time, and among them is the key frame the session starts with.
void CRTSPPlayer::queuePacket(AVPacket* pPacket, int64_t nStartTime)
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

void CRTSPPlayer::noteReadTime(int64_t nPts)
{
    if (nPts == AV_NOPTS_VALUE)
        return;
    std::lock_guard<std::mutex> lock(m_readTimesLock);
    m_readTimes[size_t(m_nReadTimesNext)] = {nPts, av_gettime_relative()};
    m_nReadTimesNext = (m_nReadTimesNext + 1) % int(m_readTimes.size());
}

// Decode thread; -1 when the packet is no longer (or never was) noted.
int64_t CRTSPPlayer::readTimeOf(int64_t nPts)
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

// The stream stalled or broke: no signal, and a reopen from the GUI thread.
void CRTSPPlayer::streamLost()
{
    // The decode and the receive thread may both notice it.
    if (m_bLostReported.exchange(true))
        return;
    m_nPlayState = 3;
    // From now on failed reopens are tried again, until a picture comes.
    m_bRetrying = true;
    showState(CVideoSink::PlayerNoSignal);
    postToGui("sltAutoConnect");
}
