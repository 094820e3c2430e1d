#include "overview/veloverviewwidget.h"

#include "velcloudsettingwidget.h"
#include "velpopcontainer.h"
#include "velpushbutton.h"
#include "velvideolabel.h"

#include <QCursor>
#include <QEvent>
#include <QFrame>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

const QString kTitleStyle = QStringLiteral(
    "QFrame{background-color: white;border: 0px solid gray}          "
    "QPushButton:pressed {color: rgb(39, 183, 121); background: white; border: 0px}");

const QString kCloudButtonStyle =
    QStringLiteral("QPushButton {border: 1px solid rgb(128, 128, 128);border-radius: 3px;"
                   "background-color: white;}          "
                   "QPushButton:pressed {background-color: rgb(39, 183, 121); color: white}    "
                   "      QPushButton:hover:!pressed:!checked {color: rgb(39, 183, 121)}      "
                   "    QPushButton:checked {background-color: rgb(39, 183, 121); color: white}");

} // namespace

VelOverviewWidget::VelOverviewWidget(const QString& name, bool bPtzAvailable, QWidget* parent)
    : QWidget(parent), m_strName(name), m_bPtzAvailable(bPtzAvailable)
{
    m_pNameLabel = new QLabel(name);
    m_pNameLabel->setStyleSheet(QStringLiteral("border: 0px solid gray;border-radius: 0px;"));

    m_pSwitchButton =
        new VelPushButton(this, QIcon(QStringLiteral(":/resource/CV_OVERVIEW_SWITCH_SLIENT.png")),
                          QIcon(QStringLiteral(":/resource/CV_OVERVIEW_SWITCH_PRESS.png")));
    m_pSwitchButton->setFlat(true);
    m_pSwitchButton->setFixedSize(20, 20);
    m_pSwitchButton->hide();

    m_pCloudButton = new QPushButton(tr("云台控制"));
    m_pCloudButton->setIconSize(QSize(20, 20));
    m_pCloudButton->setFlat(false);
    m_pCloudButton->setMinimumSize(20, 20);
    m_pCloudButton->setEnabled(false);
    m_pCloudButton->setStyleSheet(kCloudButtonStyle);
    m_pOpacityEffect = new QGraphicsOpacityEffect(this);
    m_pOpacityEffect->setOpacity(0);
    m_pCloudButton->setGraphicsEffect(m_pOpacityEffect);

    m_pTitleLayout = new QHBoxLayout;
    m_pTitleLayout->setContentsMargins(0, 0, 0, 0);
    m_pTitleLayout->addSpacing(5);
    m_pTitleLayout->addWidget(m_pNameLabel);
    m_pTitleLayout->addStretch();
    m_pTitleLayout->addWidget(m_pCloudButton);
    m_pTitleLayout->addStretch();
    m_pTitleLayout->addWidget(m_pSwitchButton);

    // The page's switch answer finds a thumbnail by this frame's name.
    m_pTitleFrame = new QFrame;
    m_pTitleFrame->setObjectName(name);
    m_pTitleFrame->setMaximumHeight(25);
    m_pTitleFrame->setLayout(m_pTitleLayout);
    m_pTitleFrame->setStyleSheet(kTitleStyle);

    m_pVideoLabel = new VelVideoLabel;
    m_pVideoLabel->setObjectName(QStringLiteral("VideoWidget"));
    m_pVideoLabel->installEventFilter(this);

    m_pMainLayout = new QVBoxLayout;
    m_pMainLayout->setContentsMargins(0, 0, 0, 0);
    m_pMainLayout->setSpacing(0);
    m_pMainLayout->addWidget(m_pTitleFrame);
    m_pMainLayout->addWidget(m_pVideoLabel);
    setLayout(m_pMainLayout);

    connect(m_pSwitchButton, &QPushButton::clicked, this, &VelOverviewWidget::sltSwitch);
    connect(m_pCloudButton, &QPushButton::clicked, this,
            &VelOverviewWidget::sltCloudControlClicked);
}

VelOverviewWidget::~VelOverviewWidget()
{
    // A held PTZ button is let go while this thumbnail can still send it.
    if (m_pCloudSetting)
        m_pCloudSetting->releasePressed();
    // The container has no parent; the PTZ pad lives inside it.
    delete m_pCloudContainer;
}

