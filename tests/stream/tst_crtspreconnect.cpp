// Lost and dead sources on the test RTSP server: a stalled mount, a frozen
// server, a killed and restarted one, a camera that is off at start, and the
// end of a file. Each case waits out the 8 s read limit at most once.
#include "crtspplayer.h"
#include "velplayertestkit.h"
#include "velrtspserver.h"
#include "veltestdrives.h"
#include "velvideolabel.h"
#include "velvlcplayermanger.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

// The read limit plus time for the threads to notice.
constexpr int kLossMs = 8000 + 4000;

} // namespace

class TstCRTSPReconnect : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void lostStreamReopensWithoutClick_data();
    void lostStreamReopensWithoutClick();
    void cameraOffAtStartWaitsForClick();
    void clickOnPlayingPlayerDoesNothing();
    void fileEndKeepsLastPicture();

private:
    QTemporaryDir m_tempDir;
    std::unique_ptr<VelTestDrives> m_pDrives;
    std::unique_ptr<VelRtspServer> m_pServer;
};

void TstCRTSPReconnect::initTestCase()
{
    QVERIFY(m_tempDir.isValid());
    qputenv("TMPDIR", m_tempDir.path().toUtf8());
}

void TstCRTSPReconnect::init()
{
    m_pDrives = std::make_unique<VelTestDrives>();
    m_pServer = std::make_unique<VelRtspServer>();
    QVERIFY2(m_pServer->isRunning(), qPrintable(m_pServer->errorString()));
}

void TstCRTSPReconnect::cleanup()
{
    VelVlcPlayerManger::DeleteInstance();
    m_pServer.reset();
    m_pDrives.reset();
}

void TstCRTSPReconnect::lostStreamReopensWithoutClick_data()
{
    QTest::addColumn<QString>("strCase");
    QTest::newRow("media stall, then resumed") << "stall";
    QTest::newRow("frozen server, then thawed") << "freeze";
    QTest::newRow("killed server, restarted on its port") << "kill";
}

void TstCRTSPReconnect::lostStreamReopensWithoutClick()
{
    QFETCH(QString, strCase);
    const QString strMount = "cam720-noaudio";
    const QString strUrl = m_pServer->url(strMount);
    VelVideoLabel label;
    label.resize(640, 360);
    VelStateRecorder recorder(&label);
    VelVlcPlayerManger::Instance()->AddPlayer(&label, strUrl, false);
    CRTSPPlayer* pPlayer = VelVlcPlayerManger::Instance()->FindPlayer(&label);
    QVERIFY(pPlayer);
    QVERIFY(velWaitFor([&] { return label.state() == VideoPlaying; }, 15000));
    QTRY_VERIFY(QFile::exists(label.snapshotPath()));

    if (strCase == "stall")
        QVERIFY(m_pServer->stall(strMount));
    else if (strCase == "freeze")
        QVERIFY(m_pServer->freeze());
    else
        QVERIFY(m_pServer->restart());

    QVERIFY(velWaitFor([&] { return recorder.sawInOrder({VideoPlaying, VideoNoSignal}); }, kLossMs));
    // The source comes back while the reopen is under way.
    if (strCase == "stall")
        QVERIFY(m_pServer->resume(strMount));
    else if (strCase == "freeze")
        QVERIFY(m_pServer->thaw());
    QCOMPARE(VelVlcPlayerManger::Instance()->FindPlayer(&label), pPlayer);

    // A lost live picture is not replaced by the saved one.
    const auto range = velGreyRange(label.grab().toImage());
    QVERIFY2(range.second - range.first < 40, qPrintable(QString::number(range.second)));

    QVERIFY(velWaitFor(
        [&] {
            return recorder.sawInOrder({VideoPlaying, VideoNoSignal, VideoPlaying});
        },
        15000));
    QCOMPARE(label.state(), int(VideoPlaying));
    QCOMPARE(pPlayer->GetPlayState(), 1);
    QCOMPARE(pPlayer->GetInitResult(), 0);
    const quint64 nBefore = label.picturesReceived();
    QTRY_VERIFY(label.picturesReceived() > nBefore + 10);
    recorder.stop();
    // No signal, reopening, open, playing.
    const QList<int> states = recorder.states();
    const int nLost = states.indexOf(VideoNoSignal, states.indexOf(VideoPlaying));
    QCOMPARE(states.mid(nLost),
             QList<int>({VideoNoSignal, VideoConnecting, VideoNoSignal, VideoPlaying}));
}

