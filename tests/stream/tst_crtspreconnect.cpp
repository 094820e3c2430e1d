// Lost and dead sources on the test RTSP server: a stalled mount, a frozen
// server, a killed and restarted one, a camera that is off at start, and the
// end of a file, a session that gets sound but no video. Each case waits out
// the 8 s read limit at most once.
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
// The probe's limit, then the player's 5 s without video, plus time to notice.
constexpr int kNoVideoMs = 3000 + 5000 + 4000;

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
    void sessionWithoutVideoReopens();
    void lateKeyFrameIsNotReopened_data();
    void lateKeyFrameIsNotReopened();

private:
    QTemporaryDir m_tempDir;
    std::unique_ptr<VelTestDrives> m_pDrives;
    std::unique_ptr<VelRtspServer> m_pServer;
};

void TstCRTSPReconnect::initTestCase()
{
    QVERIFY(m_tempDir.isValid());
    qputenv("TMPDIR", m_tempDir.path().toUtf8());
    // Posters go to the private directory under the runtime one.
    qputenv("XDG_RUNTIME_DIR", m_tempDir.path().toUtf8());
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

    QVERIFY(velWaitFor(
        [&] {
            return recorder.sawInOrder({VideoPlaying, VideoNoSignal});
        },
        kLossMs));
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

// A session whose video never arrives while its sound does: reads succeed, so
// the read limit never fires; the player reopens on its own all the same.
void TstCRTSPReconnect::sessionWithoutVideoReopens()
{
    const QString strMount = "cam720";
    const QString strUrl = m_pServer->url(strMount);
    // A first player keeps the shared camera prepared, so the second one's
    // session is set up as usual and gets sound without video.
    VelVideoLabel first;
    first.resize(640, 360);
    VelVlcPlayerManger::Instance()->AddPlayer(&first, strUrl, false);
    QVERIFY(velWaitFor([&] { return first.state() == VideoPlaying; }, 15000));
    QVERIFY(m_pServer->withholdVideo(strMount));

    VelVideoLabel label;
    label.resize(640, 360);
    VelStateRecorder recorder(&label);
    VelVlcPlayerManger::Instance()->AddPlayer(&label, strUrl, false);
    CRTSPPlayer* pPlayer = VelVlcPlayerManger::Instance()->FindPlayer(&label);
    QVERIFY(pPlayer);
    QVERIFY(velWaitFor([&] { return pPlayer->GetInitResult() == 0; }, 10000));
    // The reopen closes the session with a TEARDOWN. (The first player, whose
    // picture stopped too, reopens on its own after the read limit.)
    QVERIFY(velWaitFor(
        [&] {
            return recorder.sawInOrder({VideoConnecting, VideoNoSignal, VideoConnecting});
        },
        kNoVideoMs));
    QVERIFY(velWaitFor([&] { return m_pServer->teardowns(strMount) >= 1; }, 2000));
    QCOMPARE(label.picturesReceived(), quint64(0));
    QCOMPARE(VelVlcPlayerManger::Instance()->FindPlayer(&label), pPlayer);

    QVERIFY(m_pServer->releaseVideo(strMount));
    QVERIFY(velWaitFor([&] { return label.state() == VideoPlaying; }, 15000));
    QCOMPARE(pPlayer->GetPlayState(), 1);
    recorder.stop();
    // Open, no video, reopened, playing.
    QVERIFY(recorder.sawInOrder({VideoConnecting, VideoNoSignal, VideoConnecting, VideoPlaying}));
}

void TstCRTSPReconnect::lateKeyFrameIsNotReopened_data()
{
    QTest::addColumn<QString>("strMount");
    // The camera keeps its own 2 s schedule: a session may wait that long for
    // its first key frame, with P pictures flowing meanwhile.
    QTest::newRow("2 s key frame interval") << "cam720-gop2";
    QTest::newRow("2 s key frame interval, B-frames") << "cam720main-gop2";
}

void TstCRTSPReconnect::lateKeyFrameIsNotReopened()
{
    QFETCH(QString, strMount);
    VelVideoLabel label;
    label.resize(640, 360);
    VelStateRecorder recorder(&label);
    VelVlcPlayerManger::Instance()->AddPlayer(&label, m_pServer->url(strMount), false);
    QVERIFY(velWaitFor([&] { return label.state() == VideoPlaying; }, 15000));
    // Past the player's limit for a session without video, and then some.
    QTest::qWait(5000 + 2000);
    QCOMPARE(m_pServer->teardowns(strMount), 0);
    recorder.stop();
    QCOMPARE(recorder.states().count(VideoConnecting), 1);
    QCOMPARE(label.state(), int(VideoPlaying));
}

QTEST_MAIN(TstCRTSPReconnect)
#include "tst_crtspreconnect.moc"
