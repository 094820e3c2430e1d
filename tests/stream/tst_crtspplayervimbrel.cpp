// The tour form of the player: its label states, the run-time audio switch,
// the open that retries over TCP, and a reopen after a stall.
#include "caudiodevice.h"
#include "crtspplayer.h"
#include "velplayertestkit.h"
#include "velrtspserver.h"
#include "veltestdrives.h"
#include "velvideolabel.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

const int kRect[4] = {0, 0, 1920, 1080};

bool waitFor(const std::function<bool()>& fnDone, int nTimeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!fnDone() && clock.elapsed() < nTimeoutMs)
        QTest::qWait(5);
    return fnDone();
}

int audibleCount(VelAudioLog& log)
{
    int nCount = 0;
    for (const auto& buffer : log.snapshot())
        nCount += velIsSilent(buffer.bytes) ? 0 : 1;
    return nCount;
}

} // namespace

class TstCRTSPPlayerVimbrel : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void labelStates();
    void audioSwitch();
    void failedOpenRetriesOverTcp_data();
    void failedOpenRetriesOverTcp();
    void stallReopens();

private:
    QTemporaryDir m_tempDir;
    VelRtspServer m_server{false};
    std::unique_ptr<VelTestDrives> m_pDrives;
    std::shared_ptr<VelAudioLog> m_pLog;
    std::mutex m_logLock;
};

void TstCRTSPPlayerVimbrel::initTestCase()
{
    qputenv("TMPDIR", m_tempDir.path().toUtf8());
    QVERIFY2(m_server.start(), qPrintable(m_server.errorString()));
    CAudioDevice::setFactory([this] {
        std::lock_guard<std::mutex> lock(m_logLock);
        return std::make_unique<ClockedAudioDevice>(m_pLog);
    });
}

void TstCRTSPPlayerVimbrel::init()
{
    m_pDrives = std::make_unique<VelTestDrives>();
    std::lock_guard<std::mutex> lock(m_logLock);
    m_pLog = std::make_shared<VelAudioLog>();
}

void TstCRTSPPlayerVimbrel::cleanup()
{
    m_pDrives.reset();
}

void TstCRTSPPlayerVimbrel::cleanupTestCase()
{
    CAudioDevice::setFactory(nullptr);
    m_server.stop();
}

void TstCRTSPPlayerVimbrel::labelStates()
{
    VelVideoLabel label;
    VelStateRecorder recorder(&label);
    auto* pPlayer = new CRTSPPlayer(&label, kRect);
    label.SetPlayer(pPlayer);
    QVERIFY(pPlayer->SetUrl(m_server.url("cam720")));
    pPlayer->StartPlay();
    QTRY_COMPARE_WITH_TIMEOUT(label.state(), int(VideoStatePlaying), 15000);
    QCOMPARE(pPlayer->GetPlayState(), 1);
    recorder.stop();
    QCOMPARE(recorder.states(), QList<int>({3, 1, 3, 0}));
}

void TstCRTSPPlayerVimbrel::audioSwitch()
{
    VelVideoLabel label;
    auto* pPlayer = new CRTSPPlayer(&label, kRect);
    label.SetPlayer(pPlayer);
    QVERIFY(!pPlayer->IsAudioEnabled());
    pPlayer->SetUrl(m_server.url("cam720-a44100s"));
    pPlayer->StartPlay();
    QTRY_COMPARE_WITH_TIMEOUT(label.state(), int(VideoStatePlaying), 15000);
    // The writer exists while the sound is off, and stays silent.
    QTRY_COMPARE(m_pLog->nOpens.load(), 1);
    QCOMPARE(m_pLog->nRate.load(), 16000);
    QTest::qWait(1000);
    QCOMPARE(audibleCount(*m_pLog), 0);

    pPlayer->SetAudioEnabled(true);
    QVERIFY(pPlayer->IsAudioEnabled());
    QVERIFY(waitFor([&] { return audibleCount(*m_pLog) >= 5; }, 5000));
    const double dFrequency = velToneFrequency(m_pLog->snapshot(), 16000);
    QVERIFY2(dFrequency > 420 && dFrequency < 460, qPrintable(QString::number(dFrequency)));

    // Off again: no more audio reaches the device.
    pPlayer->SetAudioEnabled(false);
    QTest::qWait(400);
    const int nAudible = audibleCount(*m_pLog);
    QTest::qWait(1000);
    QCOMPARE(audibleCount(*m_pLog), nAudible);

    // A restart switches the sound off.
    pPlayer->SetAudioEnabled(true);
    pPlayer->Restart();
    QVERIFY(!pPlayer->IsAudioEnabled());
    QCOMPARE(pPlayer->GetPlayState(), 3);
    pPlayer->StartPlay();
    QTRY_COMPARE_WITH_TIMEOUT(label.state(), int(VideoStatePlaying), 15000);
    QTRY_COMPARE(m_pLog->nOpens.load(), 2);
}

