// The page's function switches of the record setting strip: which widgets each
// function name covers and what "show", "hide", "enable" and "disable" do.

#include "strip/velrecordsettingwidget.h"

#include "corvane.h"
#include "dialogs/velcreditssettingwidget.h"
#include "layout/velscreensettingwidget.h"

#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QPushButton>

void VelRecordSettingWidget::setShown(const QList<QWidget*>& widgets, bool bShown)
{
    for (QWidget* pWidget : widgets) {
        if (QGraphicsOpacityEffect* pEffect = m_effects.value(pWidget))
            pEffect->setOpacity(bShown ? 1.0 : 0.0);
        pWidget->setEnabled(bShown);
    }
}

void VelRecordSettingWidget::setUsable(const QList<QWidget*>& widgets, bool bEnabled)
{
    // An invisible button that still took clicks would open its dialog out of
    // nowhere: a hidden function is enabled only by showing it.
    for (QWidget* pWidget : widgets)
        pWidget->setEnabled(bEnabled && isShown(pWidget));
}

void VelRecordSettingWidget::sltSetFunctionShownState(QString strIndex, QString state)
{
    if (strIndex == QLatin1String("AvaliableMemory"))
        m_pStorageLabel->setText(state);
    if (strIndex == QLatin1String("liveAddress"))
        m_strLiveAddress = state;

    const bool bShowHide = state == QLatin1String("show") || state == QLatin1String("hide");
    const bool bEnable = state == QLatin1String("enable") || state == QLatin1String("disable");
    if (!bShowHide && !bEnable)
        return;
    const bool bOn = state == QLatin1String("show") || state == QLatin1String("enable");

    // The children's own switches take every state alike.
    if (strIndex == QLatin1String("CreditsContent")) {
        m_pCreditsWidget->sltSetHideState(bOn);
        return;
    }
    if (strIndex == QLatin1String("ScreenSetting")) {
        m_pScreenSettingWidget->sltFourScreenHideState(bOn);
        return;
    }
    if (strIndex == QLatin1String("ScreenSpliterSettings")) {
        m_pScreenSettingWidget->sltSettingHideState(bOn);
        return;
    }

    // Functions that can be hidden: every state applies.
    const QMap<QString, QList<QWidget*>> hideable = {
        {QStringLiteral("TransitionEffect"), {m_pEffectLabel, m_pEffectButton}},
        {QStringLiteral("Captions"), {m_pCaptionsButton}},
        {QStringLiteral("Credits"), {m_pCreditsButton}},
        {QStringLiteral("VideoPoint"), {m_pVideoDotButton}},
        {QStringLiteral("CourseInfo"), {m_pCourseButton}},
        {QStringLiteral("ScreenSettingEntirety"), {m_pLayoutLabel, m_pLayoutButton}},
        {QStringLiteral("BroadcastStrategy"), {m_pStrategyLabel, m_pAutoButton, m_pManualButton}}};
    // Functions that are only switched on and off.
    const QMap<QString, QList<QWidget*>> switchable = {
        {QStringLiteral("MovieMode"), {m_pMovieButton}},
        {QStringLiteral("Movide+ResourceMode"), {m_pMovieResourceButton}},
        {QStringLiteral("AutoControl"), {m_pAutoButton}},
        {QStringLiteral("HandControl"), {m_pManualButton}},
        {QStringLiteral("ScreenSettingButton"), {m_pLayoutButton}},
        {QStringLiteral("LiveAddress"), {m_pLiveAddressButton}}};

    if (hideable.contains(strIndex)) {
        if (bShowHide)
            setShown(hideable.value(strIndex), bOn);
        else
            setUsable(hideable.value(strIndex), bOn);
    } else if (strIndex == QLatin1String("AvaliableMemoryState")) {
        if (bShowHide)
            setShown({m_pStorageLabel}, bOn);
    } else if (switchable.contains(strIndex) && bEnable) {
        setUsable(switchable.value(strIndex), bOn);
    }
}
