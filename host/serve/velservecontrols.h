#ifndef VELSERVECONTROLS_H
#define VELSERVECONTROLS_H

#include <QSet>
#include <QString>

class QObject;
class VelHostFrame;

// Creates controls for browser pages as a page's document.createControl does:
// the class id is looked up in the registration store, its library loaded and
// asked for the factory, and the control is shown in the host's frame. The
// caller owns the control (through its proxy). GUI thread only.
class VelServeControls
{
public:
    explicit VelServeControls(VelHostFrame* pFrame) : m_pFrame(pFrame) {}

    // The new control, or null with the reason in *pError.
    QObject* create(const QString& strClassId, QString* pError);

private:
    VelHostFrame* m_pFrame;
    QSet<QString> m_loadedLibraries;
};

#endif // VELSERVECONTROLS_H
