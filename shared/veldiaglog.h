#ifndef VELDIAGLOG_H
#define VELDIAGLOG_H

#include <QString>
#include <QtGlobal>

// Diagnostic log of one library: every Qt message appended as a block to
// "d:/tessaro.log" or "d:/vimbrel.log" (by form) while the handler is installed.
// The file is created 0600; addresses in messages are written with their
// passwords masked, and a message is cut to a bounded length.

// Process-wide debug switch of this library: the marker existed at the last check.
extern bool debugMode;

// The marker that switches diagnostics on, and this library's log file
// (Windows paths; resolve with velDrivePath).
QString velLogMarkerPath();
QString velLogFilePath();

// Reads the marker into debugMode (and the debugger output's switch) and
// returns it.
bool velCheckLogMarker();

void velDiagLogHandler(QtMsgType type, const QMessageLogContext& context, const QString& strMsg);
void velInstallDiagLog();
// A line for diagnostics only, as the debugger output of the engine: in the
// diagnostic mode a Qt debug message (into the log), otherwise nothing.
// Addresses in it are masked. Any thread.
void velDiagnostic(const QString& strText);
// Restores Qt's default output; debugMode is left as it is.
void velUninstallDiagLog();

#endif // VELDIAGLOG_H
