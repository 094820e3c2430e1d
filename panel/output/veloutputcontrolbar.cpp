#include "output/veloutputcontrolbar.h"

#include "output/velliveroomlist.h"
#include "output/vellivesettingwidget.h"
#include "output/velrecordtypewidget.h"
#include "output/velsaveinfowidget.h"
#include "output/velsaveprogresswidget.h"
#include "velcommand.h"
#include "veldialogframe.h"
#include "velmodal.h"
#include "velpopcontainer.h"
#include "velpushbutton.h"
#include "veltipwidget.h"

#include <QCursor>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QTimer>

namespace
{

const QString kRecording = QStringLiteral("workingModeRecording");
const QString kLiveCasting = QStringLiteral("workingModeLiveCasting");
const QString kRecordingAndLive = QStringLiteral("workingModeRecordingAndLivecast");

const char* const kBarStyle = "QFrame#outputControlBar{background-color: rgba(220, 220, 220, 100)}"
                              "QLabel#Recordinformation{color: black}"
                              "QPushButton:pressed{border: 0px}"
                              "QPushButton:hover{border: 0px}";
const char* const kModeButtonStyle =
    "QPushButton{background: rgba(0, 0, 0, 0); border: 2px solid rgb(120, 120, 120); "
    "border-radius: 5px; padding-left: 5px;}"
    "QPushButton:pressed{border: 2px solid rgb(180, 180, 180)}";
const char* const kSliderStyle =
    "QSlider::groove:vertical{border: 1px solid #999999; width: 2px; background: #FFFFFF; "
    "margin: 0px 0px}"
    "QSlider::handle:vertical{background: rgb(171, 169, 169); margin: 0 -6px; width: 10px; "
    "height: 3px}"
    "QSlider::add-page:vertical{background: rgb(39, 183, 121)}"
    "QSlider::sub-page:vertical{background: rgb(190, 190, 190)}";

QString image(const char* szName)
{
    return QStringLiteral(":/resource/CV_OVERVIEWCONTROLBAR_%1.png").arg(QLatin1String(szName));
}

VelPushButton* imageButton(QWidget* parent, const char* szNormal, const char* szPressed)
{
    auto* pButton = new VelPushButton(parent, QIcon(image(szNormal)), QIcon(image(szPressed)));
    pButton->setFixedSize(32, 32);
    pButton->setFlat(true);
    pButton->setIconSize(QSize(32, 32));
    return pButton;
}

QPushButton* indicator(QWidget* parent, const char* szIcon)
{
    auto* pButton = new QPushButton(parent);
    pButton->setFixedSize(32, 32);
    pButton->setFlat(true);
    pButton->setIconSize(QSize(32, 32));
    pButton->setIcon(QIcon(image(szIcon)));
    return pButton;
}

QString twoDigits(int nValue)
{
    return nValue < 10 ? QLatin1Char('0') + QString::number(nValue) : QString::number(nValue);
}

CommandMap command(const QString& strKind, const QString& strTarget, const QString& strEvent)
{
    return {{QStringLiteral("requestParam"), strKind},
            {QStringLiteral("target"), strTarget},
            {QStringLiteral("event"), strEvent},
            {QStringLiteral("token"), QString()}};
}

} // namespace

