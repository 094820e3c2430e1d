#include "strip/velrecordsettingwidget.h"

#include "corvane.h"
#include "dialogs/veladdpointwidget.h"
#include "dialogs/velcaptionswidget.h"
#include "dialogs/velcourseinfowidget.h"
#include "dialogs/velcreditssettingwidget.h"
#include "layout/velscreensettingwidget.h"
#include "strip/veltransitioneffectsettingwidget.h"
#include "veldialogframe.h"
#include "veleditwidget.h"
#include "velmodal.h"
#include "velpopcontainer.h"

#include <QButtonGroup>
#include <QCursor>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTime>
#include <QVBoxLayout>

namespace
{

const QColor kPopupColor(120, 120, 120, 255);
const int kPopupOffset = 32;
const int kDialogButtons =
    VelDialogFrame::ExitButton | VelDialogFrame::CancelButton | VelDialogFrame::OkButton;

QMap<QString, QString> stripCommand(const QString& strKind, const QString& strTarget)
{
    return {{QStringLiteral("requestParam"), strKind},
            {QStringLiteral("target"), strTarget},
            {QStringLiteral("event"), QString()},
            {QStringLiteral("token"), QString()}};
}

QLabel* makeLabel(const QString& strText, int nWidth, const char* szObjectName, QWidget* parent)
{
    auto* pLabel = new QLabel(strText, parent);
    pLabel->setFixedWidth(nWidth);
    pLabel->setObjectName(QLatin1String(szObjectName));
    return pLabel;
}

} // namespace

VelRecordSettingWidget::VelRecordSettingWidget(Corvane* pControl)
    : QGroupBox(pControl), m_pControl(pControl)
{
    m_pModeLabel = makeLabel(tr("录制模式 :"), 60, "modeLabel", this);
    m_pLayoutLabel = makeLabel(tr("分屏设置 :"), 60, "layoutLabel", this);
    m_pStrategyLabel = makeLabel(tr("导播策略 :"), 60, "strategyLabel", this);
    m_pEffectLabel = makeLabel(tr("过渡特效 :"), 60, "effectLabel", this);
    m_pStorageLabel = makeLabel(tr("可用空间 : "), 250, "storageLabel", this);
    m_pClockLabel = makeLabel(tr("当前时间 : 18:40"), 250, "clockLabel", this);

    m_pMovieButton = makeButton(tr("电影模式"), 80, "recordingModeMovie");
    m_pMovieButton->setCheckable(true);
    m_pMovieButton->setChecked(true);
    m_pMovieResourceButton =
        makeButton(tr("电影 + 资源模式"), 130, "recordingModeMovieAndResource");
    m_pMovieResourceButton->setCheckable(true);
    m_pLayoutButton = makeButton(tr("默认"), 80, "layoutButton");
    m_pLayoutButton->setText(tr("单屏"));
    m_pLayoutButton->setEnabled(false);
    m_pAutoButton = makeButton(tr("自动控制"), 80, "directModeAuto");
    m_pAutoButton->setCheckable(true);
    m_pAutoButton->setChecked(true);
    m_pManualButton = makeButton(tr("手动控制"), 80, "directModeManual");
    m_pManualButton->setCheckable(true);
    m_pEffectButton = makeButton(tr("默认"), 80, "effectButton");
    m_pCaptionsButton = makeButton(tr("字幕"), 80, "captionsButton");
    m_pCreditsButton = makeButton(tr("片头片尾"), 80, "creditsButton");
    m_pVideoDotButton = makeButton(tr("视频打点"), 80, "videoDotButton");
    m_pVideoDotButton->setEnabled(false);
    m_pCourseButton = makeButton(tr("课程信息"), 80, "courseButton");
    m_pLiveAddressButton = makeButton(tr("直播地址"), 130, "liveAddressButton");

    const QList<QWidget*> faded = {m_pStrategyLabel,  m_pAutoButton,     m_pManualButton,
                                   m_pLayoutLabel,    m_pLayoutButton,   m_pEffectLabel,
                                   m_pEffectButton,   m_pCaptionsButton, m_pCreditsButton,
                                   m_pVideoDotButton, m_pCourseButton,   m_pStorageLabel};
    for (QWidget* pWidget : faded)
        attachEffect(pWidget);

    m_pModeGroup = new QButtonGroup(this);
    m_pModeGroup->addButton(m_pMovieButton, 0);
    m_pModeGroup->addButton(m_pMovieResourceButton, 1);
    m_pStrategyGroup = new QButtonGroup(this);
    m_pStrategyGroup->addButton(m_pAutoButton, 0);
    m_pStrategyGroup->addButton(m_pManualButton, 1);

    // The pop-ups are top-level windows of their own, deleted by the destructor.
    m_pScreenSettingWidget = new VelScreenSettingWidget(this, pControl);
    m_pLayoutPopup = new VelPopContainer(nullptr, m_pScreenSettingWidget, QString());
    m_pLayoutPopup->setBackgroundColor(kPopupColor);
    m_pEffectWidget = new VelTransitionEffectSettingWidget(this);
    m_pEffectPopup = new VelPopContainer(nullptr, m_pEffectWidget, QString());
    m_pEffectPopup->setBackgroundColor(kPopupColor);

    m_pCourseWidget = new VelCourseInfoWidget(this);
    m_pCourseFrame = new VelDialogFrame(tr("课程信息"), this, m_pCourseWidget, kDialogButtons);
    m_pDotWidget = new VelAddPointWidget(this);
    m_pDotFrame = new VelDialogFrame(tr("打点信息"), this, m_pDotWidget, kDialogButtons);
    m_pCaptionsWidget = new VelCaptionsWidget(this);
    m_pCaptionsFrame = new VelDialogFrame(tr("字幕"), this, m_pCaptionsWidget, kDialogButtons);
    m_pCreditsWidget = new VelCreditsSettingWidget(this);
    m_pCreditsFrame =
        new VelDialogFrame(tr("片头片尾设置"), this, m_pCreditsWidget, kDialogButtons);

    buildLayout();
    setMaximumHeight(90);
    setStyleSheet(QStringLiteral(
        "QGroupBox {                   background-color: #F2F2F2;                   "
        "border: 0px solid gray; border-bottom: 1px solid #C8C8C8}                   "
        "                   QPushButton {border: 1px solid #DBDBDB;border-radius: "
        "4px;background-color: white;}                   QPushButton:pressed "
        "{background-color: rgb(39, 183, 121); color: white}                   "
        "QPushButton:hover:!pressed:!checked {color: rgb(39, 183, 121)}                   "
        "QPushButton:checked {background-color: rgb(39, 183, 121); color: white}"));

    connectChildren(pControl);

    m_clockTimer.setInterval(1000);
    connect(&m_clockTimer, &QTimer::timeout, this, &VelRecordSettingWidget::sltUpdateSystemTime);
    m_clockTimer.start();
    // The real time from the start, not the placeholder for the first second.
    sltUpdateSystemTime();
}

