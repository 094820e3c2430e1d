#ifndef VELDRIVE_H
#define VELDRIVE_H

#include <QString>

// The controls address their marker, tuning and log files by Windows paths
// ("c:/beginLog.txt", "c://audio_cache.txt", "d:/tessaro.log"). Every such path
// goes through here: the drive letter X maps to the directory named by the
// environment variable VEL_DRIVE_X, or to <data dir>/vel-drives/x when unset
// (<data dir> is $XDG_DATA_HOME, else ~/.local/share). Backslashes become slashes
// and runs of slashes collapse. A path without a drive letter is only tidied.
QString velDrivePath(const QString& strWindowsPath);

// The directory a drive letter maps to (no trailing slash).
QString velDriveRoot(QChar cDrive);

#endif // VELDRIVE_H
