// The control under a hostile page and odd timing: nested event loops of the
// debug boxes, a player thread changing the state word, sizes from the page.
#include "corvane.h"
#include "strip/velrecordsettingwidget.h"
#include "veldiaglog.h"
#include "veltestdrives.h"
#include "velvideolabel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QtTest>

#include <atomic>
#include <climits>
#include <thread>

namespace
{

void touch(const QString& strPath)
{
    QFile file(strPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

} // namespace

class TstCorvaneHardening : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void overlayChangesKeepPlayerBits();
    void controlGoneDuringDebugBox_data();
    void controlGoneDuringDebugBox();
    void pageSizesAreClamped_data();
    void pageSizesAreClamped();

private:
    VelTestDrives* m_pDrives = nullptr;
};

void TstCorvaneHardening::init()
{
    m_pDrives = new VelTestDrives;
}

void TstCorvaneHardening::cleanup()
{
    velUninstallDiagLog();
    delete Corvane::currentInstance();
    delete m_pDrives;
    m_pDrives = nullptr;
}

void TstCorvaneHardening::overlayChangesKeepPlayerBits()
{
    // A player thread sets and clears its bit and reads it back, while the page
    // sets and clears task overlays on the GUI thread. An overlay change that
    // reads the word and stores it back in two steps loses the player's change.
    Corvane control;
    VelVideoLabel* pLabel = control.outputWidget();
    pLabel->changeState(~0, 0);
    std::atomic<bool> bStop{false};
    std::atomic<int> nLost{0};
    std::atomic<int> nRounds{0};
    std::thread player([&] {
        while (!bStop.load()) {
            const bool bSet = (nRounds.load() % 2) == 0;
            pLabel->changeState(bSet ? 0 : VideoPlaying, bSet ? VideoPlaying : 0);
            if (bool(pLabel->state() & VideoPlaying) != bSet)
                ++nLost;
            ++nRounds;
        }
    });
    const QString strStart = "{\"requestParam\":\"workingMode\",\"event\":\"start\"}";
    for (int i = 0; i < 20000; ++i) {
        control.sltSendCommand({{"requestParam", "workingMode"}, {"event", "start"}});
        control.sltReceiveCommand(strStart);
    }
    bStop = true;
    player.join();
    QVERIFY(nRounds.load() > 0);
    QCOMPARE(nLost.load(), 0);
    QCOMPARE(pLabel->state() & VideoTaskStarting, 0);
}

void TstCorvaneHardening::controlGoneDuringDebugBox_data()
{
    QTest::addColumn<QString>("message"); // from the page, or "click:" a strip button
    QTest::addColumn<int>("box");         // the box during which the page acts
    QTest::addColumn<bool>("replace");    // else hide
    const QString strDeviceType = "{\"requestParam\":\"functionState\",\"target\":{\"index\":"
                                  "\"deviceType\",\"state\":\"0\"}}";
    const QString strSource =
        "{\"requestParam\":\"setOverviewSource\",\"target\":{\"name\":"
        "\"/nonexistent/movie.mp4\",\"tokenId\":\"电影模式\",\"source\":\"0\"}}";
    // A source message shows two boxes: "reveive", then the source's own.
    QTest::newRow("replaced while receiving") << strDeviceType << 1 << true;
    QTest::newRow("replaced while receiving a source") << strSource << 1 << true;
    QTest::newRow("replaced while setting the source") << strSource << 2 << true;
    QTest::newRow("hidden while setting the source") << strSource << 2 << false;
    // The box of a command the operator sent: the clicked button's code runs
    // on after the send.
    QTest::newRow("replaced while sending") << "click:directModeManual" << 1 << true;
}

void TstCorvaneHardening::controlGoneDuringDebugBox()
{
    QFETCH(QString, message);
    QFETCH(int, box);
    QFETCH(bool, replace);
    touch(m_pDrives->c("beginLog.txt"));
    QPointer<Corvane> pFirst = new Corvane;
    pFirst->show();
    QVERIFY(QTest::qWaitForWindowExposed(pFirst));

    // A page timer runs inside the box's event loop: it replaces or hides the
    // control, then the operator closes the box (every box after it, too).
    QPointer<Corvane> pSecond;
    int nBoxes = 0;
    QTimer timer;
    timer.setInterval(10);
    connect(&timer, &QTimer::timeout, [&] {
        auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!pBox)
            return;
        if (++nBoxes == box) {
            if (replace)
                pSecond = new Corvane;
            else if (pFirst)
                pFirst->hide();
        }
        pBox->accept();
    });
    timer.start();
    if (message.startsWith("click:")) {
        auto* pButton = pFirst->recordSettingWidget()->findChild<QAbstractButton*>(message.mid(6));
        QVERIFY(pButton);
        pButton->click();
    } else {
        pFirst->sltReceiveCommand(message);
    }
    QTRY_VERIFY(nBoxes >= box);
    timer.stop();

    QCOMPARE(nBoxes, replace ? box : 2);
    QCOMPARE(pFirst.isNull(), replace);
    if (replace) {
        // The new control took nothing from a message meant for the old one.
        QVERIFY(pSecond);
        QVERIFY(!pSecond->isNotSmartDevice());
    }
}

void TstCorvaneHardening::pageSizesAreClamped_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<int>("expected"); // -1: the height before plus the change
    QTest::newRow("ordinary") << 25 << -1;
    QTest::newRow("largest int") << INT_MAX << QWIDGETSIZE_MAX - 1;
    QTest::newRow("smallest int") << INT_MIN << 0;
    QTest::newRow("below zero") << -100000 << 0;
}

void TstCorvaneHardening::pageSizesAreClamped()
{
    QFETCH(int, change);
    QFETCH(int, expected);
    Corvane control;
    control.resize(800, 600);
    control.show();
    QVERIFY(QTest::qWaitForWindowExposed(&control));
    const int nBefore = control.outputWidget()->height();
    control.sltChangeOutputWidgetHeight(change);
    const int nHeight = expected < 0 ? nBefore + change : expected;
    QCOMPARE(control.outputWidget()->minimumHeight(), nHeight);
    QCOMPARE(control.outputWidget()->maximumHeight(), nHeight);
}

QTEST_MAIN(TstCorvaneHardening)
#include "tst_corvanehardening.moc"
