// Whole tasks from the output view against the demo platform: the operator
// clicks the bar, every command the control publishes in text goes to the
// platform of demo/platform.js (run in a script engine, as the demo page runs
// it) and every answer comes back through sltReceiveCommand. And the task
// overlays the view draws while a command waits for its answer.
#include "corvane.h"
#include "output/vellivesettingwidget.h"
#include "output/veloutputcontrolbar.h"
#include "output/veloutputwidget.h"
#include "output/velrecordtypewidget.h"
#include "veldialogdriver.h"
#include "veltestdrives.h"

#include <QCheckBox>
#include <QFile>
#include <QJSEngine>
#include <QRadioButton>
#include <QtTest>

namespace
{

struct Session {
    VelTestDrives drives;
    Corvane control;
    VelOutputControlBar* pBar = control.outputWidget()->controlBar();
    QJSEngine engine;
    QJSValue platform;
    QString strLastSeen;
    QStringList sent; // "requestParam/event" of every command the platform got

    Session()
    {
        QFile file(QStringLiteral(VEL_DEMO_DIR "/platform.js"));
        if (file.open(QIODevice::ReadOnly))
            engine.evaluate(QString::fromUtf8(file.readAll()), file.fileName());
        platform = engine.evaluate(QStringLiteral("new VelDemoPlatform({})"));
        control.sltSetDeviceType(QStringLiteral("1"));
        control.sltSetLiveAddress(QStringLiteral("rtmp://127.0.0.1/live/1"));
    }

    // Hands each new command to the platform and its answers to the control,
    // until the control has nothing new to say.
    void exchange()
    {
        while (control.text() != strLastSeen) {
            strLastSeen = control.text();
            const QJSValue command = platform.property(QStringLiteral("parse")).call({strLastSeen});
            sent << command.property(QStringLiteral("requestParam")).toString() + QLatin1Char('/') +
                        command.property(QStringLiteral("event")).toString();
            const QJSValue answers = platform.property(QStringLiteral("answer"))
                                         .callWithInstance(platform, {strLastSeen});
            QVERIFY2(!answers.isError(), qPrintable(answers.toString()));
            const int nAnswers = answers.property(QStringLiteral("length")).toInt();
            for (int i = 0; i < nAnswers; ++i)
                control.sltReceiveCommand(answers.property(quint32(i)).toString());
        }
    }

    QString barState() const
    {
        if (!pBar->isRecordingLayout())
            return QStringLiteral("idle");
        return pBar->isPaused() ? QStringLiteral("paused") : QStringLiteral("running");
    }
};

// The view of that size playing a black picture with the task bits set.
QImage overlaysOnBlack(const QSize& size, int nBits)
{
    VelOutputWidget view;
    view.resize(size);
    view.setState(VideoPlaying | nBits);
    QPixmap black(size);
    black.fill(Qt::black);
    view.sltSetPixmap(black);
    return view.grab().toImage();
}

} // namespace

class TstOutputSession : public QObject
{
    Q_OBJECT

private slots:
    void wholeTask_data();
    void wholeTask();
    void taskOverlays_data();
    void taskOverlays();
    void overlayTextWhole();
};

void TstOutputSession::wholeTask_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("states"); // the bar after each step
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("modeAfter");

    QTest::newRow("recording: start, pause, resume, stop")
        << QStringList{"record", "pause", "pause", "stop"}
        << QStringList{"running", "paused", "running", "idle"}
        << QStringList{"workingMode/start", "workingMode/pause", "workingMode/restart",
                       "workingMode/stop"}
        << "workingModeRecording";
    QTest::newRow("recording and live casting, live room closed at the stop")
        << QStringList{"mode:workingModeRecordingAndLivecast", "record", "pause", "pause",
                       "stop-close"}
        << QStringList{"idle", "running", "paused", "running", "idle"}
        << QStringList{"initLiveRoom/",     "setLiveRoom/",        "workingMode/start",
                       "workingMode/pause", "workingMode/restart", "workingMode/stop"}
        << "workingModeRecording";
    QTest::newRow("live casting, live room kept")
        << QStringList{"mode:workingModeLiveCasting", "record", "stop-keep"}
        << QStringList{"idle", "running", "idle"}
        << QStringList{"initLiveRoom/", "setLiveRoom/", "workingMode/start", "workingMode/stop"}
        << "workingModeLiveCasting";
}

