#include "corvane.h"
#include "layout/velscreencellwidget.h"
#include "layout/velscreenlayoutpreviewwidget.h"
#include "layout/velscreenlayoutscan.h"
#include "layout/velscreensettingwidget.h"
#include "overview/veloverviewlistwidget.h"
#include "overview/veloverviewwidget.h"
#include "velcommand.h"
#include "velpopcontainer.h"
#include "velpushbutton.h"
#include "veltestdrives.h"

#include <QRadioButton>
#include <QScreen>
#include <QtTest>

namespace
{

struct Cell {
    const char* szName;
    const char* szToken;
    int left, top, width, height; // in 64ths
};

QString cellText(const Cell& cell)
{
    return QStringLiteral("{\"tokenNames\":\"%1\",\"tokenId\":\"%2\",\"height\":\"%3\","
                          "\"width\":\"%4\",\"top\":\"%5\",\"left\":\"%6\"}")
        .arg(QString::fromUtf8(cell.szName), QLatin1String(cell.szToken))
        .arg(cell.height)
        .arg(cell.width)
        .arg(cell.top)
        .arg(cell.left);
}

QString layoutText(const char* szId, const QList<Cell>& cells)
{
    QStringList parts;
    for (const Cell& cell : cells)
        parts << cellText(cell);
    return QStringLiteral("{\"layoutId\":\"%1\",\"tokens\":[%2]}")
        .arg(QLatin1String(szId), parts.join(QLatin1Char(',')));
}

const Cell kTeacherFull = {"教师全景", "cam-t", 0, 1792, 8192, 4608};
const Cell kLeft = {"教师全景", "cam-t", 0, 2432, 4096, 2304};
const Cell kRight = {"学生全景", "cam-s", 4096, 2432, 4096, 2304};
const Cell kBig = {"板书", "cam-b", 0, 1792, 8192, 4608};
const Cell kSmall = {"电脑画面", "cam-c", 5632, 4352, 2048, 1152};
const Cell kStranger = {"旧机位", "cam-old", 0, 0, 64, 64};

// A "settingMutilScreen" answer as the page sends it (the array unquoted, a
// key after it), rewritten and parsed as the control hands it on.
CommandMap answerMap(const QStringList& layouts, const QString& strSelected)
{
    const QString strMessage =
        QStringLiteral("{\"requestParam\":\"settingMutilScreen\",\"event\":\"%1\",\"target\":"
                       "[%2],\"token\":\"\"}")
            .arg(strSelected, layouts.join(QLatin1Char(',')));
    return parseCommand(rewriteArrayTargets(strMessage));
}

QStringList standardLayouts()
{
    return {layoutText("VelRECLayout1", {kTeacherFull}),
            layoutText("VelRECLayout2", {kLeft, kRight}),
            layoutText("VelRECLayout3", {kBig, kSmall}),
            layoutText("VelRECLayout5", {kLeft, kRight, kBig, kSmall})};
}

QStringList cellNames(const VelScreenLayoutPreviewWidget* pPreview)
{
    QStringList names;
    for (const VelScreenCellWidget* pCell : pPreview->cells())
        names << pCell->name();
    return names;
}

QString checkedId(const VelScreenSettingWidget& setting)
{
    for (const VelScreenLayoutPreviewWidget* pPreview : setting.previews())
        if (pPreview->isChecked())
            return pPreview->objectName();
    return QString();
}

} // namespace

class TstVelScreenSettingWidget : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<CommandMap>("QMap<QString,QString>"); }
    void init();
    void cleanup();

    void parsing_data();
    void parsing();
    void cellGeometry_data();
    void cellGeometry();
    void numbersBeyondAWidget_data();
    void numbersBeyondAWidget();
    void scanBounds_data();
    void scanBounds();
    void secondAnswerAddsNothing();
    void picking_data();
    void picking();
    void editing_data();
    void editing();
    void singleCellFollowsProgram();
    void chooserStaysOnScreen_data();
    void chooserStaysOnScreen();

private:
    void addCameras();

    VelTestDrives* m_pDrives = nullptr;
    Corvane* m_pControl = nullptr;
    VelScreenSettingWidget* m_pSetting = nullptr;
};

void TstVelScreenSettingWidget::init()
{
    m_pDrives = new VelTestDrives;
    m_pControl = new Corvane;
    m_pControl->resize(1280, 800);
    addCameras();
    m_pSetting = new VelScreenSettingWidget(nullptr, m_pControl);
}

void TstVelScreenSettingWidget::cleanup()
{
    delete m_pSetting;
    delete m_pControl;
    delete m_pDrives;
}

