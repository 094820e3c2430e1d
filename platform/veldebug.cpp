#include "veldebug.h"

#include <unistd.h>

void velDebugOutput(const char* szText)
{
    QByteArray strLine(szText ? szText : "");
    if (!strLine.endsWith('\n'))
        strLine.append('\n');
    const char* p = strLine.constData();
    qsizetype nLeft = strLine.size();
    while (nLeft > 0) {
        const ssize_t n = ::write(STDERR_FILENO, p, size_t(nLeft));
        if (n <= 0)
            break;
        p += n;
        nLeft -= n;
    }
}

void velDebugOutput(const QString& strText)
{
    velDebugOutput(strText.toUtf8().constData());
}
