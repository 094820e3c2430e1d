// CRTSPPlayer on the GUI thread: life cycle, closing the input, the reconnect
// slot and the label states.
#include "crtspplayer.h"

#include <QCoreApplication>

#include <condition_variable>

namespace
{

// Pauses before the reopens that follow a failed one, the last repeated for
// as long as the source stays assigned.
const int kRetryPausesMs[] = {1000, 2000, 5000, 10000};
std::atomic<int> s_nRetryPausePercent{100};

int retryPauseMs(int nStep)
{
    const int nLast = int(sizeof(kRetryPausesMs) / sizeof(kRetryPausesMs[0])) - 1;
    return int(qint64(kRetryPausesMs[qBound(0, nStep, nLast)]) * s_nRetryPausePercent / 100);
}

// Released players whose threads have not ended yet.
std::mutex s_releasedLock;
std::condition_variable s_releasedDone;
int s_nReleased = 0;

// The process does not leave while a released player still closes its
// session, within a bound.
void waitForReleasedAtExit()
{
    CRTSPPlayer::WaitForReleased(2000);
}

} // namespace

static_assert(int(CRTSPPlayer::AudioDeviceUnknown) == int(CAudioDecoder::DeviceUnknown) &&
                  int(CRTSPPlayer::AudioDeviceOpen) == int(CAudioDecoder::DeviceOpen) &&
                  int(CRTSPPlayer::AudioDeviceFailed) == int(CAudioDecoder::DeviceFailed),
              "the sound's device states are the player's");

#if defined(VEL_FORM_VIMBREL)
CRTSPPlayer::CRTSPPlayer(CVideoSink* pSink, const int rect[4])
    : m_pSink(pSink),
      // The receive thread holds the sound for a switch that may come on.
      m_input(m_bStop, true, [this] { streamLost(); }),
      m_audio(m_bStop, m_input, false,
              [this](bool bOpened) { emit sigAudioDeviceChecked(bOpened); }),
#else
CRTSPPlayer::CRTSPPlayer(WId labelWindow, const int rect[4], bool withAudio)
    : m_input(m_bStop, withAudio, [this] { streamLost(); }),
      m_audio(m_bStop, m_input, withAudio,
              [this](bool bOpened) { emit sigAudioDeviceChecked(bOpened); }),
#endif
      m_video(m_bStop, m_input, m_audio, [this] {
          m_nPlayState = 1;
          showState(CVideoSink::PlayerPlaying);
      })
{
#if defined(VEL_FORM_TESSARO)
    m_pSink = velVideoSinkAt(labelWindow);
#endif
    if (rect) {
        for (int i = 0; i < 4; ++i)
            m_rect[i] = rect[i];
    }
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &CRTSPPlayer::sltRetry);
}

void CRTSPPlayer::Release(const QList<CRTSPPlayer*>& players)
{
    // Every decode pass under way is asked to end before any is waited for.
    for (CRTSPPlayer* pPlayer : players) {
        if (pPlayer)
            pPlayer->m_bStop = true;
    }
    for (CRTSPPlayer* pPlayer : players)
        Release(pPlayer);
}

void CRTSPPlayer::Release(CRTSPPlayer* pPlayer)
{
    if (!pPlayer)
        return;
    static std::once_flag s_atExit;
    std::call_once(s_atExit, [] { qAddPostRoutine(waitForReleasedAtExit); });
    pPlayer->m_retryTimer.stop();
    pPlayer->m_bStop = true;
    {
        // A decode pass or a state change under way ends first; the next one
        // finds no label.
        std::lock_guard<std::recursive_mutex> lock(pPlayer->m_sinkLock);
        pPlayer->m_pSink = nullptr;
        pPlayer->m_bReleased = true;
    }
    pPlayer->disconnect();
    // No event reaches it any more, so it may be deleted on its own thread.
    QCoreApplication::removePostedEvents(pPlayer);
    pPlayer->moveToThread(nullptr);
    {
        std::lock_guard<std::mutex> lock(s_releasedLock);
        ++s_nReleased;
    }
    std::thread(&CRTSPPlayer::finishReleased, pPlayer).detach();
}

// The thread that owns a released player: it waits for the player's threads,
// closes the session and frees everything.
void CRTSPPlayer::finishReleased()
{
    delete this;
    std::lock_guard<std::mutex> lock(s_releasedLock);
    --s_nReleased;
    s_releasedDone.notify_all();
}

