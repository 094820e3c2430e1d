#ifndef CAUDIOWRITE_H
#define CAUDIOWRITE_H

#include "caudiodevice.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

// Plays the 16-bit PCM of one stream player. The player's decode thread writes
// into a ring of 25600 bytes (the newest audio always fits, the oldest gives
// way); two output buffers of 100 ms circulate through the device, and a
// finished buffer is refilled with a whole buffer from the ring or with
// silence, never with part of one. tessaro hands refilled buffers back from
// the thread pool; vimbrel has a feeder thread and an on/off switch.
// Audio written with its timestamp gives the player a clock: the timestamp of
// what is heard now, counted back from what the device was handed by the
// device's delay.
class CAudioWrite
{
public:
    static constexpr int kRingCapacity = 25600;

    CAudioWrite();
    // Plays through pDevice instead of the default device.
    explicit CAudioWrite(std::unique_ptr<CAudioDevice> pDevice);
    CAudioWrite(const CAudioWrite&) = delete;
    CAudioWrite& operator=(const CAudioWrite&) = delete;
    // The owner calls Close() first.
    virtual ~CAudioWrite();

    bool Open(int samplesPerSec, int bitsPerSample, int channels);
    // Any thread; always true.
    bool Write(const void* data, int length);
    // The same, with the stream time of the first sample in microseconds:
    // what Clock() reports once it is heard.
    bool Write(const void* data, int length, int64_t nPtsUs);
    void Close();
#if defined(VEL_FORM_VIMBREL)
    // GUI thread: while off, finished buffers are not returned to the device.
    void SetEnabled(bool bEnabled);
    bool IsEnabled() const
    {
        return m_bEnabled;
    }
#endif

    // With a margin, the ring keeps about nMs beyond the buffer being
    // refilled to ride out network jitter: sound starts, and resumes after an
    // underrun, only once that much waits. A start-up burst is cut to the
    // margin before the first sound; later, a backlog of more than twice the
    // margin (a stall) is dropped back to it a little at every refill, never a
    // whole buffer at once. 0 (the default) plays whatever is there.
    void SetBacklogLimit(int nMs);
    // How long audio written now waits before it is heard: the ring, the
    // buffer queued in the device and, on average, half the one playing.
    int LatencyMs() const;

    static constexpr int64_t kNoClock = INT64_MIN;
    // The stream time (microseconds) of the sound heard now; kNoClock while
    // silence plays, before timed audio is heard, or without a device.
    int64_t Clock() const;
    // Silent buffers sent after sound had begun: gaps a listener hears.
    uint64_t SilencesInserted() const;
    // Bytes dropped to bring a backlog back to the margin.
    uint64_t BytesCaughtUp() const;

    // Whether the ring holds the margin beyond the next buffer: a source read
    // at once (a file) decodes no more sound for now.
    bool HoldsMargin() const;

    // Length of one output buffer in bytes (0 until a device is open).
    int BufferLength() const;
    // Bytes waiting in the ring.
    int RingFill() const;
    bool IsPlaying() const;
    // Whether Open found a sound device (false before Open, after Close and
    // on a machine without one). Any thread.
    bool IsDeviceOpen() const;

private:
    struct Header {
        char* pData = nullptr;
        int nLength = 0;
        bool bInDevice = false;
        int64_t nPtsUs = kNoClock; // of its first sample
    };
    // Where the stream time of the ring's bytes is known: from byte nPos
    // (counted since Open) on, nPtsUs and onwards in real time.
    struct Anchor {
        int64_t nPos = 0;
        int64_t nPtsUs = kNoClock;
    };
    // A buffer handed to the device, from byte nStart of all handed.
    struct Handed {
        int64_t nStart = 0;
        int nLength = 0;
        int64_t nPtsUs = kNoClock;
    };

    void onBufferDone(int nBuffer);
    void refill(int nBuffer);
    void sendToDevice(int nBuffer);
    int ringWrite(const char* pData, int nLength);
    int ringRead(char* pData, int nLength);
    void noteAnchor(int64_t nPtsUs);
    int64_t ptsAt(int64_t nPos) const;
    int64_t heardBytes() const;
    int64_t bytesToUs(int64_t nBytes) const;
#if defined(VEL_FORM_TESSARO)
    void writeFromPool(int nBuffer);
#else
    void feed();
#endif

#if defined(VEL_FORM_VIMBREL)
    std::atomic<bool> m_bEnabled{false};
    std::thread m_feeder;
#endif
    std::unique_ptr<char[]> m_pBlock; // both output buffers, one allocation
    Header m_headers[2];
#if defined(VEL_FORM_VIMBREL)
    bool m_bSignalled[2] = {false, false}; // the two auto-reset events, under m_lock
    std::condition_variable m_feederWake;
#endif
    bool m_bPlaying = false;
    std::unique_ptr<CAudioDevice> m_pDevice;
    bool m_bDeviceOpen = false;

    std::unique_ptr<char[]> m_pRing;
    int m_nReadPos = 0;
    int m_nWritePos = 0;
    int m_nCapacity = 0;
    int m_nFill = 0;
    int m_nBytesPerSec = 0;
    int m_nMarginMs = 0;
    bool m_bFilling = true;  // waiting for the margin before sound (re)starts
    bool m_bCatchUp = false; // dropping a backlog back to the margin
    bool m_bSounded = false; // sound has been sent since Open
    uint64_t m_nSilences = 0;
    uint64_t m_nCaughtUp = 0;

    // The clock. Anchors and handed buffers are kept in small rings.
    int64_t m_nWrittenTotal = 0; // bytes ever written to the ring: its write end
    std::array<Anchor, 16> m_anchors;
    int m_nAnchors = 0;
    int m_nAnchorNext = 0;
    std::array<Handed, 8> m_handed;
    int m_nHanded = 0;
    int m_nHandedNext = 0;
    int64_t m_nHandedBytes = 0;
    int64_t m_nDoneBytes = 0;                          // reported done by the device
    std::chrono::steady_clock::time_point m_tLastDone; // or the open

    // Guards the ring, the headers, m_bPlaying, m_bDeviceOpen and the counters
    // below; taken by the decode thread, the device thread and the pool or feeder.
    mutable std::mutex m_lock;
#if defined(VEL_FORM_TESSARO)
    int m_nPendingWrites = 0; // pool work items not yet run
    std::condition_variable m_poolIdle;
    // Refilled buffers in refill order. Pool threads may run their work items
    // in any order; each sends whatever is waiting, oldest first.
    int m_refilled[2] = {0, 0};
    int m_nRefilled = 0;
#endif
};

#endif // CAUDIOWRITE_H
