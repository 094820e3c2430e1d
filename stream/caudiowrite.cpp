#include "caudiowrite.h"

#include "veldebug.h"
#include "velthreads.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

CAudioWrite::CAudioWrite() = default;

CAudioWrite::CAudioWrite(std::unique_ptr<CAudioDevice> pDevice) : m_pDevice(std::move(pDevice)) {}

CAudioWrite::~CAudioWrite()
{
    // Close() is the owner's, but a writer must never be freed under a running device.
    Close();
}

bool CAudioWrite::Open(int samplesPerSec, int bitsPerSample, int channels)
{
    std::unique_lock<std::mutex> lock(m_lock);
    if (m_bDeviceOpen)
        return false;
    if (!m_pRing) {
        m_pRing.reset(new (std::nothrow) char[kRingCapacity]);
        if (!m_pRing)
            return false;
        m_nCapacity = kRingCapacity;
        m_nReadPos = m_nWritePos = m_nFill = 0;
    }

    const int nBlockAlign = bitsPerSample * channels / 8;
    const int nAvgBytesPerSec = samplesPerSec * nBlockAlign;
    if (!m_pDevice)
        m_pDevice = CAudioDevice::create();
    // The device calls back on its own thread; the lock is not held across open.
    lock.unlock();
    const bool bOpened = nBlockAlign > 0 && m_pDevice &&
                         m_pDevice->open(samplesPerSec, bitsPerSample, channels,
                                         [this](int nBuffer) { onBufferDone(nBuffer); });
    if (!bOpened) {
        // Every player's open says so, to the debugger only; the device
        // itself reports a missing sound card once per process.
#if defined(VEL_FORM_TESSARO)
        velDebugOutput("wave out open err\n");
#else
        velDebugOutput("&&&&&&&&&&&&&&&&&&&&&&   wave out open err\n");
#endif
        return false;
    }

    const int nLength = nAvgBytesPerSec / 10;
    std::unique_ptr<char[]> pBlock(new (std::nothrow) char[size_t(2 * nLength)]);
    if (!pBlock || nLength <= 0) {
        velDebugOutput("new wave out buf err\n");
        m_pDevice->close();
        return false;
    }

    lock.lock();
    m_nBytesPerSec = nAvgBytesPerSec;
    m_bFilling = true;
    m_bCatchUp = false;
    m_bSounded = false;
    m_nHanded = m_nHandedNext = 0;
    m_nHandedBytes = m_nDoneBytes = 0;
    m_tLastDone = std::chrono::steady_clock::now();
    m_pBlock = std::move(pBlock);
    std::memset(m_pBlock.get(), 0, size_t(2 * nLength));
    for (int i = 0; i < 2; ++i) {
        m_headers[i].pData = m_pBlock.get() + i * nLength;
        m_headers[i].nLength = nLength;
        m_headers[i].bInDevice = false;
    }
    m_bDeviceOpen = true;
    // Playing before the first buffer goes out: a device may finish it at once.
    m_bPlaying = true;
#if defined(VEL_FORM_VIMBREL)
    m_bSignalled[0] = m_bSignalled[1] = true;
#endif
    sendToDevice(0);
    sendToDevice(1);
#if defined(VEL_FORM_VIMBREL)
    m_feeder = std::thread(&CAudioWrite::feed, this);
#endif
    return true;
}

bool CAudioWrite::Write(const void* data, int length)
{
    return Write(data, length, kNoClock);
}

bool CAudioWrite::Write(const void* data, int length, int64_t nPtsUs)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_pRing && data && length > 0 && length <= m_nCapacity) {
        noteAnchor(nPtsUs);
        ringWrite(static_cast<const char*>(data), length);
    }
    return true;
}

