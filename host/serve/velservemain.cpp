#include "velservemain.h"

#include "velhostframe.h"
#include "velhostloader.h"
#include "velhostsession.h"
#include "velserveserver.h"

#include <QApplication>

#include <cstdio>

namespace
{

QtMessageHandler g_previousHandler = nullptr;

// The channel warns about every property without notify signal; the
// published text deliberately has none (its change event is a plain signal,
// sent for every store, see VelServeFilter), so the warning would only mislead.
void serveMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& strText)
{
    if (type == QtWarningMsg && strText.contains(QLatin1String("has no notify signal")))
        return;
    if (g_previousHandler)
        g_previousHandler(type, context, strText);
}

} // namespace

int velServeMain(quint16 nPort, const QStringList& allowedOrigins, const QSize& frameSize,
                 bool bPublishToken)
{
    g_previousHandler = qInstallMessageHandler(serveMessageHandler);
    VelHostFrame frame(frameSize);
    frame.setWindowTitle(QStringLiteral("vel-host - browser pages"));
    VelHostLoader loader(&frame);
    VelServeServer server(&loader, allowedOrigins, QString(), nullptr);
    QString strError;
    if (!server.listen(nPort, &strError)) {
        std::fprintf(stderr, "vel-host: %s\n", qPrintable(strError));
        return 1;
    }
    // Started with the session, nobody reads our output: the platform's
    // launcher reads the token from a file only this user can open.
    QString strTokenFile;
    if (bPublishToken) {
        velQuitOnTerminate();
        strTokenFile = velPublishServeToken(server.token(), &strError);
        if (strTokenFile.isEmpty()) {
            std::fprintf(stderr, "vel-host: %s\n", qPrintable(strError));
            return 1;
        }
    }
    frame.show();
    std::fprintf(stdout,
                 "vel-host: serving on 127.0.0.1:%u\nvel-host: token %s\nvel-host: open %s\n",
                 unsigned(server.port()), qPrintable(server.token()), qPrintable(server.pageUrl()));
    if (!strTokenFile.isEmpty())
        std::fprintf(stdout, "vel-host: token file %s\n", qPrintable(strTokenFile));
    std::fflush(stdout);
    // Closing the frame ends the host, as closing a browser window would.
    QApplication::setQuitOnLastWindowClosed(true);
    const int nStatus = QApplication::exec();
    if (!strTokenFile.isEmpty())
        velWithdrawServeToken(strTokenFile, server.token());
    return nStatus;
}
