#ifndef RECORDTHREAD_H
#define RECORDTHREAD_H

#include "caudiotranscoder.h"
#include "cinputopener.h"
#include "velffmpeg.h"

extern "C" {
#include <libavcodec/bsf.h>
}

#include <QByteArray>
#include <QString>
#include <QThread>

#include <atomic>
#include <memory>
#include <vector>

// Records one stream into an MP4 file: its own connection to the address,
// every stream the container can hold copied packet by packet (timestamps
// rescaled to the output's time bases), G.711 sound converted to AAC.
//
// While recording the file is fragmented, so that a recording whose process
// dies still plays up to its last fragment. StopRecording() ends it cleanly;
// the fragmented file is then rewritten as a plain MP4 (duration in its
// header, index at the front) in the background, see waitForFinishing().
// A recording that loses its camera or cannot write ends by itself on its
// thread (sigRecordingEnded): after a write error the file is cut back to its
// last whole fragment and stays fragmented. A recording that holds nothing
// leaves no file.
//
// Driven from the GUI thread: Init() or StartRecording(), then
// StopRecording(). The copy loop runs on the thread itself.
class RecordThread : public QThread
{
    Q_OBJECT
public:
    // Why a recording ended.
    enum EndReason {
        EndStopped,     // StopRecording()
        EndInputLost,   // the camera went away or the input ended
        EndDiskFull,    // no room left for the file
        EndWriteFailed, // any other write error
    };
    // What a stop left behind.
    enum Result {
        ResultSaved,   // the file holds what was recorded
        ResultNothing, // nothing was recorded: no file
    };

    explicit RecordThread(QObject* parent = nullptr);
    ~RecordThread() override;

    // Opens input and output and writes the file header; blocking, but bounded
    // by the open and probe limits, and cut short by StopRecording() from
    // another thread. On success start() runs the copy loop.
    bool Init(QString inputUrl, QString outputFile);
    // Init() on the recorder's own thread, then the copy loop: the caller's
    // thread never waits on the network. sigInitFinished reports the open.
    void StartRecording(QString inputUrl, QString outputFile);
    // Interrupts a blocked read, waits for the thread to leave its loop, then
    // writes the trailer and releases everything. Safe to repeat; after a
    // recording that ended by itself it only gives that recording's result.
    Result StopRecording();
    EndReason endReason() const { return m_eEndReason.load(); }

    // The header is written: the file exists and grows.
    bool isRecording() const { return m_bHeaderWritten.load(); }
    QString outputFile() const { return m_strOutputName; }

    // Waits for the background rewrite of stopped recordings; false on timeout.
    static bool waitForFinishing(int nMs);

signals:
    // From the recorder's thread, once per StartRecording().
    void sigInitFinished(bool bOk);
    // From the recorder's thread when the recording ended without a stop
    // (nReason an EndReason); the file is finished by then.
    void sigRecordingEnded(int nReason);

protected:
    void run() override;

private:
    struct OutputDeleter {
        void operator()(AVFormatContext* p) const;
    };
    struct BsfDeleter {
        void operator()(AVBSFContext* p) const { av_bsf_free(&p); }
    };
    using OutputPtr = std::unique_ptr<AVFormatContext, OutputDeleter>;
    using BsfPtr = std::unique_ptr<AVBSFContext, BsfDeleter>;

    bool addStreams();
    bool addStream(unsigned nIndex);
    bool addConvertedStream(unsigned nIndex);
    bool openOutput();
    EndReason copyLoop();
    bool acceptPacket(const AVPacket* pPacket);
    int writePacket(AVPacket* pPacket, unsigned nInput);
    int writeConverted(AVPacket* pPacket, unsigned nInput);
    int mux(AVPacket* pPacket, AVRational from, int nOutput);
    Result finish();
    void release();
    QByteArray maskedInput() const; // the address as logs may show it

    QByteArray m_strInput;
    QByteArray m_strOutput;
    QString m_strOutputName;
    bool m_bOpenOnThread = false; // set by StartRecording

    VelFormatInputPtr m_pInput;
    OutputPtr m_pOutput;
    const AVOutputFormat* m_pOutputFormat = nullptr;
    VelPacketPtr m_pPacket;
    std::vector<int> m_streamMap;  // input stream index -> output index, -1 left out
    std::vector<BsfPtr> m_filters; // per input stream, null when none is needed
    // per input stream, null unless its sound is converted
    std::vector<std::unique_ptr<CAudioTranscoder>> m_transcoders;
    qint64 m_nWritten = 0; // packets the muxer took
    int m_nWriteError = 0; // the last write's error, 0 when none
    qint64 m_nDropped = 0; // packets the muxer refused
    int m_nVideoOutput = -1;
    bool m_bSawKeyFrame = false;
    std::vector<bool> m_timed; // per input stream: a packet with a timestamp went by

    // Set by StopRecording(): the copy loop, an open or a read under way
    // ends. Any thread.
    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bHeaderWritten{false};
    std::atomic<EndReason> m_eEndReason{EndStopped};
    Result m_eResult = ResultNothing; // of the last finish
    // The input's limits, as the player's; one guarded call at a time.
    CInputGuard m_guard;
};

#endif // RECORDTHREAD_H
