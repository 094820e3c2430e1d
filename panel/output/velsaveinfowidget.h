#ifndef VELSAVEINFOWIDGET_H
#define VELSAVEINFOWIDGET_H

#include "veldialogcontent.h"

class VelLineEdit;

// The "save recording information" form: five free-text fields describing a
// finished recording. Confirming sends them as a "workingMode" / "save"
// command; the fields keep their texts between openings and none is required.
class VelSaveInfoWidget : public VelDialogContent
{
public:
    explicit VelSaveInfoWidget(QWidget* parent = nullptr);

    int checkAccept() override;

    // The field of a key ("title", "description", "speaker", "unit", "account").
    VelLineEdit* field(const QString& strKey) const;

private:
    struct Row {
        QString strKey;
        VelLineEdit* pEdit;
    };
    QList<Row> m_rows;
};

#endif // VELSAVEINFOWIDGET_H
