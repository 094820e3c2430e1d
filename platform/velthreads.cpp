#include "velthreads.h"

#include <QElapsedTimer>
#include <QThreadPool>
#include <thread>

VelEvent::VelEvent(bool bManualReset, bool bInitiallySignalled)
    : m_bManualReset(bManualReset), m_bSignalled(bInitiallySignalled)
{
}

void VelEvent::set()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bSignalled = true;
    }
    if (m_bManualReset)
        m_cond.notify_all();
    else
        m_cond.notify_one();
}

void VelEvent::reset()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bSignalled = false;
}

bool VelEvent::wait(int nTimeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    auto ready = [this] { return m_bSignalled; };
    if (nTimeoutMs < 0)
        m_cond.wait(lock, ready);
    else if (!m_cond.wait_for(lock, std::chrono::milliseconds(nTimeoutMs), ready))
        return false;
    if (!m_bManualReset)
        m_bSignalled = false;
    return true;
}

bool VelEvent::isSet() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bSignalled;
}

void velSleep(int nMilliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(nMilliseconds));
}

void velQueueWorkItem(std::function<void()> fn)
{
    QThreadPool::globalInstance()->start(std::move(fn));
}

qint64 velTickCount()
{
    static QElapsedTimer s_timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return s_timer.elapsed();
}
