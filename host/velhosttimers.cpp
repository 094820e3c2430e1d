#include "velhosttimers.h"

#include "velhostscriptcall.h"

#include <QJSEngine>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <limits>

VelHostTimers::VelHostTimers(QJSEngine* pEngine, const ErrorHandler& fnError, QObject* parent)
    : QObject(parent), m_pEngine(pEngine), m_fnError(fnError)
{
}

VelHostTimers::~VelHostTimers()
{
    clearAll();
}

int VelHostTimers::start(const QJSValue& callback, double dDelayMs, bool bRepeat,
                         const QJSValueList& args)
{
    const int nDelay = (std::isfinite(dDelayMs) && dDelayMs > 0)
                           ? int(std::min(dDelayMs, double(std::numeric_limits<int>::max())))
                           : 0;
    const int nId = m_nNextId++;
    Entry entry;
    entry.pTimer = new QTimer(this);
    entry.pTimer->setTimerType(Qt::PreciseTimer);
    entry.pTimer->setSingleShot(!bRepeat);
    entry.callback = callback;
    entry.args = args;
    entry.bRepeat = bRepeat;
    connect(entry.pTimer, &QTimer::timeout, this, [this, nId]() { fire(nId); });
    m_timers.insert(nId, entry);
    entry.pTimer->start(nDelay);
    return nId;
}

void VelHostTimers::clear(int nId)
{
    auto it = m_timers.find(nId);
    if (it == m_timers.end())
        return;
    it->pTimer->stop();
    it->pTimer->deleteLater();
    m_timers.erase(it);
}

void VelHostTimers::clearAll()
{
    const QList<int> ids = m_timers.keys();
    for (int nId : ids)
        clear(nId);
}

void VelHostTimers::fire(int nId)
{
    auto it = m_timers.find(nId);
    if (it == m_timers.end())
        return;
    // Copies: the callback may clear this timer or start others.
    QJSValue callback = it->callback;
    const QJSValueList args = it->args;
    if (!it->bRepeat)
        clear(nId);

    const QJSValue result = VelHostScriptCall::enter([&]() {
        if (callback.isCallable())
            return callback.call(args);
        if (callback.isString())
            return m_pEngine->evaluate(callback.toString());
        return QJSValue();
    });
    if (result.isError())
        m_fnError(result);
}