void TstVelScreenSettingWidget::addCameras()
{
    m_pControl->sltSetOverviewWidget("教师全景", "cam-t", "1");
    m_pControl->sltSetOverviewWidget("学生全景", "cam-s", "1");
    m_pControl->sltSetOverviewWidget("板书", "cam-b", "0");
    m_pControl->sltSetOverviewWidget("电脑画面", "cam-c", "0");
    for (VelOverviewWidget* pOverview : m_pControl->overviewListWidget()->overviewWidgets())
        pOverview->setSource("rtsp://127.0.0.1/" + pOverview->objectName());
}

void TstVelScreenSettingWidget::parsing_data()
{
    QTest::addColumn<QStringList>("layouts");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QStringList>("toolTips");
    QTest::addColumn<QStringList>("cells"); // names of each preview, joined by "|"
    QTest::addColumn<QString>("checked");
    QTest::newRow("one cell") << QStringList{layoutText("VelRECLayout1", {kTeacherFull})}
                              << "VelRECLayout1" << QStringList{"VelRECLayout1"}
                              << QStringList{"单屏"} << QStringList{"教师全景"} << "VelRECLayout1";
    QTest::newRow("four layouts, the second selected")
        << standardLayouts() << "VelRECLayout2"
        << QStringList{"VelRECLayout1", "VelRECLayout2", "VelRECLayout3", "VelRECLayout5"}
        << QStringList{"单屏", "双屏", "画中画", "四屏"}
        << QStringList{"教师全景", "教师全景|学生全景", "板书|电脑画面",
                       "教师全景|学生全景|板书|电脑画面"}
        << "VelRECLayout2";
    QTest::newRow("unknown id is its own name")
        << QStringList{layoutText("Custom7", {kLeft, kRight})} << "Custom7"
        << QStringList{"Custom7"} << QStringList{"Custom7"} << QStringList{"教师全景|学生全景"}
        << "Custom7";
    QTest::newRow("selected id not among them keeps the first")
        << QStringList{layoutText("VelRECLayout1", {kTeacherFull}),
                       layoutText("VelRECLayout2", {kLeft, kRight})}
        << "VelRECLayout9" << QStringList{"VelRECLayout1", "VelRECLayout2"}
        << QStringList{"单屏", "双屏"} << QStringList{"教师全景", "教师全景|学生全景"}
        << "VelRECLayout1";
}

void TstVelScreenSettingWidget::parsing()
{
    QFETCH(QStringList, layouts);
    QFETCH(QString, selected);
    QFETCH(QStringList, ids);
    QFETCH(QStringList, toolTips);
    QFETCH(QStringList, cells);
    QFETCH(QString, checked);
    QSignalSpy spyCommand(m_pSetting, &VelScreenSettingWidget::sigSendCommand);
    m_pSetting->sltReceiveCommandFromParent(answerMap(layouts, selected));
    QStringList actualIds, actualTips, actualCells;
    for (const VelScreenLayoutPreviewWidget* pPreview : m_pSetting->previews()) {
        actualIds << pPreview->layoutId();
        actualTips << pPreview->toolTip();
        actualCells << cellNames(pPreview).join(QLatin1Char('|'));
        QCOMPARE(pPreview->objectName(), pPreview->layoutId());
    }
    QCOMPARE(actualIds, ids);
    QCOMPARE(actualTips, toolTips);
    QCOMPARE(actualCells, cells);
    QCOMPARE(checkedId(*m_pSetting), checked);
    // An answer is no operator action: nothing goes back to the page.
    QCOMPARE(spyCommand.count(), 0);
}

void TstVelScreenSettingWidget::cellGeometry_data()
{
    QTest::addColumn<QString>("top");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("full hd numbers") << "100"
                                     << "0"
                                     << "1920"
                                     << "1080" << QRect(0, 2, 30, 17);
    QTest::newRow("exact 64ths") << "64"
                                 << "128"
                                 << "4096"
                                 << "2304" << QRect(2, 1, 64, 36);
    QTest::newRow("one past a 64th rounds up") << "65"
                                               << "1"
                                               << "8193"
                                               << "129" << QRect(1, 2, 129, 3);
    QTest::newRow("empty and malformed read 0") << ""
                                                << "abc"
                                                << "64"
                                                << "12px" << QRect(0, 0, 1, 0);
}

