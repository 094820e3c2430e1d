// The record setting strip inside a real control: the page's messages in,
// widget states and outgoing commands out.

#include "corvane.h"
#include "dialogs/veladdpointwidget.h"
#include "dialogs/velcourseinfowidget.h"
#include "dialogs/velcreditssettingwidget.h"
#include "dialogs/veltailsettingwidget.h"
#include "dialogs/veltitlesettingwidget.h"
#include "layout/velscreensettingwidget.h"
#include "overview/veloverviewlistwidget.h"
#include "overview/veloverviewwidget.h"
#include "strip/velrecordsettingwidget.h"
#include "strip/veltransitioneffectsettingwidget.h"
#include "velcommand.h"
#include "veldialogframe.h"
#include "veleditwidget.h"
#include "vellineedit.h"
#include "velmodalcloser.h"
#include "velpopcontainer.h"
#include "veltestdrives.h"

#include <QApplication>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

namespace
{

QString functionState(const QString& strIndex, const QString& strState)
{
    return QStringLiteral("{\"requestParam\":\"functionState\",\"target\":{\"index\":\"%1\","
                          "\"state\":\"%2\"}}")
        .arg(strIndex, strState);
}

bool shown(const QWidget* pWidget)
{
    const auto* pEffect = qobject_cast<const QGraphicsOpacityEffect*>(pWidget->graphicsEffect());
    return !pEffect || pEffect->opacity() != 0.0;
}

// A strip widget by its function name, found as a user finds it: by the
// object name the page also knows it by.
QWidget* part(const Corvane& control, const QString& strName)
{
    static const QMap<QString, QString> named = {
        {"movie", "recordingModeMovie"}, {"movieAndResource", "recordingModeMovieAndResource"},
        {"auto", "directModeAuto"},      {"manual", "directModeManual"},
        {"storage", "storageLabel"},     {"clock", "clockLabel"}};
    const QString strObject =
        named.value(strName, strName.endsWith("Label") ? strName : strName + "Button");
    return control.recordSettingWidget()->findChild<QWidget*>(strObject,
                                                              Qt::FindDirectChildrenOnly);
}

QPushButton* button(const Corvane& control, const QString& strName)
{
    return qobject_cast<QPushButton*>(part(control, strName));
}

// The checked ones of a pair of exclusive buttons: exactly one when the pair
// is exclusive again.
QStringList checkedOf(const Corvane& control, const QStringList& pair)
{
    QStringList checked;
    for (const QString& strName : pair)
        if (QPushButton* pButton = button(control, strName); pButton->isChecked())
            checked << pButton->objectName();
    return checked;
}

// A dialog's content inside the strip, or a pop-up's content in its own
// top-level window.
template <class T> T* content(const Corvane& control)
{
    if (T* pFound = control.recordSettingWidget()->findChild<T*>())
        return pFound;
    for (QWidget* pWindow : QApplication::topLevelWidgets())
        if (auto* pPopup = qobject_cast<VelPopContainer*>(pWindow))
            if (T* pFound = pPopup->findChild<T*>())
                return pFound;
    return nullptr;
}

// The live address as its dialog shows it; the dialog is closed again.
QString liveAddressShown(const Corvane& control)
{
    button(control, "liveAddress")->click();
    auto* pEdit = control.recordSettingWidget()->findChild<VelEditWidget*>();
    if (!pEdit)
        return "no dialog";
    pEdit->window()->hide();
    return pEdit->lineEdit()->text();
}

QString commandKind(const QVariantList& args)
{
    return args.at(0).value<CommandMap>().value(QStringLiteral("requestParam"));
}

QString commandTarget(const QVariantList& args)
{
    return args.at(0).value<CommandMap>().value(QStringLiteral("target"));
}

} // namespace

