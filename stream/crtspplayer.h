#ifndef CRTSPPLAYER_H
#define CRTSPPLAYER_H

#include "cinputopener.h"
#include "cpicturescaler.h"
#include "cvideosink.h"
#include "velffmpeg.h"

#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <qwindowdefs.h>

#include <array>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class CAudioWrite;

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
// The work is split along the threads: crtspplayer.cpp (GUI thread: life
// cycle, closing, label states), crtspplayeropen.cpp (decode thread: open and
// probe), crtspplayerdecode.cpp (decode thread: the drain passes) and
// crtspplayerrecv.cpp (receive thread). The input is opened, guarded and
// closed by CInputOpener, the recorder's too.
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
        return m_nVideoPacketsRead.load();
    }
    // The result of the last try to open the sound device, kept across
    // reopens until the next try. Any thread.
    AudioDeviceState GetAudioDeviceState() const
    {
        return AudioDeviceState(m_nAudioDeviceState.load());
    }
    // In a player with sound: pictures dropped for coming later than their
    // sound by more than a frame. Any thread.
    quint64 GetPicturesLate() const
    {
        return m_nPicturesLate.load();
    }
    // Silent buffers the sound writer inserted after sound began. Any thread.
    quint64 GetAudioSilences() const;
#if defined(VEL_FORM_VIMBREL)
    void SetAudioEnabled(bool bEnabled);
    bool IsAudioEnabled() const
    {
        return m_bAudioEnabled.load();
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
    // Handed to FFmpeg as the interrupt callback's opaque pointer. Used by one
    // thread at a time: the decode thread while opening, then the receive thread.
    using InterruptRecord = CInputGuard;
    using FrameHandler = void (CRTSPPlayer::*)(const AVFrame*);

    void readTuningFiles();
    // Closes the input with its own short limit, so that the camera hears the
    // TEARDOWN. On the thread that owns the context.
    void closeInput();

    // Decode thread.
    void ThreadDecodeVideo();
    void BeginDecode();
    bool videoSilent() const;
    int DecodeInit(const QString& url);
    void hideUndecodableAudio();
    int openVideoDecoder();
    int openAudioDecoder();
    bool setUpResampler(const AVChannelLayout& layout, int nFormat, int nRate);
    void DecodeVideo();
    void DecodeAudio();
    int decodePacket(AVCodecContext* pContext, AVFrame* pFrame, const AVPacket* pPacket,
                     FrameHandler onFrame);
    int receiveFrames(AVCodecContext* pContext, AVFrame* pFrame, FrameHandler onFrame);
    void showPicture(const AVFrame* pFrame);
    void takePicture(const AVFrame* pFrame);
    void presentHeld(bool bWaitForNext);
    bool followsSound() const;
    int64_t audioClockUs();
    int64_t streamTimeUs(int nStream, int64_t nPts) const;
    void keepLastFrame(const AVFrame* pFrame);
    QImage* freePicture(const QSize& size);
    void playAudio(const AVFrame* pFrame);
    bool wantsAudio() const;

    // Receive thread.
    void ThreadRecvVideo();
    void recvPackets();
    void queuePacket(AVPacket* pPacket, int64_t nStartTime);
    void noteReadTime(int64_t nPts);
    int64_t readTimeOf(int64_t nPts);
    bool isFiniteSource() const;
    void streamLost();

    VelPacketPtr takePacket(std::deque<VelPacketPtr>& queue);
    void clearQueues();

    // Sink states, from any of the player's threads.
    void showState(CVideoSink::PlayerState state);
    // Posts a call of a slot while the player has not been released.
    void postToGui(const char* szSlot);
    bool videoLost(bool bFinite) const;
    void finishReleased();

    QString m_strUrl; // GUI thread; read by the decode thread while it runs
    CVideoSink* m_pSink = nullptr;
    int m_rect[4] = {0, 0, 0, 0};
#if defined(VEL_FORM_TESSARO)
    bool m_bWithAudio = false;
#else
    std::atomic<bool> m_bAudioEnabled{false};
#endif

    // Owned by the decode thread while it runs, else by the GUI thread; the
    // receive thread reads the format context and the stream indices.
    VelFormatInputPtr m_pFormat;
    int m_nVideoIndex = -1;
    VelCodecContextPtr m_pVideoCodec;
    VelFramePtr m_pVideoFrame;
    CPictureScaler m_scaler;
    // Pictures at the shown size, reused: one the label does not hold (a
    // detached image) is written next. The label holds at most two.
    std::array<QImage, 3> m_pictures;
    bool m_bFirstPicture = true;
    // The player with sound shows each picture when its sound is heard: the
    // decoded pictures wait here (decode thread), a few at most, while their
    // packets wait in the queue. Times in microseconds.
    std::deque<VelFramePtr> m_heldPictures;
    int64_t m_nLastShownUs = -1;          // av_gettime_relative of the last hand-off
    int64_t m_nFrameUs = 40000;           // between the last two pictures
    int64_t m_nLastPictureUs = INT64_MIN; // stream time of the last picture taken
    int64_t m_nClockUs = INT64_MIN;       // the sound's time when last known...
    int64_t m_nClockAtUs = -1;            // ...and when that was
    int64_t m_nLastAudioUs = -1;          // when sound was last handed to the writer
    std::atomic<quint64> m_nPicturesLate{0};
    mutable std::mutex m_lastFrameLock; // guards m_pLastFrame's reference
    VelFramePtr m_pLastFrame;           // a reference to the last decoded picture

    int m_nAudioIndex = -1;
    VelCodecContextPtr m_pAudioCodec;
    VelFramePtr m_pAudioFrame;
    VelSwrPtr m_pSwr;
    AVChannelLayout m_swrSourceLayout{}; // what m_pSwr was set up for
    int m_nSwrSourceFormat = -1;
    int m_nSwrSourceRate = 0;
    int m_nAudioRate = 0;            // output rate for the writer
    std::vector<uint8_t> m_audioOut; // one second of output samples
    mutable std::mutex m_writerLock; // guards the pointer against SetAudioEnabled
    std::unique_ptr<CAudioWrite> m_pAudioWrite;

    // When recent video packets were read, by pts: the receive thread notes,
    // the decode thread looks up the picture's, for the read-to-screen time.
    struct ReadTime {
        int64_t nPts = AV_NOPTS_VALUE;
        int64_t nAtUs = -1;
    };
    std::mutex m_readTimesLock; // guards m_readTimes and m_nReadTimesNext
    std::array<ReadTime, 64> m_readTimes;
    int m_nReadTimesNext = 0;

    std::mutex m_queueLock; // guards both queues, held for one append or removal
    std::deque<VelPacketPtr> m_videoQueue;
    std::deque<VelPacketPtr> m_audioQueue;

    std::thread m_decodeThread; // GUI thread
    std::thread m_recvThread;   // started by the decode thread, joined after it
    std::atomic<bool> m_bStop{false};
    std::atomic<int> m_nPlayState{0};
    std::atomic<int> m_nInitResult{-1};
    std::atomic<int> m_nAudioDeviceState{AudioDeviceUnknown};

    // When the receive thread last read a video packet (av_gettime_relative,
    // -1 none since the open): an opened session whose video does not flow
    // before its first picture counts as lost.
    std::atomic<int64_t> m_nLastVideoReadUs{-1};
    std::atomic<quint64> m_nVideoPacketsRead{0};
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
    int m_nAudioDelay = 0;
    InterruptRecord m_interrupt;
};

#endif // CRTSPPLAYER_H
