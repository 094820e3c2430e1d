#include "velhostwatchdog.h"

#include <chrono>

VelHostWatchdog::VelHostWatchdog(int nLimitMs, std::function<void()> fnExpired)
{
    m_thread = std::thread([this, nLimitMs, fnExpired = std::move(fnExpired)]() {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_wake.wait_for(lock, std::chrono::milliseconds(nLimitMs),
                            [this]() { return m_bCancelled; }))
            return;
        lock.unlock();
        fnExpired();
    });
}

VelHostWatchdog::~VelHostWatchdog()
{
    cancel();
    m_thread.join();
}

void VelHostWatchdog::cancel()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bCancelled = true;
    }
    m_wake.notify_all();
}