VelOutputControlBar::VelOutputControlBar(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("outputControlBar"));
    setMouseTracking(true);
    m_strRecordMode = QStringLiteral("recordingModeMovie");

    createButtons();
    m_pLayout = new QHBoxLayout(this);
    m_pLayout->setContentsMargins(10, 0, 10, 0);

    m_pInformationLabel =
        new QLabel(tr("电影模式, 高清 (1080p) 800kbs, 录制时间 00: 00 : 00"), this);
    m_pInformationLabel->setObjectName(QStringLiteral("Recordinformation"));
    m_pInformationLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_pInformationLabel->setAlignment(Qt::AlignCenter);
    m_pInformationLabel->hide();

    m_pRecordTimer = new QTimer(this);
    m_pRecordTimer->setInterval(1000);

    createPopups();
    createDialogs();

    connect(m_pRecordButton, &QPushButton::clicked, this, &VelOutputControlBar::sltRecordClicked);
    connect(m_pResumeButton, &QPushButton::clicked, this, &VelOutputControlBar::sltResumeClicked);
    connect(m_pWorkingModeButton, &QPushButton::clicked, this,
            &VelOutputControlBar::sltRecordModeClicked);
    connect(m_pVolumeButton, &QPushButton::clicked, this, &VelOutputControlBar::sltVolumeClicked);
    connect(m_pStopButton, &QPushButton::clicked, this, &VelOutputControlBar::sltStopClicked);
    connect(m_pVolumeSlider, &QSlider::valueChanged, this, &VelOutputControlBar::sltVolumeChanged);
    connect(m_pRecordTypeWidget, &VelRecordTypeWidget::sigButtonChecked, this,
            &VelOutputControlBar::sltRecordTypeChanged);
    connect(m_pSaveInfoWidget, &VelDialogContent::sigSendCommand, this,
            &VelOutputControlBar::sigSendCommand);
    connect(m_pRecordTimer, &QTimer::timeout, this, &VelOutputControlBar::sltRecordTimeChanged);

    sltSetUnRecordState();
    setStyleSheet(QLatin1String(kBarStyle));
    m_pWorkingModeButton->setStyleSheet(QLatin1String(kModeButtonStyle));
    m_pVolumeSlider->setStyleSheet(QLatin1String(kSliderStyle));

    // Made after the idle layout: the control's children behind its slot do
    // not exist yet while the view, and with it the bar, is being built.
    QWidget* pView = parentWidget();
    QWidget* pControl = pView ? pView->parentWidget() : nullptr;
    if (pView && pView->metaObject()->indexOfSignal("sigSetRecordMode(QString)") >= 0)
        connect(this, SIGNAL(sigSetRecordMode(QString)), pView, SIGNAL(sigSetRecordMode(QString)));
    if (pControl && pControl->metaObject()->indexOfSlot("sltStateChanged(bool)") >= 0)
        connect(this, SIGNAL(sigStateChanged(bool)), pControl, SLOT(sltStateChanged(bool)));
}

VelOutputControlBar::~VelOutputControlBar()
{
    // The pop-ups have no parent; the bar owns them.
    delete m_pRecordTypeContainer;
    delete m_pVolumeContainer;
}

void VelOutputControlBar::createButtons()
{
    m_pRecordButton = imageButton(this, "RECORD_SLIENT", "RECORD_PRESS");
    m_pWorkingModeButton = new VelPushButton(this);
    m_pWorkingModeButton->setFixedSize(100, 32);
    m_pWorkingModeButton->setFlat(true);
    m_pWorkingModeButton->setText(tr("录制"));
    m_pWorkingModeButton->setObjectName(kRecording);
    m_pResumeButton = imageButton(this, "PAUSE_SLIENT", "PAUSE_PRESS");
    m_pStopButton = imageButton(this, "STOP_SLIENT", "STOP_PRESS");
    m_pVolumeButton = imageButton(this, "VOLUME_SLIENT", "VOLUME_PRESS");
    m_pRecordStateButton = indicator(this, "RECORDSTATE_SLIENT");
    m_pLiveStateButton = indicator(this, "LIVESTATE_SLIENT");
    m_pScreenshotButton = imageButton(this, "SCREENSHOT_SLIENT", "SCREENSHOT_PRESS");
    // Each layout shows its own buttons; none may stray outside them.
    for (QWidget* pButton : findChildren<QPushButton*>(QString(), Qt::FindDirectChildrenOnly))
        pButton->hide();
}

