#include "velservehost.h"

VelServeHost::VelServeHost(const Creator& fnCreate, QObject* parent)
    : QObject(parent), m_fnCreate(fnCreate)
{
}

QObject* VelServeHost::createControl(QString classId)
{
    QString strError;
    QObject* pProxy = m_fnCreate(classId, &strError);
    if (!pProxy)
        emit sigError(strError);
    return pProxy;
}
