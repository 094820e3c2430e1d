// The record setting strip in its states, with each of its pop-ups and dialogs
// open over it.
#include "gallery.h"
#include "galleryhelpers.h"

#include "corvane.h"
#include "dialogs/veladdpointwidget.h"
#include "dialogs/velcaptionswidget.h"
#include "dialogs/velcourseinfowidget.h"
#include "dialogs/velcreditssettingwidget.h"
#include "layout/velscreensettingwidget.h"
#include "strip/velrecordsettingwidget.h"
#include "strip/veltransitioneffectsettingwidget.h"
#include "velcommand.h"
#include "veldialogframe.h"
#include "veleditwidget.h"
#include "velpopcontainer.h"

#include <QApplication>
#include <QCursor>
#include <QPushButton>
#include <QScopedPointer>
#include <QVBoxLayout>

namespace
{

const QColor kPanel(242, 242, 242);
const int kAnimationSettleMs = 500;

// A panel-sized host with the strip at the top and the control's font, as the
// control holds it.
struct StripHost {
    QWidget host;
    VelRecordSettingWidget* pStrip = nullptr;

    explicit StripHost(int nHeight = 90)
    {
        host.setObjectName(QStringLiteral("Corvane"));
        host.setStyleSheet(QStringLiteral("#Corvane{background: #F2F2F2}                   "
                                          "QWidget{font-family: Microsoft YaHei;font-size: 12px}"));
        pStrip = new VelRecordSettingWidget(nullptr);
        pStrip->setParent(&host);
        auto* pLayout = new QVBoxLayout(&host);
        pLayout->setContentsMargins(10, 0, 10, 0);
        pLayout->addWidget(pStrip);
        pLayout->addStretch();
        host.resize(1280, nHeight);
        pStrip->setSmartDevice(true);
        pStrip->sltSetFunctionShownState(QStringLiteral("AvaliableMemory"),
                                         QStringLiteral("可用空间 : 120.5G"));
        host.move(0, 0);
        host.show();
        gallerySettle(50);
    }

    QWidget* picture() { return galleryBackdrop(host.grab(), kPanel); }

    // A strip button by the object name a user's script knows it by.
    QPushButton* button(const char* szName) const
    {
        return pStrip->findChild<QPushButton*>(QLatin1String(szName), Qt::FindDirectChildrenOnly);
    }

    // The window that shows a dialog's or a pop-up's content: dialogs are the
    // strip's children, pop-ups top-level windows of their own.
    template <class T> QWidget* windowOf() const
    {
        if (T* pContent = pStrip->findChild<T*>())
            return pContent->window();
        for (QWidget* pWindow : QApplication::topLevelWidgets())
            if (auto* pPopup = qobject_cast<VelPopContainer*>(pWindow))
                if (pPopup->findChild<T*>())
                    return pPopup;
        return nullptr;
    }

    void clickAt(QPushButton* pButton)
    {
        QCursor::setPos(pButton->mapToGlobal(pButton->rect().center()));
        pButton->click();
        gallerySettle(kAnimationSettleMs);
    }

