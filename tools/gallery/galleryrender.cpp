#include "galleryrender.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QScopedPointer>
#include <QTextStream>
#include <QWidget>

namespace
{

// The offscreen platform reports every window feature it lacks (opacity, masks,
// grabs); those notices say nothing about the widgets.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& strMsg)
{
    if (strMsg.startsWith(QLatin1String("This plugin does not support")))
        return;
    QTextStream(stderr) << qFormatLogMessage(type, context, strMsg) << "\n";
}

} // namespace

int galleryRenderMain(int argc, char* argv[], const char* szProgram, void (*initResources)(),
                      const std::function<std::vector<GalleryPicture>()>& pictures)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    initResources();
    app.setStyleSheet(QStringLiteral("QWidget{font-family: Microsoft YaHei;font-size: 12px}"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    const int nOut = args.indexOf(QStringLiteral("--out"));
    const int nOnly = args.indexOf(QStringLiteral("--only"));
    if (nOut < 0 || nOut + 1 >= args.size() || (nOnly >= 0 && nOnly + 1 >= args.size())) {
        err << "usage: " << szProgram << " --out DIR [--only NAME]\n";
        return 2;
    }
    const QDir dir(args.at(nOut + 1));
    if (!dir.mkpath(QStringLiteral("."))) {
        err << "cannot create " << dir.path() << "\n";
        return 1;
    }
    const QString strOnly = nOnly >= 0 ? args.at(nOnly + 1) : QString();

    int nWritten = 0;
    int nFailed = 0;
    for (const GalleryPicture& picture : pictures()) {
        if (!strOnly.isEmpty() && picture.strName != strOnly)
            continue;
        QScopedPointer<QWidget> widget(picture.build());
        const QPixmap pixmap = widget ? widget->grab() : QPixmap();
        const QString strPath = dir.filePath(picture.strName + QStringLiteral(".png"));
        if (pixmap.isNull() || !pixmap.save(strPath, "PNG")) {
            err << "failed: " << picture.strName << "\n";
            ++nFailed;
            continue;
        }
        out << strPath << "\n";
        ++nWritten;
    }
    if (nWritten == 0 && nFailed == 0) {
        err << "no entry named " << strOnly << "\n";
        return 2;
    }
    return nFailed ? 1 : 0;
}
