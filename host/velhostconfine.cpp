#include "velhostconfine.h"

#include "veldrive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace
{

bool isDriveLetter(QChar c)
{
    return c.unicode() < 128 && c.isLetter();
}

bool below(const QString& strCanonicalRoot, const QString& strCanonical)
{
    if (strCanonical == strCanonicalRoot)
        return true;
    const QString strPrefix = strCanonicalRoot.endsWith(QLatin1Char('/'))
                                  ? strCanonicalRoot
                                  : strCanonicalRoot + QLatin1Char('/');
    return strCanonical.startsWith(strPrefix);
}

bool hasNul(const QString& strPath)
{
    return strPath.contains(QChar(0));
}

// Where an open descriptor really is, as the kernel tracks it.
QString realPath(int nFd)
{
    return QFileInfo(QStringLiteral("/proc/self/fd/%1").arg(nFd)).symLinkTarget();
}

class Fd
{
public:
    explicit Fd(int nFd = -1) : m_nFd(nFd) {}
    ~Fd()
    {
        if (m_nFd >= 0)
            ::close(m_nFd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_nFd; }
    int release() { return std::exchange(m_nFd, -1); }

private:
    int m_nFd;
};

// The folder of strPath, opened and found inside strRoot; -1 otherwise.
int openFolderInside(const QString& strRoot, const QString& strPath)
{
    const QString strCanonicalRoot = QFileInfo(strRoot).canonicalFilePath();
    if (strCanonicalRoot.isEmpty())
        return -1;
    const QByteArray folder = QFile::encodeName(QFileInfo(strPath).absolutePath());
    Fd dir(::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0 || !below(strCanonicalRoot, realPath(dir.get())))
        return -1;
    return dir.release();
}

} // namespace

bool VelHostConfine::isInside(const QString& strRoot, const QString& strPath)
{
    const QString strCanonicalRoot = QFileInfo(strRoot).canonicalFilePath();
    if (strCanonicalRoot.isEmpty())
        return false;
    // The deepest part of the path that exists decides; what lies below it does
    // not exist yet and so cannot be a link. A dangling link is refused: writing
    // through it would create its target, wherever that is.
    QString strPart = QDir::cleanPath(QFileInfo(strPath).absoluteFilePath());
    for (;;) {
        const QFileInfo info(strPart);
        if (info.exists())
            return below(strCanonicalRoot, info.canonicalFilePath());
        if (info.isSymLink())
            return false;
        const QString strParent = info.path();
        if (strParent == strPart)
            return false;
        strPart = strParent;
    }
}

QString VelHostConfine::drivePath(const QString& strWindowsPath, QString* pError, QString* pRoot)
{
    auto refuse = [&](const QString& strWhy) {
        *pError = QStringLiteral("\"%1\" %2").arg(strWindowsPath, strWhy);
        return QString();
    };
    if (strWindowsPath.size() < 2 || strWindowsPath.at(1) != QLatin1Char(':') ||
        !isDriveLetter(strWindowsPath.at(0)))
        return refuse(QStringLiteral("is not a drive path (a drive letter such as c: expected)"));
    if (hasNul(strWindowsPath))
        return refuse(QStringLiteral("contains a NUL character"));
    const QChar cDrive = strWindowsPath.at(0).toLower();
    QString strRest = strWindowsPath.mid(2);
    strRest.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QStringList lstParts = strRest.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (lstParts.contains(QStringLiteral("..")))
        return refuse(QStringLiteral("leaves drive %1: (\"..\")").arg(cDrive));
    const QString strRoot = velDriveRoot(cDrive);
    if (!QFileInfo(strRoot).isDir())
        return refuse(QStringLiteral("is on drive %1:, which does not exist").arg(cDrive));
    const QString strPath = velDrivePath(strWindowsPath);
    if (!isInside(strRoot, strPath))
        return refuse(QStringLiteral("leads outside drive %1: (through a link)").arg(cDrive));
    if (pRoot)
        *pRoot = strRoot;
    return strPath;
}

QString VelHostConfine::fileInside(const QString& strBaseDir, const QString& strFile,
                                   const QStringList& lstRoots, QString* pError, QString* pRoot)
{
    if (hasNul(strFile)) {
        *pError = QStringLiteral("\"%1\" contains a NUL character").arg(strFile);
        return QString();
    }
    const QString strPath = QDir::cleanPath(QDir(strBaseDir).absoluteFilePath(strFile));
    for (const QString& strRoot : lstRoots) {
        if (!strRoot.isEmpty() && isInside(strRoot, strPath)) {
            if (pRoot)
                *pRoot = strRoot;
            return strPath;
        }
    }
    *pError =
        QStringLiteral("\"%1\" is outside the page's folder and the demo folder").arg(strFile);
    return QString();
}

std::unique_ptr<QFile> VelHostConfine::openInside(const QString& strRoot, const QString& strPath,
                                                  Access access, QString* pError, bool* pMissing)
{
    if (pMissing)
        *pMissing = false;
    auto refuse = [&](const QString& strWhy) {
        *pError = QStringLiteral("\"%1\" %2").arg(strPath, strWhy);
        return nullptr;
    };
    const QString strName = QFileInfo(strPath).fileName();
    if (hasNul(strPath) || strName.isEmpty() || strName == QLatin1String("..") ||
        strName == QLatin1String("."))
        return refuse(QStringLiteral("is not a file name"));
    Fd dir(openFolderInside(strRoot, strPath));
    if (dir.get() < 0) {
        if (pMissing)
            *pMissing = errno == ENOENT;
        return refuse(QStringLiteral("is not in a folder inside %1").arg(strRoot));
    }
    const QByteArray name = QFile::encodeName(strName);
    // Non-blocking, so that a FIFO cannot hold the host; it is refused below.
    const int nMode = (access == Access::Read ? O_RDONLY : O_WRONLY) | O_CLOEXEC | O_NOCTTY;
    int nFd = ::openat(dir.get(), name.constData(), nMode | O_NONBLOCK);
    if (nFd < 0 && errno == ENOENT && access == Access::Write)
        nFd = ::openat(dir.get(), name.constData(), nMode | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
    if (nFd < 0) {
        const int nError = errno;
        if (pMissing)
            *pMissing = nError == ENOENT;
        return refuse(QStringLiteral("cannot be opened: %1")
                          .arg(QString::fromLocal8Bit(std::strerror(nError))));
    }
    Fd file(nFd);
    struct stat info;
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return refuse(QStringLiteral("is not a regular file"));
    const QString strCanonicalRoot = QFileInfo(strRoot).canonicalFilePath();
    if (!below(strCanonicalRoot, realPath(file.get())))
        return refuse(QStringLiteral("leads outside %1 (through a link)").arg(strRoot));
    if (access == Access::Write && ::ftruncate(file.get(), 0) != 0)
        return refuse(QStringLiteral("cannot be truncated"));
    ::fcntl(file.get(), F_SETFL, ::fcntl(file.get(), F_GETFL) & ~O_NONBLOCK);
    auto pFile = std::make_unique<QFile>();
    const QIODevice::OpenMode mode =
        access == Access::Read ? QIODevice::ReadOnly : QIODevice::WriteOnly;
    if (!pFile->open(file.get(), mode, QFileDevice::AutoCloseHandle))
        return refuse(QStringLiteral("cannot be opened"));
    file.release();
    return pFile;
}

bool VelHostConfine::removeInside(const QString& strRoot, const QString& strPath)
{
    const QString strName = QFileInfo(strPath).fileName();
    if (hasNul(strPath) || strName.isEmpty() || strName == QLatin1String(".."))
        return false;
    Fd dir(openFolderInside(strRoot, strPath));
    return dir.get() >= 0 && ::unlinkat(dir.get(), QFile::encodeName(strName).constData(), 0) == 0;
}
