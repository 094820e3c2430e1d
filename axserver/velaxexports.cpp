// The registration exports of a control library. This file is compiled into each
// library itself (not taken from a static archive, whose symbols the libraries
// keep private), and these five functions are all a library exports.
#include "velaxexports.h"

#include "velaxfactory.h"
#include "velaxidl.h"
#include "velaxlibrary.h"
#include "velaxstore.h"

#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

namespace
{

// The path the library was loaded from (what GetModuleFileName gives on Windows).
QString libraryPath()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&DllRegisterServer), &info) || !info.dli_fname)
        return QString();
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
}

void report(const QString& strError)
{
    qWarning("%s", qPrintable(strError));
}

} // namespace

VelAxResult DllRegisterServer()
{
    VelAxFactory* pFactory = velAxLibraryFactory();
    const QString strLibrary = libraryPath();
    QString strError;
    const VelAxStore::Scope scope = VelAxStore::registrationScope();
    const bool isWritten = VelAxStore::edit(
        VelAxStore::location(scope),
        [&](VelAxStore& store) {
            for (const QString& strKey : pFactory->featureList()) {
                VelAxStore::ClassEntry entry;
                entry.strClassId = pFactory->classID(strKey);
                entry.strClassName = strKey;
                entry.strProgId = pFactory->libraryName() + QLatin1Char('.') + strKey;
                entry.strLibrary = strLibrary;
                entry.strTypeLibId = pFactory->typeLibID();
                entry.strAppId = pFactory->appID();
                entry.strVersion = pFactory->version();
                store.setClass(entry);
            }
            store.setTypeLib(pFactory->typeLibID(), pFactory->libraryName(), strLibrary,
                             pFactory->version());
            store.setAppId(pFactory->appID(), pFactory->libraryName(), strLibrary);
        },
        &strError, scope);
    if (!isWritten) {
        report(QStringLiteral("DllRegisterServer: %1").arg(strError));
        return VEL_SELFREG_E_CLASS;
    }
    return VEL_S_OK;
}

VelAxResult DllUnregisterServer()
{
    VelAxFactory* pFactory = velAxLibraryFactory();
    QString strError;
    const VelAxStore::Scope scope = VelAxStore::registrationScope();
    const bool isWritten = VelAxStore::edit(
        VelAxStore::location(scope),
        [&](VelAxStore& store) {
            for (const QString& strKey : pFactory->featureList())
                store.removeClass(pFactory->classID(strKey));
            store.removeTypeLib(pFactory->typeLibID());
            store.removeAppId(pFactory->appID());
        },
        &strError, scope);
    if (!isWritten) {
        report(QStringLiteral("DllUnregisterServer: %1").arg(strError));
        return VEL_SELFREG_E_CLASS;
    }
    return VEL_S_OK;
}

VelAxResult DllGetClassObject(const char* szClassId, void** ppFactory)
{
    if (!ppFactory)
        return VEL_E_POINTER;
    *ppFactory = nullptr;
    if (!szClassId)
        return VEL_CLASS_E_CLASSNOTAVAILABLE;
    VelAxFactory* pFactory = velAxLibraryFactory();
    if (pFactory->keyForClassID(QString::fromUtf8(szClassId)).isEmpty())
        return VEL_CLASS_E_CLASSNOTAVAILABLE;
    *ppFactory = pFactory;
    return VEL_S_OK;
}

VelAxResult DllCanUnloadNow()
{
    return velAxLibraryFactory()->liveObjectCount() == 0 ? VEL_S_OK : VEL_S_FALSE;
}

VelAxResult DumpIDL(const char* szOutFile, const char* szVersion)
{
    if (!szOutFile || !*szOutFile)
        return VEL_E_INVALIDARG;
    const QString strVersion =
        (szVersion && *szVersion) ? QString::fromUtf8(szVersion) : QStringLiteral("1.0");
    const QString strIdl = VelAxIdl::generate(*velAxLibraryFactory(), strVersion);
    QFile file(QString::fromUtf8(szOutFile));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text) ||
        file.write(strIdl.toUtf8()) < 0) {
        report(QStringLiteral("DumpIDL: cannot write %1: %2")
                   .arg(QString::fromUtf8(szOutFile), file.errorString()));
        return VEL_E_ACCESSDENIED;
    }
    return VEL_S_OK;
}
