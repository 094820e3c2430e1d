#ifndef VELADDPOINTWIDGET_H
#define VELADDPOINTWIDGET_H

#include "veldialogcontent.h"

class QLabel;
class QTextEdit;

// The video dot form: the page announces the recording time of the dot
// ("videoDotPrepare"), the operator adds a note and confirms. The note field
// shows a hint text and ignores the mouse until it is first clicked.
class VelAddPointWidget : public VelDialogContent
{
    Q_OBJECT

public:
    explicit VelAddPointWidget(QWidget* parent = nullptr);

    // Sends "videoDot" and clears the note.
    int checkAccept() override;

    QString dotTime() const { return m_strDotTime; }
    QLabel* messageLabel() const { return m_pMessageLabel; }
    QTextEdit* noteField() const { return m_pNoteField; }

    // "HH : MM : SS" of a number of seconds, hours unbounded.
    static QString formatDotTime(int nSeconds);

public slots:
    void sltReceiveCommand(QMap<QString, QString> mapMessage);

protected:
    void mousePressEvent(QMouseEvent* e) override;

private:
    QLabel* m_pMessageLabel = nullptr;
    QTextEdit* m_pNoteField = nullptr;
    QString m_strDotTime;
};

#endif // VELADDPOINTWIDGET_H
