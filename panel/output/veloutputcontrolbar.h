#ifndef VELOUTPUTCONTROLBAR_H
#define VELOUTPUTCONTROLBAR_H

#include <QFrame>
#include <QMap>
#include <QPointer>
#include <QString>

#include "output/veltaskstate.h"

class QAbstractButton;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QSlider;
class QTimer;
class VelDialogFrame;
class VelPopContainer;
class VelPushButton;
class VelRecordTypeWidget;
class VelSaveInfoWidget;
class VelSaveProgressWidget;
class VelTipWidget;

// The translucent band over the bottom of the output view: start, pause,
// resume and stop the task, choose the working mode, show the record time.
// Operator actions leave as command maps; the bar changes its look only on
// the page's answers (sltReceiveCommand), which velApplyTaskAnswer turns into
// a new task state that the bar renders. Warnings, the stop confirmation and
// the live room chooser run modally while the page's call or the operator's
// click is on the stack, so they go through velExecModal. GUI thread only.
class VelOutputControlBar : public QFrame
{
    Q_OBJECT

public:
    explicit VelOutputControlBar(QWidget* parent = nullptr);
    ~VelOutputControlBar() override;

    void setLiveAddress(const QString& strAddress) { m_strLiveAddress = strAddress; }
    void setSmartDevice(bool isSmart) { m_bNotSmartDevice = !isSmart; }
    void setNasReady(bool isReady) { m_bNasReady = isReady; }

    // Either pop-up (working mode, volume) is showing.
    bool isPopupOpen() const;
    bool isRecordingLayout() const { return m_state.bRecording; }
    bool isPaused() const { return m_state.bPaused; }
    QString workingMode() const { return m_state.strWorkingMode; }
    const VelTaskState& taskState() const { return m_state; }
    QString recordInformation() const;
    int recordSeconds() const { return m_nRecordSeconds; }
    int volume() const;

    // The operator's controls.
    QPushButton* recordButton() const;
    QPushButton* workingModeButton() const;
    QPushButton* resumeButton() const;
    QPushButton* stopButton() const;
    QSlider* volumeSlider() const { return m_pVolumeSlider; }
    VelRecordTypeWidget* recordTypeWidget() const { return m_pRecordTypeWidget; }
    VelDialogFrame* saveInfoDialog() const { return m_pSaveInfoDialog; }
    VelDialogFrame* saveProgressDialog() const { return m_pSaveProgressDialog; }
    VelDialogFrame* warningDialog() const;

signals:
    void sigMouseEntered();
    void sigMouseLeaved();
    void sigStateChanged(bool bIsStart);
    void sigSetRecordMode(QString text);
    void sigSendCommand(QMap<QString, QString> lstParam);
    void sigRecordStateChanged(QString strState);
    void sigRecordTypeChanged(QString);

public slots:
    void sltSetUnRecordState();
    void sltSetRecordingState();
    void sltVolumeClicked();
    void sltRecordTypeChanged(QAbstractButton* pbtn);
    void sltRecordModeChanged(QAbstractButton* pbtn);
    void sltReceiveCommand(QMap<QString, QString> lstParam);
    void sltSetRecordTime(QString strTime);

private slots:
    void sltRecordModeClicked();
    void sltRecordClicked();
    void sltResumeClicked();
    void sltStopClicked();
    void sltVolumeChanged(int nValue);
    void sltSetResumeState(bool bIsPaused);
    void sltRecordTimeChanged();

protected:
    void mouseMoveEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    void createButtons();
    void createPopups();
    void createDialogs();
    void clearLayout();
    void updateRecordInformation();
    QString taskTarget(bool bWithCloseLiveRoom = false, bool bCloseLiveRoom = false) const;
    void sendWorkingMode(const QString& strTarget, const QString& strEvent);
    void showWarning(const QString& strMessage);
    void render(const VelTaskAnswer& answer);
    void chooseLiveRoom(const QString& strTarget);
    QWidget* dialogParent() const;

    VelPushButton* m_pRecordButton = nullptr;
    VelPushButton* m_pWorkingModeButton = nullptr;
    VelPushButton* m_pResumeButton = nullptr;
    VelPushButton* m_pStopButton = nullptr;
    VelPushButton* m_pVolumeButton = nullptr;
    QPushButton* m_pRecordStateButton = nullptr;
    QPushButton* m_pLiveStateButton = nullptr;
    VelPushButton* m_pScreenshotButton = nullptr;
    QHBoxLayout* m_pLayout = nullptr;
    QLabel* m_pInformationLabel = nullptr;
    QTimer* m_pRecordTimer = nullptr;
    VelRecordTypeWidget* m_pRecordTypeWidget = nullptr;
    VelPopContainer* m_pRecordTypeContainer = nullptr;
    QSlider* m_pVolumeSlider = nullptr;
    VelPopContainer* m_pVolumeContainer = nullptr;
    VelSaveInfoWidget* m_pSaveInfoWidget = nullptr;
    VelDialogFrame* m_pSaveInfoDialog = nullptr;
    VelSaveProgressWidget* m_pSaveProgressWidget = nullptr;
    VelDialogFrame* m_pSaveProgressDialog = nullptr;
    // The warning in view; replaced (and so destroyed) by the next one.
    QPointer<VelTipWidget> m_pTipWidget;
    QPointer<VelDialogFrame> m_pWarningDialog;
    QString m_strLiveAddress;
    QString m_strRecordMode;
    QMap<QString, QString> m_mapLiveRoom;
    VelTaskState m_state;
    bool m_bNotSmartDevice = false;
    bool m_bNasReady = false;
    int m_nRecordSeconds = 0; // counts on from the state's time while the task runs
};

#endif // VELOUTPUTCONTROLBAR_H
