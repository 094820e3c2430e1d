#include "gallery.h"
#include "galleryhelpers.h"

#include "velcloudsettingwidget.h"
#include "velcolordisplaybutton.h"
#include "veldialogcontent.h"
#include "veldialogframe.h"
#include "veleditwidget.h"
#include "vellineedit.h"
#include "velpopcontainer.h"
#include "velpushbutton.h"
#include "veltipwidget.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopWidget>
#include <QDirIterator>
#include <QFormLayout>
#include <QLabel>
#include <QScopedPointer>

#include <map>
#include <string>

namespace
{

const QColor kDark(50, 50, 50);
const QColor kPanel(242, 242, 242);
const QColor kPopupGrey(120, 120, 120);
// Long enough for the 500 ms pop-up animations.
const int kAnimationSettleMs = 700;

QLabel* sampleContent(const QString& strText)
{
    auto* pLabel = new QLabel(strText);
    pLabel->setAlignment(Qt::AlignCenter);
    pLabel->setFixedSize(180, 90);
    return pLabel;
}

QWidget* popContainer(const QString& strTitle, int nMode)
{
    VelPopContainer container(nullptr, sampleContent(QStringLiteral("内容 180 x 90")), strTitle);
    container.setPlacementMode(nMode);
    return galleryBackdrop(container.grab(), kDark);
}

QWidget* popContainerAtRightEdge()
{
    VelPopContainer container(nullptr, sampleContent(QStringLiteral("靠近屏幕右边")), QString());
    const QRect desktop = QApplication::desktop()->rect();
    container.popupAt(desktop.right() - 20, 100, 32, 32);
    gallerySettle(kAnimationSettleMs);
    QWidget* pResult = galleryBackdrop(container.grab(), kDark);
    container.hide();
    return pResult;
}

QWidget* emptyPopContainer()
{
    VelPopContainer container(nullptr, nullptr, QStringLiteral("标题"));
    return galleryBackdrop(container.grab(), kDark);
}

// A button in a given state, grabbed. In the panel every button sits on a
// parent that shows through it; grabbed alone, a top-level button would paint
// the window colour behind its images (a light square that no panel shows).
enum class State { Normal, Pressed, Hover, CheckedOnce, CheckedTwice, CheckableHeld };

QPixmap buttonIn(State state, const QString& strNormal, const QString& strPressed,
                 const QString& strHover, QSize size, QSize iconSize, bool bFlat,
                 const QString& strStyle = QString())
{
    QWidget parent;
    parent.setFixedSize(size);
    parent.setAutoFillBackground(true);
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, kPopupGrey);
    parent.setPalette(palette);
    VelPushButton button(&parent, QIcon(strNormal), QIcon(strPressed),
                         strHover.isEmpty() ? QIcon() : QIcon(strHover));
    button.setFixedSize(size);
    button.setIconSize(iconSize);
    button.setFlat(bFlat);
    if (!strStyle.isEmpty())
        button.setStyleSheet(strStyle);
    switch (state) {
    case State::Normal:
        break;
    case State::Pressed:
        galleryPress(&button);
        break;
    case State::Hover:
        galleryEnter(&button);
        break;
    case State::CheckedOnce:
        button.setCheckable(true);
        button.click();
        break;
    case State::CheckedTwice:
        button.setCheckable(true);
        button.click();
        button.click();
        break;
    case State::CheckableHeld:
        // A checkable button keeps its image while the mouse is down.
        button.setCheckable(true);
        galleryPress(&button);
        break;
    }
    return parent.grab();
}

