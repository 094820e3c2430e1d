#ifndef VELDIALOGCONTENT_H
#define VELDIALOGCONTENT_H

#include <QFrame>
#include <QMap>
#include <QString>

// Base of every dialog content. The frame around it asks the content whether
// the dialog may close; contents that send a command do so while confirming.
class VelDialogContent : public QFrame
{
    Q_OBJECT

public:
    explicit VelDialogContent(QWidget* parent = nullptr);

    // Called when the user confirms: 1 lets the frame close as accepted, any
    // other value keeps the dialog open.
    virtual int checkAccept();
    // Called when the user cancels or presses exit: 1 lets the frame close as
    // rejected, any other value keeps it open.
    virtual int checkReject();

signals:
    void sigSendCommand(QMap<QString, QString> lstParam);
};

#endif // VELDIALOGCONTENT_H