void CAudioWrite::Close()
{
    std::unique_lock<std::mutex> lock(m_lock);
    m_bPlaying = false;
#if defined(VEL_FORM_TESSARO)
    m_poolIdle.wait(lock, [this] { return m_nPendingWrites == 0; });
#else
    m_feederWake.notify_all();
#endif
    const bool bWasOpen = m_bDeviceOpen;
    lock.unlock();

#if defined(VEL_FORM_VIMBREL)
    if (m_feeder.joinable())
        m_feeder.join();
#endif
    if (bWasOpen) {
        // No lock here: the device thread may be waiting for it in onBufferDone.
        m_pDevice->reset();
        m_pDevice->close();
#if defined(VEL_FORM_VIMBREL)
        velDebugOutput("************\n***********\nwaveOutClose ok\n");
#endif
    }

    lock.lock();
    m_bDeviceOpen = false;
#if defined(VEL_FORM_TESSARO)
    m_nRefilled = 0;
#endif
    m_headers[0] = Header();
    m_headers[1] = Header();
    m_pBlock.reset();
}

#if defined(VEL_FORM_VIMBREL)
void CAudioWrite::SetEnabled(bool bEnabled)
{
    m_bEnabled = bEnabled;
}
#endif

void CAudioWrite::SetBacklogLimit(int nMs)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_nMarginMs = nMs > 0 ? nMs : 0;
}

int64_t CAudioWrite::Clock() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_bDeviceOpen || m_nBytesPerSec <= 0)
        return kNoClock;
    const int64_t nHeard = heardBytes();
    for (int i = 1; i <= m_nHanded; ++i) {
        const Handed& handed =
            m_handed[size_t((m_nHandedNext - i + int(m_handed.size())) % int(m_handed.size()))];
        if (handed.nStart > nHeard)
            continue;
        if (handed.nPtsUs == kNoClock)
            return kNoClock;
        // Past the end of the newest buffer the device has run dry: the clock stops.
        return handed.nPtsUs + bytesToUs(std::min<int64_t>(nHeard - handed.nStart, handed.nLength));
    }
    return kNoClock;
}

bool CAudioWrite::HoldsMargin() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    const int nMargin = int(int64_t(m_nMarginMs) * m_nBytesPerSec / 1000);
    return m_bDeviceOpen && m_nFill >= m_headers[0].nLength + nMargin;
}

uint64_t CAudioWrite::SilencesInserted() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_nSilences;
}

uint64_t CAudioWrite::BytesCaughtUp() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_nCaughtUp;
}

// Lock held. Bytes of all handed to the device that have been heard.
int64_t CAudioWrite::heardBytes() const
{
    const long long nDelay = m_pDevice ? m_pDevice->delayFrames() : -1;
    if (nDelay >= 0) {
        // 16-bit mono: two bytes a frame.
        return std::max<int64_t>(0, m_nHandedBytes - int64_t(nDelay) * 2);
    }
    // A device that cannot tell: the buffer after the last one done has been
    // playing since that done call.
    if (m_nHandedBytes <= m_nDoneBytes)
        return m_nDoneBytes;
    using namespace std::chrono;
    const int64_t nSinceUs = duration_cast<microseconds>(steady_clock::now() - m_tLastDone).count();
    const int64_t nPlaying = std::min<int64_t>(m_nHandedBytes - m_nDoneBytes, m_headers[0].nLength);
    return m_nDoneBytes + std::min(nPlaying, nSinceUs * m_nBytesPerSec / 1000000);
}

int64_t CAudioWrite::bytesToUs(int64_t nBytes) const
{
    return m_nBytesPerSec > 0 ? nBytes * 1000000 / m_nBytesPerSec : 0;
}

// Lock held, before the bytes go into the ring. A timestamp that follows on
// from what is there adds nothing.
void CAudioWrite::noteAnchor(int64_t nPtsUs)
{
    const int64_t nPos = m_nWrittenTotal;
    if (m_nAnchors > 0) {
        const Anchor& last =
            m_anchors[size_t((m_nAnchorNext - 1 + int(m_anchors.size())) % int(m_anchors.size()))];
        if (nPtsUs == kNoClock && last.nPtsUs == kNoClock)
            return;
        const int64_t nExpected = ptsAt(nPos);
        if (nPtsUs != kNoClock && nExpected != kNoClock && std::abs(nPtsUs - nExpected) <= 2000)
            return;
    }
    m_anchors[size_t(m_nAnchorNext)] = {nPos, nPtsUs};
    m_nAnchorNext = (m_nAnchorNext + 1) % int(m_anchors.size());
    m_nAnchors = std::min(m_nAnchors + 1, int(m_anchors.size()));
}