    QWidget* withWindow(QWidget* pWindow)
    {
        gallerySettle(kAnimationSettleMs);
        QWidget* pResult =
            galleryCompose({{host.grab(), host.pos()}, {pWindow->grab(), pWindow->pos()}}, kPanel);
        pWindow->hide();
        return pResult;
    }
};

// The page's layout answer as the control hands it on; a preview is 128 x 128
// with the 16:9 picture from y = 28, counted in 64ths.
CommandMap layoutsAnswer()
{
    const QString strLayouts = QStringLiteral("{\"layoutId\":\"VelRECLayout1\",\"tokens\":[%1]},"
                                              "{\"layoutId\":\"VelRECLayout2\",\"tokens\":[%2,%3]},"
                                              "{\"layoutId\":\"VelRECLayout3\",\"tokens\":[%4,%5]}")
                                   .arg(galleryLayoutCell("教师全景", "cam-t", 0, 28, 128, 72),
                                        galleryLayoutCell("教师全景", "cam-t", 0, 46, 64, 36),
                                        galleryLayoutCell("学生全景", "cam-s", 64, 46, 64, 36),
                                        galleryLayoutCell("板书", "cam-b", 0, 28, 128, 72),
                                        galleryLayoutCell("电脑画面", "cam-c", 64, 62, 60, 34));
    const QString strMessage =
        QStringLiteral("{\"requestParam\":\"settingMutilScreen\",\"event\":\"VelRECLayout2\","
                       "\"target\":[%1],\"token\":\"\"}")
            .arg(strLayouts);
    return parseCommand(rewriteArrayTargets(strMessage));
}

QWidget* stripAuto()
{
    StripHost strip;
    return strip.picture();
}

QWidget* stripManual()
{
    StripHost strip;
    strip.pStrip->sltReceiveCommand(layoutsAnswer());
    strip.button("directModeManual")->click();
    strip.pStrip->sltReceiveCommand(
        {{"requestParam", "switchingEffects"}, {"target", "switchingEffectsFade"}});
    return strip.picture();
}

QWidget* stripLiveCasting()
{
    StripHost strip;
    strip.pStrip->sltSetRecordMode(QStringLiteral("recordingModeMovieAndResource"));
    strip.pStrip->sltSetRecordType(QStringLiteral("workingModeLiveCasting"));
    strip.button("recordingModeMovieAndResource")->click(); // refused: movie mode stays
    return strip.picture();
}

QWidget* stripFunctionsHidden()
{
    StripHost strip;
    for (const char* szIndex : {"TransitionEffect", "Captions", "Credits", "VideoPoint"})
        strip.pStrip->sltSetFunctionShownState(QLatin1String(szIndex), QStringLiteral("hide"));
    strip.pStrip->sltSetFunctionShownState(QStringLiteral("LiveAddress"),
                                           QStringLiteral("disable"));
    return strip.picture();
}

QWidget* stripRecording()
{
    StripHost strip;
    strip.pStrip->sltStateChanged(true);
    strip.pStrip->sltSetRecordState(QStringLiteral("start"));
    return strip.picture();
}

QWidget* stripPaused()
{
    StripHost strip;
    strip.pStrip->sltStateChanged(true);
    strip.pStrip->sltSetRecordState(QStringLiteral("pause"));
    return strip.picture();
}

QWidget* stripLayoutPopup()
{
    StripHost strip(400);
    strip.pStrip->sltReceiveCommand(layoutsAnswer());
    strip.button("directModeManual")->click();
    strip.clickAt(strip.button("layoutButton"));
    return strip.withWindow(strip.windowOf<VelScreenSettingWidget>());
}

QWidget* stripEffectPopup()
{
    StripHost strip(400);
    strip.clickAt(strip.button("effectButton"));
    return strip.withWindow(strip.windowOf<VelTransitionEffectSettingWidget>());
}

QWidget* stripCourse()
{
    StripHost strip(800);
    strip.pStrip->findChild<VelCourseInfoWidget*>()->fillFromSettings({{"title", "分数的认识"},
                                                                       {"course", "数学"},
                                                                       {"grade", "三年级"},
                                                                       {"subject", "数学"},
                                                                       {"teacher", "王老师"},
                                                                       {"school", "实验小学"}});
    strip.button("courseButton")->click();
    return strip.withWindow(strip.windowOf<VelCourseInfoWidget>());
}

QWidget* stripVideoDot()
{
    StripHost strip(800);
    strip.pStrip->sltStateChanged(true);
    // The page's "videoDotPrepare" answer opens it modally; shown directly here.
    strip.pStrip->findChild<VelAddPointWidget*>()->sltReceiveCommand(
        {{"requestParam", "videoDotPrepare"}, {"target", "3725"}});
    QWidget* pFrame = strip.windowOf<VelAddPointWidget>();
    pFrame->show();
    return strip.withWindow(pFrame);
}

QWidget* stripCaptions()
{
    StripHost strip(800);
    // The button runs it modally; shown directly here.
    QWidget* pFrame = strip.windowOf<VelCaptionsWidget>();
    pFrame->show();
    return strip.withWindow(pFrame);
}

QWidget* stripTitleTail()
{
    StripHost strip(800);
    strip.button("creditsButton")->click();
    return strip.withWindow(strip.windowOf<VelCreditsSettingWidget>());
}

QWidget* stripLiveAddress()
{
    StripHost strip(800);
    strip.pStrip->sltSetLiveAddress(QStringLiteral("rtmp://live.example.edu/class/301"));
    strip.button("liveAddressButton")->click();
    return strip.withWindow(strip.windowOf<VelEditWidget>());
}

std::vector<GalleryEntry> stripEntries()
{
    return {
        {"strip_auto", stripAuto},
        {"strip_manual", stripManual},
        {"strip_live_casting", stripLiveCasting},
        {"strip_functions_hidden", stripFunctionsHidden},
        {"strip_recording", stripRecording},
        {"strip_paused", stripPaused},
        {"strip_layout_popup", stripLayoutPopup},
        {"strip_effect_popup", stripEffectPopup},
        {"strip_course", stripCourse},
        {"strip_video_dot", stripVideoDot},
        {"strip_captions", stripCaptions},
        {"strip_title_tail", stripTitleTail},
        {"strip_live_address", stripLiveAddress},
    };
}

const bool registered = galleryAddGroup("strip", stripEntries);

} // namespace