VelRecordSettingWidget::~VelRecordSettingWidget()
{
    delete m_pScreenSettingWidget;
    delete m_pLayoutPopup;
    delete m_pEffectWidget;
    delete m_pEffectPopup;
}

QPushButton* VelRecordSettingWidget::makeButton(const QString& strText, int nWidth,
                                                const char* szObjectName)
{
    auto* pButton = new QPushButton(strText, this);
    pButton->setFixedSize(nWidth, 25);
    if (szObjectName)
        pButton->setObjectName(QLatin1String(szObjectName));
    return pButton;
}

QGraphicsOpacityEffect* VelRecordSettingWidget::attachEffect(QWidget* pWidget)
{
    auto* pEffect = new QGraphicsOpacityEffect(pWidget);
    pEffect->setOpacity(1.0);
    pWidget->setGraphicsEffect(pEffect);
    m_effects.insert(pWidget, pEffect);
    return pEffect;
}

void VelRecordSettingWidget::buildLayout()
{
    auto row = [](std::initializer_list<QWidget*> widgets, int nSpacingBeforeLast = 0) {
        auto* pRow = new QHBoxLayout;
        pRow->setContentsMargins(0, 0, 0, 0);
        const int nCount = int(widgets.size());
        int i = 0;
        for (QWidget* pWidget : widgets) {
            if (nSpacingBeforeLast && i == nCount - 1)
                pRow->addSpacing(nSpacingBeforeLast);
            pRow->addWidget(pWidget);
            ++i;
        }
        pRow->addStretch();
        return pRow;
    };
    auto column = [](QHBoxLayout* pFirst, QHBoxLayout* pSecond) {
        auto* pColumn = new QVBoxLayout;
        pColumn->setContentsMargins(0, 0, 0, 0);
        pColumn->addLayout(pFirst);
        pColumn->addLayout(pSecond);
        return pColumn;
    };

    QVBoxLayout* pFirst = column(row({m_pModeLabel, m_pMovieButton, m_pMovieResourceButton}),
                                 row({m_pLayoutLabel, m_pLayoutButton, m_pLiveAddressButton}));
    QVBoxLayout* pSecond = column(row({m_pStrategyLabel, m_pAutoButton, m_pManualButton}),
                                  row({m_pEffectLabel, m_pEffectButton}));
    QVBoxLayout* pThird = column(row({m_pCourseButton, m_pVideoDotButton, m_pStorageLabel}, 20),
                                 row({m_pCreditsButton, m_pCaptionsButton, m_pClockLabel}, 20));

    auto* pMain = new QHBoxLayout;
    pMain->addSpacing(30);
    pMain->addLayout(pFirst, 2);
    pMain->addSpacing(20);
    pMain->addLayout(pSecond, 2);
    pMain->addSpacing(20);
    pMain->addLayout(pThird, 3);
    pMain->addSpacing(30);
    setLayout(pMain);
}

