#ifndef VELSERVECORVANE_H
#define VELSERVECORVANE_H

#include "velserveproxy.h"

// The directing panel as a browser page sees it: the slots and signals of
// Corvane's interface description, its property text, and textChanged(text)
// on every store. sltSendCommand(QMap<QString,QString>) is left out, as the
// description leaves it out: no page can pass that type.
class VelServeCorvane : public VelServeProxy
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

public:
    VelServeCorvane(QObject* pControl, QObject* parent);

    QString text() const;
    void setText(const QString& strText);

signals:
    void sigServiceChanged(QString path);
    void sigStartTimeChanged(QString time);
    void textChanged(QString text);

public slots:
    void sltFlush(int nExplorerWidth, int nExplorerHeight);
    void sltStateChanged(bool bIsStart);
    void sltReceiveCommand(QString message);
    void sltSetOverviewWidget(QString name, QString strIndex, QString isPtzAvaliable);
    void sltSetOverviewSource(QString source, QString name, QString strIndex);
    void sltChangeOutputWidgetHeight(int nHeight);
    void sltSetFunctionShownState(QString strIndex, QString state);
    void sltSetLiveAddress(QString address);
    void sltSetDeviceType(QString isSmartType);
    void sltSetNasState(QString isReady);
    void sltSetUploadService(QString strPath);
    void sltStartTime(QString strTime);

protected:
    void propertyStored(const QString& strName) override;
};

#endif // VELSERVECORVANE_H
