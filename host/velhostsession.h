#ifndef VELHOSTSESSION_H
#define VELHOSTSESSION_H

#include <QString>

// The browser bridge with the user's session: the token file that hands the
// run's token to the platform's launcher, and the user's own autostart entry.

// <private dir>/serve-token (velTempPath: $XDG_RUNTIME_DIR/vel-controls): the
// token and a newline, 0600, written atomically. Empty, with the reason, when
// there is no private directory or the file cannot be written.
QString velPublishServeToken(const QString& strToken, QString* pError);
// Removes the file if it still holds strToken (a later host may have
// replaced it).
void velWithdrawServeToken(const QString& strPath, const QString& strToken);

// SIGTERM and SIGHUP (systemd stopping the unit, the session ending) quit the
// application's event loop instead of killing the process, so that what runs
// after exec() (the token file's removal) still runs. Call once, after the
// application exists.
void velQuitOnTerminate();

// Writes <config dir>/autostart/vel-host.desktop ($XDG_CONFIG_HOME, else
// ~/.config), which overrides the machine's entry of the same name: on, it
// starts strProgram --serve --publish-token at login; off, it is hidden.
// Returns the path, or empty with the reason.
QString velWriteAutostart(bool bOn, const QString& strProgram, QString* pError);

#endif // VELHOSTSESSION_H
