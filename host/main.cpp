// vel-host: the browser's part for the control libraries. It registers and
// unregisters libraries through their exports, lists the registration store,
// writes a library's interface description, and runs page scripts that create
// controls by class id in its frame window.
#include "velaxregistry.h"
#include "velaxstore.h"
#include "velhostframe.h"
#include "velhostlibrary.h"
#include "velhostpage.h"
#include "velhostsession.h"
#include "velservemain.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QJsonObject>
#include <QMouseEvent>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace
{

void out(const QString& strText)
{
    std::fprintf(stdout, "%s\n", strText.toUtf8().constData());
    std::fflush(stdout);
}

void err(const QString& strText)
{
    std::fprintf(stderr, "vel-host: %s\n", strText.toUtf8().constData());
}

// The version the library wrote for itself at registration.
QString registeredVersion(const QString& strLibrary, VelAxStore::Scope scope)
{
    VelAxStore store(VelAxStore::location(scope), scope);
    if (!store.load())
        return QString();
    const QJsonObject typeLibs = store.root().value(QLatin1String("TypeLib")).toObject();
    for (const QJsonValue& value : typeLibs) {
        const QJsonObject entry = value.toObject();
        if (entry.value(QLatin1String("library")).toString() == strLibrary)
            return entry.value(QLatin1String("name")).toString() + QLatin1Char(' ') +
                   entry.value(QLatin1String("version")).toString();
    }
    return QString();
}

int registerLibrary(const QString& strPath, bool bRegister, VelAxStore::Scope scope)
{
    QString strError;
    VelHostLibrary* pLibrary = VelHostLibrary::open(strPath, &strError);
    if (!pLibrary) {
        err(strError);
        return 1;
    }
    const VelAxResult nResult =
        bRegister ? pLibrary->registerServer() : pLibrary->unregisterServer();
    const char* szCall = bRegister ? "DllRegisterServer" : "DllUnregisterServer";
    if (nResult != VEL_S_OK) {
        err(QStringLiteral("%1 of %2 failed (%3)")
                .arg(QLatin1String(szCall), pLibrary->path(), VelHostLibrary::resultText(nResult)));
        return 1;
    }
    if (bRegister)
        out(QStringLiteral("registered %1 (%2) in %3")
                .arg(pLibrary->path(), registeredVersion(pLibrary->path(), scope),
                     VelAxStore::location(scope)));
    else
        out(QStringLiteral("unregistered %1 from %2")
                .arg(pLibrary->path(), VelAxStore::location(scope)));
    return 0;
}

// Each class with the store it comes from; a machine entry that the user's
// own entry hides is listed as such.
int listStore()
{
    VelAxRegistry registry;
    QString strError;
    if (!registry.load(&strError)) {
        err(strError);
        return 1;
    }
    out(QStringLiteral("store %1").arg(registry.userPath()));
    out(QStringLiteral("system store %1").arg(registry.systemPath()));
    for (const VelAxRegistry::Class& cls : registry.classes()) {
        const VelAxStore::ClassEntry& entry = cls.entry;
        out(QStringLiteral("%1 %2 (%3) version %4 %5 [%6%7]")
                .arg(entry.strClassId, entry.strClassName, entry.strProgId, entry.strVersion,
                     entry.strLibrary, VelAxStore::scopeName(cls.scope),
                     cls.bHidden ? QStringLiteral(", hidden by user") : QString()));
    }
    if (!registry.systemError().isEmpty()) {
        err(registry.systemError());
        return 1;
    }
    return 0;
}

int dumpIdl(const QString& strPath, const QString& strOutFile)
{
    QString strError;
    VelHostLibrary* pLibrary = VelHostLibrary::open(strPath, &strError);
    if (!pLibrary) {
        err(strError);
        return 1;
    }
    const VelAxResult nResult = pLibrary->dumpIdl(strOutFile, QString());
    if (nResult != VEL_S_OK) {
        err(QStringLiteral("DumpIDL of %1 failed (%2)")
                .arg(pLibrary->path(), VelHostLibrary::resultText(nResult)));
        return 1;
    }
    return 0;
}

QVariantMap pageArgs(const QStringList& pairs)
{
    QVariantMap args;
    for (const QString& strPair : pairs) {
        const int nEquals = strPair.indexOf(QLatin1Char('='));
        if (nEquals < 0)
            args.insert(strPair, true);
        else
            args.insert(strPair.left(nEquals), strPair.mid(nEquals + 1));
    }
    return args;
}

// Registration and listing need no window system (a headless machine has none).
bool needsWindows(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        for (const char* szOption : {"--register", "--unregister", "--list", "--dump-idl",
                                     "--autostart", "--help", "-h", "--version", "-v"}) {
            if (arg == szOption || arg.startsWith(QByteArray(szOption) + '='))
                return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    std::unique_ptr<QCoreApplication> pApp(
        needsWindows(argc, argv) ? new QApplication(argc, argv) : new QCoreApplication(argc, argv));
    QCoreApplication& app = *pApp;
    QCoreApplication::setApplicationName(QStringLiteral("vel-host"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VEL_HOST_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Hosts the classroom controls: registers their libraries and runs page "
                       "scripts. The registration store is $VEL_AX_STORE, else "
                       "~/.config/vel-controls/registry.json, over the machine's "
                       "($VEL_AX_SYSTEM_STORE, else /etc/vel-controls/registry.json)."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption registerOption(QStringLiteral("register"),
                                            QStringLiteral("Register the library LIB."),
                                            QStringLiteral("LIB"));
    const QCommandLineOption unregisterOption(QStringLiteral("unregister"),
                                              QStringLiteral("Unregister the library LIB."),
                                              QStringLiteral("LIB"));
    const QCommandLineOption listOption(QStringLiteral("list"),
                                        QStringLiteral("List the registered classes."));
    const QCommandLineOption idlOption(QStringLiteral("dump-idl"),
                                       QStringLiteral("Write the interface description of the "
                                                      "library LIB to the file given last."),
                                       QStringLiteral("LIB"));
    const QCommandLineOption systemOption(
        QStringLiteral("system"),
        QStringLiteral("--register and --unregister write the machine-wide store (as root)."));
    const QCommandLineOption autostartOption(
        QStringLiteral("autostart"),
        QStringLiteral("on: start --serve --publish-token when this user logs in; off: not."),
        QStringLiteral("on|off"));
    const QCommandLineOption storeOption(QStringLiteral("store"),
                                         QStringLiteral("Use FILE as the registration store."),
                                         QStringLiteral("FILE"));
    const QCommandLineOption screenshotOption(
        QStringLiteral("screenshot"),
        QStringLiteral("After the wait, write the frame to FILE (PNG) and quit."),
        QStringLiteral("FILE"));
    const QCommandLineOption waitOption(QStringLiteral("wait"),
                                        QStringLiteral("Run the page MS milliseconds before the "
                                                       "screenshot (default 2000)."),
                                        QStringLiteral("MS"), QStringLiteral("2000"));
    const QCommandLineOption limitOption(QStringLiteral("time-limit"),
                                         QStringLiteral("Quit with exit code 124 when the page "
                                                        "has not finished after MS milliseconds."),
                                         QStringLiteral("MS"));
    const QCommandLineOption sizeOption(QStringLiteral("size"),
                                        QStringLiteral("Frame size (default 1280x960)."),
                                        QStringLiteral("WxH"), QStringLiteral("1280x960"));
    const QCommandLineOption argOption(QStringLiteral("arg"),
                                       QStringLiteral("Page argument KEY=VALUE (host.args)."),
                                       QStringLiteral("KEY=VALUE"));
    const QCommandLineOption pointerOption(
        QStringLiteral("pointer"),
        QStringLiteral("Half a second before the screenshot, move the pointer to X,Y of the "
                       "frame, as a user resting the mouse there."),
        QStringLiteral("X,Y"));
    parser.addOptions({registerOption, unregisterOption, listOption, idlOption, systemOption,
                       autostartOption, storeOption, screenshotOption, waitOption, limitOption,
                       sizeOption, argOption, pointerOption});
    const QCommandLineOption serveOption(
        QStringLiteral("serve"),
        QStringLiteral("Serve the controls to pages in a browser on 127.0.0.1."));
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Port for --serve (default 8817, 0: any)."),
                                        QStringLiteral("N"), QStringLiteral("8817"));
    const QCommandLineOption originOption(
        QStringLiteral("allow-origin"),
        QStringLiteral("Let pages of ORIGIN connect (--serve; besides the host's own)."),
        QStringLiteral("ORIGIN"));
    const QCommandLineOption publishOption(
        QStringLiteral("publish-token"),
        QStringLiteral("--serve: also write the token to $XDG_RUNTIME_DIR/vel-controls/serve-token "
                       "(0600) for the platform's launcher."));
    parser.addOptions({serveOption, portOption, originOption, publishOption});
    parser.addPositionalArgument(QStringLiteral("page"), QStringLiteral("The page script to run."),
                                 QStringLiteral("[page.js]"));
    parser.process(app);

    if (parser.isSet(storeOption))
        qputenv("VEL_AX_STORE", parser.value(storeOption).toLocal8Bit());
    const QStringList positional = parser.positionalArguments();
    // The libraries' exports read the scope from the environment, as Windows'
    // registration reads where it runs; an inherited value never decides.
    const VelAxStore::Scope scope =
        parser.isSet(systemOption) ? VelAxStore::Scope::System : VelAxStore::Scope::User;
    qputenv("VEL_AX_SCOPE", VelAxStore::scopeName(scope).toLatin1());

    if (parser.isSet(autostartOption)) {
        const QString strValue = parser.value(autostartOption);
        if (strValue != QLatin1String("on") && strValue != QLatin1String("off")) {
            err(QStringLiteral("--autostart takes on or off"));
            return 2;
        }
        QString strError;
        const QString strPath = velWriteAutostart(
            strValue == QLatin1String("on"), QCoreApplication::applicationFilePath(), &strError);
        if (strPath.isEmpty()) {
            err(strError);
            return 1;
        }
        out(QStringLiteral("autostart %1: %2").arg(strValue, strPath));
        return 0;
    }

    if (parser.isSet(registerOption) || parser.isSet(unregisterOption) ||
        parser.isSet(listOption) || parser.isSet(idlOption)) {
        int nStatus = 0;
        for (const QString& strLib : parser.values(unregisterOption))
            nStatus |= registerLibrary(strLib, false, scope);
        for (const QString& strLib : parser.values(registerOption))
            nStatus |= registerLibrary(strLib, true, scope);
        if (parser.isSet(idlOption)) {
            if (positional.size() != 1) {
                err(QStringLiteral("--dump-idl LIB needs the output file"));
                return 2;
            }
            nStatus |= dumpIdl(parser.value(idlOption), positional.first());
        }
        if (parser.isSet(listOption))
            nStatus |= listStore();
        return nStatus;
    }

    if (parser.isSet(serveOption)) {
        bool isNumber = false;
        const uint nPort = parser.value(portOption).toUInt(&isNumber);
        if (!isNumber || nPort > 65535) {
            err(QStringLiteral("bad --port %1").arg(parser.value(portOption)));
            return 2;
        }
        const QStringList size = parser.value(sizeOption).split(QLatin1Char('x'));
        return velServeMain(quint16(nPort), parser.values(originOption),
                            QSize(size.value(0).toInt(), size.value(1).toInt()),
                            parser.isSet(publishOption));
    }

    if (positional.size() != 1) {
        err(QStringLiteral("give one page script (see --help)"));
        return 2;
    }
    const QStringList size = parser.value(sizeOption).split(QLatin1Char('x'));
    const QSize frameSize(size.value(0).toInt(), size.value(1).toInt());
    if (frameSize.isEmpty()) {
        err(QStringLiteral("bad --size %1").arg(parser.value(sizeOption)));
        return 2;
    }

    VelHostPage page(frameSize, pageArgs(parser.values(argOption)));
    if (parser.isSet(limitOption)) {
        page.setTimeLimit(parser.value(limitOption).toInt());
    }
    if (parser.isSet(screenshotOption) && parser.isSet(pointerOption)) {
        const QStringList xy = parser.value(pointerOption).split(QLatin1Char(','));
        const QPoint point(xy.value(0).toInt(), xy.value(1).toInt());
        const int nAt = qMax(0, parser.value(waitOption).toInt() - 500);
        QTimer::singleShot(nAt, &page, [&page, point]() {
            QWidget* pFrame = page.frame();
            QWidget* pUnder = pFrame ? pFrame->childAt(point) : nullptr;
            if (!pUnder)
                return;
            const QPoint local = pUnder->mapFrom(pFrame, point);
            QMouseEvent move(QEvent::MouseMove, local, pUnder->mapToGlobal(local), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(pUnder, &move);
        });
    }
    if (parser.isSet(screenshotOption)) {
        const QString strFile = parser.value(screenshotOption);
        QTimer::singleShot(parser.value(waitOption).toInt(), &page, [&page, strFile]() {
            if (page.isFinished())
                return;
            if (!page.frame()->grabToFile(strFile)) {
                err(QStringLiteral("cannot write the screenshot %1").arg(strFile));
                page.finish(1);
                return;
            }
            out(QStringLiteral("vel-host: screenshot written to %1").arg(strFile));
            page.finish(0);
        });
    }
    page.run(positional.first());
    // A page that finished while its top-level code sat in a modal loop (a
    // control's dialog) has had its exit taken by that loop; a fresh exec()
    // would wait for an exit that never comes again.
    const int nStatus = page.isFinished() ? 0 : QCoreApplication::exec();
    if (page.isFinished())
        return page.exitCode();
    return page.errorCount() > 0 ? 1 : nStatus;
}
