// CRTSPPlayer on the GUI thread: life cycle, closing the input, the reconnect
// slot, the interrupt callback and the label states.
#include "crtspplayer.h"

#include "caudiowrite.h"
#include "veldrive.h"
#include "velvideolabel.h"

#include <QFile>
#include <QWidget>

namespace
{

const char kAudioCacheFile[] = "c://audio_cache.txt";
const char kOpenTimeoutFile[] = "c://timeout_open_input.txt";
const char kFindStreamTimeoutFile[] = "c://timeout_find_stream.txt";

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

// Reads a tuning file whole as a base-10 integer. False when the file is
// missing; *pValue is nDefault when its content is not an integer.
bool CRTSPPlayer::readTuningFile(const char* szWindowsPath, int nDefault, int* pValue)
{
    QFile file(velDrivePath(QString::fromLatin1(szWindowsPath)));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bool bOk = false;
    const int nValue = file.readAll().trimmed().toInt(&bOk, 10);
    *pValue = bOk ? nValue : nDefault;
    return true;
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
    closeInput();
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
    closeInput();
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
    m_scaler.reset();
    for (QImage& picture : m_pictures)
        picture = QImage();
    {
        std::lock_guard<std::mutex> lock(m_lastFrameLock);
        m_pLastFrame.reset();
    }
    m_pSwr.reset();
    av_channel_layout_uninit(&m_swrSourceLayout);
    m_nSwrSourceFormat = -1;
    m_nSwrSourceRate = 0;
    m_nVideoIndex = -1;
    m_nAudioIndex = -1;
    m_nAudioRate = 0;
}

void CRTSPPlayer::closeInput()
{
    if (!m_pFormat)
        return;
    // The stop flag is still set here; without a phase of its own the
    // callback would abort the TEARDOWN and leave the session on the camera.
    m_interrupt.phase = 3;
    m_interrupt.clock.restart();
    m_pFormat->interrupt_callback.callback = &CRTSPPlayer::interruptCallback;
    m_pFormat->interrupt_callback.opaque = &m_interrupt;
    m_pFormat.reset();
    m_interrupt.clock.invalidate();
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

int CRTSPPlayer::GetAudioQueueMs() const
{
    std::lock_guard<std::mutex> lock(m_writerLock);
    return m_pAudioWrite ? m_pAudioWrite->LatencyMs() : 0;
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
    const int nPhase = pRecord->phase;
    // A player being stopped does not sit out a stalled call; its close
    // has a short limit of its own instead.
    if (nPhase != 3 && pRecord->pStop && pRecord->pStop->load())
        return 1;
    const int nLimit = nPhase == 0   ? pRecord->openTimeout
                       : nPhase == 1 ? pRecord->findStreamTimeout
                       : nPhase == 3 ? pRecord->closeTimeout
                                     : pRecord->readTimeout;
    const qint64 nElapsed = pRecord->clock.isValid() ? pRecord->clock.elapsed() : 0;
    if (nElapsed > 0 && nElapsed >= nLimit) {
        pRecord->timedOut = true;
        return 1;
    }
    pRecord->timedOut = false;
    return 0;
}

// ---- label states, from any of the player's threads ----

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