void TstCRTSPPlayerVimbrel::failedOpenRetriesOverTcp_data()
{
    QTest::addColumn<QByteArray>("openTimeoutFile"); // null: no file
    QTest::addColumn<int>("nMinMs");
    QTest::addColumn<int>("nMaxMs");
    // Two tries, each cut by the open limit or the socket timeout.
    QTest::newRow("default socket timeout and open limit") << QByteArray() << 5000 << 10000;
    QTest::newRow("socket timeout from c://timeout_open_input.txt")
        << QByteArray("1500000") << 2000 << 7000;
}

void TstCRTSPPlayerVimbrel::failedOpenRetriesOverTcp()
{
    QFETCH(QByteArray, openTimeoutFile);
    QFETCH(int, nMinMs);
    QFETCH(int, nMaxMs);
    if (!openTimeoutFile.isNull())
        QVERIFY(velWriteText(m_pDrives->c("timeout_open_input.txt"), openTimeoutFile));
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    QList<QTcpSocket*> accepted;
    connect(&silent, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* pSocket = silent.nextPendingConnection())
            accepted << pSocket;
    });

    VelVideoLabel label;
    auto* pPlayer = new CRTSPPlayer(&label, kRect);
    label.SetPlayer(pPlayer);
    QElapsedTimer clock;
    clock.start();
    pPlayer->SetUrl(QStringLiteral("rtsp://127.0.0.1:%1/cam").arg(silent.serverPort()));
    pPlayer->StartPlay();
    QVERIFY(waitFor([&] { return pPlayer->GetInitResult() != -1; }, nMaxMs + 2000));
    const qint64 nElapsed = clock.elapsed();
    QVERIFY(pPlayer->GetInitResult() < -1);
    QVERIFY2(nElapsed >= nMinMs && nElapsed <= nMaxMs, qPrintable(QString::number(nElapsed)));
    QCOMPARE(accepted.size(), 2);
    QTRY_COMPARE(label.state(), int(VideoStateNoSignal));
}

void TstCRTSPPlayerVimbrel::stallReopens()
{
    const QString strMount = "cam720main-noaudio";
    VelVideoLabel label;
    VelStateRecorder recorder(&label);
    auto* pPlayer = new CRTSPPlayer(&label, kRect);
    label.SetPlayer(pPlayer);
    pPlayer->SetUrl(m_server.url(strMount));
    pPlayer->StartPlay();
    QTRY_COMPARE_WITH_TIMEOUT(label.state(), int(VideoStatePlaying), 15000);
    QVERIFY(m_server.stall(strMount));
    // The tour form's 5 s socket timeout ends each stalled read before the
    // 8 s limit: the first one still hands out what the parsers held, so the
    // loss shows after two or three of them.
    QVERIFY(waitFor([&] { return recorder.sawInOrder({0, 3}); }, 20000));
    QVERIFY(m_server.resume(strMount));
    QVERIFY(waitFor([&] { return recorder.sawInOrder({0, 3, 1, 3, 0}); }, 15000));
    QCOMPARE(pPlayer->GetPlayState(), 1);
}

QTEST_MAIN(TstCRTSPPlayerVimbrel)
#include "tst_crtspplayervimbrel.moc"
