#ifndef VELCLOUDSETTINGWIDGET_H
#define VELCLOUDSETTINGWIDGET_H

#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QLabel;
class VelPushButton;

// The PTZ pad: zoom, move and preset buttons. It only reports which button went
// down and which came up; the owner turns the button's object name into a
// command. The directing panel reports a release only for a click (pointer let
// go over the same button); the tour view reports every release.
class VelCloudSettingWidget : public QWidget {
    Q_OBJECT

public:
    explicit VelCloudSettingWidget(QWidget* parent);

signals:
    void sigButtonPressed(QAbstractButton* pbtn);
    void sigButtonReleased(QAbstractButton* pbtn);

private:
    VelPushButton* makeButton(const char* szObjectName, const char* szKey);

    QLabel* m_pZoomLabel = nullptr;
    QLabel* m_pMoveLabel = nullptr;
    QLabel* m_pPresetLabel = nullptr;
    QButtonGroup* m_pButtonGroup = nullptr;
};

#endif // VELCLOUDSETTINGWIDGET_H