void VelRecordSettingWidget::connectChildren(Corvane* pControl)
{
    connect(m_pLiveAddressButton, &QPushButton::clicked, this,
            &VelRecordSettingWidget::sltLiveAddressClicked);
    connect(m_pLayoutButton, &QPushButton::clicked, this,
            &VelRecordSettingWidget::sltScreenSettingClicked);
    connect(m_pEffectButton, &QPushButton::clicked, this,
            &VelRecordSettingWidget::sltTransitionEffectClicked);
    connect(m_pCourseButton, &QPushButton::clicked, this,
            &VelRecordSettingWidget::sltCourInfoClicked);
    connect(m_pVideoDotButton, &QPushButton::clicked, this,
            &VelRecordSettingWidget::sltVideoPointClicked);
    connect(m_pCaptionsButton, &QPushButton::clicked, this,
            &VelRecordSettingWidget::sltCaptionsClicked);
    connect(m_pCreditsButton, &QPushButton::clicked, this,
            &VelRecordSettingWidget::sltCreditsClicked);
    connect(m_pStrategyGroup, &QButtonGroup::idClicked, this,
            &VelRecordSettingWidget::sltBroadcastStrategySelected);
    connect(m_pModeGroup, QOverload<QAbstractButton*>::of(&QButtonGroup::buttonClicked), this,
            &VelRecordSettingWidget::sltRecordModeSelected);
    connect(m_pScreenSettingWidget, &VelScreenSettingWidget::sigScreenModeChanged, this,
            &VelRecordSettingWidget::sltSetScreenModeText);

    if (!pControl)
        return;
    connect(this, &VelRecordSettingWidget::sigSendCommand, pControl, &Corvane::sltSendCommand);
    connect(m_pDotWidget, &VelDialogContent::sigSendCommand, pControl, &Corvane::sltSendCommand);
    connect(m_pCaptionsWidget, &VelDialogContent::sigSendCommand, pControl,
            &Corvane::sltSendCommand);
    connect(m_pCourseWidget, &VelDialogContent::sigSendCommand, pControl, &Corvane::sltSendCommand);
    connect(m_pCreditsWidget, &VelDialogContent::sigSendCommand, pControl,
            &Corvane::sltSendCommand);
    connect(pControl, &Corvane::sigServiceChanged, m_pCreditsWidget,
            &VelCreditsSettingWidget::sltSetUploadService);
}

bool VelRecordSettingWidget::isShown(const QWidget* pWidget) const
{
    const QGraphicsOpacityEffect* pEffect = m_effects.value(pWidget);
    return !pEffect || pEffect->opacity() != 0.0;
}

void VelRecordSettingWidget::resetCredits()
{
    m_pCreditsWidget->resetSettings();
}

void VelRecordSettingWidget::swapChecked(QButtonGroup* pGroup, QAbstractButton* pButton)
{
    // Non-exclusive only for the swap: no moment with two or no button checked
    // survives it.
    pGroup->setExclusive(false);
    if (QAbstractButton* pChecked = pGroup->checkedButton())
        pChecked->setChecked(false);
    pButton->setChecked(true);
    pGroup->setExclusive(true);
}

