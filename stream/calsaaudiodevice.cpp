#include "calsaaudiodevice.h"

#include "veldebug.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace
{

constexpr int kLatencyUs = 200000;
constexpr int kMaxAheadMs = 250;
constexpr int kWaitSliceMs = 20;

// ALSA prints eight lines of its own for every open on a machine without a
// sound card; they go where the debugger lines go.
void alsaErrorToDebugger(const char* szFile, int nLine, const char* szFunction, int nErr,
                         const char* szFormat, ...)
{
    if (!velDebugOutputShown())
        return;
    char szText[512];
    va_list args;
    va_start(args, szFormat);
    std::vsnprintf(szText, sizeof szText, szFormat, args);
    va_end(args);
    char szLine[768];
    std::snprintf(szLine, sizeof szLine, "ALSA lib %s:%d:(%s) %s%s%s", szFile, nLine, szFunction,
                  szText, nErr ? ": " : "", nErr ? snd_strerror(nErr) : "");
    velDebugOutput(szLine);
}

// ALSA's handler is process-wide: a library unloaded from the host must not
// leave it pointing into the unloaded code.
struct AlsaHandlerReset {
    ~AlsaHandlerReset()
    {
        if (snd_lib_error == &alsaErrorToDebugger)
            snd_lib_error_set_handler(nullptr);
    }
};

void quietAlsaOnce()
{
    static std::once_flag s_once;
    static AlsaHandlerReset s_reset;
    std::call_once(s_once, [] { snd_lib_error_set_handler(&alsaErrorToDebugger); });
}

// One clear line for the process, whatever the number of players.
void reportNoDeviceOnce(int nErr)
{
    static std::atomic<bool> s_bReported{false};
    if (s_bReported.exchange(true))
        return;
    char szLine[256];
    const int n = std::snprintf(szLine, sizeof szLine,
                                "no sound device: ALSA \"default\" cannot be opened (%s); "
                                "streams play without sound\n",
                                snd_strerror(nErr));
    if (n <= 0)
        return;
    // One write, so the line stays whole beside other threads' output.
    const size_t nLength = size_t(std::min<int>(n, int(sizeof szLine) - 1));
    const ssize_t nWritten = ::write(STDERR_FILENO, szLine, nLength);
    Q_UNUSED(nWritten);
}

} // namespace

CAlsaAudioDevice::CAlsaAudioDevice() = default;

CAlsaAudioDevice::~CAlsaAudioDevice()
{
    close();
}

bool CAlsaAudioDevice::open(int nSamplesPerSec, int nBitsPerSample, int nChannels,
                            DoneHandler fnDone)
{
    if (m_pPcm || nSamplesPerSec <= 0 || nChannels <= 0)
        return false;
    snd_pcm_format_t format;
    if (nBitsPerSample == 16)
        format = SND_PCM_FORMAT_S16_LE;
    else if (nBitsPerSample == 8)
        format = SND_PCM_FORMAT_U8;
    else
        return false;

    quietAlsaOnce();
    snd_pcm_t* pPcm = nullptr;
    int nErr = snd_pcm_open(&pPcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (nErr < 0) {
        reportNoDeviceOnce(nErr);
        return false;
    }
    nErr = snd_pcm_set_params(pPcm, format, SND_PCM_ACCESS_RW_INTERLEAVED, unsigned(nChannels),
                              unsigned(nSamplesPerSec), 1, kLatencyUs);
    if (nErr < 0) {
        snd_pcm_close(pPcm);
        reportNoDeviceOnce(nErr);
        return false;
    }
    m_pPcm = pPcm;
    m_nRate = nSamplesPerSec;
    m_nFrameBytes = nBitsPerSample / 8 * nChannels;
    m_fnDone = std::move(fnDone);
    m_nHead = 0;
    m_nQueued = 0;
    m_bStop = false;
    m_nFramesPlayed = 0;
    m_tBase = std::chrono::steady_clock::now();
    m_nFramesHanded = m_nFramesWritten = m_nAnchorDelay = 0;
    m_tAnchor = m_tBase;
    m_thread = std::thread(&CAlsaAudioDevice::run, this);
    return true;
}

bool CAlsaAudioDevice::write(int nBuffer, const char* pData, int nLength)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_thread.joinable() || m_bStop || m_nQueued == int(m_queue.size()))
        return false;
    Pending& item = m_queue[size_t((m_nHead + m_nQueued) % int(m_queue.size()))];
    item.nBuffer = nBuffer;
    item.pData = pData;
    item.nLength = nLength;
    ++m_nQueued;
    m_nFramesHanded += nLength / m_nFrameBytes;
    m_cond.notify_one();
    return true;
}