class TstVelRecordSettingWidget : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void functionStates_data();
    void functionStates();
    void forcedSwaps_data();
    void forcedSwaps();
    void strategyAndCloudControl_data();
    void strategyAndCloudControl();
    void nonSmartFollowUp_data();
    void nonSmartFollowUp();
    void recordingStates_data();
    void recordingStates();
    void routing_data();
    void routing();
    void dialogsOpenOverTheControl();
    void creditsResetOnStart_data();
    void creditsResetOnStart();
    void popupsStayOnScreen_data();
    void popupsStayOnScreen();

private:
    VelTestDrives* m_pDrives = nullptr;
};

void TstVelRecordSettingWidget::init()
{
    qRegisterMetaType<CommandMap>("QMap<QString,QString>");
    qRegisterMetaType<QAbstractButton*>();
    m_pDrives = new VelTestDrives;
}

void TstVelRecordSettingWidget::cleanup()
{
    delete m_pDrives;
    m_pDrives = nullptr;
}

void TstVelRecordSettingWidget::functionStates_data()
{
    QTest::addColumn<QStringList>("before"); // index:state steps first
    QTest::addColumn<QString>("index");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QStringList>("parts");
    QTest::addColumn<bool>("isShown");
    QTest::addColumn<bool>("isEnabled");

    const QStringList none;
    QTest::newRow("hide captions") << none << "Captions"
                                   << "hide" << QStringList{"captions"} << false << false;
    QTest::newRow("show captions again") << QStringList{"Captions:hide"} << "Captions"
                                         << "show" << QStringList{"captions"} << true << true;
    QTest::newRow("enable hidden captions stays hidden and off")
        << QStringList{"Captions:hide"} << "Captions"
        << "enable" << QStringList{"captions"} << false << false;
    QTest::newRow("disable shown credits") << none << "Credits"
                                           << "disable" << QStringList{"credits"} << true << false;
    QTest::newRow("hide effect takes label and button")
        << none << "TransitionEffect"
        << "hide" << QStringList{"effectLabel", "effect"} << false << false;
    QTest::newRow("hide strategy takes three")
        << none << "BroadcastStrategy"
        << "hide" << QStringList{"strategyLabel", "auto", "manual"} << false << false;
    QTest::newRow("enable layout entirety enables both")
        << none << "ScreenSettingEntirety"
        << "enable" << QStringList{"layoutLabel", "layout"} << true << true;
    QTest::newRow("show video dot enables it") << none << "VideoPoint"
                                               << "show" << QStringList{"videoDot"} << true << true;
    QTest::newRow("hide course") << none << "CourseInfo"
                                 << "hide" << QStringList{"course"} << false << false;
    QTest::newRow("hide storage") << none << "AvaliableMemoryState"
                                  << "hide" << QStringList{"storage"} << false << false;
    QTest::newRow("enable hidden storage ignored")
        << QStringList{"AvaliableMemoryState:hide"} << "AvaliableMemoryState"
        << "enable" << QStringList{"storage"} << false << false;
    QTest::newRow("hide movie mode does nothing") << none << "MovieMode"
                                                  << "hide" << QStringList{"movie"} << true << true;
    QTest::newRow("disable movie and resource")
        << none << "Movide+ResourceMode"
        << "disable" << QStringList{"movieAndResource"} << true << false;
    QTest::newRow("disable manual only") << none << "HandControl"
                                         << "disable" << QStringList{"manual"} << true << false;
    QTest::newRow("disable live address")
        << none << "LiveAddress"
        << "disable" << QStringList{"liveAddress"} << true << false;
    QTest::newRow("enable auto of hidden strategy stays off")
        << QStringList{"BroadcastStrategy:hide"} << "AutoControl"
        << "enable" << QStringList{"auto"} << false << false;
    QTest::newRow("state compared case-sensitively")
        << none << "Captions"
        << "Hide" << QStringList{"captions"} << true << true;
    QTest::newRow("index compared case-sensitively")
        << none << "captions"
        << "hide" << QStringList{"captions"} << true << true;
}

