#ifndef VELTRANSITIONEFFECTSETTINGWIDGET_H
#define VELTRANSITIONEFFECTSETTINGWIDGET_H

#include <QMap>
#include <QString>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QHBoxLayout;
class QLabel;
class QSlider;
class QVBoxLayout;
class VelPushButton;

// The transition effect chooser of the record setting strip's effect pop-up.
// Every click reports the effect as a "switchingEffects" command (also on the
// effect already chosen); the page's "switchingEffects" answer checks the
// effect it names without sending anything.
class VelTransitionEffectSettingWidget : public QWidget
{
    Q_OBJECT

public:
    explicit VelTransitionEffectSettingWidget(QWidget* parent = nullptr);

    // The effect id of the checked button, empty when none is checked.
    QString currentEffect() const;

signals:
    void sigSendCommand(QMap<QString, QString> lstParam);

public slots:
    void sltTransitionEffectChanged(QAbstractButton* pbtn);
    void sltReceiveCommand(QMap<QString, QString> mapMessage);

private:
    void refreshIcons();

    VelPushButton* m_pNoneButton = nullptr;
    VelPushButton* m_pEraseButton = nullptr;
    VelPushButton* m_pFlyingButton = nullptr;
    VelPushButton* m_pFadeButton = nullptr;
    QButtonGroup* m_pButtonGroup = nullptr;
    QLabel* m_pDurationLabel = nullptr;
    QLabel* m_pDurationValueLabel = nullptr;
    QSlider* m_pDurationSlider = nullptr;
    QHBoxLayout* m_pEffectsLayout = nullptr;
    QHBoxLayout* m_pDurationLayout = nullptr;
    QVBoxLayout* m_pMainLayout = nullptr;
};

#endif // VELTRANSITIONEFFECTSETTINGWIDGET_H
