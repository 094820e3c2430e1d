#ifndef VELMODALCLOSER_H
#define VELMODALCLOSER_H

#include "veldialogframe.h"

#include <QApplication>
#include <QEvent>
#include <QMetaObject>

// Rejects every panel dialog (VelDialogFrame) as soon as it shows, from inside its own exec() loop,
// for tests that feed the control messages which may open one (a warning for
// an "error" answer, the live room chooser). Counts what it closed.
class VelModalCloser : public QObject
{
public:
    VelModalCloser() { qApp->installEventFilter(this); }
    ~VelModalCloser() override { qApp->removeEventFilter(this); }

    int closed() const { return m_nClosed; }

protected:
    bool eventFilter(QObject* pWatched, QEvent* e) override
    {
        if (e->type() == QEvent::Show) {
            if (auto* pDialog = qobject_cast<VelDialogFrame*>(pWatched)) {
                ++m_nClosed;
                QMetaObject::invokeMethod(pDialog, "reject", Qt::QueuedConnection);
            }
        }
        return false;
    }

private:
    int m_nClosed = 0;
};

#endif // VELMODALCLOSER_H
