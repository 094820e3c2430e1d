#include "veltempdir.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const char kSubdir[] = "/vel-controls";

QString baseDirectory()
{
    const QString strRuntime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!strRuntime.isEmpty() && QDir::isAbsolutePath(strRuntime))
        return strRuntime;
    const QString strCache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!strCache.isEmpty() && QDir::isAbsolutePath(strCache))
        return strCache;
    return QDir::homePath() + QStringLiteral("/.cache");
}

// The directory itself, not what a link points at, must be ours and private.
bool ensurePrivateDirectory(const QByteArray& strPath)
{
    if (::mkdir(strPath.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    const int nFd = ::open(strPath.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (nFd < 0)
        return false;
    struct stat info = {};
    bool bOk = ::fstat(nFd, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid();
    if (bOk && (info.st_mode & 077) != 0)
        bOk = ::fchmod(nFd, 0700) == 0;
    ::close(nFd);
    return bOk;
}

} // namespace

QString velTempPath()
{
    const QString strBase = baseDirectory();
    // The cache directory may not exist yet; the runtime directory always does.
    QDir().mkpath(strBase);
    const QString strPath = QDir::cleanPath(strBase + QLatin1String(kSubdir));
    return ensurePrivateDirectory(QFile::encodeName(strPath)) ? strPath : QString();
}

bool velMakePrivateFileDescriptor(int nFd)
{
    struct stat info = {};
    if (nFd < 0 || ::fstat(nFd, &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    return (info.st_mode & 077) == 0 || ::fchmod(nFd, info.st_mode & 0700) == 0;
}
