#ifndef VELHOSTLOADER_H
#define VELHOSTLOADER_H

#include "velaxstore.h"

#include <QSet>
#include <QSize>
#include <QString>

class QWidget;
class VelHostFrame;

// Creates a control by class id for both hosts (page scripts and browser
// pages): the class id is checked, looked up in the registration store, its
// library loaded from exactly the recorded absolute path and asked for its
// factory, and the control is created and shown in the frame. The first load
// of each library is reported on standard output. A second Corvane deletes
// the first in its own constructor; the callers follow that through QPointer.
// GUI thread only.
class VelHostLoader
{
public:
    struct Created {
        QWidget* pControl = nullptr; // the caller owns it; null on failure
        VelAxStore::ClassEntry entry;
        QString strVersion; // the factory's
        QString strError;
    };

    explicit VelHostLoader(VelHostFrame* pFrame) : m_pFrame(pFrame) {}

    // An empty size lets the control fill the frame's free space.
    Created create(const QString& strClassId, const QSize& size = QSize());

private:
    VelHostFrame* m_pFrame;
    QSet<QString> m_loadedLibraries;
};

#endif // VELHOSTLOADER_H
