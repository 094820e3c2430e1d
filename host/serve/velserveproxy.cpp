#include "velserveproxy.h"

#include "velaxbindable.h"

#include <QMetaObject>

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

void VelServeProxy::relaySignal(const char* szSignature)
{
    const QByteArray signal = QByteArray("2") + szSignature; // what SIGNAL() makes
    if (!connect(m_pControl, signal.constData(), this, signal.constData()))
        qWarning("vel-host: %s has no signal %s", qPrintable(m_strClassName), szSignature);
}

bool VelServeProxy::call(const char* szName, QGenericArgument a0, QGenericArgument a1,
                         QGenericArgument a2)
{
    if (!m_pControl)
        return false;
    const bool isCalled =
        QMetaObject::invokeMethod(m_pControl, szName, Qt::DirectConnection, a0, a1, a2);
    if (!isCalled)
        qWarning("vel-host: %s has no slot %s", qPrintable(m_strClassName), szName);
    return isCalled;
}

QVariant VelServeProxy::readProperty(const char* szName) const
{
    return m_pControl ? m_pControl->property(szName) : QVariant();
}

void VelServeProxy::writeProperty(const char* szName, const QVariant& value)
{
    if (m_pControl)
        m_pControl->setProperty(szName, value);
}

void VelServeProxy::sltPropertyChanged(QString strName)
{
    propertyStored(strName);
}

void VelServeProxy::sltControlDestroyed()
{
    emit sigControlGone();
}
