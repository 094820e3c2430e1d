#ifndef VELDIAGLOG_H
#define VELDIAGLOG_H

#include <QString>
#include <QtGlobal>

// Diagnostic log of one library: every Qt message appended as a block to
// "d:/tessaro.log" or "d:/vimbrel.log" (by form) while the handler is installed.

// Process-wide debug switch of this library: the marker existed at the last check.
extern bool debugMode;

// The marker that switches diagnostics on, and this library's log file
// (Windows paths; resolve with velDrivePath).
QString velLogMarkerPath();
QString velLogFilePath();

// Reads the marker into debugMode and returns it.
bool velCheckLogMarker();

void velDiagLogHandler(QtMsgType type, const QMessageLogContext& context, const QString& strMsg);
void velInstallDiagLog();
// Restores Qt's default output; debugMode is left as it is.
void velUninstallDiagLog();

#endif // VELDIAGLOG_H
