// The output view's control bar driven as the page and the operator drive it:
// the operator clicks, the page reads each command from the control's text and
// answers through sltReceiveCommand.
#include "corvane.h"
#include "output/vellivesettingwidget.h"
#include "output/veloutputcontrolbar.h"
#include "output/veloutputwidget.h"
#include "output/velrecordtypewidget.h"
#include "veldialogdriver.h"
#include "veltestdrives.h"
#include "veltipwidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>

namespace
{

const char* const kStartRecording =
    "{\"event\":\"start\",\"requestParam\":\"workingMode\",\"target\":{\"recordingMode\":"
    "\"recordingModeMovie\",\"workingMode\":\"workingModeRecording\"},\"token\":\"\"}";

QString answer(const QString& strEvent, const QString& strTarget, const QString& strExtra = {})
{
    return QStringLiteral("{\"requestParam\":\"workingMode\",\"event\":\"%1\",%3\"target\":%2}")
        .arg(strEvent, strTarget, strExtra);
}

QString task(const QString& strMode, const QString& strStart,
             const QString& strRecordMode = QStringLiteral("recordingModeMovie"))
{
    return QStringLiteral("{\"workingMode\":\"%1\",\"recordingMode\":\"%2\",\"startTime\":\"%3\"}")
        .arg(strMode, strRecordMode, strStart);
}

QString outgoing(const QString& strEvent, const QString& strTarget)
{
    return QStringLiteral("{\"event\":\"%1\",\"requestParam\":\"workingMode\",\"target\":%2,"
                          "\"token\":\"\"}")
        .arg(strEvent, strTarget);
}

QString modeTarget(const QString& strMode, const QString& strClose = {})
{
    const QString strCloseKey =
        strClose.isEmpty() ? QString() : QStringLiteral("\"closeLiveRoom\":\"%1\",").arg(strClose);
    return QStringLiteral("{%1\"recordingMode\":\"recordingModeMovie\",\"workingMode\":\"%2\"}")
        .arg(strCloseKey, strMode);
}

QRadioButton* modeButton(VelOutputControlBar* pBar, const QString& strMode)
{
    return pBar->recordTypeWidget()->findChild<QRadioButton*>(strMode);
}

// The panel of a smart classroom with a live address, as the demo page sets it up.
struct Panel {
    VelTestDrives drives;
    Corvane control;
    VelOutputWidget* pView = control.outputWidget();
    VelOutputControlBar* pBar = pView->controlBar();

    Panel()
    {
        control.sltSetDeviceType(QStringLiteral("1"));
        control.sltSetLiveAddress(QStringLiteral("rtmp://127.0.0.1/live/1"));
    }
    void receive(const QString& strMessage) { control.sltReceiveCommand(strMessage); }
    // The operator picks a working mode; the page answers the room request
    // with one room, which the operator confirms.
    void pickLiveMode(const QString& strMode)
    {
        VelDialogDriver driver;
        modeButton(pBar, strMode)->click();
        QCOMPARE(control.text(), QString("{\"event\":\"\",\"requestParam\":\"initLiveRoom\","
                                         "\"target\":\"\",\"token\":\"\"}"));
        receive(QStringLiteral("{\"requestParam\":\"initLiveRoom\",\"event\":\"\",\"target\":"
                               "[{\"id\":\"r1\",\"name\":\"一号\"}],\"token\":\"\"}"));
        QCOMPARE(control.text(), QString("{\"event\":\"\",\"requestParam\":\"setLiveRoom\","
                                         "\"target\":\"r1\",\"token\":\"\"}"));
        QCOMPARE(pBar->workingMode(), strMode);
    }
};

} // namespace

class TstVelOutputControlBar : public QObject
{
    Q_OBJECT
private slots:
    void operatorCommands_data();
    void operatorCommands();
    void answerTable_data();
    void answerTable();
    void recordChecks_data();
    void recordChecks();
    void liveRoomChoice_data();
    void liveRoomChoice();
    void liveRoomFailure();
    void volumeEcho_data();
    void volumeEcho();
    void recordTime_data();
    void recordTime();
    void fadeBand();
    void controlReplacedDuringWarning();
    void popBarState();
};