QWidget* pushButtons()
{
    const QString r = QStringLiteral(":/resource/");
    auto record = [&](State s) {
        return buttonIn(s, r + "CV_OVERVIEWCONTROLBAR_RECORD_SLIENT.png",
                        r + "CV_OVERVIEWCONTROLBAR_RECORD_PRESS.png", QString(), QSize(32, 32),
                        QSize(32, 32), true);
    };
    auto exit = [&](State s) {
        return buttonIn(
            s, r + "CV_DIALO_EXIT_SLIENT.png", r + "CV_DIALO_EXIT_SLIENT.png",
            r + "CV_DIALO_EXIT_HOVER.png", QSize(36, 36), QSize(36, 36), false,
            "QPushButton{border: 0px; border-radius: 0px; background: rgb(33, 33, 33)}");
    };
    auto transition = [&](State s) {
        return buttonIn(s, r + "CV_TRANSITION_ERASE_SLIENT.png",
                        r + "CV_TRANSITION_ERASE_PRESS.png", QString(), QSize(74, 74),
                        QSize(70, 70), false);
    };
    auto ptz = [&](State s) {
        return buttonIn(s, r + "CV_CLOUDCONTROL_UP_SLIENT.png", r + "CV_CLOUDCONTROL_UP_PRESS.png",
                        QString(), QSize(26, 26), QSize(24, 24), true);
    };
    auto gear = [&](State s) {
        return buttonIn(s, r + "CV_SCREENDIVIDINGSETTING-SLIENT.png",
                        r + "CV_SCREENDIVIDINGSETTING-PRESS.png", QString(), QSize(16, 16),
                        QSize(16, 16), true);
    };
    return galleryGrid(
        {
            {{record(State::Normal), "record: normal"},
             {record(State::Pressed), "record: pressed"},
             {ptz(State::Normal), "PTZ up: normal"},
             {ptz(State::Pressed), "PTZ up: pressed"}},
            {{exit(State::Normal), "exit: normal"},
             {exit(State::Pressed), "exit: pressed"},
             {exit(State::Hover), "exit: hover"}},
            {{transition(State::Normal), "checkable: normal"},
             {transition(State::CheckedOnce), "after one click"},
             {transition(State::CheckedTwice), "after two clicks"},
             {transition(State::CheckableHeld), "held down (no swap)"}},
            {{gear(State::Normal), "settings: normal"},
             {gear(State::CheckedOnce), "settings: checked"}},
        },
        kPopupGrey);
}

VelDialogContent* courseForm()
{
    auto* pContent = new VelDialogContent;
    auto* pForm = new QFormLayout(pContent);
    pForm->setContentsMargins(20, 15, 20, 5);
    auto* pName = new VelLineEdit(nullptr, 20);
    pName->setText(QStringLiteral("三年级数学: 分数的认识"));
    pForm->addRow(QStringLiteral("课程名称"), pName);
    auto* pTeacher = new VelLineEdit(nullptr, 10);
    pTeacher->setText(QStringLiteral("王老师"));
    pForm->addRow(QStringLiteral("主讲教师"), pTeacher);
    pContent->setFixedWidth(360);
    return pContent;
}

QWidget* dialogFrame(const QString& strTitle, VelDialogContent* pContent, int nButtons)
{
    QScopedPointer<VelDialogFrame> frame(new VelDialogFrame(strTitle, nullptr, pContent, nButtons));
    frame->adjustSize();
    return galleryBackdrop(frame->grab(), kPanel);
}

QWidget* lineEdits()
{
    auto* pHost = new QWidget;
    auto* pForm = new QFormLayout(pHost);
    auto* pPlain = new VelLineEdit(pHost, 10);
    pPlain->setText(QStringLiteral("课程名称"));
    pForm->addRow(QStringLiteral("limit 10"), pPlain);
    auto* pFull = new VelLineEdit(pHost, 4);
    pFull->setText(QStringLiteral("abcd"));
    pFull->insert(QStringLiteral("e"));
    pForm->addRow(QStringLiteral("limit 4, typed abcde"), pFull);
    auto* pCut = new VelLineEdit(pHost, 4);
    pCut->setText(QStringLiteral("abcd"));
    pCut->setSelection(1, 2);
    pCut->insert(QStringLiteral("XYZ"));
    pForm->addRow(QStringLiteral("limit 4, bc replaced by XYZ"), pCut);
    pHost->resize(360, pHost->sizeHint().height());
    return pHost;
}

QWidget* colourButtonWithPalette()
{
    QWidget host;
    host.setFixedSize(120, 44);
    host.setStyleSheet(QStringLiteral("background: white"));
    auto* pText = new VelColorDisplayButton(&host);
    pText->setGeometry(10, 10, 24, 24);
    pText->setIcon(QIcon(QStringLiteral(":/resource/CV_TEXT_COLOR.png")));
    pText->setIconSize(QSize(24, 24));
    pText->setColor(QColor(223, 0, 36));
    auto* pBack = new VelColorDisplayButton(&host);
    pBack->setGeometry(50, 10, 24, 24);
    pBack->setIcon(QIcon(QStringLiteral(":/resource/CV_BACKGROUND_COLOR.png")));
    pBack->setIconSize(QSize(24, 24));
    pBack->setColor(QColor(0, 168, 236));
    host.move(100, 100);
    host.show();

    QCursor::setPos(pText->mapToGlobal(pText->rect().center()));
    pText->click();
    gallerySettle(kAnimationSettleMs);
    VelPopContainer* pPopup = pText->paletteContainer();
    QWidget* pResult =
        galleryCompose({{host.grab(), host.pos()}, {pPopup->grab(), pPopup->pos()}}, kPanel);
    pPopup->hide();
    return pResult;
}

