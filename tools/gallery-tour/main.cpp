// vel-gallery-tour --out DIR [--only NAME]: renders the tour views to DIR/NAME.png.

#include "gallerytour.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QScopedPointer>
#include <QTextStream>
#include <QWidget>

namespace
{

// The offscreen platform reports every window feature it lacks.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& strMsg)
{
    if (strMsg.startsWith(QLatin1String("This plugin does not support")))
        return;
    QTextStream(stderr) << qFormatLogMessage(type, context, strMsg) << "\n";
}

} // namespace

static void initResources()
{
    Q_INIT_RESOURCE(vimbrel);
}

int main(int argc, char* argv[])
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
        err << "usage: vel-gallery-tour --out DIR [--only NAME]\n";
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
    for (const GalleryTourEntry& entry : galleryTourEntries()) {
        const QString strName = QLatin1String(entry.szName);
        if (!strOnly.isEmpty() && strName != strOnly)
            continue;
        QScopedPointer<QWidget> widget(entry.build());
        const QPixmap pixmap = widget ? widget->grab() : QPixmap();
        const QString strPath = dir.filePath(strName + QStringLiteral(".png"));
        if (pixmap.isNull() || !pixmap.save(strPath, "PNG")) {
            err << "failed: " << strName << "\n";
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