void TstVelScreenSettingWidget::cellGeometry()
{
    QFETCH(QString, top);
    QFETCH(QString, left);
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(QRect, geometry);
    VelScreenLayoutPreviewWidget preview(nullptr);
    preview.setCells(QStringLiteral("[{\"tokenNames\":\"a\",\"tokenId\":\"t\",\"height\":\"%1\","
                                    "\"width\":\"%2\",\"top\":\"%3\",\"left\":\"%4\"}]")
                         .arg(height, width, top, left));
    QCOMPARE(preview.cells().size(), 1);
    QCOMPARE(preview.cells().first()->geometry(), geometry);
    QCOMPARE(preview.cellTokens(), (QMap<QString, QString>{{"a", "t"}}));
}

// Text a page may send that reads as a number no int holds: converting it
// unchecked was undefined and gave cells at INT_MIN.
void TstVelScreenSettingWidget::numbersBeyondAWidget_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<int>("pixels");
    QTest::newRow("huge") << "1e300" << QWIDGETSIZE_MAX;
    QTest::newRow("huge negative") << "-1e300" << -QWIDGETSIZE_MAX;
    QTest::newRow("just past int") << "137438953472" << QWIDGETSIZE_MAX;
    QTest::newRow("infinity") << "inf" << QWIDGETSIZE_MAX;
    QTest::newRow("not a number") << "nan" << 0;
}

void TstVelScreenSettingWidget::numbersBeyondAWidget()
{
    QFETCH(QString, number);
    QFETCH(int, pixels);
    const QList<VelScreenCellEntry> cells = velScreenCellsFromTokens(
        QStringLiteral("[{\"tokenNames\":\"a\",\"left\":\"%1\",\"top\":\"%1\",\"width\":\"%1\","
                       "\"height\":\"%1\"}]")
            .arg(number));
    QCOMPARE(cells.size(), 1);
    const QRect geometry = cells.first().geometry;
    QCOMPARE(geometry.x(), pixels);
    QCOMPARE(geometry.y(), pixels);
    QCOMPARE(geometry.width(), pixels);
    QCOMPARE(geometry.height(), pixels);
}

// Answers no page sends: each layout found read the rest of the text again
// (quadratic), and every layout and cell became a widget.
void TstVelScreenSettingWidget::scanBounds_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("layouts");
    QTest::addColumn<int>("cells"); // of the first layout
    const QString strCell = QStringLiteral("{\"tokenNames\":\"a\"}");
    QTest::newRow("keys without ']'")
        << "{[" + QStringLiteral("layoutIdtokens").repeated(2000) + "]}" << 1 << 0;
    QTest::newRow("more layouts than a row holds")
        << "{[" + QStringLiteral("{\"layoutId\":\"L\",\"tokens\":[]},").repeated(100) + "]}"
        << kMaxScreenLayouts << 0;
    QTest::newRow("more cells than a layout holds")
        << "{[{\"layoutId\":\"L\",\"tokens\":[" + strCell.repeated(100) + "]}]}" << 1
        << kMaxScreenCells;
}

void TstVelScreenSettingWidget::scanBounds()
{
    QFETCH(QString, target);
    QFETCH(int, layouts);
    QFETCH(int, cells);
    const QList<VelScreenLayoutEntry> found = velScreenLayoutsFromTarget(target);
    QCOMPARE(found.size(), layouts);
    QCOMPARE(velScreenCellsFromTokens(found.first().strCells).size(), cells);
}

void TstVelScreenSettingWidget::secondAnswerAddsNothing()
{
    m_pSetting->sltReceiveCommandFromParent(answerMap(standardLayouts(), "VelRECLayout1"));
    const QList<VelScreenLayoutPreviewWidget*> first = m_pSetting->previews();
    QSignalSpy spyMode(m_pSetting, &VelScreenSettingWidget::sigScreenModeChanged);
    QStringList changed = standardLayouts();
    changed[1] = layoutText("VelRECLayout2", {kBig, kSmall});
    m_pSetting->sltReceiveCommandFromParent(answerMap(changed, "VelRECLayout3"));
    QCOMPARE(m_pSetting->previews(), first);
    QCOMPARE(cellNames(first.at(1)), QStringList({"教师全景", "学生全景"}));
    QCOMPARE(checkedId(*m_pSetting), QString("VelRECLayout3"));
    QCOMPARE(spyMode.count(), 1);
    QCOMPARE(spyMode.at(0).at(0).toString(), QString("画中画"));

    // The page's "mutilScreen" answer selects without sending anything.
    QSignalSpy spyCommand(m_pSetting, &VelScreenSettingWidget::sigSendCommand);
    m_pSetting->sltReceiveCommandFromParent(
        {{"requestParam", "mutilScreen"}, {"target", "VelRECLayout5"}});
    QCOMPARE(checkedId(*m_pSetting), QString("VelRECLayout5"));
    QCOMPARE(spyCommand.count(), 0);
}

