#ifndef VELSERVEPROXIES_H
#define VELSERVEPROXIES_H

#include <QList>
#include <QString>

class QObject;
class VelServeProxy;
struct QMetaObject;

// The control classes a browser page can hold, each with its proxy class. A
// control class joins with one line in velserveproxies.cpp; a control of a
// class without proxy is not offered to pages.
class VelServeProxies
{
public:
    struct Entry {
        const char* szClassName;
        const QMetaObject* pProxyMeta;
        VelServeProxy* (*pfnCreate)(QObject* pControl, QObject* parent);
    };

    static QList<Entry> entries();
    // A proxy for pControl, or null when its class has none.
    static VelServeProxy* create(QObject* pControl, QObject* parent);
};

#endif // VELSERVEPROXIES_H