QWidget* ptzPad(bool bPressed)
{
    auto* pPad = new VelCloudSettingWidget(nullptr);
    VelPopContainer container(nullptr, pPad, QString());
    container.setBackgroundColor(kPopupGrey);
    if (bPressed) {
        galleryPress(pPad->findChild<QWidget*>(QStringLiteral("Cloud_Up")));
        galleryPress(pPad->findChild<QWidget*>(QStringLiteral("Cloud_Three")));
    }
    return galleryBackdrop(container.grab(), kPanel);
}

// Every embedded image of both resource lists, with its name and size.
QWidget* iconSheet()
{
    QStringList names;
    QDirIterator it(QStringLiteral(":/resource"), QDir::Files);
    while (it.hasNext())
        names << it.next();
    names.sort();
    QVector<QVector<GalleryCell>> rows;
    for (int i = 0; i < names.size(); ++i) {
        if (i % 6 == 0)
            rows.append(QVector<GalleryCell>());
        const QPixmap pixmap(names.at(i));
        rows.last().append({pixmap, QStringLiteral("%1\n%2 x %3")
                                        .arg(names.at(i).mid(11))
                                        .arg(pixmap.width())
                                        .arg(pixmap.height())});
    }
    return galleryGrid(rows, QColor(150, 150, 150));
}

} // namespace

namespace
{

std::map<std::string, std::vector<GalleryEntry> (*)()>& groups()
{
    static std::map<std::string, std::vector<GalleryEntry> (*)()> map;
    return map;
}

std::vector<GalleryEntry> sharedEntries()
{
    return {
        {"popcontainer_title_below", [] { return popContainer(QStringLiteral("标题"), 0); }},
        {"popcontainer_notitle_below", [] { return popContainer(QString(), 0); }},
        {"popcontainer_title_above", [] { return popContainer(QStringLiteral("标题"), 1); }},
        {"popcontainer_notitle_above", [] { return popContainer(QString(), 1); }},
        {"popcontainer_arrow_right", popContainerAtRightEdge},
        {"popcontainer_default_content", emptyPopContainer},
        {"pushbuttons", pushButtons},
        {"dialog_buttons_7",
         [] { return dialogFrame(QStringLiteral("课程信息"), courseForm(), 7); }},
        {"dialog_buttons_5",
         [] {
             return dialogFrame(QStringLiteral("警告"),
                                new VelTipWidget(QStringLiteral("请先设置存储位置"), nullptr), 5);
         }},
        {"dialog_buttons_4",
         [] {
             return dialogFrame(
                 QStringLiteral("直播地址"),
                 new VelEditWidget(QStringLiteral("rtmp://10.1.2.3/live/room1"), nullptr), 4);
         }},
        {"dialog_buttons_1",
         [] {
             return dialogFrame(QStringLiteral("选择直播间"),
                                new VelTipWidget(QStringLiteral("没有可用的直播间"), nullptr), 1);
         }},
        {"dialog_buttons_0",
         [] {
             return dialogFrame(QStringLiteral("正在生成 scrom 课件"),
                                new VelTipWidget(QStringLiteral("正在生成, 请稍候"), nullptr), 0);
         }},
        {"tip", [] { return new VelTipWidget(QStringLiteral("请先设置存储位置"), nullptr); }},
        {"edit",
         [] { return new VelEditWidget(QStringLiteral("rtmp://10.1.2.3/live/room1"), nullptr); }},
        {"lineedit", lineEdits},
        {"colorbutton_palette", colourButtonWithPalette},
        {"ptzpad", [] { return ptzPad(false); }},
        {"ptzpad_pressed", [] { return ptzPad(true); }},
        {"icons", iconSheet},
    };
}

} // namespace

bool galleryAddGroup(const char* szGroup, std::vector<GalleryEntry> (*entries)())
{
    groups()[szGroup] = entries;
    return true;
}

std::vector<GalleryEntry> galleryEntries()
{
    std::vector<GalleryEntry> all = sharedEntries();
    for (const auto& group : groups()) {
        std::vector<GalleryEntry> more = group.second();
        all.insert(all.end(), more.begin(), more.end());
    }
    return all;
}
