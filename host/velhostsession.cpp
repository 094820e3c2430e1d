#include "velhostsession.h"

#include "veltempdir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace
{

const char kTokenFile[] = "/serve-token";

int g_quitPipe[2] = {-1, -1};

// Only what is safe in a signal handler: one byte into the pipe.
void onTerminate(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_quitPipe[1], &c, 1);
}

bool writeFile(const QString& strPath, const QByteArray& data, bool bPrivate, QString* pError)
{
    QSaveFile file(strPath);
    if (!file.open(QIODevice::WriteOnly) ||
        (bPrivate && !velMakePrivateFileDescriptor(file.handle())) || file.write(data) < 0 ||
        !file.commit()) {
        if (pError)
            *pError = QStringLiteral("cannot write %1: %2").arg(strPath, file.errorString());
        return false;
    }
    return true;
}

} // namespace

QString velPublishServeToken(const QString& strToken, QString* pError)
{
    const QString strDir = velTempPath();
    if (strDir.isEmpty()) {
        if (pError)
            *pError = QStringLiteral("no private directory for the token file");
        return QString();
    }
    const QString strPath = strDir + QLatin1String(kTokenFile);
    return writeFile(strPath, strToken.toUtf8() + '\n', true, pError) ? strPath : QString();
}

void velWithdrawServeToken(const QString& strPath, const QString& strToken)
{
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const bool bOurs = file.read(256).trimmed() == strToken.toUtf8();
    file.close();
    if (bOurs)
        file.remove();
}

void velQuitOnTerminate()
{
    if (g_quitPipe[0] >= 0 || ::pipe2(g_quitPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* pNotifier =
        new QSocketNotifier(g_quitPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(pNotifier, &QSocketNotifier::activated, pNotifier, []() {
        char buffer[16];
        while (::read(g_quitPipe[0], buffer, sizeof buffer) > 0) {
        }
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}

QString velWriteAutostart(bool bOn, const QString& strProgram, QString* pError)
{
    QString strConfig = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (strConfig.isEmpty() || !QDir::isAbsolutePath(strConfig))
        strConfig = QDir::homePath() + QLatin1String("/.config");
    const QString strDir = strConfig + QLatin1String("/autostart");
    if (!QDir().mkpath(strDir)) {
        if (pError)
            *pError = QStringLiteral("cannot create %1").arg(strDir);
        return QString();
    }
    if (strProgram.contains(QLatin1Char('\n')) || strProgram.contains(QLatin1Char('\r'))) {
        if (pError)
            *pError = QStringLiteral("the program path holds a line break");
        return QString();
    }
    // Exec takes quoted arguments: a path with a space or quote stays one.
    QString strQuoted = strProgram;
    for (const char* szSpecial : {"\\", "\"", "`", "$"})
        strQuoted.replace(QLatin1String(szSpecial), QLatin1String("\\") + QLatin1String(szSpecial));
    strQuoted.replace(QLatin1Char('%'), QLatin1String("%%"));
    const QString strEntry =
        QStringLiteral("[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Classroom controls bridge\n"
                       "Comment=Offers the classroom controls to the platform's pages in the "
                       "browser\n"
                       "Exec=\"%1\" --serve --publish-token\n"
                       "Terminal=false\n"
                       "NoDisplay=true\n"
                       "Hidden=%2\n")
            .arg(strQuoted, bOn ? QStringLiteral("false") : QStringLiteral("true"));
    const QString strPath = strDir + QLatin1String("/vel-host.desktop");
    return writeFile(strPath, strEntry.toUtf8(), false, pError) ? strPath : QString();
}