// Lock held.
int64_t CAudioWrite::ptsAt(int64_t nPos) const
{
    for (int i = 1; i <= m_nAnchors; ++i) {
        const Anchor& anchor =
            m_anchors[size_t((m_nAnchorNext - i + int(m_anchors.size())) % int(m_anchors.size()))];
        if (anchor.nPos > nPos)
            continue;
        if (anchor.nPtsUs == kNoClock || m_nBytesPerSec <= 0)
            return kNoClock;
        return anchor.nPtsUs + bytesToUs(nPos - anchor.nPos);
    }
    return kNoClock;
}

int CAudioWrite::LatencyMs() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_nBytesPerSec <= 0)
        return 0;
    int nBytes = m_nFill;
    int nInDevice = 0;
    for (const Header& header : m_headers)
        nInDevice += header.bInDevice ? 1 : 0;
    if (m_bDeviceOpen && nInDevice > 0)
        nBytes += nInDevice * m_headers[0].nLength - m_headers[0].nLength / 2;
    return int(int64_t(nBytes) * 1000 / m_nBytesPerSec);
}

int CAudioWrite::BufferLength() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_bDeviceOpen ? m_headers[0].nLength : 0;
}

int CAudioWrite::RingFill() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_nFill;
}

bool CAudioWrite::IsDeviceOpen() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_bDeviceOpen;
}

bool CAudioWrite::IsPlaying() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_bPlaying;
}

// Device thread.
void CAudioWrite::onBufferDone(int nBuffer)
{
    if (nBuffer < 0 || nBuffer > 1)
        return;
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_headers[nBuffer].bInDevice) {
        m_nDoneBytes += m_headers[nBuffer].nLength;
        m_tLastDone = std::chrono::steady_clock::now();
    }
    m_headers[nBuffer].bInDevice = false;
    if (!m_bPlaying)
        return;
#if defined(VEL_FORM_TESSARO)
    refill(nBuffer);
    if (m_nRefilled < 2)
        m_refilled[m_nRefilled++] = nBuffer;
    // The device's callback thread must not write to the device itself.
    ++m_nPendingWrites;
    velQueueWorkItem([this, nBuffer] { writeFromPool(nBuffer); });
#else
    m_bSignalled[nBuffer] = true;
    m_feederWake.notify_all();
#endif
}

// Lock held. Sound starts (and resumes after an underrun) once the margin
// waits beyond this buffer; a backlog of more than twice the margin is brought
// back to it a twentieth of a buffer at a refill, inaudibly compared with the
// silence of a cut.
void CAudioWrite::refill(int nBuffer)
{
    Header& header = m_headers[nBuffer];
    const int nLength = header.nLength;
    const int nMargin = int(int64_t(m_nMarginMs) * m_nBytesPerSec / 1000) & ~1;
    if (m_nFill <= nLength || (m_bFilling && m_nFill < nLength + nMargin)) {
        std::memset(header.pData, 0, size_t(nLength));
        header.nPtsUs = kNoClock;
        if (m_bSounded)
            ++m_nSilences;
        m_bFilling = true;
        return;
    }
    m_bFilling = false;
    if (nMargin > 0) {
        const int nBeyond = m_nFill - nLength - nMargin;
        if (!m_bSounded && nBeyond > 0) {
            // Before the first sound nothing heard is cut: a start-up burst
            // goes at once, or the picture would wait behind it for long.
            m_nReadPos = (m_nReadPos + (nBeyond & ~1)) % m_nCapacity;
            m_nFill -= nBeyond & ~1;
            m_nCaughtUp += uint64_t(nBeyond & ~1);
        } else if (nBeyond > nMargin) {
            m_bCatchUp = true;
        }
        if (nBeyond <= 0)
            m_bCatchUp = false;
        if (m_bCatchUp) {
            // Whole samples only, so the 16-bit stream keeps its alignment.
            const int nDrop = std::min(nBeyond, std::max(2, nLength / 20)) & ~1;
            if (nDrop > 0) {
                m_nReadPos = (m_nReadPos + nDrop) % m_nCapacity;
                m_nFill -= nDrop;
                m_nCaughtUp += uint64_t(nDrop);
            }
            m_bCatchUp = nBeyond - nDrop > 1;
        }
    }
    header.nPtsUs = ptsAt(m_nWrittenTotal - m_nFill);
    ringRead(header.pData, nLength);
    m_bSounded = true;
}

