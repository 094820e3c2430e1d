#include "calsaaudiodevice.h"

#include <alsa/asoundlib.h>

#include <algorithm>

namespace
{

constexpr int kLatencyUs = 200000;
constexpr int kMaxAheadMs = 250;
constexpr int kWaitSliceMs = 20;

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

    snd_pcm_t* pPcm = nullptr;
    if (snd_pcm_open(&pPcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
        return false;
    if (snd_pcm_set_params(pPcm, format, SND_PCM_ACCESS_RW_INTERLEAVED, unsigned(nChannels),
                           unsigned(nSamplesPerSec), 1, kLatencyUs) < 0) {
        snd_pcm_close(pPcm);
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
    }
    m_nFramesPlayed += nFrames;
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