// Operator steps: "mode:<id>" picks a live mode (with a confirmed room),
// "record", "pause", "stop", "stop-keep", "stop-close", "volume:<n>", and
// "answer:<message>" feeds a page answer.
void TstVelOutputControlBar::operatorCommands_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("modeAfter");

    const QString strStarted = "answer:" + answer("start", task("workingModeRecording", "0"));
    const QString strLiveStarted = "answer:" + answer("start", task("workingModeLiveCasting", "0"));
    QTest::newRow("record") << QStringList{"record"} << QString(kStartRecording)
                            << "workingModeRecording";
    QTest::newRow("record and live")
        << QStringList{"mode:workingModeRecordingAndLivecast", "record"}
        << outgoing("start", modeTarget("workingModeRecordingAndLivecast"))
        << "workingModeRecordingAndLivecast";
    QTest::newRow("pause while running")
        << QStringList{strStarted, "pause"} << outgoing("pause", modeTarget("workingModeRecording"))
        << "workingModeRecording";
    QTest::newRow("resume while paused")
        << QStringList{strStarted, "answer:" + answer("pause", task("workingModeRecording", "5")),
                       "pause"}
        << outgoing("restart", modeTarget("workingModeRecording")) << "workingModeRecording";
    QTest::newRow("stop recording needs no confirmation")
        << QStringList{strStarted, "stop"} << outgoing("stop", modeTarget("workingModeRecording"))
        << "workingModeRecording";
    QTest::newRow("stop live, keep the room")
        << QStringList{"mode:workingModeLiveCasting", strLiveStarted, "stop-keep"}
        << outgoing("stop", modeTarget("workingModeLiveCasting", "0")) << "workingModeLiveCasting";
    QTest::newRow("stop live, close the room")
        << QStringList{"mode:workingModeLiveCasting", strLiveStarted, "stop-close"}
        << outgoing("stop", modeTarget("workingModeLiveCasting", "1")) << "workingModeRecording";
    QTest::newRow("volume") << QStringList{strStarted, "volume:40"} << outgoing("volume", "\"40\"")
                            << "workingModeRecording";
}

void TstVelOutputControlBar::operatorCommands()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, text);
    QFETCH(QString, modeAfter);
    Panel panel;
    for (const QString& strStep : steps) {
        if (strStep.startsWith("mode:")) {
            panel.pickLiveMode(strStep.mid(5));
        } else if (strStep == "record") {
            panel.pBar->recordButton()->click();
        } else if (strStep == "pause") {
            panel.pBar->resumeButton()->click();
        } else if (strStep == "stop") {
            panel.pBar->stopButton()->click();
        } else if (strStep.startsWith("stop-")) {
            const bool bClose = strStep == "stop-close";
            VelDialogDriver driver([bClose](VelDialogFrame* pFrame) {
                auto* pContent = qobject_cast<VelLiveSettingWidget*>(pFrame->content());
                pContent->findChild<QCheckBox*>()->setChecked(bClose);
                pFrame->accept();
            });
            panel.pBar->stopButton()->click();
            QCOMPARE(driver.titles(), QStringList{"提示"});
            QCOMPARE(driver.seen().first().bCancel, true);
        } else if (strStep.startsWith("volume:")) {
            panel.pBar->volumeSlider()->setValue(strStep.mid(7).toInt());
        } else if (strStep.startsWith("answer:")) {
            panel.receive(strStep.mid(7));
        }
    }
    QCOMPARE(panel.control.text(), text);
    QCOMPARE(panel.pBar->workingMode(), modeAfter);
}

