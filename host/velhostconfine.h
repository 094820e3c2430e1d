#ifndef VELHOSTCONFINE_H
#define VELHOSTCONFINE_H

#include <QString>
#include <QStringList>

// Where the files a page names may lie. A page must reach nothing outside
// what the host publishes: its drive files stay inside their drive directory,
// its includes inside the page's folder and the demo folder. Symbolic links
// are followed before the check, so a link cannot lead out.
namespace VelHostConfine
{

// A drive file ("c:/x.txt", "c:\\logs\\a.log") as a local path inside the
// drive's directory; empty with the reason when the path has no drive letter,
// climbs out with "..", or resolves outside the drive.
QString drivePath(const QString& strWindowsPath, QString* pError);

// strFile (absolute, or relative to strBaseDir) when it resolves inside one of
// lstRoots; empty with the reason otherwise.
QString fileInside(const QString& strBaseDir, const QString& strFile, const QStringList& lstRoots,
                   QString* pError);

// True when strPath, symbolic links resolved as far as it exists, lies in the
// directory strRoot or is it. A dangling link never does.
bool isInside(const QString& strRoot, const QString& strPath);

} // namespace VelHostConfine

#endif // VELHOSTCONFINE_H
