#include "velcloudsettingwidget.h"

#include "velpushbutton.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
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

    connect(m_pButtonGroup, QOverload<QAbstractButton*>::of(&QButtonGroup::buttonPressed), this,
            &VelCloudSettingWidget::sigButtonPressed);
#ifdef VEL_FORM_VIMBREL
    connect(m_pButtonGroup, QOverload<QAbstractButton*>::of(&QButtonGroup::buttonReleased), this,
            &VelCloudSettingWidget::sigButtonReleased);
#else
    connect(m_pButtonGroup, QOverload<QAbstractButton*>::of(&QButtonGroup::buttonClicked), this,
            &VelCloudSettingWidget::sigButtonReleased);
#endif

    // Owners wrap the pad in a pop-up container that reads the pad's size once,
    // so the pad starts at the size its layout asks for.
    adjustSize();
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