void VelOutputControlBar::createPopups()
{
    m_pRecordTypeWidget = new VelRecordTypeWidget(this);
    m_pRecordTypeContainer = new VelPopContainer(nullptr, m_pRecordTypeWidget, QString());
    m_pRecordTypeContainer->setBackgroundColor(QColor(120, 120, 120));

    m_pVolumeSlider = new QSlider(Qt::Vertical, this);
    m_pVolumeSlider->setFixedSize(50, 100);
    m_pVolumeContainer = new VelPopContainer(nullptr, m_pVolumeSlider, QString());
    m_pVolumeContainer->setBackgroundColor(QColor(120, 120, 120));
}

void VelOutputControlBar::createDialogs()
{
    // Made here and kept; nothing in the bar opens them yet.
    m_pSaveInfoWidget = new VelSaveInfoWidget(this);
    m_pSaveInfoDialog = new VelDialogFrame(
        tr("保存录像信息"), this, m_pSaveInfoWidget,
        VelDialogFrame::ExitButton | VelDialogFrame::CancelButton | VelDialogFrame::OkButton);
    m_pSaveProgressWidget = new VelSaveProgressWidget(this);
    m_pSaveProgressDialog =
        new VelDialogFrame(tr("正在生成 scrom 课件"), this, m_pSaveProgressWidget, 0);
}

bool VelOutputControlBar::isPopupOpen() const
{
    return m_pRecordTypeContainer->isVisible() || m_pVolumeContainer->isVisible();
}

QPushButton* VelOutputControlBar::recordButton() const
{
    return m_pRecordButton;
}

QPushButton* VelOutputControlBar::workingModeButton() const
{
    return m_pWorkingModeButton;
}

QPushButton* VelOutputControlBar::resumeButton() const
{
    return m_pResumeButton;
}

QPushButton* VelOutputControlBar::stopButton() const
{
    return m_pStopButton;
}

VelDialogFrame* VelOutputControlBar::warningDialog() const
{
    return m_pWarningDialog;
}

QString VelOutputControlBar::recordInformation() const
{
    return m_pInformationLabel->text();
}

int VelOutputControlBar::volume() const
{
    return m_pVolumeSlider->value();
}

QWidget* VelOutputControlBar::dialogParent() const
{
    return parentWidget() ? parentWidget() : const_cast<VelOutputControlBar*>(this);
}

void VelOutputControlBar::clearLayout()
{
    while (QLayoutItem* pItem = m_pLayout->takeAt(0)) {
        if (QWidget* pWidget = pItem->widget())
            pWidget->hide();
        delete pItem;
    }
}

void VelOutputControlBar::sltSetUnRecordState()
{
    clearLayout();
    m_pLayout->addWidget(m_pRecordButton);
    m_pLayout->addWidget(m_pWorkingModeButton);
    m_pLayout->addStretch();
    m_pLayout->addWidget(m_pScreenshotButton);
    m_pRecordButton->show();
    m_pWorkingModeButton->show();
    m_state.bRecording = false;

    sltSetRecordTime(QStringLiteral("0"));
    emit sigRecordStateChanged(QStringLiteral("stop"));
    emit sigStateChanged(false);
    m_pRecordTimer->stop();
}

void VelOutputControlBar::sltSetRecordingState()
{
    clearLayout();
    m_pLayout->addWidget(m_pResumeButton, 1);
    m_pLayout->addWidget(m_pStopButton, 1);
    m_pLayout->addWidget(m_pVolumeButton, 1);
    m_pLayout->addWidget(m_pInformationLabel, 13);
    m_pLayout->addWidget(m_pRecordStateButton, 1);
    m_pLayout->addWidget(m_pLiveStateButton, 1);
    m_pLayout->addWidget(m_pScreenshotButton, 1);
    const QList<QWidget*> shown{m_pStopButton, m_pInformationLabel, m_pRecordStateButton,
                                m_pLiveStateButton};
    for (QWidget* pWidget : shown)
        pWidget->show();
    m_state.bRecording = true;

    emit sigRecordStateChanged(QStringLiteral("start"));
    emit sigStateChanged(true);
    // Pure live casting cannot pause.
    m_pResumeButton->setVisible(workingMode() != kLiveCasting);
    m_pRecordTimer->start();
}

