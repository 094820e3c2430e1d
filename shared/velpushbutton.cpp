#include "velpushbutton.h"

VelPushButton::VelPushButton(QWidget* parent, const QIcon& normalIcon, const QIcon& pressedIcon,
                             const QIcon& hoverIcon)
    : QPushButton(parent), m_normalIcon(normalIcon), m_pressedIcon(pressedIcon),
      m_hoverIcon(hoverIcon)
{
#ifdef VEL_FORM_VIMBREL
    setFlat(true);
#endif
    setIcon(m_normalIcon);
    setStyleSheet(QStringLiteral("QPushButton:hover{border: 0px}"));
}

// Checkable buttons keep their icon while the mouse is down: the check state
// alone decides it (nextCheckState).
void VelPushButton::mousePressEvent(QMouseEvent* e)
{
    if (!isCheckable())
        setIcon(m_pressedIcon);
    QPushButton::mousePressEvent(e);
}

void VelPushButton::mouseReleaseEvent(QMouseEvent* e)
{
    if (!isCheckable())
        setIcon(m_normalIcon);
    QPushButton::mouseReleaseEvent(e);
}

#ifdef VEL_FORM_TESSARO
void VelPushButton::enterEvent(QEvent* e)
{
    QPushButton::enterEvent(e);
    if (!m_hoverIcon.isNull())
        setIcon(m_hoverIcon);
}

void VelPushButton::leaveEvent(QEvent* e)
{
    QPushButton::leaveEvent(e);
    if (!isCheckable())
        setIcon(m_normalIcon);
}

// Called on a click of a checkable button, before the toggle: a checked button
// is about to be unchecked and shows the normal icon, and the other way round.
void VelPushButton::nextCheckState()
{
    if (isCheckable())
        setIcon(isChecked() ? m_normalIcon : m_pressedIcon);
    QPushButton::nextCheckState();
}
#endif

#ifdef VEL_FORM_VIMBREL
// The tour bar shows the state through setButtonState, so a click only flips the flag.
void VelPushButton::nextCheckState()
{
    m_bButtonState = !m_bButtonState;
    QPushButton::nextCheckState();
}

void VelPushButton::setButtonState(bool bState)
{
    m_bButtonState = bState;
    if (m_bToggleMode)
        setIcon(bState ? m_pressedIcon : m_normalIcon);
}
#endif
