#include "velthreads.h"

#include <QElapsedTimer>
#include <QThreadPool>
#include <chrono>
#include <thread>

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
