#include "velaxstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLockFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUuid>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const char* const kClassSection = "CLSID";
const char* const kTypeLibSection = "TypeLib";
const char* const kAppIdSection = "AppID";

VelAxStore::ClassEntry classFromJson(const QString& strId, const QJsonObject& obj)
{
    VelAxStore::ClassEntry entry;
    entry.strClassId = strId;
    entry.strClassName = obj.value(QLatin1String("class")).toString();
    entry.strProgId = obj.value(QLatin1String("progId")).toString();
    entry.strLibrary = obj.value(QLatin1String("library")).toString();
    entry.strTypeLibId = obj.value(QLatin1String("typeLib")).toString();
    entry.strAppId = obj.value(QLatin1String("appId")).toString();
    entry.strVersion = obj.value(QLatin1String("version")).toString();
    return entry;
}

// True when every member of root is an object of objects (a section of
// entries); else false with the first other member's name.
bool hasStoreShape(const QJsonObject& root, QString* pSection)
{
    for (auto it = root.begin(); it != root.end(); ++it) {
        const QJsonObject section = it.value().toObject();
        bool bEntries = it.value().isObject();
        for (auto entry = section.begin(); bEntries && entry != section.end(); ++entry)
            bEntries = entry.value().isObject();
        if (!bEntries) {
            *pSection = it.key();
            return false;
        }
    }
    return true;
}

// Root's or our own: nobody else's file decides which library we load.
bool isTrustedOwner(const struct stat& st)
{
    return st.st_uid == 0 || st.st_uid == ::geteuid();
}

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

QString VelAxStore::systemLocation()
{
    const QString strOverride = qEnvironmentVariable("VEL_AX_SYSTEM_STORE");
    return strOverride.isEmpty() ? QStringLiteral("/etc/vel-controls/registry.json") : strOverride;
}

QString VelAxStore::location(Scope scope)
{
    return scope == Scope::System ? systemLocation() : location();
}

QString VelAxStore::scopeName(Scope scope)
{
    return scope == Scope::System ? QStringLiteral("system") : QStringLiteral("user");
}

VelAxStore::Scope VelAxStore::registrationScope()
{
    return qEnvironmentVariable("VEL_AX_SCOPE") == QLatin1String("system") ? Scope::System
                                                                           : Scope::User;
}

QString VelAxStore::location()
{
    const QString strOverride = qEnvironmentVariable("VEL_AX_STORE");
    if (!strOverride.isEmpty())
        return strOverride;
    QString strConfig = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (strConfig.isEmpty())
        strConfig = QDir::homePath() + QLatin1String("/.config");
    return strConfig + QLatin1String("/vel-controls/registry.json");
}

QString VelAxStore::normalizedId(const QString& strId)
{
    // QUuid alone accepts an unclosed brace and trailing text; a page's id must
    // be exactly one GUID, braces both or neither.
    static const QRegularExpression reId(
        QStringLiteral("^(\\{[0-9A-Fa-f]{8}(-[0-9A-Fa-f]{4}){3}-[0-9A-Fa-f]{12}\\}"
                       "|[0-9A-Fa-f]{8}(-[0-9A-Fa-f]{4}){3}-[0-9A-Fa-f]{12})$"));
    const QString strTrimmed = strId.trimmed();
    if (!reId.match(strTrimmed).hasMatch())
        return QString();
    const QUuid id(strTrimmed);
    return id.isNull() ? QString() : id.toString(QUuid::WithBraces).toUpper();
}

VelAxStore::VelAxStore(const QString& strPath, Scope scope) : m_strPath(strPath), m_scope(scope) {}

