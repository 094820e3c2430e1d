#ifndef VELOVERVIEWWIDGET_H
#define VELOVERVIEWWIDGET_H

#include <QMap>
#include <QString>
#include <QWidget>

class QAbstractButton;
class QFrame;
class QGraphicsOpacityEffect;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;
class VelCloudSettingWidget;
class VelPopContainer;
class VelPushButton;
class VelVideoLabel;

// One camera thumbnail of the overview list: a title bar (camera name, PTZ
// button, switch button) over the video label "VideoWidget" the player paints.
// The switch button and a double click pick the camera for the program
// output; both only work while the cloud control state is on. Its object name
// is the camera's token. GUI thread only.
class VelOverviewWidget : public QWidget
{
    Q_OBJECT

public:
    VelOverviewWidget(const QString& name, bool bPtzAvailable, QWidget* parent = nullptr);
    ~VelOverviewWidget() override;

    QString name() const { return m_strName; }
    void setName(const QString& name);
    QString source() const { return m_strSource; }
    void setSource(const QString& source) { m_strSource = source; }
    bool isPtzAvailable() const { return m_bPtzAvailable; }
    bool cloudControlState() const { return m_bCloudControlState; }

    // PTZ button active when the camera has PTZ and a source; the switch
    // button follows the cloud control state.
    void updateCloudButton();

    VelVideoLabel* videoLabel() const { return m_pVideoLabel; }
    QPushButton* cloudButton() const { return m_pCloudButton; }
    VelPushButton* switchButton() const { return m_pSwitchButton; }
    // The PTZ pad and its container are built on the first PTZ click (or
    // the first call here): a list of thumbnails mostly never opens them.
    VelPopContainer* cloudContainer();
    VelCloudSettingWidget* cloudSettingWidget();
    // The pad if it was built, without building it.
    VelCloudSettingWidget* existingCloudSettingWidget() const { return m_pCloudSetting; }

signals:
    void sigSwitchClicked(VelOverviewWidget* pwnd);
    void sigSendCommand(QMap<QString, QString> lstParam);

public slots:
    void sltSetCloudControlState(bool state);
    void sltSetCloudButtonState(bool state);

private slots:
    void sltSwitch();
    void sltCloudControlClicked();
    void sltButtonPressed(QAbstractButton* pbtn);
    void sltButtonReleased(QAbstractButton* pbtn);

protected:
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    bool eventFilter(QObject* pWatched, QEvent* e) override;

private:
    void setCloudButtonActive(bool bActive);
    void buildCloudPad();
    void sendCloudCommand(QAbstractButton* pbtn, const char* szEvent);
    bool switchFromDoubleClick();

    QLabel* m_pNameLabel = nullptr;
    VelPushButton* m_pSwitchButton = nullptr;
    QPushButton* m_pCloudButton = nullptr;
    QHBoxLayout* m_pTitleLayout = nullptr;
    QVBoxLayout* m_pMainLayout = nullptr;
    QFrame* m_pTitleFrame = nullptr;
    VelVideoLabel* m_pVideoLabel = nullptr;
    QString m_strSource;
    QString m_strName;
    bool m_bPtzAvailable = false;
    bool m_bCloudControlState = false;
    QGraphicsOpacityEffect* m_pOpacityEffect = nullptr;
    VelCloudSettingWidget* m_pCloudSetting = nullptr; // null until first needed
    VelPopContainer* m_pCloudContainer = nullptr;     // top-level, deleted here
};

#endif // VELOVERVIEWWIDGET_H
