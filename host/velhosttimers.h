#ifndef VELHOSTTIMERS_H
#define VELHOSTTIMERS_H

#include <QHash>
#include <QJSValue>
#include <QObject>

#include <functional>

class QJSEngine;
class QTimer;

// The page's setTimeout / setInterval: browser semantics on Qt timers. Ids are
// never reused, clearing an unknown or fired id does nothing, a negative or
// non-numeric delay counts as 0, and a callback may clear its own timer. A
// callback that is a string is evaluated as code. Errors thrown by callbacks
// go to the error handler; intervals keep running. GUI thread only.
class VelHostTimers : public QObject
{
    Q_OBJECT
public:
    using ErrorHandler = std::function<void(const QJSValue& error)>;

    VelHostTimers(QJSEngine* pEngine, const ErrorHandler& fnError, QObject* parent);
    ~VelHostTimers() override;

    int start(const QJSValue& callback, double dDelayMs, bool bRepeat, const QJSValueList& args);
    void clear(int nId);
    void clearAll();
    int activeCount() const { return m_timers.size(); }

private:
    struct Entry {
        QTimer* pTimer = nullptr;
        QJSValue callback;
        QJSValueList args;
        bool bRepeat = false;
    };

    void fire(int nId);

    QJSEngine* m_pEngine;
    ErrorHandler m_fnError;
    QHash<int, Entry> m_timers;
    int m_nNextId = 1;
};

#endif // VELHOSTTIMERS_H
