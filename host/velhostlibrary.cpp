#include "velhostlibrary.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <dlfcn.h>

VelHostLibrary::VelHostLibrary(const QString& strPath) : m_strPath(strPath) {}

VelHostLibrary* VelHostLibrary::open(const QString& strPath, QString* pError)
{
    // Never destroyed: the libraries stay loaded for the life of the process.
    static auto* s_pLibraries = new QHash<QString, VelHostLibrary*>;
    const QString strAbsolute = QFileInfo(strPath).absoluteFilePath();
    const QString strKey = QFileInfo(strAbsolute).canonicalFilePath();
    if (strKey.isEmpty()) {
        if (pError)
            *pError = QStringLiteral("%1: no such library").arg(strPath);
        return nullptr;
    }
    if (VelHostLibrary* pLoaded = s_pLibraries->value(strKey))
        return pLoaded;
    auto* pLibrary = new VelHostLibrary(strAbsolute);
    if (!pLibrary->load(pError)) {
        delete pLibrary;
        return nullptr;
    }
    s_pLibraries->insert(strKey, pLibrary);
    return pLibrary;
}

bool VelHostLibrary::load(QString* pError)
{
    // Not QLibrary: when the file at the path does not load it retries other
    // names, down to the bare file name, which the loader then looks up in its
    // search path (hardware subfolders included) and may find another copy.
    // dlopen of a path with a slash opens that one file or fails.
    m_pHandle = dlopen(QFile::encodeName(m_strPath).constData(), RTLD_LAZY | RTLD_LOCAL);
    if (!m_pHandle) {
        if (pError)
            *pError = QStringLiteral("cannot load %1: %2")
                          .arg(m_strPath, QString::fromLocal8Bit(dlerror()));
        return false;
    }
    m_pfnRegister = reinterpret_cast<VelAxRegisterFn>(resolve("DllRegisterServer"));
    m_pfnUnregister = reinterpret_cast<VelAxRegisterFn>(resolve("DllUnregisterServer"));
    m_pfnGetClassObject = reinterpret_cast<VelAxGetClassObjectFn>(resolve("DllGetClassObject"));
    m_pfnCanUnloadNow = reinterpret_cast<VelAxCanUnloadNowFn>(resolve("DllCanUnloadNow"));
    m_pfnDumpIdl = reinterpret_cast<VelAxDumpIdlFn>(resolve("DumpIDL"));
    if (!m_pfnRegister || !m_pfnUnregister || !m_pfnGetClassObject || !m_pfnCanUnloadNow ||
        !m_pfnDumpIdl) {
        if (pError)
            *pError = QStringLiteral("%1 is not a control library (registration exports missing)")
                          .arg(m_strPath);
        return false;
    }
    return true;
}

void* VelHostLibrary::resolve(const char* szSymbol) const
{
    return dlsym(m_pHandle, szSymbol);
}

VelAxResult VelHostLibrary::getClassObject(const QString& strClassId,
                                           VelAxFactory** ppFactory) const
{
    void* pFactory = nullptr;
    const VelAxResult nResult = m_pfnGetClassObject(strClassId.toUtf8().constData(), &pFactory);
    *ppFactory = static_cast<VelAxFactory*>(pFactory);
    return nResult;
}

VelAxResult VelHostLibrary::dumpIdl(const QString& strOutFile, const QString& strVersion) const
{
    return m_pfnDumpIdl(strOutFile.toUtf8().constData(), strVersion.toUtf8().constData());
}

QString VelHostLibrary::resultText(VelAxResult nResult)
{
    return QStringLiteral("0x%1").arg(static_cast<quint32>(nResult), 8, 16, QLatin1Char('0'));
}
