#ifndef PELLITH_H
#define PELLITH_H

#include <QString>
#include <QWidget>

class QVBoxLayout;
class VelTourVideoWidget;

// The classroom tour control. It holds one tour video widget, built when the
// control is first shown and dropped whenever it is hidden, and hands every
// slot to it; without the widget the slots do nothing, except that play()
// keeps the address for the next show. GUI thread only.
class Pellith : public QWidget
{
    Q_OBJECT
    Q_CLASSINFO("ClassID", "{BF760905-BE9E-43CA-A5C6-2CB1822B6889}")
    Q_CLASSINFO("InterfaceID", "{1C47F15D-C8E6-414A-AC73-3CD3052036D0}")
    Q_CLASSINFO("EventsID", "{FDACA858-F2C5-45D8-BC25-694C16E44F48}")

public:
    explicit Pellith(QWidget* parent = nullptr);
    ~Pellith() override;

    VelTourVideoWidget* videoWidget() const { return m_pVideoWidget; }
    QString pendingAddress() const { return m_strPendingAddress; }

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

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void playPendingLater();
    void dropVideoWidget();

    QString m_strPendingAddress;
    VelTourVideoWidget* m_pVideoWidget = nullptr;
    QVBoxLayout* m_pLayout = nullptr;
};

#endif // PELLITH_H
