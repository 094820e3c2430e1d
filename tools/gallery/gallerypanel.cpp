// The whole directing panel as the page shows it: output view with its bar,
// the record setting strip and the thumbnail row, at two browser sizes. The
// video areas show still test pictures (the gallery plays no streams).
#include "gallery.h"
#include "galleryhelpers.h"

#include "corvane.h"
#include "output/veloutputwidget.h"
#include "overview/veloverviewlistwidget.h"
#include "overview/veloverviewwidget.h"
#include "velvideolabel.h"

#include <QCoreApplication>
#include <QFile>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QVBoxLayout>

namespace
{

const char* const kCameras[][3] = {
    {"教师全景", "cam-teacher-wide", "1"}, {"教师特写", "cam-teacher-close", "1"},
    {"学生全景", "cam-student-wide", "1"}, {"学生特写", "cam-student-close", "0"},
    {"板书", "cam-blackboard", "0"},       {"电脑画面", "cam-computer", "0"},
};

// A test card: colour bars under a gradient with the camera's name.
QPixmap stillPicture(const QString& strName, int nHue)
{
    QImage image(1280, 720, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, 720);
    sky.setColorAt(0, QColor::fromHsv(nHue, 90, 200));
    sky.setColorAt(1, QColor::fromHsv((nHue + 40) % 360, 160, 70));
    painter.fillRect(image.rect(), sky);
    const QColor bars[] = {Qt::white,   Qt::yellow, Qt::cyan, Qt::green,
                           Qt::magenta, Qt::red,    Qt::blue};
    for (int i = 0; i < 7; ++i)
        painter.fillRect(QRect(i * 1280 / 7, 520, 1280 / 7 + 1, 200), bars[i]);
    QFont font = painter.font();
    font.setPixelSize(96);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 120, 1280, 300), Qt::AlignCenter, strName);
    return QPixmap::fromImage(image);
}

void showStill(VelVideoLabel* pLabel, const QString& strName, int nHue)
{
    if (!pLabel)
        return;
    pLabel->setState(VideoPlaying);
    pLabel->sltSetPixmap(stillPicture(strName, nHue));
}

QWidget* fullPanel(QSize size)
{
    // Labels save their newest picture as the poster of their address in the
    // temporary folder; the stills must not become posters of real streams.
    static QTemporaryDir s_posters;
    qputenv("TMPDIR", QFile::encodeName(s_posters.path()));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(s_posters.path()));
    // Embedded as the browser embeds it: a window of the page's size with the
    // control filling it.
    auto* pFrame = new QWidget;
    auto* pLayout = new QVBoxLayout(pFrame);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pFrame->resize(size);
    auto* pControl = new Corvane;
    pLayout->addWidget(pControl, 1);
    // Laid out before the cameras come: each new thumbnail row changes the
    // output view's height and freezes its width at what it has then.
    pFrame->show();
    gallerySettle(50);
    for (const auto& camera : kCameras)
        pControl->sltSetOverviewWidget(QString::fromUtf8(camera[0]), QLatin1String(camera[1]),
                                       QLatin1String(camera[2]));
    pControl->sltSetDeviceType(QStringLiteral("1"));
    pControl->sltSetFunctionShownState(QStringLiteral("PopBar"), QStringLiteral("enable"));
    pControl->sltSetFunctionShownState(QStringLiteral("AvaliableMemory"),
                                       QStringLiteral("可用空间 : 128.5G"));
    pControl->sltSetLiveAddress(QStringLiteral("rtmp://127.0.0.1/live/classroom101"));
    pControl->sltReceiveCommand(
        QStringLiteral("{\"requestParam\":\"directMode\",\"target\":\"directModeManual\"}"));
    gallerySettle(100);

    showStill(pControl->outputWidget(), QStringLiteral("导播输出"), 210);
    const QList<VelOverviewWidget*> thumbnails = pControl->overviewListWidget()->overviewWidgets();
    for (int i = 0; i < thumbnails.size(); ++i) {
        VelOverviewWidget* pOverview = thumbnails.at(i);
        pOverview->setSource(QStringLiteral("rtsp://127.0.0.1/") + pOverview->objectName());
        showStill(pOverview->findChild<VelVideoLabel*>(QStringLiteral("VideoWidget")),
                  pOverview->name(), (i * 55) % 360);
    }
    // The page's answer makes the third camera the program.
    pControl->sltReceiveCommand(QStringLiteral("{\"requestParam\":\"singleScreen\",\"target\":\"") +
                                QString::fromUtf8(kCameras[2][0]) + QStringLiteral("\"}"));
    // The pointer rests over the output view's bottom edge: its bar shows.
    VelOutputWidget* pOutput = pControl->outputWidget();
    const QPoint point(pOutput->width() / 2, pOutput->height() - 10);
    QMouseEvent move(QEvent::MouseMove, point, pOutput->mapToGlobal(point), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pOutput, &move);
    gallerySettle(600);
    return pFrame;
}

std::vector<GalleryEntry> panelEntries()
{
    return {
        {"panel_1280x800", [] { return fullPanel(QSize(1280, 800)); }},
        {"panel_1920x1080", [] { return fullPanel(QSize(1920, 1080)); }},
    };
}

const bool registered = galleryAddGroup("panel", panelEntries);

} // namespace
