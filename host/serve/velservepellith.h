#ifndef VELSERVEPELLITH_H
#define VELSERVEPELLITH_H

#include "velserveproxy.h"

// The tour control as a browser page sees it: the slots and the event of
// Pellith's interface description. It has no property.
class VelServePellith : public VelServeProxy
{
    Q_OBJECT

public:
    VelServePellith(QObject* pControl, QObject* parent);

signals:
    void OnPtzControl(QString strJson);

public slots:
    void sltFlush();
    void stop();
    void play(QString address);
    void setRunMode(int nMode);
    void snapshot();
    void record();
    void stopRecord();
    void setChannelName(QString name);
    void setStreamingUrls(QString mainStream, QString subStream);
    void setPtzEnable(bool bEnable);
    void setButtonEnable(QString strKey, bool bVisible);
};

#endif // VELSERVEPELLITH_H