void TstVelOutputControlBar::answerTable_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("recordStates");
    QTest::addColumn<bool>("recording");
    QTest::addColumn<bool>("paused");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("recordMode"); // last sigSetRecordMode, "-" for none

    const QString strStart = answer(
        "start", task("workingModeRecordingAndLivecast", "65", "recordingModeMovieAndResource"));
    QTest::newRow("start") << QStringList{strStart} << QStringList{"start"} << true << false
                           << "workingModeRecordingAndLivecast" << 65
                           << "recordingModeMovieAndResource";
    QTest::newRow("pause emits start then pause")
        << QStringList{answer("pause", task("workingModeRecording", "30"))}
        << QStringList{"start", "pause"} << true << true << "workingModeRecording" << 30
        << "recordingModeMovie";
    QTest::newRow("pause with hostId takes the mode")
        << QStringList{answer("pause", task("workingModeLiveCasting", "30"), "\"hostId\":\"h1\",")}
        << QStringList{"start", "pause"} << true << true << "workingModeLiveCasting" << 30
        << "recordingModeMovie";
    QTest::newRow("pause with startTime 0 keeps the seconds")
        << QStringList{strStart, answer("pause", task("workingModeRecording", "0"))}
        << QStringList{"start", "start", "pause"} << true << true
        << "workingModeRecordingAndLivecast" << 65 << "recordingModeMovie";
    QTest::newRow("restart runs again")
        << QStringList{strStart, answer("pause", task("x", "70")), answer("restart", "\"\"")}
        << QStringList{"start", "start", "pause", "start", "start"} << true << false
        << "workingModeRecordingAndLivecast" << 70 << "recordingModeMovie";
    QTest::newRow("stop emits start then stop")
        << QStringList{strStart, answer("stop", "\"\"")} << QStringList{"start", "start", "stop"}
        << false << false << "workingModeRecordingAndLivecast" << 0
        << "recordingModeMovieAndResource";
    QTest::newRow("unknown mode in the answer keeps the mode")
        << QStringList{answer("start", task("workingModeOther", "1"))} << QStringList{"start"}
        << true << false << "workingModeRecording" << 1 << "recordingModeMovie";
    QTest::newRow("other kinds are not the bar's")
        << QStringList{"{\"requestParam\":\"singleScreen\",\"event\":\"start\"}"} << QStringList{}
        << false << false << "workingModeRecording" << 0 << "-";
}

void TstVelOutputControlBar::answerTable()
{
    QFETCH(QStringList, answers);
    QFETCH(QStringList, recordStates);
    QFETCH(bool, recording);
    QFETCH(bool, paused);
    QFETCH(QString, mode);
    QFETCH(int, seconds);
    QFETCH(QString, recordMode);
    Panel panel;
    QSignalSpy states(panel.pView, &VelOutputWidget::sigRecordStateChanged);
    QSignalSpy modes(panel.pView, &VelOutputWidget::sigSetRecordMode);
    for (const QString& strAnswer : answers)
        panel.receive(strAnswer);
    QStringList lstStates;
    for (const QList<QVariant>& args : states)
        lstStates << args.first().toString();
    QCOMPARE(lstStates, recordStates);
    QCOMPARE(panel.pBar->isRecordingLayout(), recording);
    QCOMPARE(panel.pBar->isPaused(), paused);
    QCOMPARE(panel.pBar->workingMode(), mode);
    QCOMPARE(panel.pBar->recordSeconds(), seconds);
    QCOMPARE(modes.isEmpty() ? QString("-") : modes.last().first().toString(), recordMode);
    // Pure live casting cannot pause: the pause button is hidden in that mode.
    QCOMPARE(panel.pBar->resumeButton()->isVisibleTo(panel.pBar),
             recording && mode != "workingModeLiveCasting");
    // The answers never send anything back (a volume answer aside).
    QVERIFY(panel.control.text().isEmpty());
}

void TstVelOutputControlBar::recordChecks_data()
{
    QTest::addColumn<QString>("deviceType");
    QTest::addColumn<QString>("nas");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("liveAddress");
    QTest::addColumn<QString>("warning"); // empty: the start command goes out

    QTest::newRow("smart device records without NAS") << "1"
                                                      << "false"
                                                      << "workingModeRecording"
                                                      << ""
                                                      << "";
    QTest::newRow("non-smart device needs NAS to record") << "0"
                                                          << "false"
                                                          << "workingModeRecording"
                                                          << ""
                                                          << "NAS 服务器未设置";
    QTest::newRow("NAS state TRUE in capitals is not ready") << "0"
                                                             << "TRUE"
                                                             << "workingModeRecording"
                                                             << ""
                                                             << "NAS 服务器未设置";
    QTest::newRow("non-smart device with NAS records") << "0"
                                                       << "true"
                                                       << "workingModeRecording"
                                                       << ""
                                                       << "";
    QTest::newRow("non-smart device live casts without NAS") << "0"
                                                             << "false"
                                                             << "workingModeLiveCasting"
                                                             << "rtmp://a"
                                                             << "";
    QTest::newRow("non-smart device records and casts only with NAS")
        << "0"
        << "false"
        << "workingModeRecordingAndLivecast"
        << "rtmp://a"
        << "NAS 服务器未设置";
    QTest::newRow("live casting needs a live address") << "1"
                                                       << "true"
                                                       << "workingModeLiveCasting"
                                                       << ""
                                                       << "请设置直播地址 ";
    QTest::newRow("recording needs no live address") << "1"
                                                     << "true"
                                                     << "workingModeRecording"
                                                     << ""
                                                     << "";
}

