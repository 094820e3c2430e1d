#include "velservepellith.h"

VelServePellith::VelServePellith(QObject* pControl, QObject* parent)
    : VelServeProxy(pControl, parent)
{
    relaySignal("OnPtzControl(QString)");
}

void VelServePellith::sltFlush()
{
    call("sltFlush");
}

void VelServePellith::stop()
{
    call("stop");
}

void VelServePellith::play(QString address)
{
    call("play", Q_ARG(QString, address));
}

void VelServePellith::setRunMode(int nMode)
{
    call("setRunMode", Q_ARG(int, nMode));
}

void VelServePellith::snapshot()
{
    call("snapshot");
}

void VelServePellith::record()
{
    call("record");
}

void VelServePellith::stopRecord()
{
    call("stopRecord");
}

void VelServePellith::setChannelName(QString name)
{
    call("setChannelName", Q_ARG(QString, name));
}

void VelServePellith::setStreamingUrls(QString mainStream, QString subStream)
{
    call("setStreamingUrls", Q_ARG(QString, mainStream), Q_ARG(QString, subStream));
}

void VelServePellith::setPtzEnable(bool bEnable)
{
    call("setPtzEnable", Q_ARG(bool, bEnable));
}

void VelServePellith::setButtonEnable(QString strKey, bool bVisible)
{
    call("setButtonEnable", Q_ARG(QString, strKey), Q_ARG(bool, bVisible));
}
