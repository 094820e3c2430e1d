#ifndef VELTESTAUDIODEVICE_H
#define VELTESTAUDIODEVICE_H

// Audio devices for the writer's device seam. ManualAudioDevice plays
// nothing: the test finishes buffers itself. ClockedAudioDevice finishes each
// buffer after its playing time, on a thread of its own, like a sound card.
// Both keep a copy of every buffer they were given.

#include "caudiodevice.h"

#include <QByteArray>
#include <QList>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

// Milliseconds on the steady clock, comparable across threads and objects.
inline qint64 velSteadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

struct VelAudioLog {
    struct Buffer {
        int nBuffer = 0;
        QByteArray bytes;
        qint64 nAtMs = 0; // steady clock, see velSteadyMs()
    };

    bool wait(int nCount, int nTimeoutMs)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return cond.wait_for(lock, std::chrono::milliseconds(nTimeoutMs),
                             [&] { return buffers.size() >= nCount; });
    }
    QList<Buffer> snapshot()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return buffers;
    }
    int count()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return buffers.size();
    }
    // Counts an open and keeps its format; false when opens are to fail.
    bool noteOpen(int nOpenRate, int nOpenBits, int nOpenChannels)
    {
        ++nOpens;
        nRate = nOpenRate;
        nBits = nOpenBits;
        nChannels = nOpenChannels;
        return !bFailOpen;
    }
    void add(int nBuffer, const char* pData, int nLength)
    {
        std::lock_guard<std::mutex> lock(mutex);
        buffers.append({nBuffer, QByteArray(pData, nLength), velSteadyMs()});
        cond.notify_all();
    }

    std::mutex mutex;
    std::condition_variable cond;
    QList<Buffer> buffers;
    std::atomic<int> nOpens{0};
    std::atomic<int> nRate{0};
    std::atomic<int> nBits{0};
    std::atomic<int> nChannels{0};
    std::atomic<bool> bFailOpen{false};
};

class ManualAudioDevice : public CAudioDevice
{
public:
    explicit ManualAudioDevice(std::shared_ptr<VelAudioLog> pLog) : m_pLog(std::move(pLog)) {}

    bool open(int nRate, int nBits, int nChannels, DoneHandler fnDone) override
    {
        if (!m_pLog->noteOpen(nRate, nBits, nChannels))
            return false;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_fnDone = std::move(fnDone);
        return true;
    }
    bool write(int nBuffer, const char* pData, int nLength) override
    {
        m_pLog->add(nBuffer, pData, nLength);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queued.push_back(nBuffer);
        return true;
    }
    void reset() override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queued.clear();
        m_fnDone = nullptr;
    }
    void close() override { reset(); }

    // Plays the oldest queued buffer; false when none is queued.
    bool finishOne()
    {
        DoneHandler fnDone;
        int nBuffer = -1;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_queued.empty() || !m_fnDone)
                return false;
            nBuffer = m_queued.front();
            m_queued.pop_front();
            fnDone = m_fnDone;
        }
        fnDone(nBuffer);
        return true;
    }
    int queued()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return int(m_queued.size());
    }

private:
    std::shared_ptr<VelAudioLog> m_pLog;
    std::mutex m_mutex;
    std::deque<int> m_queued;
    DoneHandler m_fnDone;
};

class ClockedAudioDevice : public CAudioDevice
{
public:
    explicit ClockedAudioDevice(std::shared_ptr<VelAudioLog> pLog) : m_pLog(std::move(pLog)) {}
    ~ClockedAudioDevice() override { close(); }

    bool open(int nRate, int nBits, int nChannels, DoneHandler fnDone) override
    {
        if (!m_pLog->noteOpen(nRate, nBits, nChannels))
            return false;
        m_nBytesPerSec = nRate * nBits / 8 * nChannels;
        m_fnDone = std::move(fnDone);
        m_bStop = false;
        m_thread = std::thread([this] { run(); });
        return true;
    }
    bool write(int nBuffer, const char* pData, int nLength) override
    {
        m_pLog->add(nBuffer, pData, nLength);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queued.push_back({nBuffer, nLength});
        m_cond.notify_all();
        return true;
    }
    void reset() override
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bStop = true;
            m_queued.clear();
            m_cond.notify_all();
        }
        if (m_thread.joinable())
            m_thread.join();
    }
    void close() override { reset(); }

private:
    void run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_bStop) {
            if (m_queued.empty()) {
                m_cond.wait(lock);
                continue;
            }
            const auto item = m_queued.front();
            m_queued.pop_front();
            const int nMs = m_nBytesPerSec > 0 ? item.second * 1000 / m_nBytesPerSec : 100;
            if (m_cond.wait_for(lock, std::chrono::milliseconds(nMs),
                                [this] { return bool(m_bStop); }))
                break;
            lock.unlock();
            m_fnDone(item.first);
            lock.lock();
        }
    }

    std::shared_ptr<VelAudioLog> m_pLog;
    std::mutex m_mutex;
    std::condition_variable m_cond;
    std::deque<std::pair<int, int>> m_queued;
    bool m_bStop = false;
    int m_nBytesPerSec = 0;
    DoneHandler m_fnDone;
    std::thread m_thread;
};

#endif // VELTESTAUDIODEVICE_H