void VelOutputControlBar::sltSetRecordTime(QString strTime)
{
    m_nRecordSeconds = strTime.toInt();
    updateRecordInformation();
}

void VelOutputControlBar::sltRecordTimeChanged()
{
    ++m_nRecordSeconds;
    updateRecordInformation();
}

void VelOutputControlBar::updateRecordInformation()
{
    const int nSeconds = m_nRecordSeconds;
    // Hours have no upper bound: a hundred-hour task reads "100 : ...".
    const QString strTime = twoDigits(nSeconds / 3600) + QStringLiteral(" : ") +
                            twoDigits(nSeconds % 3600 / 60) + QStringLiteral(" : ") +
                            twoDigits(nSeconds % 60);
    const QString strMode = m_strRecordMode == QLatin1String("recordingModeMovie")
                                ? tr("电影模式")
                                : tr("电影 + 资源模式");
    QString strTask;
    if (workingMode() == kRecording)
        strTask = tr("录制");
    else if (workingMode() == kLiveCasting)
        strTask = tr("直播");
    else
        strTask = tr("直播") + QLatin1Char('+') + tr("录制");
    m_pInformationLabel->setText(QStringLiteral("%1, %2时间 %3").arg(strMode, strTask, strTime));
}

QString VelOutputControlBar::taskTarget(bool bWithCloseLiveRoom, bool bCloseLiveRoom) const
{
    CommandMap target{{QStringLiteral("recordingMode"), m_strRecordMode},
                      {QStringLiteral("workingMode"), workingMode()}};
    if (bWithCloseLiveRoom)
        target.insert(QStringLiteral("closeLiveRoom"),
                      bCloseLiveRoom ? QStringLiteral("1") : QStringLiteral("0"));
    return formatCommand(target);
}

void VelOutputControlBar::sendWorkingMode(const QString& strTarget, const QString& strEvent)
{
    emit sigSendCommand(command(QStringLiteral("workingMode"), strTarget, strEvent));
}

void VelOutputControlBar::showWarning(const QString& strMessage)
{
    // Deleting a warning that is still in exec() further down the stack ends
    // its loop; that exec() then returns on its own.
    delete m_pWarningDialog;
    delete m_pTipWidget;
    m_pTipWidget = new VelTipWidget(strMessage, this);
    m_pWarningDialog = new VelDialogFrame(tr("警告"), dialogParent(), m_pTipWidget,
                                          VelDialogFrame::ExitButton | VelDialogFrame::OkButton);
    velExecModal(m_pWarningDialog, this);
}

void VelOutputControlBar::sltRecordClicked()
{
    if (m_bNotSmartDevice && !m_bNasReady && workingMode() != kLiveCasting) {
        showWarning(tr("NAS ") + tr("服务器未设置"));
        return;
    }
    if (workingMode() != kRecording && m_strLiveAddress.isEmpty()) {
        showWarning(tr("请设置直播地址 "));
        return;
    }
    const QPointer<VelOutputControlBar> self(this);
    sendWorkingMode(taskTarget(), QStringLiteral("start"));
    if (self)
        m_pRecordTimer->start();
}

void VelOutputControlBar::sltResumeClicked()
{
    sendWorkingMode(taskTarget(),
                    m_state.bPaused ? QStringLiteral("restart") : QStringLiteral("pause"));
}

