#ifndef CORVANE_H
#define CORVANE_H

#include "output/veloutputwidget.h"
#include "velcommand.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QWidget>

class QVBoxLayout;
class VelRecordSettingWidget;
class VelOverviewListWidget;

// The directing panel control. The page scripts it through the slots below and
// reads every outgoing command from the property text; the children report the
// operator's actions as command maps to sltSendCommand. At most one lives in a
// process: constructing a control deletes the previous one. GUI thread only.
class Corvane : public QWidget
{
    Q_OBJECT
    Q_CLASSINFO("ClassID", "{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}")
    Q_CLASSINFO("InterfaceID", "{29E33119-81B2-4309-96E8-8F40B07F0693}")
    Q_CLASSINFO("EventsID", "{EE953EA1-4E45-475F-9FFB-723C12A09020}")
    Q_CLASSINFO("DefaultProperty", "text")
    Q_PROPERTY(QString text READ text WRITE setText DESIGNABLE true SCRIPTABLE true STORED true)

public:
    explicit Corvane(QWidget* parent = nullptr);
    ~Corvane() override;

    QString text() const { return m_strText; }
    void setText(const QString& strText);

    // The control constructed last and not yet destroyed, or null.
    static Corvane* currentInstance();

    // Lookups over the overview thumbnails, in list order.
    QStringList cameraNames() const;
    QString tokenForName(const QString& name) const;
    QString nameForToken(const QString& token) const;

    VelOutputWidget* outputWidget() const { return m_pOutputWidget; }
    VelRecordSettingWidget* recordSettingWidget() const { return m_pRecordSettingWidget; }
    VelOverviewListWidget* overviewListWidget() const { return m_pOverviewListWidget; }
    bool isNotSmartDevice() const { return m_bNotSmartDevice; }

signals:
    void sigServiceChanged(QString path);
    void sigStartTimeChanged(QString time);

public slots:
    void sltFlush(int nExplorerWidth, int nExplorerHeight);
    void sltStateChanged(bool bIsStart);
    void sltSendCommand(QMap<QString, QString> lstParam);
    void sltReceiveCommand(QString message);
    void sltSetOverviewWidget(QString name, QString strIndex, QString isPtzAvaliable);
    void sltSetOverviewSource(QString source, QString name, const QString& strIndex);
    void sltChangeOutputWidgetHeight(int nHeight);
    void sltSetFunctionShownState(QString strIndex, QString state);
    void sltSetLiveAddress(QString address);
    void sltSetDeviceType(QString isSmartType);
    void sltSetNasState(QString isReady);
    void sltSetUploadService(QString strPath);
    void sltStartTime(QString strTime);

protected:
    bool event(QEvent* e) override;

private:
    void changeOutputState(int nBit, bool bSet);
    void routeCommand(const CommandMap& map);
    bool isManualDirecting() const;

    VelOutputWidget* m_pOutputWidget = nullptr;
    VelRecordSettingWidget* m_pRecordSettingWidget = nullptr;
    VelOverviewListWidget* m_pOverviewListWidget = nullptr;
    QVBoxLayout* m_pLayout = nullptr;
    QString m_strText;
    bool m_bNotSmartDevice = false;
};

#endif // CORVANE_H
