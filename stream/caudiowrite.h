#ifndef CAUDIOWRITE_H
#define CAUDIOWRITE_H

#include "caudiodevice.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

// Plays the 16-bit PCM of one stream player. The player's decode thread writes
// into a ring of 25600 bytes (the newest audio always fits, the oldest gives
// way); two output buffers of 100 ms circulate through the device, and a
// finished buffer is refilled with a whole buffer from the ring or with
// silence, never with part of one. tessaro hands refilled buffers back from
// the thread pool; vimbrel has a feeder thread and an on/off switch.
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
    void Close();
#if defined(VEL_FORM_VIMBREL)
    // GUI thread: while off, finished buffers are not returned to the device.
    void SetEnabled(bool bEnabled);
    bool IsEnabled() const
    {
        return m_bEnabled;
    }
#endif

    // With a limit, the audio waiting beyond the buffer being refilled is cut
    // to nMs (oldest first) at the first refill that finds audio after Open
    // and after every refill that had to send silence, until a refill finds
    // it within the limit: a start-up burst or a stall does not leave sound
    // behind the picture for good. 0 (the default) keeps every byte.
    void SetBacklogLimit(int nMs);
    // How long audio written now waits before it is heard: the ring, the
    // buffer queued in the device and, on average, half the one playing.
    int LatencyMs() const;

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
    };

    void onBufferDone(int nBuffer);
    void refill(int nBuffer);
    void sendToDevice(int nBuffer);
    int ringWrite(const char* pData, int nLength);
    int ringRead(char* pData, int nLength);
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
    int m_nBacklogLimitMs = 0;
    bool m_bCatchUp = true; // the next refill with audio cuts the backlog

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
