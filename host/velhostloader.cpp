#include "velhostloader.h"

#include "velaxfactory.h"
#include "velaxregistry.h"
#include "velhostframe.h"
#include "velhostlibrary.h"

#include <QDir>
#include <QWidget>

#include <cstdio>

VelHostLoader::Created VelHostLoader::create(const QString& strClassId, const QSize& size)
{
    Created created;
    auto fail = [&created](const QString& strError) {
        created.strError = strError;
        return created;
    };
    // A page's string goes into the message: a hostile one is cut short.
    if (VelAxStore::normalizedId(strClassId).isEmpty())
        return fail(QStringLiteral("\"%1\" is not a class id "
                                   "({XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX} expected)")
                        .arg(strClassId.left(64)));
    // The user's classes over the machine's.
    VelAxRegistry registry;
    QString strError;
    if (!registry.load(&strError))
        return fail(strError);
    created.entry = registry.findClass(strClassId).entry;
    const VelAxStore::ClassEntry& entry = created.entry;
    if (!entry.isValid()) {
        const QString strSystem =
            registry.systemError().isEmpty()
                ? QStringLiteral("machine-wide store %1").arg(registry.systemPath())
                : registry.systemError();
        return fail(QStringLiteral("class %1 is not registered (store %2; %3)")
                        .arg(strClassId, registry.userPath(), strSystem));
    }
    // The store's path is taken as it stands: a relative one would depend on
    // the current directory and the loader's search.
    if (!QDir::isAbsolutePath(entry.strLibrary))
        return fail(QStringLiteral("class %1: the store records the library path \"%2\", which "
                                   "is not absolute")
                        .arg(strClassId, entry.strLibrary));
    VelHostLibrary* pLibrary = VelHostLibrary::open(entry.strLibrary, &strError);
    if (!pLibrary)
        return fail(QStringLiteral("class %1: %2").arg(strClassId, strError));
    VelAxFactory* pFactory = nullptr;
    const VelAxResult nResult = pLibrary->getClassObject(entry.strClassId, &pFactory);
    if (nResult != VEL_S_OK || !pFactory)
        return fail(QStringLiteral("class %1: DllGetClassObject of %2 failed (%3)")
                        .arg(strClassId, pLibrary->path(), VelHostLibrary::resultText(nResult)));
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
        return fail(QStringLiteral("class %1: the factory of %2 created no control")
                        .arg(strClassId, pLibrary->path()));
    }
    m_pFrame->embed(pWidget, size);
    created.pControl = pWidget;
    created.strVersion = pFactory->version();
    return created;
}