void TstVelOutputControlBar::recordChecks()
{
    QFETCH(QString, deviceType);
    QFETCH(QString, nas);
    QFETCH(QString, mode);
    QFETCH(QString, liveAddress);
    QFETCH(QString, warning);
    Panel panel;
    if (mode != "workingModeRecording")
        panel.pickLiveMode(mode);
    panel.control.sltSetDeviceType(deviceType);
    panel.control.sltSetNasState(nas);
    panel.control.sltSetLiveAddress(liveAddress);
    panel.control.setText(QString());

    VelDialogDriver driver;
    panel.pBar->recordButton()->click();
    if (warning.isEmpty()) {
        QVERIFY(driver.seen().isEmpty());
        QCOMPARE(panel.control.text(), outgoing("start", modeTarget(mode)));
        QVERIFY(panel.pView->state() & VideoTaskStarting);
    } else {
        QCOMPARE(driver.titles(), QStringList{"警告"});
        QVERIFY(driver.seen().first().bExit && driver.seen().first().bOk);
        QCOMPARE(qobject_cast<VelTipWidget*>(panel.pBar->warningDialog()->content())->text(),
                 warning);
        QVERIFY(panel.control.text().isEmpty());
    }
}

void TstVelOutputControlBar::liveRoomChoice_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("rooms"); // as the chooser lists them
    QTest::addColumn<int>("pick");          // index chosen and confirmed, -1 to close
    QTest::addColumn<QString>("roomId");    // the setLiveRoom target, "-" for nothing sent

    auto rooms = [](const QString& strArray) {
        return QStringLiteral("{\"requestParam\":\"initLiveRoom\",\"event\":\"\",\"target\":%1,"
                              "\"token\":\"\"}")
            .arg(strArray);
    };
    QTest::newRow("empty list: exit only, back to recording")
        << rooms("\"\"") << QStringList{} << -1 << "-";
    QTest::newRow("rooms listed by id, first one confirmed")
        << rooms("[{\"id\":\"r2\",\"name\":\"二号\"},{\"id\":\"r1\",\"name\":\"一号\"}]")
        << QStringList{"一号", "二号"} << 0 << "r1";
    QTest::newRow("closing the chooser sends nothing")
        << rooms("[{\"id\":\"r1\",\"name\":\"一号\"}]") << QStringList{"一号"} << -1 << "-";
    QTest::newRow("JSON: a name holding id keeps its own id")
        << rooms("[{\"id\":\"a7\",\"name\":\"Liquid 实验室\"},{\"id\":\"b3\",\"name\":\"二号\"}]")
        << QStringList{"Liquid 实验室", "二号"} << 0 << "a7";
    QTest::newRow("JSON: escaped quotes in a name")
        << rooms("[{\"id\":\"q1\",\"name\":\"\\\"公开\\\"课\"},{\"id\":\"q2\",\"name\":\"B\"}]")
        << QStringList{"\"公开\"课", "B"} << 0 << "q1";
    QTest::newRow("JSON: numeric ids")
        << rooms("[{\"id\":12,\"name\":\"十二\"},{\"id\":3,\"name\":\"三\"}]")
        << QStringList{"十二", "三"} << 1 << "3";
    QTest::newRow("not JSON: the plain scan")
        << rooms("[{id\":\"s1\",\"name\":\"甲\"},{id\":\"s2\",\"name\":\"乙\"}]")
        << QStringList{"甲", "乙"} << 1 << "s2";
    QTest::newRow("JSON without names: the plain scan")
        << rooms("[{\"id\":\"k1\",\"title\":\"x\",\"name\":\"丙\"},{\"id\":\"k2\"}]")
        << QStringList{"丙"} << 0 << "k1";
}