// Lock held.
void CAudioWrite::sendToDevice(int nBuffer)
{
    Header& header = m_headers[nBuffer];
    if (!m_bDeviceOpen || header.bInDevice)
        return;
    header.bInDevice = m_pDevice->write(nBuffer, header.pData, header.nLength);
    if (!header.bInDevice)
        return;
    m_handed[size_t(m_nHandedNext)] = {m_nHandedBytes, header.nLength, header.nPtsUs};
    m_nHandedNext = (m_nHandedNext + 1) % int(m_handed.size());
    m_nHanded = std::min(m_nHanded + 1, int(m_handed.size()));
    m_nHandedBytes += header.nLength;
}

#if defined(VEL_FORM_TESSARO)
// Pool thread.
void CAudioWrite::writeFromPool(int /*nBuffer*/)
{
    std::lock_guard<std::mutex> lock(m_lock);
    for (int i = 0; i < m_nRefilled; ++i) {
        if (m_bPlaying)
            sendToDevice(m_refilled[i]);
    }
    m_nRefilled = 0;
    if (--m_nPendingWrites == 0)
        m_poolIdle.notify_all();
}
#else
// Feeder thread: waits for either buffer's event; a second without one while
// switched on restarts the circulation after a pause.
void CAudioWrite::feed()
{
    std::unique_lock<std::mutex> lock(m_lock);
    while (m_bPlaying) {
        const bool bSignalled =
            m_feederWake.wait_for(lock, std::chrono::milliseconds(1000), [this] {
                return !m_bPlaying || m_bSignalled[0] || m_bSignalled[1];
            });
        if (!m_bPlaying)
            break;
        if (!bSignalled) {
            if (m_bEnabled)
                m_bSignalled[0] = m_bSignalled[1] = true;
            continue;
        }
        const int nBuffer = m_bSignalled[0] ? 0 : 1;
        m_bSignalled[nBuffer] = false;
        if (m_bEnabled && m_bDeviceOpen && !m_headers[nBuffer].bInDevice) {
            refill(nBuffer);
            sendToDevice(nBuffer);
        }
    }
}
#endif

// Lock held. A write larger than the ring is dropped whole; otherwise the
// oldest bytes give way so that the newest always fit.
int CAudioWrite::ringWrite(const char* pData, int nLength)
{
    if (nLength > m_nCapacity)
        return 0;
    const int nFree = m_nCapacity - m_nFill;
    if (nFree < nLength) {
        const int nDiscard = nLength - nFree;
        m_nReadPos = (m_nReadPos + nDiscard) % m_nCapacity;
        m_nFill -= nDiscard;
    }
    const int nFirst = std::min(nLength, m_nCapacity - m_nWritePos);
    std::memcpy(m_pRing.get() + m_nWritePos, pData, size_t(nFirst));
    std::memcpy(m_pRing.get(), pData + nFirst, size_t(nLength - nFirst));
    m_nWritePos = (m_nWritePos + nLength) % m_nCapacity;
    m_nFill += nLength;
    m_nWrittenTotal += nLength;
    return nLength;
}

// Lock held.
int CAudioWrite::ringRead(char* pData, int nLength)
{
    const int nCount = std::min(nLength, m_nFill);
    const int nFirst = std::min(nCount, m_nCapacity - m_nReadPos);
    std::memcpy(pData, m_pRing.get() + m_nReadPos, size_t(nFirst));
    std::memcpy(pData + nFirst, m_pRing.get(), size_t(nCount - nFirst));
    m_nReadPos = (m_nReadPos + nCount) % m_nCapacity;
    m_nFill -= nCount;
    return nCount;
}
