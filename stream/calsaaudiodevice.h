#ifndef CALSAAUDIODEVICE_H
#define CALSAAUDIODEVICE_H

#include "caudiodevice.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

typedef struct _snd_pcm snd_pcm_t;

// ALSA's "default" PCM behind the waveOut-like device interface. A playback
// thread of its own writes the queued buffers in order and reports each one
// done once ALSA has taken it. Plugins that consume without a clock (null,
// file) would take buffers as fast as they come, so the thread also keeps
// itself to real time: it never runs more than a quarter second ahead.
class CAlsaAudioDevice : public CAudioDevice
{
public:
    CAlsaAudioDevice();
    ~CAlsaAudioDevice() override;

    bool open(int nSamplesPerSec, int nBitsPerSample, int nChannels, DoneHandler fnDone) override;
    bool write(int nBuffer, const char* pData, int nLength) override;
    void reset() override;
    void close() override;
    long long delayFrames() override;

private:
    struct Pending {
        int nBuffer = 0;
        const char* pData = nullptr;
        int nLength = 0;
    };

    void run();
    bool takeNext(Pending* pItem);
    bool playBuffer(const Pending& item);
    void keepToRealTime();
    void noteWritten(long long nFramesWritten);

    snd_pcm_t* m_pPcm = nullptr; // set in open, used by the playback thread
    int m_nRate = 0;
    int m_nFrameBytes = 0;
    DoneHandler m_fnDone;

    std::mutex m_lock; // guards m_queue, m_nQueued, m_nHead and the clock below
    std::condition_variable m_cond;
    std::array<Pending, 8> m_queue;
    int m_nHead = 0;
    int m_nQueued = 0;
    // The clock: frames accepted by write() and frames ALSA has taken, and
    // what was still to be heard of those (ALSA's delay, or how far the
    // thread ran ahead of real time, whichever is more) when last asked.
    long long m_nFramesHanded = 0;
    long long m_nFramesWritten = 0;
    long long m_nAnchorDelay = 0;
    std::chrono::steady_clock::time_point m_tAnchor;
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;

    // Playback thread only.
    std::chrono::steady_clock::time_point m_tBase;
    long long m_nFramesPlayed = 0;
};

#endif // CALSAAUDIODEVICE_H
