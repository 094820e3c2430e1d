#include "velcloudsettingwidget.h"

#include "velpushbutton.h"

#include <QApplication>
#include <QButtonGroup>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace
{

struct PresetButton {
    const char* szObjectName;
    const char* szKey;
};

// Preset rows as they appear: 1 to 5 above, 6 to 9 and 0 below.
const PresetButton kPresetRows[2][5] = {
    {{"Cloud_One", "ONE"},
     {"Cloud_Two", "TWO"},
     {"Cloud_Three", "THREE"},
     {"Cloud_Four", "FOUR"},
     {"Cloud_Five", "FIVE"}},
    {{"Cloud_Six", "SIX"},
     {"Cloud_Seven", "SEVEN"},
     {"Cloud_Eight", "EIGHT"},
     {"Cloud_Nine", "NINE"},
     {"Cloud_Zero", "ZERO"}},
};

} // namespace

VelCloudSettingWidget::VelCloudSettingWidget(QWidget* parent) : QWidget(parent)
{
    m_pZoomLabel = new QLabel(tr("镜头变焦"), this);
    m_pMoveLabel = new QLabel(tr("移动云台"), this);
    m_pPresetLabel = new QLabel(tr("预置位置"), this);
    m_pButtonGroup = new QButtonGroup(this);

    VelPushButton* pZoomIn = makeButton("Cloud_ZoomIn", "ZOOMIN");
    VelPushButton* pZoomOut = makeButton("Cloud_ZoomOut", "ZOOMOUT");
    VelPushButton* pUp = makeButton("Cloud_Up", "UP");
    VelPushButton* pDown = makeButton("Cloud_Down", "DOWN");
    VelPushButton* pLeft = makeButton("Cloud_Left", "LEFT");
    VelPushButton* pRight = makeButton("Cloud_Right", "RIGHT");

    const Qt::Alignment labelAlign = Qt::AlignHCenter | Qt::AlignTop;

    auto* pZoomRow = new QHBoxLayout;
    pZoomRow->addWidget(pZoomOut);
    pZoomRow->addWidget(pZoomIn);
    auto* pZoomColumn = new QVBoxLayout;
    pZoomColumn->addWidget(m_pZoomLabel, 0, labelAlign);
    pZoomColumn->addStretch();
    pZoomColumn->addLayout(pZoomRow);
    pZoomColumn->addStretch();

    auto* pSideRow = new QHBoxLayout;
    pSideRow->addWidget(pLeft);
    pSideRow->addSpacing(10);
    pSideRow->addWidget(pRight);
    auto* pMoveColumn = new QVBoxLayout;
    pMoveColumn->addWidget(m_pMoveLabel, 0, labelAlign);
    pMoveColumn->addStretch();
    pMoveColumn->addWidget(pUp, 0, Qt::AlignHCenter);
    pMoveColumn->addLayout(pSideRow);
    pMoveColumn->addWidget(pDown, 0, Qt::AlignHCenter);
    pMoveColumn->addStretch();

    auto* pPresetColumn = new QVBoxLayout;
    pPresetColumn->addWidget(m_pPresetLabel, 0, labelAlign);
    pPresetColumn->addStretch();
    for (const auto& row : kPresetRows) {
        auto* pRow = new QHBoxLayout;
        for (const PresetButton& preset : row)
            pRow->addWidget(makeButton(preset.szObjectName, preset.szKey));
        pPresetColumn->addLayout(pRow);
    }
    pPresetColumn->addStretch();

    auto* pMainLayout = new QHBoxLayout;
    pMainLayout->addLayout(pZoomColumn);
    pMainLayout->addSpacing(20);
    pMainLayout->addLayout(pMoveColumn);
    pMainLayout->addSpacing(20);
    pMainLayout->addLayout(pPresetColumn);
    setLayout(pMainLayout);

    setStyleSheet(QStringLiteral("font-family: Microsoft YaHei; color: white"));

    // Both forms report every release: a click alone would leave a camera
    // moving after the pointer slid off the button.
    connect(m_pButtonGroup, QOverload<QAbstractButton*>::of(&QButtonGroup::buttonPressed), this,
            &VelCloudSettingWidget::sltGroupPressed);
    connect(m_pButtonGroup, QOverload<QAbstractButton*>::of(&QButtonGroup::buttonReleased), this,
            &VelCloudSettingWidget::sltGroupReleased);

    // Owners wrap the pad in a pop-up container that reads the pad's size once,
    // so the pad starts at the size its layout asks for.
    adjustSize();
}

VelCloudSettingWidget::~VelCloudSettingWidget()
{
    // Owners that delete the pad with a button down still get its release.
    releasePressed();
}

void VelCloudSettingWidget::sltGroupPressed(QAbstractButton* pbtn)
{
    // One press at a time: a second one (a key while the mouse holds another
    // button) ends the first.
    if (m_pPressed && m_pPressed != pbtn)
        releasePressed();
    m_pPressed = pbtn;
    if (m_pWatchedWindow != window()) {
        if (m_pWatchedWindow)
            m_pWatchedWindow->removeEventFilter(this);
        m_pWatchedWindow = window();
        m_pWatchedWindow->installEventFilter(this);
    }
    emit sigButtonPressed(pbtn);
}

void VelCloudSettingWidget::sltGroupReleased(QAbstractButton* pbtn)
{
    // A release not matched by a press here was already reported.
    if (pbtn != m_pPressed)
        return;
    m_pPressed = nullptr;
    emit sigButtonReleased(pbtn);
}

void VelCloudSettingWidget::releasePressed()
{
    QAbstractButton* pButton = m_pPressed;
    if (!pButton)
        return;
    m_pPressed = nullptr;
    if (pButton->isDown()) {
        // The button never saw the pointer go: a release away from it lets it
        // drop its pressed image and state without a signal of its own.
        const QPointF away(-1, -1);
        QMouseEvent release(QEvent::MouseButtonRelease, away, pButton->mapToGlobal(QPoint(-1, -1)),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(pButton, &release);
    }
    emit sigButtonReleased(pButton);
}

bool VelCloudSettingWidget::event(QEvent* e)
{
    // A pop-up that hides hides the pad with it.
    if (e->type() == QEvent::Hide)
        releasePressed();
    return QWidget::event(e);
}

// While a button is held the button itself takes the pointer's events; the
// window sees them only once the pointer has left the pop-up around the pad,
// or when the window itself loses the mouse.
bool VelCloudSettingWidget::eventFilter(QObject* pWatched, QEvent* e)
{
    if (pWatched == m_pWatchedWindow && m_pPressed) {
        switch (e->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
        case QEvent::Leave:
        case QEvent::Hide:
        case QEvent::Close:
        case QEvent::WindowBlocked:
        case QEvent::WindowDeactivate:
        case QEvent::UngrabMouse:
            releasePressed();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(pWatched, e);
}

VelPushButton* VelCloudSettingWidget::makeButton(const char* szObjectName, const char* szKey)
{
    const QString strBase = QStringLiteral(":/resource/CV_CLOUDCONTROL_") + QLatin1String(szKey);
    auto* pButton = new VelPushButton(this, QIcon(strBase + QStringLiteral("_SLIENT.png")),
                                      QIcon(strBase + QStringLiteral("_PRESS.png")), QIcon());
    pButton->setObjectName(QLatin1String(szObjectName));
    pButton->setFixedSize(26, 26);
    pButton->setFlat(true);
    pButton->setIconSize(QSize(24, 24));
    m_pButtonGroup->addButton(pButton);
    return pButton;
}
