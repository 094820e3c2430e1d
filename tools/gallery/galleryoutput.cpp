// The output view's pictures: the control bar in both layouts over the view,
// the two selectors, and the save and live room dialogs.
#include "gallery.h"
#include "galleryhelpers.h"

#include "output/vellivesettingwidget.h"
#include "output/veloutputcontrolbar.h"
#include "output/veloutputwidget.h"
#include "output/velrecordtypewidget.h"
#include "output/velsaveinfowidget.h"
#include "output/velsaveprogresswidget.h"
#include "strip/veltransitioneffectsettingwidget.h"
#include "veldialogframe.h"

#include <QGraphicsOpacityEffect>

namespace
{

const QColor kPanel(242, 242, 242);
const QColor kPopupGrey(120, 120, 120);

QWidget* outputView(bool bRecording, int nTaskBits = 0)
{
    VelOutputWidget view;
    view.resize(800, 450);
    if (nTaskBits)
        view.setState(view.state() | nTaskBits);
    if (bRecording)
        view.sltReceiveCommand(
            {{"requestParam", "workingMode"},
             {"event", "start"},
             {"target", "{\"workingMode\":\"workingModeRecordingAndLivecast\",\"recordingMode\":"
                        "\"recordingModeMovie\",\"startTime\":\"3725\"}"}});
    VelOutputControlBar* pBar = view.controlBar();
    pBar->setGeometry(0, 400, 800, 50);
    pBar->show();
    if (auto* pEffect = qobject_cast<QGraphicsOpacityEffect*>(pBar->graphicsEffect()))
        pEffect->setOpacity(0.8);
    view.show();
    gallerySettle(50);
    QWidget* pResult = galleryBackdrop(view.grab(), kPanel);
    view.hide();
    return pResult;
}

QWidget* dialog(const QString& strTitle, VelDialogContent* pContent, int nButtons)
{
    VelDialogFrame frame(strTitle, nullptr, pContent, nButtons);
    frame.adjustSize();
    return galleryBackdrop(frame.grab(), kPanel);
}

std::vector<GalleryEntry> outputEntries()
{
    return {
        {"output-bar-idle", [] { return outputView(false); }},
        {"output-bar-recording", [] { return outputView(true); }},
        {"output-task-overlays",
         [] { return outputView(false, VideoTaskStarting | VideoMovieSwitching); }},
        {"output-record-type",
         [] {
             VelRecordTypeWidget selector;
             selector.setStyleSheet("color: white");
             selector.adjustSize();
             return galleryBackdrop(selector.grab(), kPopupGrey);
         }},
        {"output-transition-effects",
         [] {
             VelTransitionEffectSettingWidget selector;
             selector.sltReceiveCommand({{"target", "switchingEffectsFade"}});
             selector.adjustSize();
             return galleryBackdrop(selector.grab(), kPopupGrey);
         }},
        {"output-save-info", [] { return dialog("保存录像信息", new VelSaveInfoWidget, 7); }},
        {"output-save-progress",
         [] {
             auto* pProgress = new VelSaveProgressWidget;
             pProgress->sltSetValue(42);
             return dialog("正在生成 scrom 课件", pProgress, 0);
         }},
        {"output-live-rooms",
         [] {
             return dialog("选择直播间", new VelLiveSettingWidget({"一号直播间", "二号直播间"}), 7);
         }},
        {"output-live-rooms-empty",
         [] { return dialog("选择直播间", new VelLiveSettingWidget({}), 1); }},
        {"output-stop-confirm",
         [] {
             auto* pConfirm = new VelLiveSettingWidget({});
             pConfirm->setCheckBoxText("关闭直播间");
             pConfirm->setCheckBoxMode(true);
             return dialog("提示", pConfirm, 7);
         }},
    };
}

const bool registered = galleryAddGroup("output", outputEntries);

} // namespace
