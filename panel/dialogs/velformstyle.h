#ifndef VELFORMSTYLE_H
#define VELFORMSTYLE_H

#include <QString>

class QComboBox;
class QLabel;
class QWidget;

// Style sheets and small builders the settings forms share.

// The panel's combo box style, arrow images resolved to the resources.
QString velComboStyle();
// Lets the list of a combo box draw its highlighted row in the style sheet's
// selection colour. Qt's own menu-like list ignores it for styled boxes and
// drew that row white on white.
void velUseStyledComboList(QComboBox* pBox);
// The clip pages' form style: group boxes, line edits, combo boxes, radio
// button indicators and push buttons.
QString velClipFormStyle();
// The green scroll bar of the colour palette, for text fields.
QString velGreenScrollBarStyle();

// A row label: fixed width, right-aligned and vertically centred, bold when asked.
QLabel* velFormLabel(const QString& strText, int nWidth, bool bBold, QWidget* parent);

#endif // VELFORMSTYLE_H
