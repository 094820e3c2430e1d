#include "vellineedit.h"

VelLineEdit::VelLineEdit(QWidget* parent, int maxLength) : QLineEdit(parent), m_nMaxLength(maxLength)
{
    connect(this, &QLineEdit::textChanged, this, &VelLineEdit::sltAdjustText);
    connect(this, &QLineEdit::selectionChanged, this, &VelLineEdit::sltSetSelection);
}

void VelLineEdit::sltAdjustText(QString text)
{
    if (text.length() == m_nMaxLength) {
        m_strLimitText = text;
    } else if (text.length() > m_nMaxLength) {
        if (!m_strSelection.isEmpty()) {
            m_strLimitText = text.left(m_nMaxLength);
            m_strSelection.clear();
        }
        // Re-enters this slot with a text at the limit (or an empty one).
        setText(m_strLimitText);
    }
}

// An emptied selection is not remembered: replacing a selection empties it
// before the new text arrives here.
void VelLineEdit::sltSetSelection()
{
    const QString strSelected = selectedText();
    if (!strSelected.isEmpty())
        m_strSelection = strSelected;
}