void TstVelRecordSettingWidget::functionStates()
{
    QFETCH(QStringList, before);
    QFETCH(QString, index);
    QFETCH(QString, state);
    QFETCH(QStringList, parts);
    QFETCH(bool, isShown);
    QFETCH(bool, isEnabled);

    Corvane control;
    for (const QString& strStep : before)
        control.sltReceiveCommand(
            functionState(strStep.section(':', 0, 0), strStep.section(':', 1)));
    control.sltReceiveCommand(functionState(index, state));
    for (const QString& strPart : parts) {
        QWidget* pWidget = part(control, strPart);
        QVERIFY2(pWidget, qPrintable(strPart));
        QCOMPARE(shown(pWidget), isShown);
        QCOMPARE(pWidget->isEnabled(), isEnabled);
    }
    // A hidden function must not come back through the recording states.
    control.sltStateChanged(true);
    if (!isShown)
        for (const QString& strPart : parts)
            QVERIFY(!shown(part(control, strPart)));
}

void TstVelRecordSettingWidget::forcedSwaps_data()
{
    QTest::addColumn<QString>("workingMode");
    QTest::addColumn<QString>("action"); // click:<part>, mode:<id>, page:<directMode target>
    QTest::addColumn<QString>("checkedMode");
    QTest::addColumn<QString>("checkedStrategy");
    QTest::addColumn<QStringList>("reported"); // mode buttons the output view hears of

    const QString rec = "workingModeRecording";
    const QString live = "workingModeLiveCasting";
    const QString movie = "recordingModeMovie";
    const QString both = "recordingModeMovieAndResource";
    const QString autoId = "directModeAuto";
    const QString manualId = "directModeManual";
    QTest::newRow("click resource mode while recording")
        << rec << "click:movieAndResource" << both << autoId << QStringList{both};
    QTest::newRow("click resource mode while live casting pins movie")
        << live << "click:movieAndResource" << movie << autoId << QStringList{movie, movie};
    QTest::newRow("page mode resource then live casting pins movie")
        << ""
        << "mode:" + both << movie << autoId << QStringList{both, movie};
    QTest::newRow("unknown mode changes nothing")
        << rec << "mode:recordingModeOther" << movie << autoId << QStringList{};
    QTest::newRow("click manual") << rec << "click:manual" << movie << manualId << QStringList{};
    QTest::newRow("page directs manual")
        << rec << "page:" + manualId << movie << manualId << QStringList{};
    QTest::newRow("page unknown strategy changes nothing")
        << rec << "page:directModeOther" << movie << autoId << QStringList{};
}

void TstVelRecordSettingWidget::forcedSwaps()
{
    QFETCH(QString, workingMode);
    QFETCH(QString, action);
    QFETCH(QString, checkedMode);
    QFETCH(QString, checkedStrategy);
    QFETCH(QStringList, reported);

    Corvane control;
    control.sltSetDeviceType("1"); // no single-screen follow-up in the way
    VelRecordSettingWidget* pStrip = control.recordSettingWidget();
    QSignalSpy spyReported(control.outputWidget(), &VelOutputWidget::sigRecordModeChanged);
    if (!workingMode.isEmpty())
        pStrip->sltSetRecordType(workingMode);

    const QString strWhat = action.section(':', 1);
    if (action.startsWith("click:")) {
        button(control, strWhat)->click();
    } else if (action.startsWith("mode:")) {
        emit control.outputWidget()->sigSetRecordMode(strWhat);
        // Live casting after the page's choice pins the movie mode.
        if (workingMode.isEmpty())
            emit control.outputWidget()->sigRecordTypeChanged("workingModeLiveCasting");
    } else {
        control.sltReceiveCommand(
            QStringLiteral("{\"requestParam\":\"directMode\",\"target\":\"%1\"}").arg(strWhat));
    }

    const QStringList modes = checkedOf(control, {"movie", "movieAndResource"});
    const QStringList strategies = checkedOf(control, {"auto", "manual"});
    QCOMPARE(modes.size(), 1);
    QCOMPARE(strategies.size(), 1);
    QCOMPARE(modes.first(), checkedMode);
    QCOMPARE(strategies.first(), checkedStrategy);
    QStringList names;
    for (const QVariantList& args : spyReported)
        names << args.at(0).value<QAbstractButton*>()->objectName();
    QCOMPARE(names, reported);
    // The layout button follows the strategy: only manual directing picks layouts.
    QCOMPARE(button(control, "layout")->isEnabled(), checkedStrategy == "directModeManual");
}