void VelRecordSettingWidget::sltSetRecordType(QString strType)
{
    m_strWorkingMode = strType;
    if (strType == QLatin1String("workingModeLiveCasting"))
        sltSetRecordMode(QStringLiteral("recordingModeMovie"));
}

void VelRecordSettingWidget::sltReceiveCommand(QMap<QString, QString> mapMessage)
{
    const QString strKind = mapMessage.value(QStringLiteral("requestParam"));
    if (strKind == QLatin1String("directMode")) {
        sltSetBroadcastStrategy(mapMessage.value(QStringLiteral("target")));
    } else if (strKind == QLatin1String("mutilScreen") ||
               strKind == QLatin1String("settingMutilScreen")) {
        m_pScreenSettingWidget->sltReceiveCommandFromParent(mapMessage);
    } else if (strKind == QLatin1String("switchingEffects")) {
        m_pEffectWidget->sltReceiveCommand(mapMessage);
    } else if (strKind == QLatin1String("videoDotPrepare")) {
        m_pDotWidget->sltReceiveCommand(mapMessage);
        velExecModal(m_pDotFrame, this);
    } else if (strKind == QLatin1String("prelude") || strKind == QLatin1String("curtain")) {
        m_pCreditsWidget->sltReceiveCommand(mapMessage);
    } else if (strKind == QLatin1String("courseInfo")) {
        m_pCourseWidget->fillFromMessage(mapMessage);
    }
    // "subTitle" and unknown kinds need nothing here.
}

void VelRecordSettingWidget::sltRecordModeSelected(QAbstractButton* pbtn)
{
    if (m_strWorkingMode == QLatin1String("workingModeLiveCasting")) {
        // A live cast is always a movie: the click on the other mode is undone.
        swapChecked(m_pModeGroup, m_pMovieButton);
        pbtn = m_pMovieButton;
    }
    emit sigRecordModeChanged(pbtn);
}

void VelRecordSettingWidget::sltBroadcastStrategySelected(int nType)
{
    QAbstractButton* pButton = m_pStrategyGroup->button(nType);
    emit sigSendCommand(
        stripCommand(QStringLiteral("directMode"), pButton ? pButton->objectName() : QString()));
    if (m_bSingleScreen)
        emit sigBroadcastStrategyChanged(nType != 0);
    if (nType != 0) {
        m_pLayoutButton->setEnabled(true);
        return;
    }
    m_pLayoutButton->setEnabled(false);
    // Automatic directing on a device that is not smart falls back to the
    // single-screen layout.
    if (!m_bSmartDevice)
        QTimer::singleShot(kAutoPressDelayMs, this, &VelRecordSettingWidget::sltAutoPress);
}

void VelRecordSettingWidget::sltSetRecordMode(QString text)
{
    m_pMovieButton->setObjectName(QStringLiteral("recordingModeMovie"));
    m_pMovieResourceButton->setObjectName(QStringLiteral("recordingModeMovieAndResource"));
    QAbstractButton* pButton = nullptr;
    if (text == m_pMovieButton->objectName())
        pButton = m_pMovieButton;
    else if (text == m_pMovieResourceButton->objectName())
        pButton = m_pMovieResourceButton;
    if (!pButton)
        return;
    swapChecked(m_pModeGroup, pButton);
    emit sigRecordModeChanged(pButton);
}

void VelRecordSettingWidget::sltSetBroadcastStrategy(QString text)
{
    QAbstractButton* pButton = nullptr;
    if (text == m_pAutoButton->objectName())
        pButton = m_pAutoButton;
    else if (text == m_pManualButton->objectName())
        pButton = m_pManualButton;
    if (!pButton)
        return;
    swapChecked(m_pStrategyGroup, pButton);
    const bool bManual = m_pStrategyGroup->id(pButton) != 0;
    m_pLayoutButton->setEnabled(bManual && isShown(m_pLayoutButton));
    if (m_bSingleScreen)
        emit sigBroadcastStrategyChanged(bManual);
}

