#include "velservecontrols.h"

#include "velaxfactory.h"
#include "velaxstore.h"
#include "velhostframe.h"
#include "velhostlibrary.h"

#include <QDir>
#include <QWidget>

#include <cstdio>

QObject* VelServeControls::create(const QString& strClassId, QString* pError)
{
    VelAxStore store;
    if (!store.load(pError))
        return nullptr;
    const VelAxStore::ClassEntry entry = store.findClass(strClassId);
    if (!entry.isValid()) {
        *pError = QStringLiteral("class %1 is not registered").arg(strClassId.left(64));
        return nullptr;
    }
    // As for script pages: the recorded path is loaded exactly as it stands.
    if (!QDir::isAbsolutePath(entry.strLibrary)) {
        *pError = QStringLiteral("class %1: the store records the library path \"%2\", which "
                                 "is not absolute")
                      .arg(entry.strClassId, entry.strLibrary);
        return nullptr;
    }
    QString strError;
    VelHostLibrary* pLibrary = VelHostLibrary::open(entry.strLibrary, &strError);
    if (!pLibrary) {
        *pError = QStringLiteral("class %1: %2").arg(entry.strClassId, strError);
        return nullptr;
    }
    VelAxFactory* pFactory = nullptr;
    const VelAxResult nResult = pLibrary->getClassObject(entry.strClassId, &pFactory);
    if (nResult != VEL_S_OK || !pFactory) {
        *pError = QStringLiteral("class %1: DllGetClassObject failed (%2)")
                      .arg(entry.strClassId, VelHostLibrary::resultText(nResult));
        return nullptr;
    }
    if (!m_loadedLibraries.contains(pLibrary->path())) {
        m_loadedLibraries.insert(pLibrary->path());
        std::fprintf(stdout, "vel-host: loaded %s (%s %s)\n", qPrintable(pLibrary->path()),
                     qPrintable(pFactory->libraryName()), qPrintable(pFactory->version()));
        std::fflush(stdout);
    }
    QObject* pObject = pFactory->createObject(pFactory->keyForClassID(entry.strClassId));
    QWidget* pWidget = qobject_cast<QWidget*>(pObject);
    if (!pWidget) {
        delete pObject;
        *pError = QStringLiteral("class %1: the factory created no control").arg(entry.strClassId);
        return nullptr;
    }
    m_pFrame->embed(pWidget, QSize());
    return pObject;
}