void TstVelRecordSettingWidget::strategyAndCloudControl_data()
{
    QTest::addColumn<bool>("singleScreen");
    QTest::addColumn<QStringList>("clicks"); // strategy buttons, in order
    QTest::addColumn<bool>("listCloudState");
    QTest::addColumn<QList<bool>>("broadcast");  // sigBroadcastStrategyChanged values
    QTest::addColumn<bool>("cloudButtonActive"); // after the source arrives

    QTest::newRow("manual in single screen")
        << true << QStringList{"manual"} << true << QList<bool>{true} << true;
    QTest::newRow("manual in a layout leaves the list alone")
        << false << QStringList{"manual"} << false << QList<bool>{} << true;
    QTest::newRow("back to auto in single screen")
        << true << QStringList{"manual", "auto"} << false << QList<bool>{true, false} << false;
    QTest::newRow("auto only") << false << QStringList{} << false << QList<bool>{} << false;
}

void TstVelRecordSettingWidget::strategyAndCloudControl()
{
    QFETCH(bool, singleScreen);
    QFETCH(QStringList, clicks);
    QFETCH(bool, listCloudState);
    QFETCH(QList<bool>, broadcast);
    QFETCH(bool, cloudButtonActive);

    Corvane control;
    control.sltSetDeviceType("1");
    control.sltSetOverviewWidget("教师 全景", "cam-t", "1");
    control.sltSetOverviewWidget("学生全景", "cam-s", "1");
    VelRecordSettingWidget* pStrip = control.recordSettingWidget();
    QSignalSpy spyStrategy(pStrip, &VelRecordSettingWidget::sigBroadcastStrategyChanged);
    QSignalSpy spyList(control.overviewListWidget(),
                       &VelOverviewListWidget::sigCloudButtonsStateChanged);

    // The layout widget reports the single screen as the page's choice would.
    emit content<VelScreenSettingWidget>(control)->sigSelectedSingleScreen(singleScreen);
    for (const QString& strClick : clicks)
        button(control, strClick)->click();

    QList<bool> heard;
    for (const QVariantList& args : spyStrategy)
        heard << args.at(0).toBool();
    QCOMPARE(heard, broadcast);
    QCOMPARE(spyList.count(), broadcast.size());
    QCOMPARE(control.overviewListWidget()->cloudControlState(), listCloudState);

    // A source for a PTZ camera activates its cloud button only in manual directing.
    control.sltSetOverviewSource("rtsp://127.0.0.1:1/none", "教师全景", "cam-t");
    const VelOverviewWidget* pTeacher = control.overviewListWidget()->overviewWidgets().first();
    QCOMPARE(pTeacher->cloudButton()->isEnabled(), cloudButtonActive);
}

void TstVelRecordSettingWidget::nonSmartFollowUp_data()
{
    QTest::addColumn<QString>("deviceType");
    QTest::addColumn<QStringList>("kinds");
    QTest::addColumn<QStringList>("targets");

    QTest::newRow("not smart falls back to single screen")
        << "0" << QStringList{"directMode", "directMode", "mutilScreen"}
        << QStringList{"directModeManual", "directModeAuto", "VelRECLayout1"};
    QTest::newRow("not a number counts as not smart")
        << "x" << QStringList{"directMode", "directMode", "mutilScreen"}
        << QStringList{"directModeManual", "directModeAuto", "VelRECLayout1"};
    QTest::newRow("smart device keeps its layout")
        << "2" << QStringList{"directMode", "directMode"}
        << QStringList{"directModeManual", "directModeAuto"};
}

