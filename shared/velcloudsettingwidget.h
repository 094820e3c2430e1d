#ifndef VELCLOUDSETTINGWIDGET_H
#define VELCLOUDSETTINGWIDGET_H

#include <QAbstractButton>
#include <QPointer>
#include <QWidget>

class QButtonGroup;
class QLabel;
class VelPushButton;

// The PTZ pad: zoom, move and preset buttons. It only reports which button went
// down and which came up; the owner turns the button's object name into a
// command. Every press it reports gets exactly one release: on the pointer
// letting go or leaving the held button, and also when the press ends any other
// way (the pop-up around the pad hides, the pointer leaves the pop-up, the
// window loses the mouse, the pad goes), since a camera keeps moving until
// the release reaches it.
class VelCloudSettingWidget : public QWidget
{
    Q_OBJECT

public:
    explicit VelCloudSettingWidget(QWidget* parent);
    ~VelCloudSettingWidget() override;

    // The button down now, or null.
    QAbstractButton* pressedButton() const { return m_pPressed; }
    // Ends the press under way, if any, with its release. Owners call it when
    // they go or hide the pad by other means than hiding it.
    void releasePressed();

signals:
    void sigButtonPressed(QAbstractButton* pbtn);
    void sigButtonReleased(QAbstractButton* pbtn);

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* pWatched, QEvent* e) override;

private:
    void sltGroupPressed(QAbstractButton* pbtn);
    void sltGroupReleased(QAbstractButton* pbtn);
    VelPushButton* makeButton(const char* szObjectName, const char* szKey);

    QLabel* m_pZoomLabel = nullptr;
    QLabel* m_pMoveLabel = nullptr;
    QLabel* m_pPresetLabel = nullptr;
    QButtonGroup* m_pButtonGroup = nullptr;
    QPointer<QAbstractButton> m_pPressed;
    // The window the pad sat in when the press began: with the pad in a pop-up,
    // a pointer that leaves the pop-up sends its moves and release there, not
    // to the held button.
    QPointer<QWidget> m_pWatchedWindow;
};

#endif // VELCLOUDSETTINGWIDGET_H