void TstVelScreenSettingWidget::picking_data()
{
    QTest::addColumn<bool>("editMode");
    QTest::addColumn<int>("pick");
    QTest::addColumn<QString>("command"); // the "mutilScreen" target, empty: none
    QTest::addColumn<QList<bool>>("singleScreen");
    QTest::addColumn<QString>("programCamera"); // token of the overview's current
    QTest::newRow("single screen") << false << 0 << "VelRECLayout1" << QList<bool>{true} << "cam-b";
    QTest::newRow("two screens") << false << 1 << "VelRECLayout2" << QList<bool>{false} << "cam-s";
    QTest::newRow("edit mode selects nothing") << true << 0 << "" << QList<bool>{} << "cam-s";
}

void TstVelScreenSettingWidget::picking()
{
    QFETCH(bool, editMode);
    QFETCH(int, pick);
    QFETCH(QString, command);
    QFETCH(QList<bool>, singleScreen);
    QFETCH(QString, programCamera);
    QStringList layouts = standardLayouts();
    layouts[0] = layoutText("VelRECLayout1", {kBig});
    m_pSetting->sltReceiveCommandFromParent(answerMap(layouts, "VelRECLayout3"));
    // The page's answer moves the program camera; the single-screen cell
    // only follows the operator's switches.
    VelOverviewListWidget* pList = m_pControl->overviewListWidget();
    pList->sltReceiveCommand({{"requestParam", "singleScreen"}, {"target", "学生全景"}});
    m_pSetting->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pSetting));
    if (editMode)
        m_pSetting->settingButton()->click();

    QSignalSpy spyCommand(m_pSetting, &VelScreenSettingWidget::sigSendCommand);
    QSignalSpy spySingle(m_pSetting, &VelScreenSettingWidget::sigSelectedSingleScreen);
    // A click on a cell of a selectable preview selects the preview.
    VelScreenCellWidget* pCell = m_pSetting->previews().at(pick)->cells().first();
    QTest::mouseClick(pCell, Qt::LeftButton);

    if (command.isEmpty()) {
        QCOMPARE(spyCommand.count(), 0);
        QCOMPARE(checkedId(*m_pSetting), QString("VelRECLayout3"));
    } else {
        QCOMPARE(spyCommand.count(), 1);
        QCOMPARE(spyCommand.at(0).at(0).value<CommandMap>(),
                 (CommandMap{{"requestParam", "mutilScreen"},
                             {"target", command},
                             {"event", ""},
                             {"token", ""}}));
        QCOMPARE(checkedId(*m_pSetting), command);
    }
    QList<bool> single;
    for (const QList<QVariant>& args : spySingle)
        single << args.at(0).toBool();
    QCOMPARE(single, singleScreen);
    // The single screen's cell becomes the program camera, as if the page said so.
    QCOMPARE(pList->currentOverviewWidget()->objectName(), programCamera);
}

void TstVelScreenSettingWidget::editing_data()
{
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<int>("cell");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<CommandMap>("change");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("free camera") << QStringList{"教师全景", "学生全景"} << 0 << "板书"
                                 << CommandMap{{"layoutId", "VelRECLayout2"},
                                               {"from", "cam-t"},
                                               {"to", "cam-b"},
                                               {"operate", "select"}}
                                 << QStringList{"板书", "学生全景"};
    QTest::newRow("camera of the other cell swaps")
        << QStringList{"教师全景", "学生全景"} << 1 << "教师全景"
        << CommandMap{{"layoutId", "VelRECLayout2"},
                      {"from", "cam-s"},
                      {"to", "cam-t"},
                      {"operate", "replace"}}
        << QStringList{"学生全景", "教师全景"};
    QTest::newRow("old camera known only to the layout")
        << QStringList{"旧机位", "学生全景"} << 0 << "电脑画面"
        << CommandMap{{"layoutId", "VelRECLayout2"},
                      {"from", "cam-old"},
                      {"to", "cam-c"},
                      {"operate", "select"}}
        << QStringList{"电脑画面", "学生全景"};
}