void TstVelRecordSettingWidget::nonSmartFollowUp()
{
    QFETCH(QString, deviceType);
    QFETCH(QStringList, kinds);
    QFETCH(QStringList, targets);

    Corvane control;
    control.sltSetFunctionShownState("deviceType", deviceType);
    VelRecordSettingWidget* pStrip = control.recordSettingWidget();
    QSignalSpy spyCommands(pStrip, &VelRecordSettingWidget::sigSendCommand);
    button(control, "manual")->click();
    button(control, "layout")->setText("双屏");
    button(control, "auto")->click();
    QCOMPARE(spyCommands.count(), 2); // nothing follows at once

    // Long enough for the follow-up, bounded.
    bool bWaited = false;
    QTimer::singleShot(2 * VelRecordSettingWidget::kAutoPressDelayMs, [&] { bWaited = true; });
    QTRY_VERIFY_WITH_TIMEOUT(bWaited, 5000);

    QStringList heardKinds;
    QStringList heardTargets;
    for (const QVariantList& args : spyCommands) {
        heardKinds << commandKind(args);
        heardTargets << commandTarget(args);
    }
    QCOMPARE(heardKinds, kinds);
    QCOMPARE(heardTargets, targets);
    QVERIFY(control.text().contains(kinds.last()));
    QCOMPARE(button(control, "layout")->text(),
             kinds.size() > 2 ? QString("单屏") : QString("双屏"));
}

void TstVelRecordSettingWidget::recordingStates_data()
{
    QTest::addColumn<QStringList>("steps");   // start, stop, state:<s>, fn:<index>:<state>
    QTest::addColumn<QList<bool>>("enabled"); // captions, video dot, credits, movie, resource

    using B = QList<bool>;
    QTest::newRow("idle") << QStringList{} << B{true, false, true, true, true};
    QTest::newRow("recording") << QStringList{"start"} << B{true, true, false, false, false};
    QTest::newRow("stopped") << QStringList{"start", "stop"} << B{true, false, true, true, true};
    QTest::newRow("paused") << QStringList{"start", "state:pause"}
                            << B{true, false, false, false, false};
    QTest::newRow("resumed") << QStringList{"start", "state:pause", "state:start"}
                             << B{true, true, false, false, false};
    QTest::newRow("hidden captions stay off while recording")
        << QStringList{"fn:Captions:hide", "start"} << B{false, true, false, false, false};
    QTest::newRow("hidden video dot stays off when resumed")
        << QStringList{"fn:VideoPoint:hide", "start", "state:pause", "state:start"}
        << B{true, false, false, false, false};
    QTest::newRow("hidden credits stay off after stop")
        << QStringList{"fn:Credits:hide", "start", "stop"} << B{true, false, false, true, true};
}

void TstVelRecordSettingWidget::recordingStates()
{
    QFETCH(QStringList, steps);
    QFETCH(QList<bool>, enabled);

    Corvane control;
    for (const QString& strStep : steps) {
        if (strStep == "start" || strStep == "stop")
            control.sltStateChanged(strStep == "start");
        else if (strStep.startsWith("state:"))
            emit control.outputWidget()->sigRecordStateChanged(strStep.section(':', 1));
        else
            control.sltReceiveCommand(
                functionState(strStep.section(':', 1, 1), strStep.section(':', 2)));
    }
    QList<QPushButton*> buttons;
    for (const char* szName : {"captions", "videoDot", "credits", "movie", "movieAndResource"})
        buttons << button(control, szName);
    for (int i = 0; i < buttons.size(); ++i)
        QVERIFY2(buttons.at(i)->isEnabled() == enabled.at(i), qPrintable(buttons.at(i)->text()));
    const QString strLast = steps.isEmpty() ? QString() : steps.last();
    if (strLast.startsWith("state:"))
        QCOMPARE(content<VelCourseInfoWidget>(control)->recordStatus(), strLast.section(':', 1));
}

