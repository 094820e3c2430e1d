#ifndef VELTIPWIDGET_H
#define VELTIPWIDGET_H

#include "veldialogcontent.h"

class QLabel;

// One-line message inside a dialog frame (warnings, confirmations).
class VelTipWidget : public VelDialogContent
{
    Q_OBJECT

public:
    VelTipWidget(const QString& strText, QWidget* parent);

    QString text() const;

private:
    QLabel* m_pLabel = nullptr;
};

#endif // VELTIPWIDGET_H
