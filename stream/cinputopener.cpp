#include "cinputopener.h"

#include "veldiaglog.h"
#include "veldrive.h"
#include "velmaskaddress.h"

#include <QFile>

#include <arpa/inet.h>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <string>
#include <sys/socket.h>
#include <thread>

namespace
{

const char kOpenTimeoutFile[] = "c://timeout_open_input.txt";
const char kFindStreamTimeoutFile[] = "c://timeout_find_stream.txt";
#if defined(VEL_FORM_TESSARO)
const char kTcpMarkerFile[] = "c://ilook.txt";
#else
// Socket I/O limit when the tuning file sets none, in microseconds.
const char kDefaultSocketTimeout[] = "5000000";
#endif

// How often the wait for a name looks at the stop flag.
constexpr int kStopCheckMs = 20;

void initNetworkOnce()
{
    static std::once_flag s_once;
    std::call_once(s_once, [] { avformat_network_init(); });
}

// One name resolution, shared by the thread that waits for it and the thread
// that runs it: whichever ends last frees it.
struct Resolution {
    std::mutex lock;
    std::condition_variable done;
    bool bDone = false;
    bool bFound = false;
};

bool isNumericHost(const char* szHost)
{
    unsigned char address[sizeof(in6_addr)];
    return inet_pton(AF_INET, szHost, address) == 1 || inet_pton(AF_INET6, szHost, address) == 1;
}

// Only an address with an authority ("scheme://host...") names a host to
// resolve: a local file, "concat:a|b" or a nested protocol does not, and
// av_url_split would take a path's first part for one.
bool namesHost(const QByteArray& strUrl)
{
    const int nColon = strUrl.indexOf(':');
    return nColon > 0 && strUrl.mid(nColon, 3) == "://" &&
           qstrnicmp(strUrl.constData(), "file:", 5) != 0;
}

#if defined(VEL_FORM_VIMBREL)
// Only RTSP has a transport to change.
bool isRtsp(const QByteArray& strUrl)
{
    return qstrnicmp(strUrl.constData(), "rtsp", 4) == 0;
}
#endif

} // namespace

// A value of 0 or below would cut every guarded call at once, or make the
// sound wait for nothing: such a file is as good as none.
int CInputOpener::readTuningFile(const char* szWindowsPath, int nDefault)
{
    QFile file(velDrivePath(QString::fromLatin1(szWindowsPath)));
    if (!file.open(QIODevice::ReadOnly))
        return nDefault;
    bool bOk = false;
    const int nValue = file.read(4096).trimmed().toInt(&bOk, 10);
    return bOk && nValue > 0 ? nValue : nDefault;
}

void CInputOpener::readLimits(CInputGuard* pGuard)
{
    pGuard->openTimeout = readTuningFile(kOpenTimeoutFile, 3000);
    pGuard->findStreamTimeout = readTuningFile(kFindStreamTimeoutFile, 3000);
}

// On whichever thread makes the guarded call.
int CInputOpener::interruptCallback(void* opaque)
{
    auto* pGuard = static_cast<CInputGuard*>(opaque);
    const int nPhase = pGuard->phase;
    // An open cut off here goes on to FFmpeg's own clean-up within the same
    // call: its TEARDOWN of a session already set up gets the close's limit.
    const bool bOpening = nPhase == CInputGuard::Opening || nPhase == CInputGuard::Probing;
    // A stopped caller does not sit out a stalled call; its close has a
    // short limit of its own instead.
    if (nPhase != CInputGuard::Closing && pGuard->pStop && pGuard->pStop->load()) {
        if (bOpening) {
            pGuard->phase = CInputGuard::Closing;
            pGuard->clock.restart();
        }
        return 1;
    }
    const int nLimit = nPhase == CInputGuard::Opening   ? pGuard->openTimeout
                       : nPhase == CInputGuard::Probing ? pGuard->findStreamTimeout
                       : nPhase == CInputGuard::Closing ? pGuard->closeTimeout
                                                        : pGuard->readTimeout;
    const qint64 nElapsed = pGuard->clock.isValid() ? pGuard->clock.elapsed() : 0;
    if (nElapsed > 0 && nElapsed >= nLimit) {
        pGuard->timedOut = true;
        if (bOpening) {
            pGuard->phase = CInputGuard::Closing;
            pGuard->clock.restart();
        }
        return 1;
    }
    pGuard->timedOut = false;
    return 0;
}

void CInputOpener::install(AVFormatContext* pInput, int nPhase)
{
    m_pGuard->phase = nPhase;
    pInput->interrupt_callback.callback = &CInputOpener::interruptCallback;
    pInput->interrupt_callback.opaque = m_pGuard;
}