void TstVelRecordSettingWidget::routing_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("probe");
    QTest::addColumn<QString>("expected");

    const QString layouts =
        "{\"requestParam\":\"settingMutilScreen\",\"event\":\"VelRECLayout2\",\"target\":["
        "{\"layoutId\":\"VelRECLayout1\",\"tokens\":[{\"tokenNames\":\"教师全景\",\"tokenId\":"
        "\"cam-t\",\"height\":\"4608\",\"width\":\"8192\",\"top\":\"1792\",\"left\":\"0\"}]},"
        "{\"layoutId\":\"VelRECLayout2\",\"tokens\":[{\"tokenNames\":\"教师全景\",\"tokenId\":"
        "\"cam-t\",\"height\":\"2304\",\"width\":\"4096\",\"top\":\"2432\",\"left\":\"0\"}]}],"
        "\"token\":\"\"}";
    QTest::newRow("directMode")
        << "{\"requestParam\":\"directMode\",\"target\":\"directModeManual\"}"
        << "strategy"
        << "directModeManual";
    QTest::newRow("settingMutilScreen") << layouts << "layoutText"
                                        << "双屏";
    QTest::newRow("mutilScreen")
        << "{\"requestParam\":\"mutilScreen\",\"target\":\"VelRECLayout1\"}"
        << "layoutText"
        << "单屏";
    QTest::newRow("switchingEffects")
        << "{\"requestParam\":\"switchingEffects\",\"target\":\"switchingEffectsFade\"}"
        << "effect"
        << "switchingEffectsFade";
    QTest::newRow("videoDotPrepare") << "{\"requestParam\":\"videoDotPrepare\",\"target\":\"3725\"}"
                                     << "dot"
                                     << "3725";
    QTest::newRow("prelude")
        << "{\"requestParam\":\"prelude\",\"target\":{\"picture\":\"title.png\"}}"
        << "title"
        << "title.png";
    QTest::newRow("curtain")
        << "{\"requestParam\":\"curtain\",\"target\":{\"picture\":\"tail.png\"}}"
        << "tail"
        << "tail.png";
    QTest::newRow("courseInfo")
        << "{\"requestParam\":\"courseInfo\",\"target\":{\"title\":\"光的折射\"}}"
        << "course"
        << "光的折射";
    QTest::newRow("storage text") << functionState("AvaliableMemory", "12.5G") << "storage"
                                  << "12.5G";
    QTest::newRow("live address") << functionState("liveAddress", "rtmp://live/1") << "address"
                                  << "rtmp://live/1";
    QTest::newRow("subTitle reaches nothing") << "{\"requestParam\":\"subTitle\",\"target\":\"x\"}"
                                              << "dialogs"
                                              << "0";
}

void TstVelRecordSettingWidget::routing()
{
    QFETCH(QString, message);
    QFETCH(QString, probe);
    QFETCH(QString, expected);

    Corvane control;
    control.sltSetDeviceType("1");
    if (message.contains("\"mutilScreen\""))
        control.sltReceiveCommand(
            "{\"requestParam\":\"settingMutilScreen\",\"event\":\"VelRECLayout2\",\"target\":["
            "{\"layoutId\":\"VelRECLayout1\",\"tokens\":[]},{\"layoutId\":\"VelRECLayout2\","
            "\"tokens\":[]}],\"token\":\"\"}");
    VelModalCloser closer;
    control.sltReceiveCommand(message);
    // The address probe opens its dialog: count what the message opened first.
    const int nClosed = closer.closed();

    QString actual;
    if (probe == "strategy")
        actual = checkedOf(control, {"auto", "manual"}).join(',');
    else if (probe == "layoutText")
        actual = button(control, "layout")->text();
    else if (probe == "effect")
        actual = content<VelTransitionEffectSettingWidget>(control)->currentEffect();
    else if (probe == "dot")
        actual = nClosed == 1 ? content<VelAddPointWidget>(control)->dotTime() : "no dialog";
    else if (probe == "title")
        actual = content<VelCreditsSettingWidget>(control)->titlePage()->picturePath()->text();
    else if (probe == "tail")
        actual = content<VelCreditsSettingWidget>(control)->tailPage()->picturePath()->text();
    else if (probe == "course")
        actual = content<VelCourseInfoWidget>(control)->field("title")->text();
    else if (probe == "storage")
        actual = qobject_cast<QLabel*>(part(control, "storage"))->text();
    else if (probe == "address")
        actual = liveAddressShown(control);
    else if (probe == "dialogs")
        actual = QString::number(nClosed);
    QCOMPARE(actual, expected);
    if (probe != "dot")
        QCOMPARE(nClosed, 0);
}

