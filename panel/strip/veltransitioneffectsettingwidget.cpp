#include "strip/veltransitioneffectsettingwidget.h"

#include "velpushbutton.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

namespace
{

VelPushButton* effectButton(QWidget* parent, const char* szId, const char* szImage)
{
    const QString strBase =
        QStringLiteral(":/resource/CV_TRANSITION_%1_").arg(QLatin1String(szImage));
    auto* pButton = new VelPushButton(parent, QIcon(strBase + QStringLiteral("SLIENT.png")),
                                      QIcon(strBase + QStringLiteral("PRESS.png")));
    pButton->setObjectName(QLatin1String(szId));
    pButton->setFixedSize(74, 74);
    pButton->setIconSize(QSize(70, 70));
    pButton->setCheckable(true);
    return pButton;
}

const char* const kSliderStyle =
    "QSlider::groove:horizontal{border: 1px solid #999999; height: 8px; background: #FFFFFF; "
    "margin: 0px 0; border-radius: 5px}"
    "QSlider::handle:horizontal{background: qlineargradient(x1: 0, y1: 0.3, x2: 0.5, y2: 1, "
    "stop: 0 #777777, stop: 1 #FFFFFF); border: 1px solid rgb(214, 214, 214); width: 18px; "
    "margin: -6px 0; border-radius: 10px}"
    "QSlider::add-page:horizontal{background: white; border-radius: 5px; "
    "border: 1px solid #999999}"
    "QSlider::sub-page:horizontal{background: qlineargradient(x1: 0, y1: 0.3, x2: 0.5, y2: 1, "
    "stop: 0 rgb(90, 197, 151), stop: 1 rgb(141, 212, 182)); border-radius: 5px; "
    "border: 1px solid #999999}";

} // namespace

VelTransitionEffectSettingWidget::VelTransitionEffectSettingWidget(QWidget* parent)
    : QWidget(parent)
{
    // The third button shows the STEP images under the id "Flying", the fourth
    // the FLY images under "Fade": the ids are what the platform knows.
    m_pNoneButton = effectButton(this, "switchingEffectsNone", "NONE");
    m_pEraseButton = effectButton(this, "switchingEffectsErease", "ERASE");
    m_pFlyingButton = effectButton(this, "switchingEffectsFlying", "STEP");
    m_pFadeButton = effectButton(this, "switchingEffectsFade", "FLY");
    m_pNoneButton->setChecked(true);

    m_pButtonGroup = new QButtonGroup(this);
    m_pButtonGroup->setExclusive(true);
    m_pEffectsLayout = new QHBoxLayout;
    for (VelPushButton* pButton : {m_pNoneButton, m_pEraseButton, m_pFlyingButton, m_pFadeButton}) {
        m_pButtonGroup->addButton(pButton);
        m_pEffectsLayout->addWidget(pButton);
    }

    m_pDurationLabel = new QLabel(tr("持续时间:"), this);
    m_pDurationValueLabel = new QLabel(tr("3.55 秒钟"), this);
    m_pDurationSlider = new QSlider(Qt::Horizontal, this);
    m_pDurationSlider->setStyleSheet(QLatin1String(kSliderStyle));
    m_pDurationLayout = new QHBoxLayout;
    m_pDurationLayout->addWidget(m_pDurationLabel);
    m_pDurationLayout->addWidget(m_pDurationSlider);
    m_pDurationLayout->addWidget(m_pDurationValueLabel);

    refreshIcons();

    m_pMainLayout = new QVBoxLayout;
    m_pMainLayout->addLayout(m_pEffectsLayout);
    m_pMainLayout->addLayout(m_pDurationLayout);
    setLayout(m_pMainLayout);
    setStyleSheet(QStringLiteral("font-family: Microsoft YaHei; color: white"));

    connect(m_pButtonGroup, QOverload<QAbstractButton*>::of(&QButtonGroup::buttonClicked), this,
            &VelTransitionEffectSettingWidget::sltTransitionEffectChanged);
    // The strip passes the command on to the control.
    if (parent && parent->metaObject()->indexOfSignal("sigSendCommand(QMap<QString,QString>)") >= 0)
        connect(this, SIGNAL(sigSendCommand(QMap<QString, QString>)), parent,
                SIGNAL(sigSendCommand(QMap<QString, QString>)));
}

QString VelTransitionEffectSettingWidget::currentEffect() const
{
    QAbstractButton* pChecked = m_pButtonGroup->checkedButton();
    return pChecked ? pChecked->objectName() : QString();
}

void VelTransitionEffectSettingWidget::sltTransitionEffectChanged(QAbstractButton* pbtn)
{
    emit sigSendCommand({{QStringLiteral("requestParam"), QStringLiteral("switchingEffects")},
                         {QStringLiteral("target"), pbtn->objectName()},
                         {QStringLiteral("event"), QString()},
                         {QStringLiteral("token"), QString()}});
    refreshIcons();
}

// The checked effect shows its pressed image and every other one its normal
// image, however the check state changed (a click on the checked button, an
// answer from the page).
void VelTransitionEffectSettingWidget::refreshIcons()
{
    for (QAbstractButton* pButton : m_pButtonGroup->buttons()) {
        auto* pEffect = static_cast<VelPushButton*>(pButton);
        pEffect->setIcon(pEffect->isChecked() ? pEffect->pressedIcon() : pEffect->normalIcon());
    }
}

void VelTransitionEffectSettingWidget::sltReceiveCommand(QMap<QString, QString> mapMessage)
{
    const QString strTarget = mapMessage.value(QStringLiteral("target"));
    m_pButtonGroup->setExclusive(false);
    for (QAbstractButton* pButton : m_pButtonGroup->buttons()) {
        if (pButton->objectName() != strTarget)
            continue;
        if (QAbstractButton* pChecked = m_pButtonGroup->checkedButton())
            pChecked->setChecked(false);
        pButton->setChecked(true);
        break;
    }
    m_pButtonGroup->setExclusive(true);
    refreshIcons();
}
