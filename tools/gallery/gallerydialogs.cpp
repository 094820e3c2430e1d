// The settings dialogs: course information, video dot, captions, and the title
// and tail clip dialog with its upload states, its tip and its drop-down list,
// and the live room chooser's list.
#include "gallery.h"
#include "galleryhelpers.h"

#include "dialogs/veladdpointwidget.h"
#include "dialogs/velcaptionswidget.h"
#include "dialogs/velcourseinfowidget.h"
#include "dialogs/velcreditssettingwidget.h"
#include "dialogs/veltailsettingwidget.h"
#include "dialogs/veltitlesettingwidget.h"
#include "output/vellivesettingwidget.h"
#include "velcommand.h"
#include "veldialogframe.h"
#include "velfilechooser.h"
#include "velpopcontainer.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedPointer>
#include <QTemporaryDir>
#include <QTextEdit>

namespace
{

const QColor kPanel(242, 242, 242);

QWidget* framed(const QString& strTitle, VelDialogContent* pContent,
                const std::function<void(VelDialogFrame*)>& fnPrepare = {})
{
    QScopedPointer<VelDialogFrame> frame(new VelDialogFrame(strTitle, nullptr, pContent, 7));
    frame->adjustSize();
    if (fnPrepare)
        fnPrepare(frame.data());
    frame->show();
    gallerySettle(400);
    QWidget* pResult = galleryBackdrop(frame->grab(), kPanel);
    frame->hide();
    return pResult;
}

// The frame together with the pop-up window that fnOpen opens over it, as they
// stand on the screen.
QWidget* framedWithPopup(const QString& strTitle, VelDialogContent* pContent,
                         const std::function<QWidget*(VelDialogFrame*)>& fnOpen)
{
    QScopedPointer<VelDialogFrame> frame(new VelDialogFrame(strTitle, nullptr, pContent, 7));
    frame->adjustSize();
    frame->show();
    gallerySettle(400);
    QWidget* pPopup = fnOpen(frame.data());
    gallerySettle(700);
    QWidget* pResult =
        galleryCompose({{frame->grab(), frame->pos()}, {pPopup->grab(), pPopup->pos()}}, kPanel);
    pPopup->hide();
    frame->hide();
    return pResult;
}

// A combo box's list open with its second row under the pointer.
QWidget* openList(QComboBox* pBox)
{
    pBox->showPopup();
    QAbstractItemView* pView = pBox->view();
    pView->setCurrentIndex(pView->model()->index(1, 0));
    return pView->window();
}

QString course()
{
    return formatCommand({{"title", "分数的认识"},
                          {"course", "数学"},
                          {"grade", "三年级"},
                          {"subject", "数学"},
                          {"teacher", "王老师"},
                          {"school", "实验小学"}});
}

VelCreditsSettingWidget* credits()
{
    auto* pCredits = new VelCreditsSettingWidget;
    QMap<QString, QString> title = parseCommand(course());
    title.insert({{"picture", "C:/clips/intro.png"},
                  {"fontSize", "20"},
                  {"fontColor", "#df0024"},
                  {"backMusic", "theme_09_30_05.mp3"},
                  {"duration", "8"},
                  {"avaliable", "0"}});
    pCredits->sltReceiveCommand({{"requestParam", "prelude"}, {"target", formatCommand(title)}});
    pCredits->sltReceiveCommand({{"requestParam", "curtain"},
                                 {"target", formatCommand({{"picture", "end_09_30_05.png"},
                                                           {"fontSize", "14"},
                                                           {"production", "电教中心"},
                                                           {"copyright", "实验小学"},
                                                           {"date", "2026-12-08"},
                                                           {"backMusic", "end_09_30_05.mp3"},
                                                           {"duration", "5"},
                                                           {"avaliable", "1"}})}});
    return pCredits;
}

QWidget* creditsIn(bool bTail, bool bFull, const std::function<void(VelCreditsSettingWidget*)>& fn)
{
    VelCreditsSettingWidget* pCredits = credits();
    return framed(QStringLiteral("片头片尾设置"), pCredits, [=](VelDialogFrame*) {
        pCredits->sltSetHideState(bFull);
        if (bTail)
            pCredits->tailTab()->click();
        if (fn)
            fn(pCredits);
    });
}

std::vector<GalleryEntry> dialogEntries()
{
    return {
        {"dialog_courseinfo",
         [] {
             auto* pCourse = new VelCourseInfoWidget;
             pCourse->fillFromMessage({{"target", course()}});
             return framed(QStringLiteral("课程信息"), pCourse);
         }},
        {"dialog_videodot",
         [] {
             auto* pDot = new VelAddPointWidget;
             pDot->sltReceiveCommand({{"target", "3725"}});
             return framed(QStringLiteral("打点信息"), pDot);
         }},
        {"dialog_captions",
         [] {
             auto* pCaptions = new VelCaptionsWidget;
             pCaptions->captionField()->setPlainText(QStringLiteral("欢迎来到三年级数学公开课"));
             return framed(QStringLiteral("字幕"), pCaptions);
         }},
        {"dialog_credits_title", [] { return creditsIn(false, true, {}); }},
        {"dialog_credits_tail", [] { return creditsIn(true, true, {}); }},
        {"dialog_credits_short", [] { return creditsIn(false, false, {}); }},
        {"dialog_credits_uploading",
         [] {
             // The bar as an upload shows it part-way; tabs locked meanwhile.
             return creditsIn(false, true, [](VelCreditsSettingWidget* pCredits) {
                 pCredits->progressBar()->setValue(45);
                 pCredits->progressBar()->show();
                 pCredits->titleTab()->setEnabled(false);
                 pCredits->tailTab()->setEnabled(false);
             });
         }},
        {"dialog_credits_tip",
         [] {
             // The tip after choosing a picture, pointing at the path field.
             auto* pCredits = credits();
             return framedWithPopup(QStringLiteral("片头片尾设置"), pCredits, [=](VelDialogFrame*) {
                 pCredits->sltSetHideState(true);
                 QWidget browser;
                 browser.setProperty(VelFileChooser::kWindowClassProperty, "IEFrame");
                 browser.show();
                 QTemporaryDir dir;
                 const QString strFile = dir.filePath(QStringLiteral("intro.png"));
                 QFile file(strFile);
                 file.open(QIODevice::WriteOnly);
                 file.close();
                 VelFileChooser::setDialogFunction(
                     [strFile](QWidget*, const QString&) { return strFile; });
                 pCredits->titlePage()->sltSetPicture();
                 VelFileChooser::setDialogFunction({});
                 return static_cast<QWidget*>(pCredits->titlePage()->tipContainer());
             });
         }},
        {"dialog_credits_fontsize_list",
         [] {
             auto* pCredits = credits();
             return framedWithPopup(QStringLiteral("片头片尾设置"), pCredits, [=](VelDialogFrame*) {
                 pCredits->sltSetHideState(true);
                 return openList(pCredits->titlePage()->fontSizeBox());
             });
         }},
        {"dialog_liveroom_list",
         [] {
             auto* pRooms = new VelLiveSettingWidget({QStringLiteral("一号直播间"),
                                                      QStringLiteral("二号直播间"),
                                                      QStringLiteral("公开课直播间")});
             return framedWithPopup(QStringLiteral("选择直播"), pRooms, [=](VelDialogFrame*) {
                 return openList(pRooms->findChild<QComboBox*>());
             });
         }},
        {"dialog_credits_failed",
         [] {
             // A real upload to a port nobody listens on.
             return creditsIn(false, true, [](VelCreditsSettingWidget* pCredits) {
                 QMap<QString, QString> title = parseCommand(course());
                 title.insert({{"picture", QCoreApplication::applicationFilePath()},
                               {"fontSize", "20"},
                               {"fontColor", "#df0024"},
                               {"backMusic", "theme_09_30_05.mp3"},
                               {"duration", "8"}});
                 pCredits->titlePage()->fillFromMessage({{"target", formatCommand(title)}});
                 pCredits->sltSetUploadService(QStringLiteral("http://127.0.0.1:9/upload"));
                 pCredits->checkAccept();
                 QElapsedTimer clock;
                 clock.start();
                 while (pCredits->isUploading() && clock.elapsed() < 5000)
                     gallerySettle(50);
             });
         }},
    };
}

const bool registered = galleryAddGroup("dialogs", dialogEntries);

} // namespace
