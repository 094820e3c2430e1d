#include "vellineedit.h"

VelLineEdit::VelLineEdit(QWidget* parent, int maxLength)
    : QLineEdit(parent), m_nMaxLength(maxLength)
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
            // Never keep half of a surrogate pair: the cut text must stay valid.
            int nKeep = m_nMaxLength;
            if (nKeep > 0 && text.at(nKeep - 1).isHighSurrogate())
                --nKeep;
            m_strLimitText = text.left(nKeep);
            m_strSelection.clear();
        }
        // Re-enters this slot with a text no longer than the limit.
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