void TstOutputSession::wholeTask()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, states);
    QFETCH(QStringList, sent);
    QFETCH(QString, modeAfter);
    Session session;
    QVERIFY2(session.platform.isObject(), qPrintable(session.platform.toString()));
    QStringList lstStates;
    for (const QString& strStep : steps) {
        bool bClose = false;
        // The room chooser and the stop confirmation are accepted as shown.
        VelDialogDriver driver([&bClose](VelDialogFrame* pFrame) {
            if (auto* pRoom = qobject_cast<VelLiveSettingWidget*>(pFrame->content())) {
                if (auto* pBox = pRoom->findChild<QCheckBox*>())
                    pBox->setChecked(bClose);
            }
            pFrame->accept();
        });
        if (strStep.startsWith("mode:")) {
            auto* pButton =
                session.pBar->recordTypeWidget()->findChild<QRadioButton*>(strStep.mid(5));
            QVERIFY(pButton);
            pButton->click();
        } else if (strStep == "record") {
            session.pBar->recordButton()->click();
        } else if (strStep == "pause") {
            session.pBar->resumeButton()->click();
        } else if (strStep.startsWith("stop")) {
            bClose = strStep == "stop-close";
            session.pBar->stopButton()->click();
        }
        session.exchange();
        lstStates << session.barState();
    }
    QCOMPARE(lstStates, states);
    QCOMPARE(session.sent, sent);
    QCOMPARE(session.pBar->workingMode(), modeAfter);
}

void TstOutputSession::taskOverlays_data()
{
    QTest::addColumn<int>("nBits");
    QTest::addColumn<QList<bool>>("rows"); // text in the first, second, third row
    QTest::newRow("none") << 0 << QList<bool>{false, false, false};
    QTest::newRow("starting") << int(VideoTaskStarting) << QList<bool>{true, false, false};
    QTest::newRow("stopping alone takes the first row")
        << int(VideoTaskStopping) << QList<bool>{true, false, false};
    QTest::newRow("starting and switching")
        << int(VideoTaskStarting | VideoMovieSwitching) << QList<bool>{true, true, false};
    QTest::newRow("all three") << int(VideoTaskStarting | VideoTaskStopping | VideoMovieSwitching)
                               << QList<bool>{true, true, true};
}

// The rows are drawn over a live picture, one per bit, from the top.
void TstOutputSession::taskOverlays()
{
    QFETCH(int, nBits);
    QFETCH(QList<bool>, rows);
    const QImage shown = overlaysOnBlack(QSize(1280, 720), nBits);
    const int nRow = 72;
    for (int i = 0; i < 3; ++i) {
        int nWhite = 0;
        for (int y = i * nRow; y < (i + 1) * nRow; ++y) {
            for (int x = nRow; x < nRow + 128; ++x)
                nWhite += qGray(shown.pixel(x, y)) > 160 ? 1 : 0;
        }
        QVERIFY2((nWhite > 20) == rows.at(i), qPrintable(QString("row %1: %2").arg(i).arg(nWhite)));
    }
}

// On a view narrower than the text needs, the longest text is still whole.
void TstOutputSession::overlayTextWhole()
{
    const QImage shown = overlaysOnBlack(QSize(800, 450), VideoMovieSwitching);
    const int nRow = 45;
    const int nTextWidth =
        VelOutputWidget().fontMetrics().horizontalAdvance(QStringLiteral("正在准备切换电影资源"));
    QVERIFY(nTextWidth > 80); // wider than a tenth of the view
    int nLeft = shown.width();
    int nRight = -1;
    for (int y = 0; y < nRow; ++y) {
        for (int x = nRow; x < shown.width(); ++x) {
            if (qGray(shown.pixel(x, y)) > 160) {
                nLeft = qMin(nLeft, x);
                nRight = qMax(nRight, x);
            }
        }
    }
    QVERIFY2(
        nLeft >= nRow && nRight - nLeft + 1 >= nTextWidth - 6,
        qPrintable(QString("text drawn %1..%2, needs %3").arg(nLeft).arg(nRight).arg(nTextWidth)));
}

QTEST_MAIN(TstOutputSession)
#include "tst_outputsession.moc"
