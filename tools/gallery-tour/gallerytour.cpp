#include "gallerytour.h"

#include "galleryhelpers.h"
#include "velcloudsettingwidget.h"
#include "velpopcontainer.h"
#include "veltourvideowidget.h"
#include "velvideocontrolbar.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>

namespace
{

const QColor kDark(50, 50, 50);

// Stands in for a decoded camera picture: colour bars with a caption.
QPixmap cameraPicture()
{
    QPixmap pixmap(1280, 720);
    QPainter painter(&pixmap);
    const QColor bars[] = {Qt::white,   Qt::yellow, Qt::cyan, Qt::green,
                           Qt::magenta, Qt::red,    Qt::blue, Qt::black};
    for (int i = 0; i < 8; ++i)
        painter.fillRect(i * 160, 0, 160, 720, bars[i]);
    painter.setPen(Qt::black);
    painter.setFont(QFont(QStringLiteral("Microsoft YaHei"), 40));
    painter.drawText(QRect(0, 40, 1280, 100), Qt::AlignCenter, QStringLiteral("camera 1280 x 720"));
    return pixmap;
}

QWidget* tourView(int nRunMode, bool bPicture, bool bRecording)
{
    // The label keeps its first picture in the temporary directory and shows
    // it while there is no signal; each view gets a directory of its own.
    QTemporaryDir snapshots;
    qputenv("TMPDIR", snapshots.path().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", snapshots.path().toLocal8Bit());
    VelTourVideoWidget widget(nullptr);
    widget.resize(640, 360);
    widget.SetRunMode(nRunMode);
    widget.SetChannelName(QStringLiteral("一年级四班"));
    if (bPicture) {
        widget.sltSetPixmap(cameraPicture());
        widget.sltSetState(VideoStatePlaying);
    }
    widget.controlBar()->setRecordState(bRecording);
    widget.controlBar()->setAudioState(bRecording);
    widget.show();
    gallerySettle(100);
    QWidget* pResult = galleryBackdrop(widget.grab(), kDark);
    return pResult;
}

QWidget* ptzPopup()
{
    VelCloudSettingWidget pad(nullptr);
    VelPopContainer container(nullptr, &pad, QString());
    container.setBackgroundColor(QColor(120, 120, 120, 255));
    container.setPlacementMode(1);
    container.show();
    gallerySettle(100);
    QWidget* pResult = galleryBackdrop(container.grab(), kDark);
    container.hide();
    pad.setParent(nullptr);
    return pResult;
}

} // namespace

std::vector<GalleryTourEntry> galleryTourEntries()
{
    return {
        {"tour-run-mode-2", [] { return tourView(2, true, false); }},
        {"tour-run-mode-2-recording", [] { return tourView(2, true, true); }},
        {"tour-run-mode-1", [] { return tourView(1, true, false); }},
        {"tour-no-signal", [] { return tourView(2, false, false); }},
        {"tour-ptz-popup", [] { return ptzPopup(); }},
    };
}
