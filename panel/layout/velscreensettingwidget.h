#ifndef VELSCREENSETTINGWIDGET_H
#define VELSCREENSETTINGWIDGET_H

#include <QList>
#include <QMap>
#include <QPointer>
#include <QString>
#include <QWidget>

class Corvane;
class QAbstractButton;
class QButtonGroup;
class QHBoxLayout;
class QLabel;
class VelPushButton;
class VelScreenLayoutPreviewWidget;

// The row of screen layout previews with the settings button that switches
// cell editing on. Layouts arrive in the page's "settingMutilScreen" answer;
// picking one sends "mutilScreen"; picking the first (single screen) also moves
// the overview list's program camera to the layout's cell. GUI thread only.
class VelScreenSettingWidget : public QWidget
{
    Q_OBJECT

public:
    VelScreenSettingWidget(QWidget* parent, Corvane* pControl);

    // The control of the setting widget pWidget belongs to (itself or an
    // ancestor), or null.
    static Corvane* controlOf(const QWidget* pWidget);

    Corvane* control() const { return m_pControl; }
    QList<VelScreenLayoutPreviewWidget*> previews() const { return m_previews; }
    VelPushButton* settingButton() const { return m_pSettingButton; }

    void selectLayout(const QString& layoutId);

signals:
    void sigSendCommand(QMap<QString, QString> lstParam);
    void sigScreenModeChanged(QString strMode);
    void sigSelectedSingleScreen(bool isSelected);

public slots:
    void sltReceiveCommandFromParent(QMap<QString, QString> mapMessage);
    void sltRecviveCommandFromPreviewWidget(QMap<QString, QString> mapMessage);
    void sltFourScreenHideState(bool isHide);
    void sltSettingHideState(bool isHide);
    void sltButtonGroupClicked(QAbstractButton* pbtn);

private slots:
    void sltSettingClicked();
    void sltScreenModeChanged();

private:
    void connectToParent(QWidget* parent);
    void addLayouts(const QString& strTarget);
    void addPreview(const QString& strId, const QString& strCells);
    void selectedFirst(bool bFirst);

    QList<VelScreenLayoutPreviewWidget*> m_previews;
    QMap<QString, QString> m_layoutNames;
    VelPushButton* m_pSettingButton = nullptr;
    QLabel* m_pSettingLabel = nullptr;
    QButtonGroup* m_pButtonGroup = nullptr;
    QHBoxLayout* m_pRowLayout = nullptr;
    QPointer<Corvane> m_pControl;
};

#endif // VELSCREENSETTINGWIDGET_H
