#ifndef VELDEBUG_H
#define VELDEBUG_H

#include <QString>

// Stand-in for OutputDebugString: one line on standard error. Callable from any
// thread; each call writes its line with one write so lines do not interleave.
void velDebugOutput(const QString& strText);
void velDebugOutput(const char* szText);

#endif // VELDEBUG_H