void TstVelOutputControlBar::liveRoomChoice()
{
    QFETCH(QString, message);
    QFETCH(QStringList, rooms);
    QFETCH(int, pick);
    QFETCH(QString, roomId);
    Panel panel;
    QStringList listed;
    VelDialogDriver driver([&listed, pick](VelDialogFrame* pFrame) {
        auto* pBox = pFrame->content()->findChild<QComboBox*>();
        for (int i = 0; i < pBox->count(); ++i)
            listed << pBox->itemText(i);
        if (pick < 0) {
            pFrame->reject();
            return;
        }
        pBox->setCurrentIndex(pick);
        pFrame->accept();
    });
    modeButton(panel.pBar, "workingModeLiveCasting")->click();
    panel.control.setText(QString());
    panel.receive(message);

    QCOMPARE(driver.titles(), QStringList{"选择直播间"});
    const VelDialogDriver::Seen seen = driver.seen().first();
    QCOMPARE(seen.bOk && seen.bCancel, !rooms.isEmpty());
    QVERIFY(seen.bExit);
    QCOMPARE(listed, rooms);
    if (roomId == "-") {
        QVERIFY(panel.control.text().isEmpty());
        QCOMPARE(panel.pBar->workingMode(), QString("workingModeRecording"));
        QVERIFY(modeButton(panel.pBar, "workingModeRecording")->isChecked());
    } else {
        QCOMPARE(panel.control.text(),
                 QString("{\"event\":\"\",\"requestParam\":\"setLiveRoom\",\"target\":\"%1\","
                         "\"token\":\"\"}")
                     .arg(roomId));
        QCOMPARE(panel.pBar->workingMode(), QString("workingModeLiveCasting"));
    }
}

void TstVelOutputControlBar::liveRoomFailure()
{
    Panel panel;
    VelDialogDriver driver;
    modeButton(panel.pBar, "workingModeRecordingAndLivecast")->click();
    panel.receive("{\"requestParam\":\"initLiveRoom\",\"event\":\"error\",\"target\":\"\"}");
    QCOMPARE(driver.titles(), QStringList{"警告"});
    QCOMPARE(qobject_cast<VelTipWidget*>(panel.pBar->warningDialog()->content())->text(),
             QString("创建直播失败"));
    QCOMPARE(panel.pBar->workingMode(), QString("workingModeRecording"));
    QCOMPARE(panel.pBar->workingModeButton()->text(), QString("录制"));

    // A task error shows its own message, and the next warning replaces it.
    panel.receive(answer("error", "\"磁盘已满\""));
    panel.receive(answer("error", "\"任务失败\""));
    QCOMPARE(driver.titles(), (QStringList{"警告", "警告", "警告"}));
    QCOMPARE(qobject_cast<VelTipWidget*>(panel.pBar->warningDialog()->content())->text(),
             QString("任务失败"));
    QCOMPARE(
        panel.pView->findChildren<VelDialogFrame*>(QString(), Qt::FindDirectChildrenOnly).size(),
        1);
}

void TstVelOutputControlBar::volumeEcho_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("after");
    QTest::addColumn<QString>("sent"); // empty: nothing goes back

    QTest::newRow("a new value moves the slider and is sent back")
        << 10 << "55" << 55 << outgoing("volume", "\"55\"");
    QTest::newRow("an equal value sends nothing") << 55 << "55" << 55 << "";
    QTest::newRow("not a number reads as 0") << 20 << "loud" << 0 << outgoing("volume", "\"0\"");
    QTest::newRow("beyond the range stops at the end")
        << 20 << "150" << 99 << outgoing("volume", "\"99\"");
}

void TstVelOutputControlBar::volumeEcho()
{
    QFETCH(int, before);
    QFETCH(QString, target);
    QFETCH(int, after);
    QFETCH(QString, sent);
    Panel panel;
    panel.pBar->volumeSlider()->setValue(before);
    panel.control.setText(QString());
    panel.receive(answer("volume", "\"" + target + "\""));
    QCOMPARE(panel.pBar->volume(), after);
    QCOMPARE(panel.control.text(), sent);
}