void TstVelScreenSettingWidget::editing()
{
    QFETCH(QStringList, cells);
    QFETCH(int, cell);
    QFETCH(QString, choice);
    QFETCH(CommandMap, change);
    QFETCH(QStringList, after);
    const Cell first = cells.first() == "旧机位" ? kStranger : kLeft;
    m_pSetting->sltReceiveCommandFromParent(answerMap(
        {layoutText("VelRECLayout1", {kTeacherFull}), layoutText("VelRECLayout2", {first, kRight})},
        "VelRECLayout2"));
    m_pSetting->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pSetting));
    m_pSetting->settingButton()->click();
    VelScreenLayoutPreviewWidget* pPreview = m_pSetting->previews().at(1);
    QCOMPARE(cellNames(pPreview), cells);

    QSignalSpy spyCommand(m_pSetting, &VelScreenSettingWidget::sigSendCommand);
    VelScreenCellWidget* pCell = pPreview->cells().at(cell);
    QTest::mouseClick(pCell, Qt::LeftButton);
    QVERIFY(pCell->chooserContainer()->isVisible());
    QRadioButton* pChoice = nullptr;
    QStringList offered;
    for (QRadioButton* pButton : pCell->chooserButtons()) {
        offered << pButton->text();
        if (pButton->text() == choice)
            pChoice = pButton;
        // The chooser opens on the cell's camera.
        QCOMPARE(pButton->isChecked(), pButton->text() == cells.at(cell));
    }
    QCOMPARE(offered, m_pControl->cameraNames());
    QVERIFY(pChoice);
    pChoice->click();

    QCOMPARE(cellNames(pPreview), after);
    QCOMPARE(spyCommand.count(), 1);
    const CommandMap sent = spyCommand.at(0).at(0).value<CommandMap>();
    QCOMPARE(sent.value("requestParam"), QString("settingMutilScreen"));
    QCOMPARE(parseCommand(sent.value("target")), change);
    // Half a second later the checked layout goes again.
    QTRY_COMPARE(spyCommand.count(), 2);
    QCOMPARE(spyCommand.at(1).at(0).value<CommandMap>().value("target"), QString("VelRECLayout2"));
    QCOMPARE(checkedId(*m_pSetting), QString("VelRECLayout2"));
}

void TstVelScreenSettingWidget::singleCellFollowsProgram()
{
    m_pSetting->sltReceiveCommandFromParent(answerMap(standardLayouts(), "VelRECLayout2"));
    VelOverviewListWidget* pList = m_pControl->overviewListWidget();
    pList->sltChangeOutputWidget(pList->overviewWidgets().at(3));
    QCOMPARE(cellNames(m_pSetting->previews().at(0)), QStringList({"电脑画面"}));
    QCOMPARE(cellNames(m_pSetting->previews().at(1)), QStringList({"教师全景", "学生全景"}));
}

void TstVelScreenSettingWidget::chooserStaysOnScreen_data()
{
    QTest::addColumn<int>("nFromBottom");
    QTest::newRow("pointer on the screen's last row") << 1;
    QTest::newRow("pointer 40 rows above the bottom") << 40;
    QTest::newRow("pointer in the middle") << -1;
}

// The editor sits at the bottom of the page: a chooser hung below the pointer
// left its last cameras off the screen.
void TstVelScreenSettingWidget::chooserStaysOnScreen()
{
    QFETCH(int, nFromBottom);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QPoint pointer(screen.center().x(),
                         nFromBottom < 0 ? screen.center().y() : screen.bottom() + 1 - nFromBottom);
    QCursor::setPos(pointer);
    if (QCursor::pos() != pointer)
        QSKIP("this platform does not move the cursor");
    m_pSetting->sltReceiveCommandFromParent(answerMap(standardLayouts(), "VelRECLayout5"));
    m_pSetting->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pSetting));
    m_pSetting->settingButton()->click();
    VelScreenCellWidget* pCell = m_pSetting->previews().at(3)->cells().at(0);
    QTest::mouseClick(pCell, Qt::LeftButton);
    VelPopContainer* pChooser = pCell->chooserContainer();
    QVERIFY(pChooser->isVisible());
    QTRY_VERIFY(screen.contains(pChooser->geometry()));
    // The arrow still points at the pointer: the chooser stands right above it
    // or hangs right below it.
    const QRect chooser = pChooser->geometry();
    QVERIFY2(chooser.bottom() == pointer.y() - 1 || chooser.top() == pointer.y(),
             qPrintable(QStringLiteral("chooser %1..%2, pointer %3")
                            .arg(chooser.top())
                            .arg(chooser.bottom())
                            .arg(pointer.y())));
    QCOMPARE(pCell->chooserButtons().size(), m_pControl->cameraNames().size());
    for (QRadioButton* pButton : pCell->chooserButtons())
        QVERIFY2(screen.contains(QRect(pButton->mapToGlobal(QPoint(0, 0)), pButton->size())),
                 qPrintable(pButton->text()));
}

QTEST_MAIN(TstVelScreenSettingWidget)
#include "tst_velscreensettingwidget.moc"