void CAlsaAudioDevice::reset()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_bStop = true;
        m_nQueued = 0;
        m_cond.notify_all();
    }
    if (m_thread.joinable())
        m_thread.join();
    if (m_pPcm)
        snd_pcm_drop(m_pPcm);
}

void CAlsaAudioDevice::close()
{
    reset();
    if (m_pPcm) {
        snd_pcm_close(m_pPcm);
        m_pPcm = nullptr;
    }
}

long long CAlsaAudioDevice::delayFrames()
{
    using namespace std::chrono;
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_nRate <= 0)
        return -1;
    // Heard since the last note: real time, but never more than was taken.
    const long long nSince =
        duration_cast<microseconds>(steady_clock::now() - m_tAnchor).count() * m_nRate / 1000000;
    const long long nHeard = m_nFramesWritten - m_nAnchorDelay + std::min(nSince, m_nAnchorDelay);
    return std::max(0LL, m_nFramesHanded - nHeard);
}

// Playback thread, after ALSA took frames. snd_pcm_delay is asked here, on
// the only thread that touches the PCM.
void CAlsaAudioDevice::noteWritten(long long nFramesWritten)
{
    using namespace std::chrono;
    snd_pcm_sframes_t nDelay = 0;
    if (snd_pcm_delay(m_pPcm, &nDelay) < 0 || nDelay < 0)
        nDelay = 0;
    const auto tNow = steady_clock::now();
    // Plugins without a clock report no delay; the pacing is then the delay.
    const long long nAhead =
        nFramesWritten - duration_cast<microseconds>(tNow - m_tBase).count() * m_nRate / 1000000;
    std::lock_guard<std::mutex> lock(m_lock);
    m_nFramesWritten = nFramesWritten;
    m_nAnchorDelay = std::min(nFramesWritten, std::max<long long>({0LL, nDelay, nAhead}));
    m_tAnchor = tNow;
}

void CAlsaAudioDevice::run()
{
    Pending item;
    while (!m_bStop) {
        if (!takeNext(&item)) {
            std::unique_lock<std::mutex> lock(m_lock);
            m_cond.wait(lock, [this] { return m_bStop || m_nQueued > 0; });
            continue;
        }
        keepToRealTime();
        if (!playBuffer(item))
            return;
        m_fnDone(item.nBuffer);
    }
}

bool CAlsaAudioDevice::takeNext(Pending* pItem)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_nQueued == 0)
        return false;
    *pItem = m_queue[size_t(m_nHead)];
    m_nHead = (m_nHead + 1) % int(m_queue.size());
    --m_nQueued;
    return true;
}

bool CAlsaAudioDevice::playBuffer(const Pending& item)
{
    const char* p = item.pData;
    snd_pcm_uframes_t nLeft = snd_pcm_uframes_t(item.nLength / m_nFrameBytes);
    const long long nFrames = (long long)nLeft;
    while (nLeft > 0) {
        if (m_bStop)
            return false;
        snd_pcm_sframes_t n = snd_pcm_writei(m_pPcm, p, nLeft);
        if (n == -EAGAIN) {
            snd_pcm_wait(m_pPcm, kWaitSliceMs);
            continue;
        }
        if (n < 0) {
            n = snd_pcm_recover(m_pPcm, int(n), 1);
            if (n < 0)
                break; // device lost: the buffer counts as played, the clock goes on
            continue;
        }
        p += n * m_nFrameBytes;
        nLeft -= snd_pcm_uframes_t(n);
        noteWritten(m_nFramesPlayed + nFrames - (long long)nLeft);
    }
    m_nFramesPlayed += nFrames;
    noteWritten(m_nFramesPlayed);
    return true;
}

void CAlsaAudioDevice::keepToRealTime()
{
    using namespace std::chrono;
    for (;;) {
        const long long nPlayedMs = m_nFramesPlayed * 1000 / m_nRate;
        const long long nElapsedMs =
            duration_cast<milliseconds>(steady_clock::now() - m_tBase).count();
        const long long nAheadMs = nPlayedMs - nElapsedMs;
        if (nAheadMs < 0) {
            // Starved for a while: play on from now rather than catch up in a burst.
            m_tBase = steady_clock::now() - milliseconds(nPlayedMs);
            return;
        }
        if (nAheadMs <= kMaxAheadMs || m_bStop)
            return;
        std::this_thread::sleep_for(
            milliseconds(std::min<long long>(kWaitSliceMs, nAheadMs - kMaxAheadMs)));
    }
}
