#ifndef VELDIALOGFRAME_H
#define VELDIALOGFRAME_H

#include <QDialog>
#include <QPoint>

class QHBoxLayout;
class QLabel;
class QPropertyAnimation;
class QPushButton;
class QVBoxLayout;
class VelDialogContent;
class VelPushButton;

// Modal frameless dialog around one content: dark title bar with an exit
// button, cancel and OK buttons, dragging by the title, centring on the desktop
// and a short slide-in on every show. It closes only on the content's verdict
// (checkAccept / checkReject); Escape never closes it.
class VelDialogFrame : public QDialog
{
    Q_OBJECT

public:
    // Bits of the button set.
    enum Button { ExitButton = 1, CancelButton = 2, OkButton = 4 };

    VelDialogFrame(const QString& strTitle, QWidget* parent, VelDialogContent* pContent,
                   int nButtons);

    VelDialogContent* content() const { return m_pContent; }

public slots:
    int exec() override;
    void accept() override;
    void reject() override;

protected:
    bool event(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    VelPushButton* m_pExitButton = nullptr;
    QPushButton* m_pCancelButton = nullptr;
    QPushButton* m_pOkButton = nullptr;
    QLabel* m_pTitleLabel = nullptr;
    VelDialogContent* m_pContent = nullptr;
    QHBoxLayout* m_pTitleLayout = nullptr;
    QHBoxLayout* m_pButtonLayout = nullptr;
    QVBoxLayout* m_pMainLayout = nullptr;
    QPoint m_posPress;
    QPropertyAnimation* m_pGeometryAnimation = nullptr;
};

#endif // VELDIALOGFRAME_H
