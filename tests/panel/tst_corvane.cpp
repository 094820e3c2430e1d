#include "corvane.h"
#include "veldiaglog.h"
#include "velmodalcloser.h"
#include "veltestdrives.h"
#include "velvideolabel.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaMethod>
#include <QPointer>
#include <QVBoxLayout>
#include <QtTest>

namespace
{

CommandMap envelope(const QString& strKind, const QString& strTarget, const QString& strEvent)
{
    return {{"requestParam", strKind}, {"target", strTarget}, {"event", strEvent}, {"token", ""}};
}

QString readFile(const QString& strPath)
{
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

void touch(const QString& strPath)
{
    QFile file(strPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

} // namespace

class TstCorvane : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void scriptableSurface();
    void constructionLayoutAndStyle();
    void secondControlDeletesFirst();
    void sendStoresTextAndSetsOverlays_data();
    void sendStoresTextAndSetsOverlays();
    void receiveClearsOverlays_data();
    void receiveClearsOverlays();
    void overlaysSurviveOtherBits();
    void functionStateRoutes();
    void signalsFromSlots();
    void overviewSourceFromMessage();
    void outputHeightChange();
    void logFilesAndHandler();
    void markerTakesEffectOnNextControl();
    void debugMessageBoxes();

private:
    VelTestDrives* m_pDrives = nullptr;
};

void TstCorvane::init()
{
    m_pDrives = new VelTestDrives;
}

void TstCorvane::cleanup()
{
    velUninstallDiagLog();
    delete m_pDrives;
    m_pDrives = nullptr;
}

void TstCorvane::scriptableSurface()
{
    const QMetaObject& mo = Corvane::staticMetaObject;
    const QStringList expected = {
        "sigServiceChanged(QString)",
        "sigStartTimeChanged(QString)",
        "sltFlush(int,int)",
        "sltStateChanged(bool)",
        "sltSendCommand(QMap<QString,QString>)",
        "sltReceiveCommand(QString)",
        "sltSetOverviewWidget(QString,QString,QString)",
        "sltSetOverviewSource(QString,QString,QString)",
        "sltChangeOutputWidgetHeight(int)",
        "sltSetFunctionShownState(QString,QString)",
        "sltSetLiveAddress(QString)",
        "sltSetDeviceType(QString)",
        "sltSetNasState(QString)",
        "sltSetUploadService(QString)",
        "sltStartTime(QString)",
    };
    QStringList actual;
    for (int i = mo.methodOffset(); i < mo.methodCount(); ++i)
        actual << QString::fromLatin1(mo.method(i).methodSignature());
    QCOMPARE(actual, expected);
    QCOMPARE(mo.method(mo.methodOffset()).methodType(), QMetaMethod::Signal);
    QCOMPARE(mo.method(mo.methodOffset() + 2).methodType(), QMetaMethod::Slot);
    QCOMPARE(mo.method(mo.methodOffset() + 2).access(), QMetaMethod::Public);

    const QMetaProperty text = mo.property(mo.indexOfProperty("text"));
    QVERIFY(text.isValid());
    QVERIFY(text.isReadable() && text.isWritable() && text.isDesignable() && text.isScriptable() &&
            text.isStored());
    QVERIFY(!text.hasNotifySignal());
    QCOMPARE(QString(mo.classInfo(mo.indexOfClassInfo("DefaultProperty")).value()),
             QString("text"));
}

void TstCorvane::constructionLayoutAndStyle()
{
    Corvane control;
    QCOMPARE(control.objectName(), QString("Corvane"));
    QCOMPARE(control.styleSheet(),
             QString("#Corvane{background: #F2F2F2}                   "
                     "QWidget{font-family: Microsoft YaHei;font-size: 12px}"));
    auto* pLayout = qobject_cast<QVBoxLayout*>(control.layout());
    QVERIFY(pLayout);
    QCOMPARE(pLayout->contentsMargins(), QMargins(10, 0, 10, 0));
    QCOMPARE(pLayout->itemAt(0)->widget(), control.outputWidget());
    QCOMPARE(control.outputWidget()->parentWidget(), &control);
    QVERIFY(control.text().isEmpty());
    QVERIFY(!control.isNotSmartDevice());
}

void TstCorvane::secondControlDeletesFirst()
{
    QPointer<Corvane> pFirst = new Corvane;
    QCOMPARE(Corvane::currentInstance(), pFirst.data());
    auto* pSecond = new Corvane;
    QVERIFY(pFirst.isNull());
    QCOMPARE(Corvane::currentInstance(), pSecond);
    delete pSecond;
    QCOMPARE(Corvane::currentInstance(), nullptr);

    // Destroying a control that is not the current one still clears it.
    auto* pA = new Corvane;
    Q_UNUSED(pA);
    auto* pB = new Corvane; // deletes pA
    delete pB;
    QCOMPARE(Corvane::currentInstance(), nullptr);
}

void TstCorvane::sendStoresTextAndSetsOverlays_data()
{
    QTest::addColumn<CommandMap>("map");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("bits");
    QTest::newRow("singleScreen switches movie")
        << envelope("singleScreen", "cam2", "change")
        << "{\"event\":\"change\",\"requestParam\":\"singleScreen\",\"target\":\"cam2\",\"token\":"
           "\"\"}"
        << int(VideoMovieSwitching);
    QTest::newRow("nested target")
        << envelope("x", "{\"a\":\"1\"}", "")
        << "{\"event\":\"\",\"requestParam\":\"x\",\"target\":{\"a\":\"1\"},\"token\":\"\"}" << 0;
    QTest::newRow("start") << envelope("workingMode", "workingModeRecording", "start")
                           << "{\"event\":\"start\",\"requestParam\":\"workingMode\",\"target\":"
                              "\"workingModeRecording\",\"token\":\"\"}"
                           << int(VideoTaskStarting);
    QTest::newRow("restart counts as start")
        << envelope("workingMode", "", "restart")
        << "{\"event\":\"restart\",\"requestParam\":\"workingMode\",\"target\":\"\",\"token\":\"\"}"
        << int(VideoTaskStarting);
    QTest::newRow("stop") << envelope("workingMode", "", "stop")
                          << "{\"event\":\"stop\",\"requestParam\":\"workingMode\",\"target\":\"\","
                             "\"token\":\"\"}"
                          << int(VideoTaskStopping);
    QTest::newRow("start without workingMode") << envelope("prelude", "start", "")
                                               << "{\"event\":\"\",\"requestParam\":\"prelude\","
                                                  "\"target\":\"start\",\"token\":\"\"}"
                                               << 0;
    QTest::newRow("case matters") << envelope("WorkingMode", "", "Start")
                                  << "{\"event\":\"Start\",\"requestParam\":\"WorkingMode\","
                                     "\"target\":\"\",\"token\":\"\"}"
                                  << 0;
}

void TstCorvane::sendStoresTextAndSetsOverlays()
{
    QFETCH(CommandMap, map);
    QFETCH(QString, text);
    QFETCH(int, bits);
    Corvane control;
    const int nBefore = control.outputWidget()->state();
    control.sltSendCommand(map);
    QCOMPARE(control.text(), text);
    QCOMPARE(control.outputWidget()->state(), nBefore | bits);
    // Reading text never clears it; the same command again gives the same text.
    control.sltSendCommand(map);
    QCOMPARE(control.text(), text);
}

void TstCorvane::receiveClearsOverlays_data()
{
    const int nAll = VideoTaskStarting | VideoTaskStopping | VideoMovieSwitching;
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("remaining");
    QTest::newRow("start answer") << "{\"requestParam\":\"workingMode\",\"event\":\"start\"}"
                                  << (nAll & ~VideoTaskStarting);
    QTest::newRow("stop answer") << "{\"requestParam\":\"workingMode\",\"event\":\"stop\"}"
                                 << (nAll & ~VideoTaskStopping);
    QTest::newRow("error clears both")
        << "{\"requestParam\":\"workingMode\",\"event\":\"error\"}" << int(VideoMovieSwitching);
    QTest::newRow("singleScreen answer")
        << "{\"requestParam\":\"singleScreen\",\"target\":\"t\"}" << (nAll & ~VideoMovieSwitching);
    QTest::newRow("unrelated keeps all") << "{\"requestParam\":\"directMode\"}" << nAll;
    QTest::newRow("no braces still tested") << "workingMode start" << (nAll & ~VideoTaskStarting);
}

void TstCorvane::receiveClearsOverlays()
{
    QFETCH(QString, message);
    QFETCH(int, remaining);
    Corvane control;
    control.sltSendCommand(envelope("workingMode", "", "start"));
    control.sltSendCommand(envelope("workingMode", "", "stop"));
    control.sltSendCommand(envelope("singleScreen", "", ""));
    const int nTaskBits = VideoTaskStarting | VideoTaskStopping | VideoMovieSwitching;
    QCOMPARE(control.outputWidget()->state() & nTaskBits, nTaskBits);
    VelModalCloser closer; // "error" opens the output view's warning
    control.sltReceiveCommand(message);
    QCOMPARE(control.outputWidget()->state() & nTaskBits, remaining);
}

void TstCorvane::overlaysSurviveOtherBits()
{
    Corvane control;
    control.outputWidget()->setState(VideoPlaying);
    control.sltSendCommand(envelope("workingMode", "", "start"));
    QCOMPARE(control.outputWidget()->state(), int(VideoPlaying | VideoTaskStarting));
    control.sltReceiveCommand("{\"requestParam\":\"workingMode\",\"event\":\"start\"}");
    QCOMPARE(control.outputWidget()->state(), int(VideoPlaying));
}

void TstCorvane::functionStateRoutes()
{
    Corvane control;
    QSignalSpy spyService(&control, &Corvane::sigServiceChanged);

    control.sltReceiveCommand(
        "{\"requestParam\":\"functionState\",\"target\":{\"index\":\"uploadPath\",\"state\":"
        "\"http://127.0.0.1/up\"}}");
    QCOMPARE(spyService.count(), 1);
    QCOMPARE(spyService.at(0).at(0).toString(), QString("http://127.0.0.1/up"));

    control.sltReceiveCommand("{\"requestParam\":\"functionState\",\"target\":{\"index\":"
                              "\"deviceType\",\"state\":\"0\"}}");
    QVERIFY(control.isNotSmartDevice());
    control.sltSetFunctionShownState("deviceType", "2");
    QVERIFY(!control.isNotSmartDevice());
    control.sltSetDeviceType("abc"); // not a number counts as 0
    QVERIFY(control.isNotSmartDevice());

    // Same index under another kind is not a function state.
    control.sltReceiveCommand("{\"requestParam\":\"functionStates\",\"target\":{\"index\":"
                              "\"uploadPath\",\"state\":\"x\"}}");
    // An index compared case-sensitively goes to the strip, not to the upload service.
    control.sltSetFunctionShownState("UploadPath", "y");
    QCOMPARE(spyService.count(), 1);
    // The outgoing text is never touched by the incoming path.
    QVERIFY(control.text().isEmpty());
}

void TstCorvane::signalsFromSlots()
{
    Corvane control;
    QSignalSpy spyTime(&control, &Corvane::sigStartTimeChanged);
    QSignalSpy spyService(&control, &Corvane::sigServiceChanged);
    control.sltStartTime("2026-12-08 09:00:00");
    control.sltSetUploadService("http://u");
    QCOMPARE(spyTime.count(), 1);
    QCOMPARE(spyTime.at(0).at(0).toString(), QString("2026-12-08 09:00:00"));
    QCOMPARE(spyService.count(), 1);
    QCOMPARE(spyService.at(0).at(0).toString(), QString("http://u"));
}

void TstCorvane::overviewSourceFromMessage()
{
    // The page's keys land in the slot's parameters as (name, tokenId, source):
    // with the movie-mode name in "tokenId" the output view is addressed.
    Corvane control;
    control.sltReceiveCommand("{\"requestParam\":\"setOverviewSource\",\"target\":{\"name\":"
                              "\"rtsp://x\",\"tokenId\":\"电影模式\",\"source\":\"0\"}}");
    QVERIFY(control.text().isEmpty());
}

void TstCorvane::outputHeightChange()
{
    Corvane control;
    control.resize(800, 600);
    control.show();
    QVERIFY(QTest::qWaitForWindowExposed(&control));
    const QSize size = control.outputWidget()->size();
    control.sltChangeOutputWidgetHeight(-40);
    QCOMPARE(control.outputWidget()->minimumHeight(), size.height() - 40);
    QCOMPARE(control.outputWidget()->maximumHeight(), size.height() - 40);
    QCOMPARE(control.outputWidget()->minimumWidth(), size.width());
    QCOMPARE(control.outputWidget()->maximumWidth(), size.width());
}

void TstCorvane::logFilesAndHandler()
{
    // Without the marker: old logs are still deleted, nothing is written.
    touch(m_pDrives->d("tessaro.log"));
    touch(m_pDrives->d("tessaro_callback_log.txt"));
    {
        Corvane control;
        QVERIFY(!debugMode);
        QVERIFY(!QFile::exists(m_pDrives->d("tessaro.log")));
        QVERIFY(!QFile::exists(m_pDrives->d("tessaro_callback_log.txt")));
        qWarning("not logged");
        QVERIFY(!QFile::exists(m_pDrives->d("tessaro.log")));
    }

    // With the marker: the handler writes blocks until CloseLog.
    touch(m_pDrives->c("beginLog.txt"));
    {
        Corvane control;
        QVERIFY(debugMode);
        qWarning("first %d", 1);
        const QString strLog = readFile(m_pDrives->d("tessaro.log"));
        QVERIFY2(strLog.contains("\r\nWarningContent: first 1\r\n"), qPrintable(strLog));
        control.sltSetFunctionShownState("CloseLog", "");
        QVERIFY(debugMode); // the switch stays as it was
        qWarning("after close");
        QVERIFY(!readFile(m_pDrives->d("tessaro.log")).contains("after close"));
    }
    {
        // A new control with the marker present starts a fresh log and installs again.
        Corvane control;
        QVERIFY(!readFile(m_pDrives->d("tessaro.log")).contains("first 1"));
        qDebug("again");
        QVERIFY(readFile(m_pDrives->d("tessaro.log")).contains("DebugContent: again"));
    }
}

void TstCorvane::markerTakesEffectOnNextControl()
{
    QPointer<Corvane> pFirst = new Corvane;
    QVERIFY(!debugMode);
    touch(m_pDrives->c("beginLog.txt"));
    qWarning("ignored");
    QVERIFY(!QFile::exists(m_pDrives->d("tessaro.log")));
    auto* pSecond = new Corvane;
    QVERIFY(pFirst.isNull());
    QVERIFY(debugMode);
    qWarning("seen");
    QVERIFY(readFile(m_pDrives->d("tessaro.log")).contains("WarningContent: seen"));
    // Deleting the marker uninstalls nothing.
    QVERIFY(QFile::remove(m_pDrives->c("beginLog.txt")));
    qWarning("still seen");
    QVERIFY(readFile(m_pDrives->d("tessaro.log")).contains("WarningContent: still seen"));
    delete pSecond;
}

void TstCorvane::debugMessageBoxes()
{
    touch(m_pDrives->c("beginLog.txt"));
    auto* pControl = new Corvane;
    QStringList seen;
    auto closeBox = [&seen] {
        auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!pBox)
            return;
        seen << pBox->windowTitle() + "|" + pBox->text();
        pBox->accept();
    };
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, closeBox);
    timer.start();
    pControl->sltSendCommand(envelope("directMode", "directModeAuto", ""));
    QTRY_COMPARE(seen.size(), 1); // shown once the sender has returned
    VelModalCloser closer;        // the live room chooser that follows the box
    pControl->sltReceiveCommand("{\"requestParam\":\"initLiveRoom\",\"target\":[{\"id\":\"1\"}]}");
    timer.stop();
    QCOMPARE(closer.closed(), 1);
    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen.at(0), QString("send|") + pControl->text());
    // The incoming box shows the rewritten message.
    QCOMPARE(
        seen.at(1),
        QString("reveive|{\"requestParam\":\"initLiveRoom\",\"target\":\"{[{\"id\":\"1\"}]}}"));
    delete pControl;
}

QTEST_MAIN(TstCorvane)
#include "tst_corvane.moc"
