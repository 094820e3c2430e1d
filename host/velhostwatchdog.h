#ifndef VELHOSTWATCHDOG_H
#define VELHOSTWATCHDOG_H

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Calls a function on a thread of its own once a time limit has passed,
// unless cancelled first. The page's time limit needs it: a script that never
// returns holds the GUI thread, where no timer can fire. The function runs on
// the watchdog's thread and must only do what is safe from there
// (QJSEngine::setInterrupted, a queued call). Destruction cancels and waits.
class VelHostWatchdog
{
public:
    VelHostWatchdog(int nLimitMs, std::function<void()> fnExpired);
    ~VelHostWatchdog();
    VelHostWatchdog(const VelHostWatchdog&) = delete;
    VelHostWatchdog& operator=(const VelHostWatchdog&) = delete;

    void cancel();

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_bCancelled = false; // guarded by m_mutex
    std::thread m_thread;
};

#endif // VELHOSTWATCHDOG_H