bool VelAxStore::readTrusted(QByteArray* pData, QString* pError) const
{
    auto refuse = [&](const QString& strWhy) {
        if (pError)
            *pError =
                QStringLiteral("the machine-wide store %1 is refused: %2").arg(m_strPath, strWhy);
        return false;
    };
    struct stat st {
    };
    const QByteArray dir = QFile::encodeName(QFileInfo(m_strPath).absolutePath());
    if (::stat(dir.constData(), &st) != 0)
        return errno == ENOENT ? true : refuse(errnoText());
    if (!isTrustedOwner(st) || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return refuse(QStringLiteral("its folder may be written by other users"));
    // The file as it is, not what a link points to; a FIFO must not block us.
    const int nFd = ::open(QFile::encodeName(m_strPath).constData(),
                           O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (nFd < 0) {
        if (errno == ENOENT)
            return true;
        return refuse(errno == ELOOP ? QStringLiteral("it is a symbolic link") : errnoText());
    }
    QFile file;
    if (!file.open(nFd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(nFd);
        return refuse(file.errorString());
    }
    if (::fstat(nFd, &st) != 0)
        return refuse(errnoText());
    if (!S_ISREG(st.st_mode))
        return refuse(QStringLiteral("it is not a plain file"));
    if (!isTrustedOwner(st))
        return refuse(QStringLiteral("it belongs to another user"));
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return refuse(QStringLiteral("other users may write it"));
    *pData = file.readAll();
    return true;
}

bool VelAxStore::load(QString* pError)
{
    m_root = QJsonObject();
    QByteArray data;
    if (m_scope == Scope::System) {
        if (!readTrusted(&data, pError))
            return false;
    } else {
        QFile file(m_strPath);
        if (!file.exists())
            return true;
        if (!file.open(QIODevice::ReadOnly)) {
            if (pError)
                *pError = QStringLiteral("cannot read %1: %2").arg(m_strPath, file.errorString());
            return false;
        }
        data = file.readAll();
    }
    if (data.trimmed().isEmpty())
        return true;
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(data, &parseError);
    if (!doc.isObject()) {
        if (pError)
            *pError = QStringLiteral("%1 is not a registration store (%2)")
                          .arg(m_strPath, parseError.errorString());
        return false;
    }
    // Any JSON object parses; only sections of entries make a store. Anything
    // else is someone else's file, and saving over it would lose it.
    QString strWrongSection;
    if (!hasStoreShape(doc.object(), &strWrongSection)) {
        if (pError)
            *pError = QStringLiteral("%1 is not a registration store (section \"%2\" is not an "
                                     "object of entries)")
                          .arg(m_strPath, strWrongSection);
        return false;
    }
    m_root = doc.object();
    return true;
}

bool VelAxStore::save(QString* pError) const
{
    const QFileInfo info(m_strPath);
    if (!QDir().mkpath(info.absolutePath())) {
        if (pError)
            *pError = QStringLiteral("cannot create %1").arg(info.absolutePath());
        return false;
    }
    QSaveFile file(m_strPath);
    // The user's own store: 0600, also where an earlier version left it
    // readable (QSaveFile would keep that file's mode). The machine's store is
    // read by every user's host.
    const mode_t nMode = m_scope == Scope::System ? 0644 : 0600;
    if (!file.open(QIODevice::WriteOnly) || ::fchmod(file.handle(), nMode) != 0 ||
        file.write(QJsonDocument(m_root).toJson(QJsonDocument::Indented)) < 0 || !file.commit()) {
        if (pError)
            *pError = QStringLiteral("cannot write %1: %2").arg(m_strPath, file.errorString());
        return false;
    }
    return true;
}

bool VelAxStore::edit(const QString& strPath, const std::function<void(VelAxStore&)>& change,
                      QString* pError, Scope scope)
{
    const QString strDir = QFileInfo(strPath).absolutePath();
    const bool bNewDir = !QFileInfo::exists(strDir);
    if (!QDir().mkpath(strDir)) {
        if (pError)
            *pError = QStringLiteral("cannot create %1").arg(strDir);
        return false;
    }
    // Readable by every user whatever root's umask; writable by root alone.
    if (bNewDir && scope == Scope::System)
        ::chmod(QFile::encodeName(strDir).constData(), 0755);
    QLockFile lock(strPath + QLatin1String(".lock"));
    if (!lock.tryLock(10000)) {
        if (pError)
            *pError = lock.error() == QLockFile::LockFailedError
                          ? QStringLiteral("%1 is locked by another process").arg(strPath)
                          : QStringLiteral("cannot lock %1").arg(strPath);
        return false;
    }
    VelAxStore store(strPath, scope);
    if (!store.load(pError))
        return false;
    change(store);
    return store.save(pError);
}

VelAxStore::ClassEntry VelAxStore::findClass(const QString& strClassId) const
{
    const QString strId = normalizedId(strClassId);
    const QJsonObject section = m_root.value(QLatin1String(kClassSection)).toObject();
    if (strId.isEmpty() || !section.contains(strId))
        return ClassEntry();
    return classFromJson(strId, section.value(strId).toObject());
}

QList<VelAxStore::ClassEntry> VelAxStore::classes() const
{
    QList<ClassEntry> entries;
    const QJsonObject section = m_root.value(QLatin1String(kClassSection)).toObject();
    for (auto it = section.begin(); it != section.end(); ++it)
        entries << classFromJson(it.key(), it.value().toObject());
    return entries;
}

void VelAxStore::setClass(const ClassEntry& entry)
{
    QJsonObject obj;
    obj.insert(QLatin1String("class"), entry.strClassName);
    obj.insert(QLatin1String("progId"), entry.strProgId);
    obj.insert(QLatin1String("library"), entry.strLibrary);
    obj.insert(QLatin1String("typeLib"), normalizedId(entry.strTypeLibId));
    obj.insert(QLatin1String("appId"), normalizedId(entry.strAppId));
    obj.insert(QLatin1String("version"), entry.strVersion);
    setEntry(kClassSection, entry.strClassId, obj);
}

void VelAxStore::removeClass(const QString& strClassId)
{
    removeEntry(kClassSection, strClassId);
}

void VelAxStore::setTypeLib(const QString& strId, const QString& strName, const QString& strLibrary,
                            const QString& strVersion)
{
    QJsonObject obj;
    obj.insert(QLatin1String("name"), strName);
    obj.insert(QLatin1String("library"), strLibrary);
    obj.insert(QLatin1String("version"), strVersion);
    setEntry(kTypeLibSection, strId, obj);
}

void VelAxStore::removeTypeLib(const QString& strId)
{
    removeEntry(kTypeLibSection, strId);
}

void VelAxStore::setAppId(const QString& strId, const QString& strName, const QString& strLibrary)
{
    QJsonObject obj;
    obj.insert(QLatin1String("name"), strName);
    obj.insert(QLatin1String("library"), strLibrary);
    setEntry(kAppIdSection, strId, obj);
}

void VelAxStore::removeAppId(const QString& strId)
{
    removeEntry(kAppIdSection, strId);
}

void VelAxStore::setEntry(const char* szSection, const QString& strId, const QJsonObject& value)
{
    const QString strKey = normalizedId(strId);
    if (strKey.isEmpty())
        return;
    QJsonObject section = m_root.value(QLatin1String(szSection)).toObject();
    section.insert(strKey, value);
    m_root.insert(QLatin1String(szSection), section);
}

void VelAxStore::removeEntry(const char* szSection, const QString& strId)
{
    const QString strKey = normalizedId(strId);
    QJsonObject section = m_root.value(QLatin1String(szSection)).toObject();
    section.remove(strKey);
    if (section.isEmpty())
        m_root.remove(QLatin1String(szSection));
    else
        m_root.insert(QLatin1String(szSection), section);
}
