#ifndef VELSAVEPROGRESSWIDGET_H
#define VELSAVEPROGRESSWIDGET_H

#include "veldialogcontent.h"

class QProgressBar;
class QPushButton;

// Progress of building the course package. The dialog closes itself (as
// accepted) when the value reaches 100; cancelling is only reported, the
// owner decides what it means.
class VelSaveProgressWidget : public VelDialogContent
{
    Q_OBJECT

public:
    explicit VelSaveProgressWidget(QWidget* parent = nullptr);

    int checkAccept() override { return 1; }
    int checkReject() override { return 1; }
    int value() const;

signals:
    void sigCancleClicked();

public slots:
    void sltSetValue(int nValue);

private slots:
    void sltValueChanged(int nValue);

private:
    QProgressBar* m_pProgressBar = nullptr;
    QPushButton* m_pCancelButton = nullptr;
};

#endif // VELSAVEPROGRESSWIDGET_H
