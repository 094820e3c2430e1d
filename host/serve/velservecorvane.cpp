#include "velservecorvane.h"

VelServeCorvane::VelServeCorvane(QObject* pControl, QObject* parent)
    : VelServeProxy(pControl, parent)
{
    relaySignal("sigServiceChanged(QString)");
    relaySignal("sigStartTimeChanged(QString)");
}

QString VelServeCorvane::text() const
{
    return readProperty("text").toString();
}

void VelServeCorvane::setText(const QString& strText)
{
    writeProperty("text", strText);
}

void VelServeCorvane::propertyStored(const QString& strName)
{
    if (strName == QLatin1String("text"))
        emit textChanged(text());
}

void VelServeCorvane::sltFlush(int nExplorerWidth, int nExplorerHeight)
{
    call("sltFlush", Q_ARG(int, nExplorerWidth), Q_ARG(int, nExplorerHeight));
}

void VelServeCorvane::sltStateChanged(bool bIsStart)
{
    call("sltStateChanged", Q_ARG(bool, bIsStart));
}

void VelServeCorvane::sltReceiveCommand(QString message)
{
    call("sltReceiveCommand", Q_ARG(QString, message));
}

void VelServeCorvane::sltSetOverviewWidget(QString name, QString strIndex, QString isPtzAvaliable)
{
    call("sltSetOverviewWidget", Q_ARG(QString, name), Q_ARG(QString, strIndex),
         Q_ARG(QString, isPtzAvaliable));
}

void VelServeCorvane::sltSetOverviewSource(QString source, QString name, QString strIndex)
{
    call("sltSetOverviewSource", Q_ARG(QString, source), Q_ARG(QString, name),
         Q_ARG(QString, strIndex));
}

void VelServeCorvane::sltChangeOutputWidgetHeight(int nHeight)
{
    call("sltChangeOutputWidgetHeight", Q_ARG(int, nHeight));
}

void VelServeCorvane::sltSetFunctionShownState(QString strIndex, QString state)
{
    call("sltSetFunctionShownState", Q_ARG(QString, strIndex), Q_ARG(QString, state));
}

void VelServeCorvane::sltSetLiveAddress(QString address)
{
    call("sltSetLiveAddress", Q_ARG(QString, address));
}

void VelServeCorvane::sltSetDeviceType(QString isSmartType)
{
    call("sltSetDeviceType", Q_ARG(QString, isSmartType));
}

void VelServeCorvane::sltSetNasState(QString isReady)
{
    call("sltSetNasState", Q_ARG(QString, isReady));
}

void VelServeCorvane::sltSetUploadService(QString strPath)
{
    call("sltSetUploadService", Q_ARG(QString, strPath));
}

void VelServeCorvane::sltStartTime(QString strTime)
{
    call("sltStartTime", Q_ARG(QString, strTime));
}