// Sixteen buttons with two images each, and the container's shaped mask:
// most of what a thumbnail would cost to build.
void VelOverviewWidget::buildCloudPad()
{
    if (m_pCloudContainer)
        return;
    m_pCloudSetting = new VelCloudSettingWidget(this);
    m_pCloudContainer = new VelPopContainer(nullptr, m_pCloudSetting, QString());
    m_pCloudContainer->setBackgroundColor(QColor(120, 120, 120));
    m_pCloudContainer->setPlacementMode(1);
    connect(m_pCloudSetting, &VelCloudSettingWidget::sigButtonPressed, this,
            &VelOverviewWidget::sltButtonPressed);
    connect(m_pCloudSetting, &VelCloudSettingWidget::sigButtonReleased, this,
            &VelOverviewWidget::sltButtonReleased);
}

VelPopContainer* VelOverviewWidget::cloudContainer()
{
    buildCloudPad();
    return m_pCloudContainer;
}

VelCloudSettingWidget* VelOverviewWidget::cloudSettingWidget()
{
    buildCloudPad();
    return m_pCloudSetting;
}

void VelOverviewWidget::setName(const QString& name)
{
    m_strName = name;
    m_pNameLabel->setText(name);
    m_pTitleFrame->setObjectName(name);
}

void VelOverviewWidget::setCloudButtonActive(bool bActive)
{
    m_pCloudButton->setEnabled(bActive);
    m_pOpacityEffect->setOpacity(bActive ? 1 : 0);
}

void VelOverviewWidget::updateCloudButton()
{
    setCloudButtonActive(m_bPtzAvailable && !m_strSource.isEmpty());
    m_pSwitchButton->setVisible(m_bCloudControlState);
}

void VelOverviewWidget::sltSetCloudControlState(bool state)
{
    m_bCloudControlState = state;
    if (state) {
        updateCloudButton();
        return;
    }
    setCloudButtonActive(false);
    m_pSwitchButton->hide();
}

void VelOverviewWidget::sltSetCloudButtonState(bool state)
{
    setCloudButtonActive(state);
    m_pSwitchButton->setVisible(m_bCloudControlState);
}

void VelOverviewWidget::sltSwitch()
{
    emit sigSwitchClicked(this);
}

void VelOverviewWidget::sltCloudControlClicked()
{
    const QPoint cursor = QCursor::pos();
    buildCloudPad();
    m_pCloudContainer->popupAt(cursor.x(), cursor.y(), 95, 95);
    m_pCloudContainer->raise();
}

void VelOverviewWidget::hideEvent(QHideEvent* e)
{
    // The pad's pop-up is a window of its own and would stay up over a hidden
    // thumbnail; a button held in it is let go first.
    if (m_pCloudSetting)
        m_pCloudSetting->releasePressed();
    if (m_pCloudContainer)
        m_pCloudContainer->hide();
    QWidget::hideEvent(e);
}

void VelOverviewWidget::sendCloudCommand(QAbstractButton* pbtn, const char* szEvent)
{
    if (!pbtn)
        return;
    emit sigSendCommand({{QStringLiteral("requestParam"), QStringLiteral("cloudControl")},
                         {QStringLiteral("target"), pbtn->objectName()},
                         {QStringLiteral("event"), QLatin1String(szEvent)},
                         {QStringLiteral("token"), objectName()}});
}

void VelOverviewWidget::sltButtonPressed(QAbstractButton* pbtn)
{
    sendCloudCommand(pbtn, "press");
}

void VelOverviewWidget::sltButtonReleased(QAbstractButton* pbtn)
{
    sendCloudCommand(pbtn, "release");
}

// A double click only switches while the switch button shows, that is while
// the cloud control state is on.
bool VelOverviewWidget::switchFromDoubleClick()
{
    if (m_pSwitchButton->isHidden())
        return false;
    emit sigSwitchClicked(this);
    return true;
}

void VelOverviewWidget::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (!switchFromDoubleClick())
        QWidget::mouseDoubleClickEvent(e);
}

// The video label takes its clicks itself (a dead source retries on a click),
// so its double clicks are watched here.
bool VelOverviewWidget::eventFilter(QObject* pWatched, QEvent* e)
{
    if (pWatched == m_pVideoLabel && e->type() == QEvent::MouseButtonDblClick)
        return switchFromDoubleClick();
    return QWidget::eventFilter(pWatched, e);
}
