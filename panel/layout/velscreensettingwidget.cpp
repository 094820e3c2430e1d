#include "layout/velscreensettingwidget.h"

#include "corvane.h"
#include "layout/velscreencellwidget.h"
#include "layout/velscreenlayoutpreviewwidget.h"
#include "layout/velscreenlayoutscan.h"
#include "velcommand.h"
#include "velpushbutton.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaMethod>
#include <QTimer>
#include <QVBoxLayout>

namespace
{

const QString kPreviewStyle =
    QStringLiteral("QPushButton {border: 1px solid #DBDBDB;border-radius: 0px;"
                   "background-color: white;}          "
                   "QPushButton:pressed {background-color: rgb(39, 183, 121); color: white}    "
                   "      QPushButton:hover:!pressed:!checked {color: rgb(39, 183, 121)}      "
                   "    QPushButton:checked {background-color: rgb(39, 183, 121); color: white}");

const QString kSettingButtonStyle =
    QStringLiteral("QPushButton {border: 0px solid #DBDBDB;border-radius: 0px;"
                   "background-color: rgba(0, 0, 0, 0);}          QPushButton:pressed {}    "
                   "      QPushButton:hover:!pressed:!checked {}          QPushButton:checked {}");

CommandMap screenCommand(const QString& strKind, const QString& strTarget)
{
    return {{QStringLiteral("requestParam"), strKind},
            {QStringLiteral("target"), strTarget},
            {QStringLiteral("event"), QString()},
            {QStringLiteral("token"), QString()}};
}

// Connects a signal of ours to a method of the parent only when the parent has
// it: the record setting strip does, a test or gallery holder does not.
void connectIfPresent(QObject* pSender, const char* szSignal, QObject* pReceiver,
                      const char* szMethod)
{
    if (!pReceiver)
        return;
    const QMetaObject* pMeta = pReceiver->metaObject();
    const int nIndex = pMeta->indexOfMethod(QMetaObject::normalizedSignature(szMethod));
    if (nIndex < 0)
        return;
    const QMetaMethod signal = pSender->metaObject()->method(
        pSender->metaObject()->indexOfSignal(QMetaObject::normalizedSignature(szSignal)));
    QObject::connect(pSender, signal, pReceiver, pMeta->method(nIndex));
}

} // namespace

VelScreenSettingWidget::VelScreenSettingWidget(QWidget* parent, Corvane* pControl)
    : QWidget(parent), m_pControl(pControl)
{
    m_layoutNames = {{QStringLiteral("VelRECLayout1"), tr("单屏")},
                     {QStringLiteral("VelRECLayout2"), tr("双屏")},
                     {QStringLiteral("VelRECLayout3"), tr("画中画")},
                     {QStringLiteral("VelRECLayout4"), tr("三屏")},
                     {QStringLiteral("VelRECLayout5"), tr("四屏")}};

    m_pSettingButton = new VelPushButton(
        this, QIcon(QStringLiteral(":/resource/CV_SCREENDIVIDINGSETTING-SLIENT.png")),
        QIcon(QStringLiteral(":/resource/CV_SCREENDIVIDINGSETTING-PRESS.png")));
    m_pSettingButton->setFixedSize(16, 16);
    m_pSettingButton->setFlat(true);
    m_pSettingButton->setCheckable(true);
    m_pSettingButton->setIconSize(QSize(16, 16));
    m_pSettingButton->setStyleSheet(kSettingButtonStyle);
    m_pSettingLabel = new QLabel(tr("设置"), this);
    m_pSettingLabel->setStyleSheet(QStringLiteral("color: white"));

    m_pButtonGroup = new QButtonGroup(this);
    m_pButtonGroup->setExclusive(true);

    auto* pSettingColumn = new QVBoxLayout;
    pSettingColumn->addStretch();
    pSettingColumn->addWidget(m_pSettingButton, 0, Qt::AlignHCenter);
    pSettingColumn->addWidget(m_pSettingLabel, 0, Qt::AlignHCenter);
    pSettingColumn->addStretch();
    m_pRowLayout = new QHBoxLayout;
    m_pRowLayout->addLayout(pSettingColumn);
    setLayout(m_pRowLayout);
    setStyleSheet(QStringLiteral("font-family: Microsoft YaHei"));

    connect(m_pButtonGroup, QOverload<QAbstractButton*>::of(&QButtonGroup::buttonClicked), this,
            &VelScreenSettingWidget::sltButtonGroupClicked);
    connect(m_pSettingButton, &QPushButton::toggled, this,
            &VelScreenSettingWidget::sltSettingClicked);
    connectToParent(parent);
}

void VelScreenSettingWidget::connectToParent(QWidget* parent)
{
    connectIfPresent(this, "sigSendCommand(QMap<QString,QString>)", parent,
                     "sigSendCommand(QMap<QString,QString>)");
    connectIfPresent(this, "sigSelectedSingleScreen(bool)", parent,
                     "sltChangeBroadcastStrategyByScreenMode(bool)");
}

