// CRTSPPlayer on the decode thread: opening the stream and its decoders, and
// the decode loop that follows, which watches for a lost stream.
#include "crtspplayer.h"

#include "veldebug.h"
#include "veldiaglog.h"
#include "velmaskaddress.h"
#include "velthreads.h"

#include <QtDebug>

extern "C" {
#include <libavutil/time.h>
}

namespace
{

constexpr int kDecodePassMs = 20;
// An opened session whose video has not flowed for this long before its first
// picture is lost: now and then a session's RTP never arrives after a PLAY
// that succeeded, and a camera may send sound without video, so that reads
// keep succeeding. Video packets flow whatever the key frame interval, so a
// camera whose first key frame comes late is not affected; 5 s is far beyond
// the gap between two pictures of a healthy stream.
constexpr int kNoVideoLimitMs = 5000;

} // namespace

void CRTSPPlayer::ThreadDecodeVideo()
{
#if defined(VEL_FORM_VIMBREL)
    try {
        BeginDecode();
    } catch (...) {
        velDebugOutput("*******\n********\n*****\nCRTSPPlayer::ThreadDecodeVideo\n");
    }
#else
    BeginDecode();
#endif
}

void CRTSPPlayer::BeginDecode()
{
    m_nInitResult = DecodeInit(m_strUrl);
    if (m_nInitResult != 0) {
        // A session left open here would sit on the camera, unread, until
        // the click that retries it.
        m_input.close();
        showState(CVideoSink::PlayerNoSignal);
        // A lost source is tried again after a pause; one that never played
        // waits for a click.
        if (m_bRetrying && !m_bStop)
            postToGui("sltRetryLater");
        return;
    }
    m_nPlayState = 3;
    // The label keeps its saved picture until the first new one arrives.
    showState(CVideoSink::PlayerNoSignal);
    m_input.startReceiving();
    velDiagnostic(QStringLiteral("The return code of source <<%1>> is: %2")
                      .arg(velMaskUrl(m_strUrl))
                      .arg(m_nInitResult.load()));

    // The end of a file is no lost stream, even when its video ends first.
    const bool bFinite = m_input.isFiniteSource();
    m_decodeClock.start();
    while (!m_bStop && m_input.isOpen()) {
        if (m_audio.wanted())
            m_audio.decodePass(m_decodeClock.elapsed());
        {
            // Pictures reach the label only while the player is not released.
            std::lock_guard<std::recursive_mutex> lock(m_sinkLock);
            m_video.decodePass(m_pSink);
        }
        if (!m_bStop && videoLost(bFinite)) {
            const bool bFirst = m_video.waitsForFirstPicture();
            velDiagnostic(QStringLiteral("source <<%1>>: no video for %2 ms %3, reopening")
                              .arg(velMaskUrl(m_strUrl))
                              .arg(bFirst ? kNoVideoLimitMs : m_input.readTimeoutMs())
                              .arg(bFirst ? QStringLiteral("before the first picture")
                                          : QStringLiteral("while playing")));
            streamLost();
            return;
        }
        velSleep(kDecodePassMs);
    }
}

// Video is watched for the whole session: before the first picture a
// session without it is lost after kNoVideoLimitMs; after it, a picture
// that stops while the sound flows on counts as lost after the read limit,
// as a read that stalls does. Decode thread.
bool CRTSPPlayer::videoLost(bool bFinite) const
{
    if (m_video.waitsForFirstPicture())
        return videoSilent();
    const int64_t nLastUs = m_input.lastVideoReadUs();
    return !bFinite && nLastUs >= 0 &&
           (av_gettime_relative() - nLastUs) / 1000 >= m_input.readTimeoutMs();
}

// No video packet for the limit, counted from the open. Decode thread.
bool CRTSPPlayer::videoSilent() const
{
    const int64_t nLastUs = m_input.lastVideoReadUs();
    const int64_t nSilentMs =
        nLastUs < 0 ? m_decodeClock.elapsed() : (av_gettime_relative() - nLastUs) / 1000;
    return nSilentMs >= kNoVideoLimitMs && m_decodeClock.elapsed() >= kNoVideoLimitMs;
}

int CRTSPPlayer::DecodeInit(const QString& url)
{
    m_input.reset();
    m_video.beginOpen();
    m_bLostReported = false;
    if (url.isEmpty())
        return -1;
    const QByteArray strUrl = url.toUtf8();
    velDiagnostic(QStringLiteral("open source: ") + velMaskUrl(url));
    showState(CVideoSink::PlayerConnecting);

    int nResult = m_input.open(strUrl);
    if (nResult != 0)
        return nResult;
    nResult = m_video.open(m_input.stream(m_input.videoIndex()));
    if (nResult != 0)
        return nResult;
#if defined(VEL_FORM_TESSARO)
    // A thumbnail never plays sound: no decoder, no resampler, no writer.
    if (!m_audio.wanted())
        m_input.dropAudio();
#endif
    if (m_input.audioIndex() >= 0) {
        nResult = m_audio.open(m_input.stream(m_input.audioIndex()));
        if (nResult != 0) {
            velDiagnostic(
                QStringLiteral("source <<%1>>: audio cannot be decoded (%2), playing without sound")
                    .arg(velMaskUrl(url))
                    .arg(nResult));
            m_audio.closeDecoder();
            m_input.dropAudio();
        }
    }
    return 0;
}