bool CRTSPPlayer::WaitForReleased(int nTimeoutMs)
{
    std::unique_lock<std::mutex> lock(s_releasedLock);
    return s_releasedDone.wait_for(lock, std::chrono::milliseconds(nTimeoutMs),
                                   [] { return s_nReleased == 0; });
}

void CRTSPPlayer::SetRetryPausePercent(int nPercent)
{
    s_nRetryPausePercent = qMax(1, nPercent);
}

CRTSPPlayer::~CRTSPPlayer()
{
    StopThreads();
    FreeDecoder();
}

bool CRTSPPlayer::SetUrl(QString url)
{
    if (url.isNull())
        return false;
    // A new source is not retried for the old one's loss.
    m_retryTimer.stop();
    m_bRetrying = false;
    m_nRetryStep = 0;
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
    m_input.close();
    m_bStop = false;
    m_decodeThread = std::thread(&CRTSPPlayer::ThreadDecodeVideo, this);
}

void CRTSPPlayer::StopThreads()
{
    if (m_decodeThread.joinable()) {
        m_bStop = true;
        m_decodeThread.join();
        // Only the decode thread starts the receive thread; it has ended now.
        m_input.joinReceiver();
    }
    m_input.clearQueues();
}

void CRTSPPlayer::FreeDecoder()
{
    // Nothing is freed under a running thread.
    StopThreads();
    m_video.free();
    m_audio.free();
    m_input.close();
}

void CRTSPPlayer::Restart()
{
#if defined(VEL_FORM_VIMBREL)
    SetAudioEnabled(false);
#endif
    // The open that follows takes the place of a pending retry; if it fails,
    // the retries go on.
    m_retryTimer.stop();
    StopThreads();
    FreeDecoder();
    m_nPlayState = 3;
}

QImage CRTSPPlayer::GetCurrentImage() const
{
    return m_video.currentImage();
}

int CRTSPPlayer::GetAudioQueueMs() const
{
    return m_audio.queueMs();
}

quint64 CRTSPPlayer::GetAudioSilences() const
{
    return m_audio.silences();
}

#if defined(VEL_FORM_VIMBREL)
void CRTSPPlayer::SetAudioEnabled(bool bEnabled)
{
    m_audio.setEnabled(bEnabled);
}
#endif

// GUI thread, queued by the receive thread after a lost stream.
void CRTSPPlayer::sltAutoConnect()
{
    if (m_nPlayState == 1 || !m_pSink)
        return;
    m_nRetryStep = 0;
    if (!m_pSink->showsNoSignalOnly()) {
        // A task overlay is up: the source is tried again later all the same.
        sltRetryLater();
        return;
    }
    m_retryTimer.stop();
    StopThreads();
    FreeDecoder();
    m_nPlayState = 3;
    StartPlay();
}

void CRTSPPlayer::sltRetryLater()
{
    if (!m_bRetrying || !m_pSink || m_retryTimer.isActive())
        return;
    m_retryTimer.start(retryPauseMs(m_nRetryStep));
    m_nRetryStep = qMin(m_nRetryStep + 1, 100);
}

void CRTSPPlayer::sltRetry()
{
    if (!m_bRetrying || m_nPlayState == 1 || !m_pSink)
        return;
    if (!m_pSink->showsNoSignalOnly()) {
        // Connecting after a click, or a task overlay: look again later.
        m_retryTimer.start(retryPauseMs(m_nRetryStep - 1));
        return;
    }
    StopThreads();
    FreeDecoder();
    m_nPlayState = 3;
    StartPlay();
}

void CRTSPPlayer::postToGui(const char* szSlot)
{
    std::lock_guard<std::recursive_mutex> lock(m_sinkLock);
    if (!m_bReleased)
        QMetaObject::invokeMethod(this, szSlot, Qt::QueuedConnection);
}

// ---- sink states, from any of the player's threads ----

void CRTSPPlayer::showState(CVideoSink::PlayerState state)
{
    // Playing again: the next loss starts the pauses from the shortest.
    if (state == CVideoSink::PlayerPlaying)
        m_bRetrying = false;
    std::lock_guard<std::recursive_mutex> lock(m_sinkLock);
    if (m_pSink)
        m_pSink->showPlayerState(state);
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
