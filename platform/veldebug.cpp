#include "veldebug.h"

#include <atomic>
#include <unistd.h>

namespace
{

// Plain atomic, no constructor to run: a message may come at any time.
std::atomic<bool> s_bShown{false};

} // namespace

void velSetDebugOutputShown(bool bShown)
{
    s_bShown = bShown;
}

bool velDebugOutputShown()
{
    return s_bShown.load();
}

void velDebugOutput(const char* szText)
{
    if (!s_bShown)
        return;
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
    if (s_bShown)
        velDebugOutput(strText.toUtf8().constData());
}