void VelOutputControlBar::sltStopClicked()
{
    if (workingMode() == kRecording) {
        sendWorkingMode(taskTarget(), QStringLiteral("stop"));
        return;
    }
    auto* pConfirm = new VelLiveSettingWidget(QStringList(), this);
    pConfirm->setCheckBoxText(tr("关闭直播") + tr("中间").mid(1, 1));
    pConfirm->setCheckBoxMode(true);
    const QPointer<VelDialogFrame> pDialog = new VelDialogFrame(
        tr("提示"), dialogParent(), pConfirm,
        VelDialogFrame::ExitButton | VelDialogFrame::CancelButton | VelDialogFrame::OkButton);
    int nResult = QDialog::Rejected;
    if (!velExecModal(pDialog, this, &nResult))
        return; // the control went away while the dialog was open
    if (nResult == QDialog::Accepted) {
        const bool bClose = pConfirm->isCheckBoxChecked();
        // The command names the mode that was live, even when the room closes.
        const QString strTarget = taskTarget(true, bClose);
        const QPointer<VelOutputControlBar> self(this);
        if (bClose)
            m_pRecordTypeWidget->setWorkingMode(kRecording);
        if (self)
            sendWorkingMode(strTarget, QStringLiteral("stop"));
    }
    delete pDialog;
}

void VelOutputControlBar::sltRecordTypeChanged(QAbstractButton* pbtn)
{
    m_pRecordStateButton->setIcon(QIcon(image("RECORDSTATE_SLIENT")));
    m_pLiveStateButton->setIcon(QIcon(image("LIVESTATE_SLIENT")));
    if (pbtn->text() == tr("录制")) {
        m_state.strWorkingMode = kRecording;
        m_pWorkingModeButton->setObjectName(kRecording);
        m_pRecordStateButton->setIcon(QIcon(image("RECORDSTATE_ENABLE")));
    } else {
        // Only an operator's click asks for a live room; setWorkingMode names
        // the selector "flag" while it runs.
        if (sender() && sender()->objectName().isEmpty()) {
            const QPointer<VelOutputControlBar> self(this);
            emit sigSendCommand(command(QStringLiteral("initLiveRoom"), QString(), QString()));
            // A page that answers at once may have set the mode (or removed
            // the control) meanwhile; that change has done everything.
            if (!self || m_pRecordTypeWidget->currentButton() != pbtn)
                return;
        }
        if (pbtn->text() == tr("直播")) {
            m_state.strWorkingMode = kLiveCasting;
            m_pWorkingModeButton->setObjectName(kLiveCasting);
            m_pLiveStateButton->setIcon(QIcon(image("LIVESTATE_ENABLE")));
        } else {
            m_state.strWorkingMode = kRecordingAndLive;
            m_pWorkingModeButton->setObjectName(kRecordingAndLive);
            m_pRecordStateButton->setIcon(QIcon(image("RECORDSTATE_ENABLE")));
            m_pLiveStateButton->setIcon(QIcon(image("LIVESTATE_ENABLE")));
        }
    }
    if (m_pRecordTypeContainer->isVisible())
        m_pRecordTypeContainer->close();
    m_pWorkingModeButton->setText(pbtn->text());
    updateRecordInformation();
    emit sigRecordTypeChanged(workingMode());
}

void VelOutputControlBar::sltRecordModeChanged(QAbstractButton* pbtn)
{
    m_strRecordMode = pbtn->objectName();
    updateRecordInformation();
}

void VelOutputControlBar::sltRecordModeClicked()
{
    const QPoint pos = QCursor::pos();
    m_pRecordTypeContainer->popupAt(pos.x(), pos.y(), 32, 32);
    m_pRecordTypeContainer->raise();
}

void VelOutputControlBar::sltVolumeClicked()
{
    const QPoint pos = QCursor::pos();
    m_pVolumeContainer->popupAt(pos.x(), pos.y(), 32, 32);
    m_pVolumeContainer->raise();
}

void VelOutputControlBar::sltVolumeChanged(int nValue)
{
    sendWorkingMode(QString::number(nValue), QStringLiteral("volume"));
}

