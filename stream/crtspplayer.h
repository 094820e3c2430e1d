#ifndef CRTSPPLAYER_H
#define CRTSPPLAYER_H

#include "caudiodecoder.h"
#include "cstreaminput.h"
#include "cvideodecoder.h"
#include "cvideosink.h"

#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <qwindowdefs.h>

#include <atomic>
#include <mutex>
#include <thread>

// Plays one stream (RTSP or anything FFmpeg opens) into one video label. A
// decode thread opens the stream and then drains two packet queues every
// 20 ms; a receive thread fills them. Pictures go to the label as they are
// decoded, audio is resampled to 16-bit mono for a CAudioWrite. A read that
// stalls (or keeps failing) for 8 s marks the label no-signal and reopens the
// stream from the GUI thread, and so does an opened stream whose video does
// not flow for 5 s before its first picture, or for 8 s after it (its sound
// may). Once a stream was lost, failed reopens are tried again after 1, 2, 5,
// 10 s and then every 10 s; a camera that is off from the start waits for a
// click on the label.
// Sound that cannot be decoded is left out; the picture plays on.
//
// The work is split along its jobs: CStreamInput (the input, opened through
// CInputOpener as the recorder's is, and the receive thread), CVideoDecoder
// (pictures, paced by the sound) and CAudioDecoder (sound and its clock). The
// player keeps the life cycle and the label states (crtspplayer.cpp, GUI
// thread) and the decode thread's loop with the lost-stream watch
// (crtspplayeropen.cpp).
//
// Created, driven and deleted on the GUI thread.
class CRTSPPlayer : public QObject
{
    Q_OBJECT
public:
    // Whether the sound device could be opened for this player's sound.
    enum AudioDeviceState {
        AudioDeviceUnknown = 0, // not tried: no sound in the stream yet, or a thumbnail
        AudioDeviceOpen = 1,
        AudioDeviceFailed = 2, // no sound device: pictures play on without sound
    };

#if defined(VEL_FORM_VIMBREL)
    CRTSPPlayer(CVideoSink* pSink, const int rect[4]);
#else
    CRTSPPlayer(WId labelWindow, const int rect[4], bool withAudio);
#endif
    // Waits for the player's threads: a GUI owner lets go through Release.
    ~CRTSPPlayer() override;

    // Deletes the player without waiting for its threads: from the return on
    // nothing touches the label and no signal comes; the threads end on their
    // own (an open within its limits), the session is torn down, and the
    // player is freed off the GUI thread. Null is ignored. GUI thread.
    static void Release(CRTSPPlayer* pPlayer);
    // Several at once: each waits at most for the others' current pass.
    static void Release(const QList<CRTSPPlayer*>& players);
    // Waits up to nTimeoutMs for every released player to be freed; false if
    // some are left.
    static bool WaitForReleased(int nTimeoutMs);
    // Test hook: the pauses between reopens, in percent of their real length.
    static void SetRetryPausePercent(int nPercent);

    // A null string is ignored. Otherwise the player stops and releases what
    // it has opened; it does not start again by itself.
    bool SetUrl(QString url);
    QString GetUrl() const
    {
        return m_strUrl;
    }
    void StartPlay();
    void StopThreads();
    void FreeDecoder();
    void Restart();
    // 0 never opened, 1 playing, 3 not playing. Any thread.
    int GetPlayState() const
    {
        return m_nPlayState.load();
    }
    // Result of the last open (-1 before the first). Any thread.
    int GetInitResult() const
    {
        return m_nInitResult.load();
    }
    // The last decoded picture at its full size (null before the first or
    // after FreeDecoder), converted now: snapshots. Any thread.
    QImage GetCurrentImage() const;
    // Milliseconds of decoded sound waiting to be played (0 without sound).
    // Any thread.
    int GetAudioQueueMs() const;
    // Video packets read since the first key frame of this open: pictures
    // the camera delivered that could be shown. Any thread.
    quint64 GetVideoPacketsRead() const
    {
        return m_input.videoPacketsRead();
    }
    // The result of the last try to open the sound device, kept across
    // reopens until the next try. Any thread.
    AudioDeviceState GetAudioDeviceState() const
    {
        return AudioDeviceState(m_audio.deviceState());
    }
    // In a player with sound: pictures dropped for coming later than their
    // sound by more than a frame. Any thread.
    quint64 GetPicturesLate() const
    {
        return m_video.picturesLate();
    }
    // Silent buffers the sound writer inserted after sound began. Any thread.
    quint64 GetAudioSilences() const;
#if defined(VEL_FORM_VIMBREL)
    void SetAudioEnabled(bool bEnabled);
    bool IsAudioEnabled() const
    {
        return m_audio.wanted();
    }
#endif

signals:
    // Emitted on the decode thread after each try to open the sound device
    // (every open of a stream with sound that plays it); connect queued.
    void sigAudioDeviceChecked(bool bOpened);

private slots:
    void sltAutoConnect();
    // GUI thread: a reopen after a lost stream failed; the next one waits.
    void sltRetryLater();
    void sltRetry();

private:
    // Decode thread.
    void ThreadDecodeVideo();
    void BeginDecode();
    int DecodeInit(const QString& url);
    bool videoLost(bool bFinite) const;
    bool videoSilent() const;

    // Receive or decode thread.
    void streamLost();
    // Sink states, from any of the player's threads.
    void showState(CVideoSink::PlayerState state);
    // Posts a call of a slot while the player has not been released.
    void postToGui(const char* szSlot);
    void finishReleased();

    QString m_strUrl; // GUI thread; read by the decode thread while it runs
    CVideoSink* m_pSink = nullptr;
    int m_rect[4] = {0, 0, 0, 0};

    std::atomic<bool> m_bStop{false}; // ends the decode and the receive thread
    // Owned by the decode thread while it runs, else by the GUI thread.
    CStreamInput m_input;
    CAudioDecoder m_audio;
    CVideoDecoder m_video;

    std::thread m_decodeThread; // GUI thread
    std::atomic<int> m_nPlayState{0};
    std::atomic<int> m_nInitResult{-1};
    // Set by the first report of a lost stream, so one open reopens once.
    std::atomic<bool> m_bLostReported{false};

    // Guards m_pSink against Release: held by the player's threads for every
    // call into the label (a decode pass included), so a released player's
    // threads find it null. Recursive: a pass shows states too.
    mutable std::recursive_mutex m_sinkLock;
    bool m_bReleased = false; // under m_sinkLock
    // Set by a lost stream, cleared by the next picture: failed opens are
    // then tried again after a growing pause (m_nRetryStep, GUI thread).
    std::atomic<bool> m_bRetrying{false};
    int m_nRetryStep = 0;
    QTimer m_retryTimer{this};

    QElapsedTimer m_decodeClock; // decode thread, started once the stream is open
};

#endif // CRTSPPLAYER_H
