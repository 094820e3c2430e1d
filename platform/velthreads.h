#ifndef VELTHREADS_H
#define VELTHREADS_H

#include <functional>
#include <mutex>

#include <QtGlobal>

// Names for the Win32 primitives the engine's logic is written in terms of,
// built on the standard library and Qt. Callable from any thread.

// A critical section is a plain mutex; use std::lock_guard<VelCriticalSection>.
using VelCriticalSection = std::mutex;

// Sleep(ms).
void velSleep(int nMilliseconds);

// QueueUserWorkItem: runs fn on a thread of a process-wide pool (QThreadPool).
void velQueueWorkItem(std::function<void()> fn);

// Milliseconds since an arbitrary fixed point (GetTickCount).
qint64 velTickCount();

#endif // VELTHREADS_H
