#ifndef VELHOSTLIBRARY_H
#define VELHOSTLIBRARY_H

#include "velaxexports.h"

#include <QString>

class VelAxFactory;

// A control library loaded by the host, reached only through its five exports.
// A library is loaded once per process and never unloaded: Qt keeps the meta
// types and resources a library registers, so its code has to stay (browsers
// unload only when DllCanUnloadNow allows it, and then rarely). GUI thread only.
class VelHostLibrary
{
public:
    // The library at strPath (loaded on first use), or null with the reason.
    // Exactly that file is loaded: no search path, no other name tried.
    static VelHostLibrary* open(const QString& strPath, QString* pError);

    QString path() const { return m_strPath; }

    VelAxResult registerServer() const { return m_pfnRegister(); }
    VelAxResult unregisterServer() const { return m_pfnUnregister(); }
    VelAxResult canUnloadNow() const { return m_pfnCanUnloadNow(); }
    VelAxResult getClassObject(const QString& strClassId, VelAxFactory** ppFactory) const;
    VelAxResult dumpIdl(const QString& strOutFile, const QString& strVersion) const;

    // "0x80040111" for a result code.
    static QString resultText(VelAxResult nResult);

private:
    explicit VelHostLibrary(const QString& strPath);
    bool load(QString* pError);
    void* resolve(const char* szSymbol) const;

    QString m_strPath;
    void* m_pHandle = nullptr; // dlopen handle, never closed
    VelAxRegisterFn m_pfnRegister = nullptr;
    VelAxRegisterFn m_pfnUnregister = nullptr;
    VelAxGetClassObjectFn m_pfnGetClassObject = nullptr;
    VelAxCanUnloadNowFn m_pfnCanUnloadNow = nullptr;
    VelAxDumpIdlFn m_pfnDumpIdl = nullptr;
};

#endif // VELHOSTLIBRARY_H
