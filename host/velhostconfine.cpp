#include "velhostconfine.h"

#include "veldrive.h"

#include <QDir>
#include <QFileInfo>

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

QString VelHostConfine::drivePath(const QString& strWindowsPath, QString* pError)
{
    auto refuse = [&](const QString& strWhy) {
        *pError = QStringLiteral("\"%1\" %2").arg(strWindowsPath, strWhy);
        return QString();
    };
    if (strWindowsPath.size() < 2 || strWindowsPath.at(1) != QLatin1Char(':') ||
        !isDriveLetter(strWindowsPath.at(0)))
        return refuse(QStringLiteral("is not a drive path (a drive letter such as c: expected)"));
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
    return strPath;
}

QString VelHostConfine::fileInside(const QString& strBaseDir, const QString& strFile,
                                   const QStringList& lstRoots, QString* pError)
{
    const QString strPath = QDir::cleanPath(QDir(strBaseDir).absoluteFilePath(strFile));
    for (const QString& strRoot : lstRoots) {
        if (!strRoot.isEmpty() && isInside(strRoot, strPath))
            return strPath;
    }
    *pError =
        QStringLiteral("\"%1\" is outside the page's folder and the demo folder").arg(strFile);
    return QString();
}
