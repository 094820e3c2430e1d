#ifndef VELEDITWIDGET_H
#define VELEDITWIDGET_H

#include "veldialogcontent.h"

class QLineEdit;

// Single-line text shown in a line edit that takes no focus; the record setting
// strip shows the live address with it.
class VelEditWidget : public VelDialogContent
{
    Q_OBJECT

public:
    VelEditWidget(const QString& strText, QWidget* parent);

    QLineEdit* lineEdit() const { return m_pLineEdit; }

private:
    QLineEdit* m_pLineEdit = nullptr;
};

#endif // VELEDITWIDGET_H
