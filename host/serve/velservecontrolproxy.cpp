#include "velservecontrolproxy.h"

#include "velservesurface.h"

#include <cstring>

VelServeControlProxy* VelServeControlProxy::create(QObject* pControl, QObject* parent)
{
    const VelServeSurface* pSurface = VelServeSurface::of(pControl->metaObject());
    return pSurface ? new VelServeControlProxy(pControl, pSurface, parent) : nullptr;
}

VelServeControlProxy::VelServeControlProxy(QObject* pControl, const VelServeSurface* pSurface,
                                           QObject* parent)
    : VelServeProxy(pControl, parent), m_pSurface(pSurface)
{
    m_pSurface->relaySignals(pControl, this);
}

const QMetaObject* VelServeControlProxy::metaObject() const
{
    return m_pSurface->metaObject();
}

void* VelServeControlProxy::qt_metacast(const char* szClassName)
{
    if (szClassName && std::strcmp(szClassName, metaObject()->className()) == 0)
        return this;
    return VelServeProxy::qt_metacast(szClassName);
}

int VelServeControlProxy::qt_metacall(QMetaObject::Call call, int nId, void** argv)
{
    nId = VelServeProxy::qt_metacall(call, nId, argv);
    if (nId < 0)
        return nId;
    return m_pSurface->metacall(this, control(), call, nId, argv);
}

void VelServeControlProxy::propertyStored(const QString& strName)
{
    m_pSurface->propertyStored(this, control(), strName);
}
