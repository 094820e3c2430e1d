#ifndef VELTHREADS_H
#define VELTHREADS_H

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

#include <QtGlobal>

// Names for the Win32 primitives the engine's logic is written in terms of,
// built on the standard library and Qt. Callable from any thread.

// A critical section is a plain mutex; use std::lock_guard<VelCriticalSection>.
using VelCriticalSection = std::mutex;

// Win32 event object: manual-reset stays signalled until reset, auto-reset
// releases one waiter and clears itself.
class VelEvent {
public:
    VelEvent(bool bManualReset, bool bInitiallySignalled);
    VelEvent(const VelEvent&) = delete;
    VelEvent& operator=(const VelEvent&) = delete;

    void set();
    void reset();
    // true when signalled within nTimeoutMs (negative: wait forever).
    bool wait(int nTimeoutMs);
    bool isSet() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cond;
    const bool m_bManualReset;
    bool m_bSignalled;
};

// Sleep(ms).
void velSleep(int nMilliseconds);

// QueueUserWorkItem: runs fn on a thread of a process-wide pool (QThreadPool).
void velQueueWorkItem(std::function<void()> fn);

// Milliseconds since an arbitrary fixed point (GetTickCount).
qint64 velTickCount();

#endif // VELTHREADS_H
