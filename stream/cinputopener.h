#ifndef CINPUTOPENER_H
#define CINPUTOPENER_H

#include "velffmpeg.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <atomic>

// What FFmpeg's interrupt callback looks at for one input, from its open to
// its close; handed to FFmpeg as the callback's opaque pointer. Used by one
// thread at a time (the one making the guarded call).
struct CInputGuard {
    enum Phase { Opening = 0, Probing = 1, Reading = 2, Closing = 3 };
    std::atomic<int> phase{Opening};
    QElapsedTimer clock; // restarted before each guarded call; invalid: no limit
    std::atomic<bool> timedOut{false};
    int openTimeout = 3000; // name resolution and each transport's open
    int findStreamTimeout = 3000;
    int readTimeout = 8000;
    // The close (RTSP TEARDOWN) goes out even when stopping, within this.
    int closeTimeout = 500;
    const std::atomic<bool>* pStop = nullptr; // set: every call but the close ends
};

// Opens a stream address the one way the player and the recorder share: the
// tuning files, the demuxer and socket options, the host name resolved within
// the open limit, a second try over TCP where the form has it, the probe
// within its limit, and a close that still sends the TEARDOWN. Holds nothing
// but the guard it works on; the caller owns the input.
class CInputOpener
{
public:
    explicit CInputOpener(CInputGuard* pGuard) : m_pGuard(pGuard) {}

    // A tuning file on drive C read whole as a base-10 integer: nDefault when
    // the file is missing or holds no integer above 0.
    static int readTuningFile(const char* szWindowsPath, int nDefault);
    // The open and probe limits from their tuning files.
    static void readLimits(CInputGuard* pGuard);
    static int interruptCallback(void* opaque);

    // 0 and *pInput set, or the error of the last try (AVERROR_EXIT when
    // stopped or out of time resolving the name). The open limit counts from
    // here, name resolution included; a second transport gets one of its own.
    int open(const QByteArray& strUrl, VelFormatInputPtr* pInput);
    // avformat_find_stream_info within the probe limit; afterwards the input
    // has no callback until guardReads().
    int probe(AVFormatContext* pInput);
    // Reads from here on have the read limit; restart the clock before each.
    void guardReads(AVFormatContext* pInput);
    // Closes with the close limit, so that the camera hears the TEARDOWN
    // even from a stopped caller. Null is ignored.
    void close(VelFormatInputPtr* pInput);

private:
    bool stopped() const { return m_pGuard->pStop && m_pGuard->pStop->load(); }
    void install(AVFormatContext* pInput, int nPhase);
    int resolveHost(const QByteArray& strUrl);
    int openOnce(const QByteArray& strUrl, bool bTcp, VelFormatInputPtr* pInput);

    CInputGuard* m_pGuard;
};

#endif // CINPUTOPENER_H
