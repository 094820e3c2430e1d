#ifndef VELHOSTCONFINE_H
#define VELHOSTCONFINE_H

#include <QString>
#include <QStringList>

#include <memory>

class QFile;

// Where the files a page names may lie. A page must reach nothing outside
// what the host publishes: its drive files stay inside their drive directory,
// its includes inside the page's folder and the demo folder. Symbolic links
// are followed before the check, so a link cannot lead out; a name with a NUL
// character is refused, since the C library would read it only up to the NUL.
namespace VelHostConfine
{

// A drive file ("c:/x.txt", "c:\\logs\\a.log") as a local path inside the
// drive's directory; empty with the reason when the path has no drive letter,
// climbs out with "..", or resolves outside the drive. pRoot: the drive's
// directory, for openInside.
QString drivePath(const QString& strWindowsPath, QString* pError, QString* pRoot = nullptr);

// strFile (absolute, or relative to strBaseDir) when it resolves inside one of
// lstRoots; empty with the reason otherwise. pRoot: the root it lies in.
QString fileInside(const QString& strBaseDir, const QString& strFile, const QStringList& lstRoots,
                   QString* pError, QString* pRoot = nullptr);

// True when strPath, symbolic links resolved as far as it exists, lies in the
// directory strRoot or is it. A dangling link never does.
bool isInside(const QString& strRoot, const QString& strPath);

enum class Access { Read, Write };

// Opens strPath, a regular file that the checks above passed, so that what is
// opened is what was checked: the folder is opened first and its real place
// checked, the file is opened in it and its real place checked again, and a
// new file is created only where no name, not even a dangling link, exists.
// Null with the reason when the file is missing (*pMissing) or leads out.
std::unique_ptr<QFile> openInside(const QString& strRoot, const QString& strPath, Access access,
                                  QString* pError, bool* pMissing = nullptr);

// Removes the name strPath (a link itself, never its target) in its folder,
// when that folder lies inside strRoot.
bool removeInside(const QString& strRoot, const QString& strPath);

} // namespace VelHostConfine

#endif // VELHOSTCONFINE_H
