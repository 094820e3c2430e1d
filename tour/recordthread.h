#ifndef RECORDTHREAD_H
#define RECORDTHREAD_H

#include "velffmpeg.h"

extern "C" {
#include <libavcodec/bsf.h>
}

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QThread>

#include <atomic>
#include <memory>
#include <vector>

// Records one stream into an MP4 file without re-encoding: its own connection
// to the address, every stream the container can hold copied packet by
// packet, timestamps rescaled to the output's time bases.
//
// While recording the file is fragmented, so that a recording whose process
// dies still plays up to its last fragment. StopRecording() ends it cleanly;
// the fragmented file is then rewritten as a plain MP4 (duration in its
// header, index at the front) in the background, see waitForFinishing().
//
// Driven from the GUI thread: Init() or StartRecording(), then
// StopRecording(). The copy loop runs on the thread itself.
class RecordThread : public QThread
{
    Q_OBJECT
public:
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
    // writes the trailer and releases everything. Safe to repeat.
    void StopRecording();

    // The header is written: the file exists and grows.
    bool isRecording() const { return m_bHeaderWritten.load(); }
    QString outputFile() const { return m_strOutputName; }

    // Waits for the background rewrite of stopped recordings; false on timeout.
    static bool waitForFinishing(int nMs);

signals:
    // From the recorder's thread, once per StartRecording().
    void sigInitFinished(bool bOk);

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
    // Where FFmpeg's interrupt callback looks; one guarded call at a time.
    struct Guard {
        QElapsedTimer clock; // restarted before each guarded call
        std::atomic<int> nLimitMs{0};
        const std::atomic<bool>* pRun = nullptr;
    };

    static int interruptCallback(void* opaque);
    int openInput(bool bTcp);
    bool addStreams();
    bool addStream(unsigned nIndex);
    bool openOutput();
    void copyLoop();
    bool acceptPacket(const AVPacket* pPacket);
    void writePacket(AVPacket* pPacket, unsigned nInput);
    void release();
    void guard(int nLimitMs);
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
    int m_nVideoOutput = -1;
    bool m_bSawKeyFrame = false;
    std::vector<bool> m_timed; // per input stream: a packet with a timestamp went by

    // The run event: the copy loop runs while it is set. Any thread.
    std::atomic<bool> m_bRun{true};
    std::atomic<bool> m_bHeaderWritten{false};
    Guard m_guard;
    int m_nOpenLimitMs = 3000;
    int m_nProbeLimitMs = 3000;
};

#endif // RECORDTHREAD_H
