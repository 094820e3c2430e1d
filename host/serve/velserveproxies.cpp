#include "velserveproxies.h"

#include "velservecorvane.h"
#include "velservepellith.h"

#include <QMetaObject>

namespace
{

template <class Proxy> VelServeProxy* makeProxy(QObject* pControl, QObject* parent)
{
    return new Proxy(pControl, parent);
}

} // namespace

QList<VelServeProxies::Entry> VelServeProxies::entries()
{
    return {
        {"Corvane", &VelServeCorvane::staticMetaObject, &makeProxy<VelServeCorvane>},
        {"Pellith", &VelServePellith::staticMetaObject, &makeProxy<VelServePellith>},
    };
}

VelServeProxy* VelServeProxies::create(QObject* pControl, QObject* parent)
{
    const QByteArray className = pControl->metaObject()->className();
    for (const Entry& entry : entries()) {
        if (className == entry.szClassName)
            return entry.pfnCreate(pControl, parent);
    }
    return nullptr;
}
