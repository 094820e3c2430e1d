#ifndef VELPUSHBUTTON_H
#define VELPUSHBUTTON_H

#include <QIcon>
#include <QPushButton>

// Borderless image button that swaps between a normal, a pressed and a hover
// icon according to the mouse and, for checkable buttons, the check state.
// The tour library builds it flat, without hover handling, and with a state flag
// of its own that the tour bar drives (setToggleMode / setButtonState).
class VelPushButton : public QPushButton
{
    Q_OBJECT

public:
    explicit VelPushButton(QWidget* parent = nullptr, const QIcon& normalIcon = QIcon(),
                           const QIcon& pressedIcon = QIcon(), const QIcon& hoverIcon = QIcon());

    // Replace the stored icons; the icon shown stays until the next swap.
    void setNormalIcon(const QIcon& icon) { m_normalIcon = icon; }
    void setPressedIcon(const QIcon& icon) { m_pressedIcon = icon; }

    QIcon normalIcon() const { return m_normalIcon; }
    QIcon pressedIcon() const { return m_pressedIcon; }
    QIcon hoverIcon() const { return m_hoverIcon; }

#ifdef VEL_FORM_VIMBREL
    void setToggleMode(bool bToggle)
    {
        m_bToggleMode = bToggle;
    }
    bool toggleMode() const
    {
        return m_bToggleMode;
    }
    // Sets the state flag; in toggle mode also shows the pressed (true) or normal icon.
    void setButtonState(bool bState);
    bool buttonState() const
    {
        return m_bButtonState;
    }
#endif

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
#ifdef VEL_FORM_TESSARO
    void enterEvent(QEvent* e) override;
    void leaveEvent(QEvent* e) override;
#endif
    void nextCheckState() override;

private:
    QIcon m_normalIcon;
    QIcon m_pressedIcon;
    QIcon m_hoverIcon;
#ifdef VEL_FORM_VIMBREL
    bool m_bToggleMode = false;
    bool m_bButtonState = false;
#endif
};

#endif // VELPUSHBUTTON_H
