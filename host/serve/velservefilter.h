#ifndef VELSERVEFILTER_H
#define VELSERVEFILTER_H

#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QSet>
#include <QString>

struct QMetaObject;

// What one page may see and reach of the objects its channel publishes. The
// channel describes every public member of a QObject, QObject's own included
// (deleteLater, objectName, ...); the filter keeps only the members the
// most-derived class declares itself, so a published class states its page
// surface by what it declares, and its base classes stay host-internal. The
// signal "destroyed" stays visible (qwebchannel.js forgets a deleted object by
// it) but cannot be connected or invoked.
//
// Outgoing, a signal <name>Changed of a property without notify signal is
// turned into a property update carrying the value, so that the page's cached
// property is current when its handler runs and every store reaches the page
// (the channel's own property updates are batched and would merge two stores
// of the same text into one). GUI thread only; one filter per connection.
class VelServeFilter
{
public:
    // Objects known by the channel's id: the registered ones by name, the ones
    // returned from a call by the id the channel gives them.
    void addObject(const QString& strId, const QMetaObject* pMeta);
    // The next object of unknown id in an outgoing message is of this class
    // (the channel names a returned object only in the response).
    void expectObject(const QMetaObject* pMeta) { m_pExpected = pMeta; }
    bool knowsObject(const QString& strId) const { return m_objects.contains(strId); }

    // Empty when the page may send message, else why not.
    QString checkIncoming(const QJsonObject& message);
    // The message as the page may see it; empty to drop it.
    QJsonObject filterOutgoing(const QJsonObject& message);

private:
    struct Surface {
        QSet<int> slotSet;
        QSet<int> signalSet; // connectable
        QSet<int> propertySet;
        QHash<int, int> valueSignals; // signal index -> property index
    };
    static Surface surfaceOf(const QMetaObject* pMeta);
    const Surface* surface(const QString& strId) const;
    QString checkInvoke(const QJsonObject& message, const Surface& surface,
                        const QMetaObject* pMeta) const;
    QJsonObject filterClassInfo(const QJsonObject& info, const Surface& surface) const;
    QJsonValue filterValue(const QJsonValue& value);
    QJsonObject filterSignal(const QJsonObject& message);

    QHash<QString, const QMetaObject*> m_objects;
    QHash<const QMetaObject*, Surface> m_surfaces;
    QSet<double> m_pendingInits;
    const QMetaObject* m_pExpected = nullptr;
};

#endif // VELSERVEFILTER_H
