#include "velserveproxy.h"

#include "velaxbindable.h"

VelServeProxy::VelServeProxy(QObject* pControl, QObject* parent)
    : QObject(parent), m_pControl(pControl),
      m_strClassName(QString::fromLatin1(pControl->metaObject()->className()))
{
    connect(pControl, &QObject::destroyed, this, &VelServeProxy::sltControlDestroyed);
    // The bindable's class is the library's, hidden from the host: found by
    // name, connected by signature.
    QObject* pBindable = pControl->findChild<QObject*>(QLatin1String(VelAxBindable::kObjectName),
                                                       Qt::FindDirectChildrenOnly);
    if (pBindable)
        connect(pBindable, SIGNAL(sigPropertyChanged(QString)), this,
                SLOT(sltPropertyChanged(QString)));
}

VelServeProxy::~VelServeProxy()
{
    if (m_pControl) {
        disconnect(m_pControl, nullptr, this, nullptr);
        delete m_pControl.data();
    }
}

void VelServeProxy::sltPropertyChanged(QString strName)
{
    propertyStored(strName);
}

void VelServeProxy::sltControlDestroyed()
{
    emit sigControlGone();
}
