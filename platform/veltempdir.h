#ifndef VELTEMPDIR_H
#define VELTEMPDIR_H

#include <QString>

// Stand-in for the Windows temporary directory of the user, which is private
// to that user: <base>/vel-controls, created with mode 0700, where <base> is
// $XDG_RUNTIME_DIR when it is set, else the user's cache directory
// ($XDG_CACHE_HOME, else ~/.cache). A directory that exists with looser
// permissions is narrowed to 0700; one that is not ours, or not a plain
// directory, is refused. Empty when no private directory can be had: callers
// then keep nothing rather than write where others can read.
// Any thread.
QString velTempPath();

// Files the controls keep for the user (posters, logs) are 0600: the open
// regular file nFd is narrowed to it. False when it cannot be.
bool velMakePrivateFileDescriptor(int nFd);

#endif // VELTEMPDIR_H
