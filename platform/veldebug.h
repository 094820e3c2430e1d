#ifndef VELDEBUG_H
#define VELDEBUG_H

#include <QString>

// Stand-in for OutputDebugString: what Windows shows only to a debugger is
// shown here only in the library's diagnostic mode, one line on standard
// error. Callable from any thread; each call writes its line with one write
// so lines do not interleave.
void velDebugOutput(const QString& strText);
void velDebugOutput(const char* szText);

// Whether debugger output is shown; the library's marker check sets it.
// Any thread.
void velSetDebugOutputShown(bool bShown);
bool velDebugOutputShown();

#endif // VELDEBUG_H