int CInputOpener::open(const QByteArray& strUrl, VelFormatInputPtr* pInput)
{
    initNetworkOnce();
    m_pGuard->phase = CInputGuard::Opening;
    m_pGuard->timedOut = false;
    m_pGuard->clock.restart();
    int nResult = resolveHost(strUrl);
    if (nResult != 0)
        return nResult;
    nResult = openOnce(strUrl, false, pInput);
#if defined(VEL_FORM_VIMBREL)
    if (nResult != 0 && !stopped() && isRtsp(strUrl)) {
        m_pGuard->timedOut = false;
        m_pGuard->clock.restart();
        nResult = openOnce(strUrl, true, pInput);
    }
#endif
    return nResult;
}

// Options and transport of one avformat_open_input; FFmpeg frees the context
// when it fails.
int CInputOpener::openOnce(const QByteArray& strUrl, bool bTcp, VelFormatInputPtr* pInput)
{
    VelDictionary options;
    options.set("buffer_size", "655350");
    options.set("pkt_size", "655350");
    options.set("reorder_queue_size", "1000");
    options.set("fifo_size", "4000");

    // The tuning file holds milliseconds; the socket I/O timeout takes
    // microseconds.
    const int nTimeoutMs = readTuningFile(kOpenTimeoutFile, 0);
    const QByteArray strTimeout = QByteArray::number(qint64(nTimeoutMs) * 1000);
#if defined(VEL_FORM_TESSARO)
    Q_UNUSED(bTcp);
    if (QFile::exists(velDrivePath(QString::fromLatin1(kTcpMarkerFile))))
        options.set("rtsp_transport", "tcp");
    if (nTimeoutMs > 0)
        options.set("timeout", strTimeout.constData());
#else
    if (bTcp)
        options.set("rtsp_transport", "tcp");
    options.set("timeout", nTimeoutMs > 0 ? strTimeout.constData() : kDefaultSocketTimeout);
#endif

    AVFormatContext* pContext = avformat_alloc_context();
    if (!pContext)
        return AVERROR(ENOMEM);
    install(pContext, CInputGuard::Opening);
    const int nResult =
        avformat_open_input(&pContext, strUrl.constData(), nullptr, options.address());
    if (nResult != 0)
        return nResult;
    pInput->reset(pContext);
    return 0;
}

// getaddrinfo cannot be cut off: a name server that never answers holds it
// for many seconds, past the open limit and the stop flag. It runs on a
// thread of its own, which a stopped or timed-out open leaves behind; FFmpeg
// then resolves the name again, which an answering server does at once.
// Addresses without a name go straight on.
int CInputOpener::resolveHost(const QByteArray& strUrl)
{
    if (!namesHost(strUrl))
        return 0;
    char szHost[1024] = {0};
    av_url_split(nullptr, 0, nullptr, 0, szHost, sizeof(szHost), nullptr, nullptr, 0,
                 strUrl.constData());
    if (!szHost[0] || isNumericHost(szHost))
        return 0;

    auto pResolution = std::make_shared<Resolution>();
    std::thread([pResolution, strHost = std::string(szHost)] {
        addrinfo hints = {};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* pFound = nullptr;
        const bool bFound = getaddrinfo(strHost.c_str(), nullptr, &hints, &pFound) == 0;
        if (pFound)
            freeaddrinfo(pFound);
        std::lock_guard<std::mutex> lock(pResolution->lock);
        pResolution->bDone = true;
        pResolution->bFound = bFound;
        pResolution->done.notify_all();
    }).detach();

    std::unique_lock<std::mutex> lock(pResolution->lock);
    while (!pResolution->done.wait_for(lock, std::chrono::milliseconds(kStopCheckMs),
                                       [&] { return pResolution->bDone; })) {
        if (stopped())
            return AVERROR_EXIT;
        if (m_pGuard->clock.elapsed() >= m_pGuard->openTimeout) {
            m_pGuard->timedOut = true;
            velDiagnostic(QStringLiteral("source <<%1>>: the name did not resolve within %2 ms")
                              .arg(velMaskUrl(QString::fromUtf8(strUrl)))
                              .arg(m_pGuard->openTimeout));
            return AVERROR_EXIT;
        }
    }
    // FFmpeg's own message for a name that does not resolve.
    return pResolution->bFound ? 0 : AVERROR(EIO);
}

int CInputOpener::probe(AVFormatContext* pInput)
{
    m_pGuard->clock.restart();
    install(pInput, CInputGuard::Probing);
    const int nResult = avformat_find_stream_info(pInput, nullptr);
    pInput->interrupt_callback.callback = nullptr;
    m_pGuard->clock.invalidate();
    return nResult;
}

void CInputOpener::guardReads(AVFormatContext* pInput)
{
    install(pInput, CInputGuard::Reading);
}

void CInputOpener::close(VelFormatInputPtr* pInput)
{
    if (!*pInput)
        return;
    // The stop flag may still be set here; without a phase of its own the
    // callback would abort the TEARDOWN and leave the session on the camera.
    m_pGuard->clock.restart();
    install(pInput->get(), CInputGuard::Closing);
    pInput->reset();
    m_pGuard->clock.invalidate();
}
