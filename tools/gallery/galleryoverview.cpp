// The overview list of camera thumbnails and the screen layout setting.
#include "gallery.h"
#include "galleryhelpers.h"

#include "corvane.h"
#include "layout/velscreencellwidget.h"
#include "layout/velscreenlayoutpreviewwidget.h"
#include "layout/velscreensettingwidget.h"
#include "overview/veloverviewlistwidget.h"
#include "overview/veloverviewwidget.h"
#include "velcommand.h"
#include "velpopcontainer.h"
#include "velpushbutton.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPushButton>

namespace
{

const QColor kPanel(242, 242, 242);
const QColor kPopupGrey(120, 120, 120);
const int kAnimationSettleMs = 700;

const char* const kCameras[][2] = {
    {"教师全景", "cam-teacher-wide"}, {"教师特写", "cam-teacher-close"},
    {"学生全景", "cam-student-wide"}, {"学生特写", "cam-student-close"},
    {"板书", "cam-blackboard"},       {"电脑画面", "cam-computer"},
};

void addCameras(VelOverviewListWidget& list)
{
    for (const auto& camera : kCameras) {
        VelOverviewWidget* pOverview =
            list.addOverviewWidget(QString::fromUtf8(camera[0]), QLatin1String(camera[1]), true);
        pOverview->setSource(QStringLiteral("rtsp://127.0.0.1/") + QLatin1String(camera[1]));
    }
}

QWidget* overviewList(bool bManual)
{
    VelOverviewListWidget list(nullptr);
    list.resize(1000, 200);
    addCameras(list);
    list.show();
    emit list.sigCloudButtonsStateChanged(bManual);
    // The page's answer makes the third camera the program.
    list.sltReceiveCommand({{QStringLiteral("requestParam"), QStringLiteral("singleScreen")},
                            {QStringLiteral("target"), QString::fromUtf8(kCameras[2][0])}});
    gallerySettle(100);
    return galleryBackdrop(list.grab(), kPanel);
}

QWidget* overviewPtzPad()
{
    VelOverviewListWidget list(nullptr);
    list.resize(1000, 200);
    addCameras(list);
    list.move(100, 400);
    list.show();
    emit list.sigCloudButtonsStateChanged(true);
    gallerySettle(100);
    VelOverviewWidget* pOverview = list.overviewWidgets().at(1);
    QPushButton* pButton = pOverview->cloudButton();
    QCursor::setPos(pButton->mapToGlobal(pButton->rect().center()));
    pButton->click();
    gallerySettle(kAnimationSettleMs);
    VelPopContainer* pPopup = pOverview->cloudContainer();
    QWidget* pResult =
        galleryCompose({{list.grab(), list.pos()}, {pPopup->grab(), pPopup->pos()}}, kPanel);
    pPopup->hide();
    return pResult;
}

QString layout(const char* szId, const QStringList& cells)
{
    return QStringLiteral("{\"layoutId\":\"%1\",\"tokens\":[%2]}")
        .arg(QLatin1String(szId), cells.join(QLatin1Char(',')));
}

CommandMap layoutsAnswer()
{
    const QStringList layouts = {
        layout("VelRECLayout1",
               {galleryLayoutCell("教师全景", "cam-teacher-wide", 0, 28, 128, 72)}),
        layout("VelRECLayout2",
               {galleryLayoutCell("教师全景", "cam-teacher-wide", 0, 46, 64, 36),
                galleryLayoutCell("学生全景", "cam-student-wide", 64, 46, 64, 36)}),
        layout("VelRECLayout3",
               {galleryLayoutCell("板书", "cam-blackboard", 0, 28, 128, 72),
                galleryLayoutCell("教师特写", "cam-teacher-close", 64, 62, 60, 34)}),
        layout("VelRECLayout5", {galleryLayoutCell("教师全景", "cam-teacher-wide", 0, 28, 64, 36),
                                 galleryLayoutCell("学生全景", "cam-student-wide", 64, 28, 64, 36),
                                 galleryLayoutCell("板书", "cam-blackboard", 0, 64, 64, 36),
                                 galleryLayoutCell("电脑画面", "cam-computer", 64, 64, 64, 36)}),
    };
    const QString strMessage =
        QStringLiteral("{\"requestParam\":\"settingMutilScreen\",\"event\":\"VelRECLayout2\","
                       "\"target\":[%1],\"token\":\"\"}")
            .arg(layouts.join(QLatin1Char(',')));
    return parseCommand(rewriteArrayTargets(strMessage));
}

QWidget* screenLayouts(bool bEditing)
{
    Corvane control;
    addCameras(*control.overviewListWidget());
    VelScreenSettingWidget setting(nullptr, &control);
    setting.sltReceiveCommandFromParent(layoutsAnswer());
    // As in its pop-up: on the container's grey.
    QPalette palette = setting.palette();
    palette.setColor(QPalette::Window, kPopupGrey);
    setting.setPalette(palette);
    setting.setAutoFillBackground(true);
    setting.move(100, 100);
    setting.show();
    gallerySettle(100);
    if (!bEditing)
        return galleryBackdrop(setting.grab(), kPopupGrey);

    setting.settingButton()->click();
    VelScreenCellWidget* pCell = setting.previews().at(3)->cells().at(2);
    const QPoint centre = pCell->mapToGlobal(pCell->rect().center());
    QCursor::setPos(centre);
    QMouseEvent release(QEvent::MouseButtonRelease, pCell->rect().center(), centre, Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pCell, &release);
    gallerySettle(kAnimationSettleMs);
    VelPopContainer* pPopup = pCell->chooserContainer();
    QWidget* pResult = galleryCompose(
        {{setting.grab(), setting.pos()}, {pPopup->grab(), pPopup->pos()}}, kPopupGrey);
    pPopup->hide();
    return pResult;
}

std::vector<GalleryEntry> overviewEntries()
{
    return {
        {"overview_list_manual", [] { return overviewList(true); }},
        {"overview_list_auto", [] { return overviewList(false); }},
        {"overview_ptzpad", overviewPtzPad},
        {"layout_previews", [] { return screenLayouts(false); }},
        {"layout_previews_edit", [] { return screenLayouts(true); }},
    };
}

const bool registered = galleryAddGroup("overview", overviewEntries);

} // namespace