// Frames used to open at the middle of the desktop, wherever the page put the
// control; they open centred over the control's window now.
void TstVelRecordSettingWidget::dialogsOpenOverTheControl()
{
    Corvane control;
    control.setGeometry(40, 30, 900, 700);
    control.show();
    button(control, "course")->click();
    QWidget* pFrame = content<VelCourseInfoWidget>(control)->window();
    QVERIFY(pFrame->isVisible());
    const QPoint centre = control.frameGeometry().center();
    QTRY_VERIFY_WITH_TIMEOUT((pFrame->frameGeometry().center() - centre).manhattanLength() <= 2,
                             2000);
    pFrame->hide();
}

void TstVelRecordSettingWidget::creditsResetOnStart_data()
{
    QTest::addColumn<QString>("deviceType");
    QTest::addColumn<bool>("isStart");
    QTest::addColumn<QString>("picture");

    QTest::newRow("start on a device that is not smart clears") << "0" << true << "";
    QTest::newRow("start on a smart device keeps") << "1" << true << "title.png";
    QTest::newRow("stop keeps") << "0" << false << "title.png";
}

void TstVelRecordSettingWidget::creditsResetOnStart()
{
    QFETCH(QString, deviceType);
    QFETCH(bool, isStart);
    QFETCH(QString, picture);

    Corvane control;
    control.sltSetDeviceType(deviceType);
    control.sltReceiveCommand(
        "{\"requestParam\":\"prelude\",\"target\":{\"picture\":\"title.png\"}}");
    control.sltStateChanged(isStart);
    QCOMPARE(content<VelCreditsSettingWidget>(control)->titlePage()->picturePath()->text(),
             picture);
}

void TstVelRecordSettingWidget::popupsStayOnScreen_data()
{
    QTest::addColumn<QString>("strButton");
    QTest::addColumn<int>("nFromBottom");
    QTest::newRow("layout pop-up, pointer on the last row") << "layout" << 1;
    QTest::newRow("layout pop-up, pointer 30 rows up") << "layout" << 30;
    QTest::newRow("effect pop-up, pointer on the last row") << "effect" << 1;
}

// The strip sits at the bottom of the page: its pop-ups used to hang below
// the pointer and past the screen's bottom edge.
void TstVelRecordSettingWidget::popupsStayOnScreen()
{
    QFETCH(QString, strButton);
    QFETCH(int, nFromBottom);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QPoint pointer(screen.center().x(), screen.bottom() + 1 - nFromBottom);
    QCursor::setPos(pointer);
    if (QCursor::pos() != pointer)
        QSKIP("this platform does not move the cursor");
    Corvane control;
    control.show();
    QVERIFY(QTest::qWaitForWindowExposed(&control));
    const bool bLayout = strButton == QLatin1String("layout");
    QPushButton* pButton = button(control, strButton);
    pButton->setEnabled(true);
    pButton->click();
    QWidget* pPopup = bLayout ? content<VelScreenSettingWidget>(control)->window()
                              : content<VelTransitionEffectSettingWidget>(control)->window();
    QVERIFY(pPopup->isVisible());
    QTRY_VERIFY2(screen.contains(pPopup->geometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4 on %5x%6")
                                .arg(pPopup->x())
                                .arg(pPopup->y())
                                .arg(pPopup->width())
                                .arg(pPopup->height())
                                .arg(screen.width())
                                .arg(screen.height())));
    QCOMPARE(pPopup->geometry().bottom(), pointer.y() - 1);
    pPopup->hide();
}

QTEST_MAIN(TstVelRecordSettingWidget)
#include "tst_velrecordsettingwidget.moc"