void TstCRTSPReconnect::cameraOffAtStartWaitsForClick()
{
    const int nPort = m_pServer->port();
    const QString strUrl = m_pServer->url("cam720-noaudio");
    m_pServer->kill();

    VelVideoLabel label;
    label.resize(640, 360);
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    VelVlcPlayerManger::Instance()->AddPlayer(&label, strUrl, false);
    CRTSPPlayer* pPlayer = VelVlcPlayerManger::Instance()->FindPlayer(&label);
    QTRY_VERIFY_WITH_TIMEOUT(pPlayer->GetInitResult() < -1, 10000);
    QTRY_COMPARE(label.state(), int(VideoNoSignal));
    QCOMPARE(pPlayer->GetPlayState(), 0);

    // The camera comes on; nothing retries by itself.
    QVERIFY2(m_pServer->start(nPort), qPrintable(m_pServer->errorString()));
    QTest::qWait(1500);
    QCOMPARE(label.state(), int(VideoNoSignal));
    QCOMPARE(label.picturesReceived(), quint64(0));

    QTest::mouseClick(&label, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(label.state(), int(VideoPlaying), 15000);
    QCOMPARE(pPlayer->GetPlayState(), 1);
    QCOMPARE(pPlayer->GetInitResult(), 0);
}

void TstCRTSPReconnect::clickOnPlayingPlayerDoesNothing()
{
    VelVideoLabel label;
    label.resize(640, 360);
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    VelVlcPlayerManger::Instance()->AddPlayer(&label, m_pServer->url("cam720-noaudio"), false);
    QTRY_COMPARE_WITH_TIMEOUT(label.state(), int(VideoPlaying), 15000);
    // The word says no signal, the player says playing: a click leaves it be.
    // (A restart would bring the word back to playing.)
    label.setState(VideoNoSignal);
    QTest::mouseClick(&label, Qt::LeftButton);
    QTest::qWait(2500);
    QCOMPARE(label.state(), int(VideoNoSignal));
    QCOMPARE(VelVlcPlayerManger::Instance()->FindPlayer(&label)->GetPlayState(), 1);
}

void TstCRTSPReconnect::fileEndKeepsLastPicture()
{
    const QString strFile = m_tempDir.filePath("short.mp4");
    QString strError;
    QVERIFY2(VelRtspServer::makeTestFile(strFile, 2, true, 16000, 1, 360, &strError),
             qPrintable(strError));
    VelVideoLabel label;
    label.resize(640, 360);
    VelStateRecorder recorder(&label);
    VelVlcPlayerManger::Instance()->AddPlayer(&label, strFile, false);
    CRTSPPlayer* pPlayer = VelVlcPlayerManger::Instance()->FindPlayer(&label);
    QTRY_COMPARE_WITH_TIMEOUT(label.state(), int(VideoPlaying), 10000);

    // The file ends quickly; then the player stays as it is past the read limit.
    quint64 nLast = 0;
    QVERIFY(velWaitFor(
        [&] {
            const quint64 nNow = label.picturesReceived();
            const bool bSteady = nNow == nLast && nNow > 0;
            nLast = nNow;
            QTest::qWait(300);
            return bSteady;
        },
        10000));
    QTest::qWait(9000);
    QCOMPARE(label.state(), int(VideoPlaying));
    QCOMPARE(pPlayer->GetPlayState(), 1);
    recorder.stop();
    QVERIFY(!recorder.sawInOrder({VideoPlaying, VideoNoSignal}));
    // A grab that meets a picture mid hand-off shows the one before it.
    QTRY_VERIFY_WITH_TIMEOUT(velContrast(label.grab().toImage()) > 150, 2000);
}

QTEST_MAIN(TstCRTSPReconnect)
#include "tst_crtspreconnect.moc"