void VelRecordSettingWidget::sltStateChanged(bool bIsStart)
{
    if (bIsStart) {
        m_pCaptionsButton->setEnabled(isShown(m_pCaptionsButton));
        m_pVideoDotButton->setEnabled(isShown(m_pVideoDotButton));
        m_pCreditsButton->setEnabled(false);
        m_pMovieButton->setEnabled(false);
        m_pMovieResourceButton->setEnabled(false);
        return;
    }
    if (!isShown(m_pCaptionsButton))
        m_pCaptionsButton->setEnabled(false);
    if (isShown(m_pCreditsButton))
        m_pCreditsButton->setEnabled(true);
    m_pVideoDotButton->setEnabled(false);
    m_pMovieButton->setEnabled(true);
    m_pMovieResourceButton->setEnabled(true);
}

void VelRecordSettingWidget::sltSetLiveAddress(QString address)
{
    m_strLiveAddress = address;
}

void VelRecordSettingWidget::sltSetRecordState(QString strState)
{
    m_pCourseWidget->setRecordStatus(strState);
    if (strState == QLatin1String("pause"))
        m_pVideoDotButton->setEnabled(false);
    else
        m_pVideoDotButton->setEnabled(isShown(m_pVideoDotButton));
}

void VelRecordSettingWidget::sltSetScreenModeText(QString strText)
{
    m_pLayoutButton->setText(strText);
    m_pLayoutPopup->sltClosePopContainer();
}

void VelRecordSettingWidget::sltSetMemoryText(QString strText)
{
    m_pStorageLabel->setText(strText);
}

void VelRecordSettingWidget::sltChangeBroadcastStrategyByScreenMode(bool bInSingleScreen)
{
    m_bSingleScreen = bInSingleScreen;
    if (m_pStrategyGroup->checkedId() != 0)
        emit sigBroadcastStrategyChanged(bInSingleScreen);
}

void VelRecordSettingWidget::sltAutoPress()
{
    QPushButton button;
    button.setToolTip(tr("单屏"));
    button.setObjectName(QStringLiteral("VelRECLayout1"));
    m_pScreenSettingWidget->sltButtonGroupClicked(&button);
}

void VelRecordSettingWidget::sltScreenSettingClicked()
{
    if (!isShown(m_pLayoutButton))
        return;
    const QPoint pos = QCursor::pos();
    m_pLayoutPopup->popupAt(pos.x(), pos.y(), kPopupOffset, kPopupOffset);
    m_pLayoutPopup->raise();
}

void VelRecordSettingWidget::sltTransitionEffectClicked()
{
    const QPoint pos = QCursor::pos();
    m_pEffectPopup->popupAt(pos.x(), pos.y(), kPopupOffset, kPopupOffset);
    m_pEffectPopup->raise();
}

void VelRecordSettingWidget::sltCourInfoClicked()
{
    m_pCourseFrame->raise();
    m_pCourseFrame->show();
}

void VelRecordSettingWidget::sltVideoPointClicked()
{
    emit sigSendCommand(stripCommand(QStringLiteral("videoDotPrepare"), QString()));
}

void VelRecordSettingWidget::sltCaptionsClicked()
{
    velExecModal(m_pCaptionsFrame, this);
}

void VelRecordSettingWidget::sltCreditsClicked()
{
    if (m_pCreditsFrame) {
        // The content outlives its frame; a fresh frame fits its current form.
        m_pCreditsWidget->setParent(nullptr);
        delete m_pCreditsFrame;
    }
    m_pCreditsFrame =
        new VelDialogFrame(tr("片头片尾设置"), this, m_pCreditsWidget, kDialogButtons);
    m_pCreditsFrame->raise();
    m_pCreditsFrame->show();
}

void VelRecordSettingWidget::sltLiveAddressClicked()
{
    if (!m_pAddressFrame) {
        m_pAddressEdit = new VelEditWidget(m_strLiveAddress, this);
        m_pAddressFrame =
            new VelDialogFrame(tr("直播地址"), this, m_pAddressEdit, VelDialogFrame::OkButton);
    }
    m_pAddressFrame->raise();
    m_pAddressFrame->show();
}

void VelRecordSettingWidget::sltUpdateSystemTime()
{
    m_pClockLabel->setText(tr("当前时间") + QStringLiteral(" : ") +
                           QTime::currentTime().toString(QStringLiteral("hh : mm : ss")));
}
