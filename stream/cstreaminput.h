#ifndef CSTREAMINPUT_H
#define CSTREAMINPUT_H

#include "cinputopener.h"
#include "velffmpeg.h"

#include <QByteArray>

#include <array>
#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// The player's input: the stream opened and probed through CInputOpener, the
// receive thread that reads it into a video and a sound queue, and what the
// player watches of the reading (when video last came, how many packets,
// when each recent picture was read). Opened, started and closed by the
// player's decode thread (closed by the GUI thread once that has ended).
class CStreamInput
{
public:
    // bStop ends the reads and the receive thread; onLost is called on the
    // receive thread when the stream stalls or breaks. bKeepAudio false: the
    // sound is never decoded, so its packets are not held.
    CStreamInput(const std::atomic<bool>& bStop, bool bKeepAudio, std::function<void()> onLost);
    CStreamInput(const CStreamInput&) = delete;
    CStreamInput& operator=(const CStreamInput&) = delete;

    // Forgets the last open's streams and what was read of it.
    void reset();
    // Opens and probes the address: 0, or the opener's error, or -4 without
    // video.
    int open(const QByteArray& strUrl);
    // Closes the input with its own short limit, so that the camera hears the
    // TEARDOWN, and forgets its streams. On the thread that owns the context.
    void close();
    bool isOpen() const { return bool(m_pFormat); }
    // The end of a file is no lost stream.
    bool isFiniteSource() const;

    int videoIndex() const { return m_nVideoIndex; }
    int audioIndex() const { return m_nAudioIndex; }
    const AVStream* stream(int nIndex) const;
    // Its sound is not played: no packets are queued for it.
    void dropAudio() { m_nAudioIndex = -1; }
    // Microseconds on the camera's clock, INT64_MIN without a time.
    int64_t streamTimeUs(int nStream, int64_t nPts) const;

    // The receive thread, started after a successful open and joined after
    // the decode thread.
    void startReceiving();
    void joinReceiver();

    VelPacketPtr takeVideoPacket() { return takePacket(m_videoQueue); }
    VelPacketPtr takeAudioPacket() { return takePacket(m_audioQueue); }
    void clearQueues();

    // When the picture with this pts was read (av_gettime_relative); -1 when
    // the packet is no longer (or never was) noted.
    int64_t readTimeOf(int64_t nPts);
    int64_t lastVideoReadUs() const { return m_nLastVideoReadUs.load(); }
    quint64 videoPacketsRead() const { return m_nVideoPacketsRead.load(); }
    int readTimeoutMs() const { return m_guard.readTimeout; }

private:
    void hideUndecodableAudio();
    void ThreadRecvVideo();
    void recvPackets();
    void queuePacket(AVPacket* pPacket, int64_t nStartTime);
    void noteReadTime(int64_t nPts);
    VelPacketPtr takePacket(std::deque<VelPacketPtr>& queue);

    const std::atomic<bool>& m_bStop;
    const bool m_bKeepAudio;
    const std::function<void()> m_onLost;

    // Handed to FFmpeg as the interrupt callback's opaque pointer. Used by one
    // thread at a time: the decode thread while opening, then the receive thread.
    CInputGuard m_guard;
    // Owned by the decode thread while it runs, else by the GUI thread; the
    // receive thread reads the format context and the stream indices.
    VelFormatInputPtr m_pFormat;
    int m_nVideoIndex = -1;
    int m_nAudioIndex = -1;

    std::thread m_recvThread; // started by the decode thread, joined after it

    std::mutex m_queueLock; // guards both queues, held for one append or removal
    std::deque<VelPacketPtr> m_videoQueue;
    std::deque<VelPacketPtr> m_audioQueue;

    // When recent video packets were read, by pts: the receive thread notes,
    // the decode thread looks up the picture's, for the read-to-screen time.
    struct ReadTime {
        int64_t nPts = AV_NOPTS_VALUE;
        int64_t nAtUs = -1;
    };
    std::mutex m_readTimesLock; // guards m_readTimes and m_nReadTimesNext
    std::array<ReadTime, 64> m_readTimes;
    int m_nReadTimesNext = 0;

    // When the receive thread last read a video packet (av_gettime_relative,
    // -1 none since the open): an opened session whose video does not flow
    // before its first picture counts as lost.
    std::atomic<int64_t> m_nLastVideoReadUs{-1};
    std::atomic<quint64> m_nVideoPacketsRead{0};
    // What the receive thread takes off video timestamps, in the stream's time
    // base. FFmpeg may set the stream's start time only later, while reading.
    std::atomic<int64_t> m_nVideoStartTime{0};
};

#endif // CSTREAMINPUT_H
