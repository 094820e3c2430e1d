#include "veldrive.h"

#include <QDir>

namespace
{

QString defaultDataDir()
{
    const QString strXdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (!strXdg.isEmpty())
        return strXdg;
    return QDir::homePath() + QStringLiteral("/.local/share");
}

// No static regular expression: the diagnostic log resolves its path here even
// for a message that arrives after static destruction.
QString collapseSlashes(const QString& strPath)
{
    QString strResult;
    strResult.reserve(strPath.size());
    for (QChar c : strPath) {
        if (c == QLatin1Char('\\'))
            c = QLatin1Char('/');
        if (c == QLatin1Char('/') && strResult.endsWith(QLatin1Char('/')))
            continue;
        strResult += c;
    }
    return strResult;
}

} // namespace

QString velDriveRoot(QChar cDrive)
{
    const QChar cLower = cDrive.toLower();
    const QByteArray strVar = "VEL_DRIVE_" + QString(cLower.toUpper()).toLatin1();
    QString strRoot = qEnvironmentVariable(strVar.constData());
    if (strRoot.isEmpty()) {
        // The default drive directories are ours to create; a directory named by
        // the variable is taken as it is (a missing one acts like a missing drive).
        strRoot = defaultDataDir() + QStringLiteral("/vel-drives/") + cLower;
        QDir().mkpath(strRoot);
    }
    strRoot = collapseSlashes(strRoot);
    while (strRoot.size() > 1 && strRoot.endsWith(QLatin1Char('/')))
        strRoot.chop(1);
    return strRoot;
}

QString velDrivePath(const QString& strWindowsPath)
{
    const bool bHasDrive = strWindowsPath.size() >= 2 && strWindowsPath.at(1) == QLatin1Char(':') &&
                           strWindowsPath.at(0).isLetter() && strWindowsPath.at(0).unicode() < 128;
    if (!bHasDrive)
        return collapseSlashes(strWindowsPath);
    QString strRest = collapseSlashes(strWindowsPath.mid(2));
    if (!strRest.startsWith(QLatin1Char('/')))
        strRest.prepend(QLatin1Char('/'));
    return velDriveRoot(strWindowsPath.at(0)) + strRest;
}
