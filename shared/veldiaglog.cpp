#include "veldiaglog.h"

#include "veldebug.h"
#include "veldrive.h"
#include "velmaskaddress.h"
#include "veltempdir.h"

#include <QDateTime>
#include <QFile>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

bool debugMode = false;

namespace
{

// Plain character arrays: Qt may deliver a message after static destruction
// (a library's destructor at exit), when a QByteArray would already be freed.
constexpr int kStarCount = 113;
struct StarLine {
    char szText[kStarCount + 1];
};
constexpr StarLine makeStarLine()
{
    StarLine line{};
    for (int i = 0; i < kStarCount; ++i)
        line.szText[i] = '*';
    return line;
}
constexpr StarLine kStars = makeStarLine();
const char kEol[] = "\r\n";

// A page once made Qt repeat a 4 MiB camera name in 823,413 warnings: 22 GB
// of log in 90 s. No line a message writes is worth more than this.
constexpr int kMaxMessageChars = 4096;

QString boundedText(const QString& strMsg)
{
    // Masked before it is cut: a cut inside an address could hide the "@"
    // that marks its password.
    const QString strMasked = velMaskAddresses(strMsg);
    if (strMasked.size() <= kMaxMessageChars)
        return strMasked;
    return strMasked.left(kMaxMessageChars) +
           QStringLiteral(" [... cut, the message had %1 characters]").arg(strMasked.size());
}

QString contentLine(QtMsgType type, const QString& strMsg)
{
    // The text takes the trip through the local 8-bit encoding first; what does
    // not survive Latin-1 on the way to the file becomes '?'.
    const QString strText = QString::fromLocal8Bit(boundedText(strMsg).toLocal8Bit());
    switch (type) {
    case QtDebugMsg:
        return QStringLiteral("DebugContent: %1").arg(strText);
    case QtWarningMsg:
        return QStringLiteral("WarningContent: %1").arg(strText);
    case QtCriticalMsg:
        return QStringLiteral("CriticalContent: %1").arg(strText);
    case QtFatalMsg:
        return QStringLiteral("FatalContent: %1").arg(strText);
    default:
        return QString();
    }
}

void writeLine(QFile& file, const QString& strLine)
{
    file.write(strLine.toLatin1());
    file.write(kEol);
}

} // namespace

QString velLogMarkerPath()
{
    return QStringLiteral("c:/beginLog.txt");
}

QString velLogFilePath()
{
#if defined(VEL_FORM_VIMBREL)
    return QStringLiteral("d:/vimbrel.log");
#else
    return QStringLiteral("d:/tessaro.log");
#endif
}

bool velCheckLogMarker()
{
    debugMode = QFile::exists(velDrivePath(velLogMarkerPath()));
    velSetDebugOutputShown(debugMode);
    return debugMode;
}

// Called by Qt on whichever thread issued the message; no lock, as blocks from
// two threads may interleave in a diagnostic file.
void velDiagLogHandler(QtMsgType type, const QMessageLogContext& context, const QString& strMsg)
{
    // Created private, and a log left readable by an earlier run is narrowed:
    // its lines name cameras and what the page sent.
    const int nFd = ::open(QFile::encodeName(velDrivePath(velLogFilePath())).constData(),
                           O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (nFd < 0)
        return;
    velMakePrivateFileDescriptor(nFd);
    QFile file;
    if (!file.open(nFd, QIODevice::Append, QFileDevice::AutoCloseHandle)) {
        ::close(nFd);
        return;
    }
    file.write(kStars.szText, kStarCount);
    file.write(kEol);
    writeLine(file, QStringLiteral("Data: ") +
                        QDateTime::currentDateTime().toString(QStringLiteral("yyyy.MM.dd  h:m:s")));
    writeLine(file, QStringLiteral("File: ") + QString::fromLocal8Bit(context.file));
    writeLine(file, QStringLiteral("Line: ") + QString::number(context.line));
    writeLine(file, QStringLiteral("Function: ") + QString::fromLocal8Bit(context.function));
    writeLine(file, QString());
    writeLine(file, contentLine(type, strMsg));
    writeLine(file, QString());
    file.write(kStars.szText, kStarCount);
    file.write(kEol);
    file.close();
    if (type == QtFatalMsg)
        std::abort();
}

void velDiagnostic(const QString& strText)
{
    if (velDebugOutputShown())
        qDebug("%s", qUtf8Printable(velMaskAddresses(strText)));
}

void velInstallDiagLog()
{
    qInstallMessageHandler(velDiagLogHandler);
}

void velUninstallDiagLog()
{
    qInstallMessageHandler(nullptr);
}