Corvane* VelScreenSettingWidget::controlOf(const QWidget* pWidget)
{
    for (; pWidget; pWidget = pWidget->parentWidget()) {
        if (auto* pSetting = qobject_cast<const VelScreenSettingWidget*>(pWidget))
            return pSetting->control();
    }
    return nullptr;
}

// The first preview is the single screen whatever its id. Picking it moves the
// overview list's program camera to its cell, as the page's answer would.
void VelScreenSettingWidget::selectedFirst(bool bFirst)
{
    emit sigSelectedSingleScreen(bFirst);
    if (!bFirst || m_previews.isEmpty() || !m_pControl)
        return;
    const QList<VelScreenCellWidget*> cells = m_previews.first()->cells();
    if (cells.isEmpty())
        return;
    CommandMap message = screenCommand(QStringLiteral("singleScreen"), cells.first()->name());
    m_pControl->sltReceiveCommand(formatCommand(message));
}

void VelScreenSettingWidget::sltButtonGroupClicked(QAbstractButton* pbtn)
{
    if (!pbtn)
        return;
    emit sigSendCommand(screenCommand(QStringLiteral("mutilScreen"), pbtn->objectName()));
    emit sigScreenModeChanged(pbtn->toolTip());
    if (!m_previews.isEmpty())
        selectedFirst(pbtn->objectName() == m_previews.first()->objectName());
}

void VelScreenSettingWidget::selectLayout(const QString& layoutId)
{
    m_pButtonGroup->setExclusive(false);
    for (VelScreenLayoutPreviewWidget* pPreview : qAsConst(m_previews)) {
        if (pPreview->objectName() != layoutId)
            continue;
        if (QAbstractButton* pChecked = m_pButtonGroup->checkedButton())
            pChecked->setChecked(false);
        selectedFirst(pPreview == m_previews.first());
        pPreview->setChecked(true);
        emit sigScreenModeChanged(pPreview->toolTip());
    }
    m_pButtonGroup->setExclusive(true);
}

void VelScreenSettingWidget::sltReceiveCommandFromParent(QMap<QString, QString> mapMessage)
{
    const QString strKind = mapMessage.value(QStringLiteral("requestParam"));
    const QString strTarget = mapMessage.value(QStringLiteral("target"));
    if (strKind == QLatin1String("mutilScreen")) {
        QAbstractButton* pChecked = m_pButtonGroup->checkedButton();
        if (!pChecked || pChecked->objectName() != strTarget)
            selectLayout(strTarget);
        return;
    }
    addLayouts(strTarget);
    selectLayout(mapMessage.value(QStringLiteral("event")));
}

// A preview already at a layout's position stays as it is.
void VelScreenSettingWidget::addLayouts(const QString& strTarget)
{
    const QList<VelScreenLayoutEntry> layouts = velScreenLayoutsFromTarget(strTarget);
    for (int i = m_previews.size(); i < layouts.size(); ++i)
        addPreview(layouts.at(i).strId, layouts.at(i).strCells);
}

void VelScreenSettingWidget::addPreview(const QString& strId, const QString& strCells)
{
    auto* pPreview = new VelScreenLayoutPreviewWidget(this);
    pPreview->setCheckable(true);
    pPreview->setFixedSize(128, 128);
    pPreview->setCells(strCells);
    pPreview->setLayoutId(strId);
    pPreview->setObjectName(strId);
    pPreview->setToolTip(m_layoutNames.value(strId, strId));
    pPreview->setStyleSheet(kPreviewStyle);
    pPreview->setSelectable(!m_pSettingButton->isChecked());
    if (m_previews.isEmpty())
        pPreview->setChecked(true);
    m_pButtonGroup->addButton(pPreview);
    m_pRowLayout->insertWidget(m_pRowLayout->count() - 1, pPreview);
    m_previews.append(pPreview);
    connect(pPreview, &VelScreenLayoutPreviewWidget::sigSendCommand, this,
            &VelScreenSettingWidget::sltRecviveCommandFromPreviewWidget);
}

void VelScreenSettingWidget::sltRecviveCommandFromPreviewWidget(QMap<QString, QString> mapMessage)
{
    emit sigSendCommand(mapMessage);
    QTimer::singleShot(500, this, &VelScreenSettingWidget::sltScreenModeChanged);
}

void VelScreenSettingWidget::sltScreenModeChanged()
{
    if (QAbstractButton* pChecked = m_pButtonGroup->checkedButton())
        emit sigSendCommand(screenCommand(QStringLiteral("mutilScreen"), pChecked->objectName()));
}

void VelScreenSettingWidget::sltFourScreenHideState(bool isHide)
{
    if (m_previews.size() >= 5)
        m_previews.at(4)->setVisible(isHide);
}

void VelScreenSettingWidget::sltSettingHideState(bool isHide)
{
    m_pSettingButton->setVisible(isHide);
    m_pSettingLabel->setVisible(isHide);
}

void VelScreenSettingWidget::sltSettingClicked()
{
    const bool bEditing = m_pSettingButton->isChecked();
    for (VelScreenLayoutPreviewWidget* pPreview : qAsConst(m_previews))
        pPreview->setSelectable(!bEditing);
}
