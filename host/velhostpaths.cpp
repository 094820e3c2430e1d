#include "velhostpaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace
{

// True when strPath is strRoot or lies below it (both canonical).
bool isInside(const QString& strPath, const QString& strRoot)
{
    return !strPath.isEmpty() && !strRoot.isEmpty() &&
           (strPath == strRoot || strPath.startsWith(strRoot + QLatin1Char('/')));
}

} // namespace

QString velHostDemoDirFor(const QString& strProgramDir)
{
    const QString strInstalled =
        QDir::cleanPath(strProgramDir + QLatin1String("/" VEL_HOST_DATA_FROM_BIN "/demo"));
    if (QFileInfo(strInstalled).isDir())
        return strInstalled;
    // Only a program built in this build tree may read the source tree: an
    // installed copy whose data went missing must not pick up whatever a
    // machine happens to have at the build's path.
    const QString strProgram = QFileInfo(strProgramDir).canonicalFilePath();
    const QString strBuild = QFileInfo(QStringLiteral(VEL_HOST_BUILD_DIR)).canonicalFilePath();
    if (isInside(strProgram, strBuild))
        return QStringLiteral(VEL_HOST_SOURCE_DEMO_DIR);
    return strInstalled;
}

QString velHostDemoDir()
{
    return velHostDemoDirFor(QCoreApplication::applicationDirPath());
}