void TstVelOutputControlBar::recordTime_data()
{
    QTest::addColumn<QString>("recordMode");
    QTest::addColumn<QString>("startTime");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("information");

    QTest::newRow("first second") << "recordingModeMovie"
                                  << "0"
                                  << "workingModeRecording"
                                  << "电影模式, 录制时间 00 : 00 : 00";
    QTest::newRow("hours, minutes, seconds") << "recordingModeMovie"
                                             << "3725"
                                             << "workingModeLiveCasting"
                                             << "电影模式, 直播时间 01 : 02 : 05";
    QTest::newRow("one hundred hours") << "recordingModeMovie"
                                       << "360000"
                                       << "workingModeRecording"
                                       << "电影模式, 录制时间 100 : 00 : 00";
    QTest::newRow("any other recording mode reads movie and resource")
        << "recordingModeX"
        << "59"
        << "workingModeRecordingAndLivecast"
        << "电影 + 资源模式, 直播+录制时间 00 : 00 : 59";
    QTest::newRow("not a number reads as 0") << "recordingModeMovie"
                                             << "soon"
                                             << "workingModeRecording"
                                             << "电影模式, 录制时间 00 : 00 : 00";
}

void TstVelOutputControlBar::recordTime()
{
    QFETCH(QString, recordMode);
    QFETCH(QString, startTime);
    QFETCH(QString, mode);
    QFETCH(QString, information);
    Panel panel;
    QRadioButton strip;
    strip.setObjectName(recordMode);
    emit panel.pView->sigRecordModeChanged(&strip); // the strip's recording mode
    // The answer's mode reaches the record setting strip, which reports its own
    // button for the modes it knows and leaves any other one alone.
    panel.receive(answer("start", task(mode, "0", recordMode)));
    // The page hands out the start time through the control.
    panel.control.sltStartTime(startTime);
    QCOMPARE(panel.pBar->recordInformation(), information);
    // The clock runs on by itself.
    const int nSeconds = panel.pBar->recordSeconds();
    QTRY_COMPARE_WITH_TIMEOUT(panel.pBar->recordSeconds(), nSeconds + 1, 2500);
}

void TstVelOutputControlBar::fadeBand()
{
    Panel panel;
    panel.control.resize(1000, 700);
    panel.control.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel.control));
    VelOutputWidget* pView = panel.pView;
    pView->setFixedSize(800, 450);
    QTRY_COMPARE(pView->height(), 450);
    auto move = [pView](int y) {
        QMouseEvent event(QEvent::MouseMove, QPointF(400, y), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(pView, &event);
    };
    QCOMPARE(pView->barOpacity(), 0.0);
    move(200); // well above the band
    QVERIFY(!panel.pBar->isVisible());
    move(450 - 50); // the band's top edge
    QVERIFY(panel.pBar->isVisible());
    QCOMPARE(panel.pBar->geometry(), QRect(0, 400, 800, 50));
    QTRY_COMPARE_WITH_TIMEOUT(pView->barOpacity(), 0.8, 1000);
    move(450 - 51); // one pixel above it
    QCOMPARE(pView->barTargetOpacity(), 0.0);
    QTRY_COMPARE_WITH_TIMEOUT(pView->barOpacity(), 0.0, 1000);
    move(440);
    QTRY_COMPARE_WITH_TIMEOUT(pView->barOpacity(), 0.8, 1000);
    // The bar follows the view's size.
    pView->setFixedSize(640, 360);
    QTRY_COMPARE(panel.pBar->geometry(), QRect(0, 310, 640, 50));
}

void TstVelOutputControlBar::controlReplacedDuringWarning()
{
    // A page that replaces the control while a warning is open: the warning's
    // exec() returns into a bar that no longer exists.
    VelTestDrives drives;
    auto* pControl = new Corvane;
    QPointer<Corvane> pFirst(pControl);
    Corvane* pSecond = nullptr;
    QTimer::singleShot(50, [&pSecond]() { pSecond = new Corvane; });
    pControl->sltReceiveCommand(answer("error", "\"x\""));
    QVERIFY(pFirst.isNull());
    QVERIFY(pSecond);
    QCOMPARE(Corvane::currentInstance(), pSecond);
    delete pSecond;
}

void TstVelOutputControlBar::popBarState()
{
    Panel panel;
    panel.control.sltSetFunctionShownState("PopBar", "disable");
    QVERIFY(!panel.pBar->isEnabled());
    panel.control.sltSetFunctionShownState("PopBar", "other");
    QVERIFY(!panel.pBar->isEnabled());
    panel.control.sltSetFunctionShownState("PopBar", "enable");
    QVERIFY(panel.pBar->isEnabled());
}

QTEST_MAIN(TstVelOutputControlBar)
#include "tst_veloutputcontrolbar.moc"