void VelOutputControlBar::sltSetResumeState(bool bIsPaused)
{
    const char* szNormal = bIsPaused ? "RECORD_SLIENT" : "PAUSE_SLIENT";
    const char* szPressed = bIsPaused ? "RECORD_PRESS" : "PAUSE_PRESS";
    if (bIsPaused) {
        m_pRecordTimer->stop();
        emit sigRecordStateChanged(QStringLiteral("pause"));
    } else {
        m_pRecordTimer->start();
        emit sigRecordStateChanged(QStringLiteral("start"));
    }
    m_pResumeButton->setNormalIcon(QIcon(image(szNormal)));
    m_pResumeButton->setPressedIcon(QIcon(image(szPressed)));
    m_pResumeButton->setIcon(m_pResumeButton->normalIcon());
}

void VelOutputControlBar::sltReceiveCommand(QMap<QString, QString> lstParam)
{
    render(velApplyTaskAnswer(m_state, lstParam));
}

// The state changes as the bar's own steps take it (a page may answer again
// from inside any signal or dialog on the way), in the order pages have seen.
void VelOutputControlBar::render(const VelTaskAnswer& answer)
{
    switch (answer.kind) {
    case VelTaskAnswer::Error:
        showWarning(answer.strText);
        return;
    case VelTaskAnswer::Volume:
        // A value the slider does not hold yet moves it, and the move reports
        // it back like an operator's.
        m_pVolumeSlider->setValue(answer.nVolume);
        return;
    case VelTaskAnswer::RoomList:
        chooseLiveRoom(answer.strText);
        return;
    case VelTaskAnswer::RoomFailed: {
        const QPointer<VelOutputControlBar> self(this);
        showWarning(tr("创建直播失败"));
        if (self)
            m_pRecordTypeWidget->setWorkingMode(answer.state.strWorkingMode);
        return;
    }
    default:
        break;
    }
    if (answer.bNamesMode)
        m_pRecordTypeWidget->setWorkingMode(answer.state.strWorkingMode);
    if (answer.bNamesRecordMode)
        emit sigSetRecordMode(answer.strRecordMode);
    if (answer.bNamesTime)
        sltSetRecordTime(QString::number(answer.state.nSeconds));
    m_state.bPaused = answer.state.bPaused;
    if (!answer.state.bRecording) {
        sltSetResumeState(false);
        sltSetUnRecordState();
        return;
    }
    sltSetRecordingState();
    if (answer.kind != VelTaskAnswer::Start)
        sltSetResumeState(answer.state.bPaused);
}

void VelOutputControlBar::chooseLiveRoom(const QString& strTarget)
{
    m_mapLiveRoom = velLiveRoomsFromTarget(strTarget);
    auto* pChooser = new VelLiveSettingWidget(m_mapLiveRoom.values(), this);
    const int nButtons =
        m_mapLiveRoom.isEmpty()
            ? int(VelDialogFrame::ExitButton)
            : VelDialogFrame::ExitButton | VelDialogFrame::CancelButton | VelDialogFrame::OkButton;
    const QPointer<VelDialogFrame> pDialog =
        new VelDialogFrame(tr("选择直播") + tr("中间").mid(1, 1), this, pChooser, nButtons);
    int nResult = QDialog::Rejected;
    if (!velExecModal(pDialog, this, &nResult))
        return;
    if (nResult == QDialog::Accepted) {
        m_state.strLiveRoomId = m_mapLiveRoom.key(pChooser->selectedRoom());
        emit sigSendCommand(
            command(QStringLiteral("setLiveRoom"), m_state.strLiveRoomId, QString()));
    } else {
        m_pRecordTypeWidget->setWorkingMode(kRecording);
    }
    delete pDialog;
}

void VelOutputControlBar::mouseMoveEvent(QMouseEvent* e)
{
    emit sigMouseEntered();
    QFrame::mouseMoveEvent(e);
}

void VelOutputControlBar::leaveEvent(QEvent* e)
{
    // No fade-out while the operator works in one of the pop-ups.
    if (!isPopupOpen())
        emit sigMouseLeaved();
    QFrame::leaveEvent(e);
}
