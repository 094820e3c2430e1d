#ifndef VELAXSTORE_H
#define VELAXSTORE_H

#include <QJsonObject>
#include <QList>
#include <QString>

#include <functional>

// The per-user registration store that stands in for the registry: a JSON file
// with the sections "CLSID" (class id -> class name, ProgID, library path,
// type library, application id, version), "TypeLib" and "AppID", each keyed by
// the id in registry form ("{XXXXXXXX-...}", upper case). The registration
// exports write it, the host reads it to find the library of a class id.
//
// Location: $VEL_AX_STORE when set (tests), else
// <config dir>/vel-controls/registry.json (<config dir> is $XDG_CONFIG_HOME,
// else ~/.config).
class VelAxStore
{
public:
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
    // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case, or empty when
    // strId is not a GUID (braces optional, any case).
    static QString normalizedId(const QString& strId);

    explicit VelAxStore(const QString& strPath = location());

    QString path() const { return m_strPath; }

    // A missing file is an empty store. False, with the reason, when the file
    // cannot be read or does not hold a store; the content is then left alone.
    bool load(QString* pError = nullptr);
    // Written atomically; the directory is created when missing.
    bool save(QString* pError = nullptr) const;

    // Load, change, save under a lock file, so that two registering processes
    // do not lose each other's entries.
    static bool edit(const QString& strPath, const std::function<void(VelAxStore&)>& change,
                     QString* pError = nullptr);

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

    QString m_strPath;
    QJsonObject m_root;
};

#endif // VELAXSTORE_H
