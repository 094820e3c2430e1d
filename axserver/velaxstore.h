#ifndef VELAXSTORE_H
#define VELAXSTORE_H

#include <QJsonObject>
#include <QList>
#include <QString>

#include <functional>

// A registration store, standing in for the registry: a JSON file
// with the sections "CLSID" (class id -> class name, ProgID, library path,
// type library, application id, version), "TypeLib" and "AppID", each keyed by
// the id in registry form ("{XXXXXXXX-...}", upper case). The registration
// exports write it, the host reads it to find the library of a class id.
//
// Two scopes, as Windows has per-user and machine-wide classes:
// - User: $VEL_AX_STORE when set (tests), else
//   <config dir>/vel-controls/registry.json (<config dir> is $XDG_CONFIG_HOME,
//   else ~/.config); written 0600.
// - System: $VEL_AX_SYSTEM_STORE when set (tests), else
//   /etc/vel-controls/registry.json; written 0644 (every user's host reads it).
//   Another user could have planted it, so it is read only when it is a plain
//   file (no symbolic link), owned by root or by us, writable by nobody else,
//   in a folder owned by root or by us that nobody else may write to.
// The host reads both, the user's entries over the machine's (VelAxRegistry).
class VelAxStore
{
public:
    enum class Scope { User, System };

    struct ClassEntry {
        QString strClassId;
        QString strClassName;
        QString strProgId;
        QString strLibrary;
        QString strTypeLibId;
        QString strAppId;
        QString strVersion;
        bool isValid() const { return !strClassId.isEmpty(); }
    };

    static QString location();
    static QString systemLocation();
    static QString location(Scope scope);
    static QString scopeName(Scope scope);
    // The scope the registration exports write: System when $VEL_AX_SCOPE is
    // "system" (vel-host --system sets it, as a regsvr32 that runs elevated
    // writes the machine's classes), else User.
    static Scope registrationScope();
    // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case, or empty when
    // strId is not a GUID (braces optional, any case).
    static QString normalizedId(const QString& strId);

    explicit VelAxStore(const QString& strPath = location(), Scope scope = Scope::User);

    QString path() const { return m_strPath; }
    Scope scope() const { return m_scope; }

    // A missing file is an empty store. False, with the reason, when the file
    // cannot be read or does not hold a store (or, for the System scope, is not
    // to be trusted); the content is then left alone.
    bool load(QString* pError = nullptr);
    // Written atomically; the directory is created when missing.
    bool save(QString* pError = nullptr) const;

    // Load, change, save under a lock file, so that two registering processes
    // do not lose each other's entries.
    static bool edit(const QString& strPath, const std::function<void(VelAxStore&)>& change,
                     QString* pError = nullptr, Scope scope = Scope::User);

    ClassEntry findClass(const QString& strClassId) const;
    QList<ClassEntry> classes() const;
    void setClass(const ClassEntry& entry);
    void removeClass(const QString& strClassId);

    void setTypeLib(const QString& strId, const QString& strName, const QString& strLibrary,
                    const QString& strVersion);
    void removeTypeLib(const QString& strId);
    void setAppId(const QString& strId, const QString& strName, const QString& strLibrary);
    void removeAppId(const QString& strId);

    QJsonObject root() const { return m_root; }

private:
    void setEntry(const char* szSection, const QString& strId, const QJsonObject& value);
    void removeEntry(const char* szSection, const QString& strId);

    bool readTrusted(QByteArray* pData, QString* pError) const;

    QString m_strPath;
    Scope m_scope = Scope::User;
    QJsonObject m_root;
};

#endif // VELAXSTORE_H
