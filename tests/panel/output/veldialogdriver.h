#ifndef VELDIALOGDRIVER_H
#define VELDIALOGDRIVER_H

#include "veldialogcontent.h"
#include "veldialogframe.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <functional>

// Answers the modal dialogs the code under test runs with exec(): each time a
// VelDialogFrame becomes the active modal widget it is recorded (title, the
// buttons shown, its content) and handed to the action, which ends it.
class VelDialogDriver : public QObject
{
public:
    struct Seen {
        QString strTitle;
        bool bExit = false;
        bool bCancel = false;
        bool bOk = false;
    };
    using Action = std::function<void(VelDialogFrame*)>;

    explicit VelDialogDriver(Action action = accept()) : m_action(std::move(action))
    {
        connect(&m_timer, &QTimer::timeout, this, [this]() { poll(); });
        m_timer.start(5);
    }

    static Action accept()
    {
        return [](VelDialogFrame* pFrame) { pFrame->accept(); };
    }
    static Action reject()
    {
        return [](VelDialogFrame* pFrame) { pFrame->reject(); };
    }

    const QList<Seen>& seen() const { return m_seen; }
    QStringList titles() const
    {
        QStringList lst;
        for (const Seen& seen : m_seen)
            lst << seen.strTitle;
        return lst;
    }

private:
    void poll()
    {
        auto* pFrame = qobject_cast<VelDialogFrame*>(QApplication::activeModalWidget());
        if (!pFrame || pFrame == m_pLast)
            return;
        m_pLast = pFrame;
        Seen seen;
        if (auto* pTitle = pFrame->findChild<QLabel*>(QStringLiteral("title")))
            seen.strTitle = pTitle->text();
        for (QPushButton* pButton : pFrame->findChildren<QPushButton*>()) {
            if (pButton->parentWidget() != pFrame || pButton->isHidden())
                continue;
            if (pButton->text() == QStringLiteral("确定"))
                seen.bOk = true;
            else if (pButton->text() == QStringLiteral("取消"))
                seen.bCancel = true;
            else
                seen.bExit = true;
        }
        m_seen << seen;
        m_action(pFrame);
    }

    QTimer m_timer;
    Action m_action;
    QPointer<VelDialogFrame> m_pLast;
    QList<Seen> m_seen;
};

#endif // VELDIALOGDRIVER_H
