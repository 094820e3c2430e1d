#ifndef VELRECORDSETTINGWIDGET_H
#define VELRECORDSETTINGWIDGET_H

#include <QGroupBox>
#include <QList>
#include <QMap>
#include <QString>
#include <QTimer>

class Corvane;
class QAbstractButton;
class QButtonGroup;
class QGraphicsOpacityEffect;
class QLabel;
class QPushButton;
class QWidget;
class VelAddPointWidget;
class VelCaptionsWidget;
class VelCourseInfoWidget;
class VelCreditsSettingWidget;
class VelDialogFrame;
class VelEditWidget;
class VelPopContainer;
class VelScreenSettingWidget;
class VelTransitionEffectSettingWidget;

// The settings strip between the output view and the overview list: recording
// mode, directing strategy, screen layout and transition effect pop-ups, the
// captions, title/tail, video dot, course and live address dialogs, storage and
// clock. The page shows, hides, enables and disables each function; hidden
// widgets keep their place (opacity 0). GUI thread only.
class VelRecordSettingWidget : public QGroupBox
{
    Q_OBJECT

public:
    // Delay of the single-screen fallback after automatic directing is chosen
    // on a device that is not smart.
    static const int kAutoPressDelayMs = 200;

    explicit VelRecordSettingWidget(Corvane* pControl);
    ~VelRecordSettingWidget() override;

    // Clears the title and tail settings (a recording starts on a device that
    // is not smart).
    void resetCredits();

    void setSmartDevice(bool bSmart) { m_bSmartDevice = bSmart; }
    // The control asks it whether directing is manual.
    QButtonGroup* strategyGroup() const { return m_pStrategyGroup; }

signals:
    void sigBroadcastStrategyChanged(bool isHandControl);
    void sigSendCommand(QMap<QString, QString> lstParam);
    void sigRecordModeChanged(QAbstractButton* pbtn);

public slots:
    void sltSetRecordType(QString strType);
    void sltReceiveCommand(QMap<QString, QString> mapMessage);
    void sltRecordModeSelected(QAbstractButton* pbtn);
    void sltBroadcastStrategySelected(int nType);
    void sltSetRecordMode(QString text);
    void sltSetBroadcastStrategy(QString text);
    void sltStateChanged(bool bIsStart);
    void sltSetFunctionShownState(QString strIndex, QString state);
    void sltSetLiveAddress(QString address);
    void sltSetRecordState(QString strState);
    void sltSetScreenModeText(QString strText);
    void sltSetMemoryText(QString strText);
    void sltChangeBroadcastStrategyByScreenMode(bool bInSingleScreen);
    void sltAutoPress();
    void sltScreenSettingClicked();
    void sltTransitionEffectClicked();
    void sltCourInfoClicked();
    void sltVideoPointClicked();
    void sltCaptionsClicked();
    void sltCreditsClicked();
    void sltLiveAddressClicked();
    void sltUpdateSystemTime();

private:
    QPushButton* makeButton(const QString& strText, int nWidth, const char* szObjectName = nullptr);
    QGraphicsOpacityEffect* attachEffect(QWidget* pWidget);
    void buildLayout();
    void connectChildren(Corvane* pControl);
    // Whether a widget of the strip is shown (its opacity effect at 1); widgets
    // without an effect always are.
    bool isShown(const QWidget* pWidget) const;
    // Shows or hides widgets together: opacity and enabled state.
    void setShown(const QList<QWidget*>& widgets, bool bShown);
    // Enables or disables widgets; a hidden one stays disabled.
    void setUsable(const QList<QWidget*>& widgets, bool bEnabled);
    // Checks pButton in its group, unchecking the other button first.
    static void swapChecked(QButtonGroup* pGroup, QAbstractButton* pButton);

    QLabel* m_pModeLabel = nullptr;
    QLabel* m_pLayoutLabel = nullptr;
    QLabel* m_pStrategyLabel = nullptr;
    QLabel* m_pEffectLabel = nullptr;
    QLabel* m_pStorageLabel = nullptr;
    QLabel* m_pClockLabel = nullptr;
    QPushButton* m_pMovieButton = nullptr;
    QPushButton* m_pMovieResourceButton = nullptr;
    QPushButton* m_pLayoutButton = nullptr;
    QPushButton* m_pAutoButton = nullptr;
    QPushButton* m_pManualButton = nullptr;
    QPushButton* m_pEffectButton = nullptr;
    QPushButton* m_pCaptionsButton = nullptr;
    QPushButton* m_pCreditsButton = nullptr;
    QPushButton* m_pVideoDotButton = nullptr;
    QPushButton* m_pCourseButton = nullptr;
    QPushButton* m_pLiveAddressButton = nullptr;
    QMap<const QWidget*, QGraphicsOpacityEffect*> m_effects;
    QButtonGroup* m_pModeGroup = nullptr;
    QButtonGroup* m_pStrategyGroup = nullptr;
    VelPopContainer* m_pLayoutPopup = nullptr;
    VelScreenSettingWidget* m_pScreenSettingWidget = nullptr;
    VelPopContainer* m_pEffectPopup = nullptr;
    VelTransitionEffectSettingWidget* m_pEffectWidget = nullptr;
    VelDialogFrame* m_pCourseFrame = nullptr;
    VelCourseInfoWidget* m_pCourseWidget = nullptr;
    VelDialogFrame* m_pDotFrame = nullptr;
    VelAddPointWidget* m_pDotWidget = nullptr;
    VelDialogFrame* m_pCaptionsFrame = nullptr;
    VelCaptionsWidget* m_pCaptionsWidget = nullptr;
    VelDialogFrame* m_pCreditsFrame = nullptr;
    VelCreditsSettingWidget* m_pCreditsWidget = nullptr;
    VelEditWidget* m_pAddressEdit = nullptr;
    VelDialogFrame* m_pAddressFrame = nullptr;
    QString m_strWorkingMode = QStringLiteral("workingModeRecording");
    QString m_strLiveAddress;
    QTimer m_clockTimer;
    bool m_bSingleScreen = false;
    bool m_bSmartDevice = false;
    Corvane* m_pControl = nullptr; // owns the strip
};

#endif // VELRECORDSETTINGWIDGET_H
