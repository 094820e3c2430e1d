// The recorder on real streams and real files, read back with ffprobe/ffmpeg.
#include "recordthread.h"
#include "velprobe.h"
#include "velrtspserver.h"
#include "velsilentserver.h"
#include "veltestdrives.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstdio>

namespace
{

// Long enough to measure a duration against, short enough for the suite.
constexpr int kRecordMs = 4000;

// Every packet's dts is larger than the one before, stream by stream.
bool monotonic(const QJsonObject& info, QString* pWhy)
{
    QMap<int, qint64> last;
    for (const QJsonValue& value : info.value("packets").toArray()) {
        const QJsonObject packet = value.toObject();
        const int nStream = packet.value("stream_index").toInt();
        const qint64 nDts = packet.value("dts").toVariant().toLongLong();
        if (last.contains(nStream) && nDts <= last.value(nStream)) {
            *pWhy = QStringLiteral("stream %1: dts %2 after %3")
                        .arg(nStream)
                        .arg(nDts)
                        .arg(last[nStream]);
            return false;
        }
        last[nStream] = nDts;
    }
    return !last.isEmpty();
}

// The child of killedRecordingStillDecodes: records until it is killed.
int recordChild(const char* szUrl, const char* szFile)
{
    RecordThread recorder;
    if (!recorder.Init(QString::fromLocal8Bit(szUrl), QString::fromLocal8Bit(szFile)))
        return 1;
    recorder.start();
    std::printf("RECORDING\n");
    std::fflush(stdout);
    QThread::sleep(60); // killed long before
    return 2;
}

} // namespace

class TstRecordThread : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void liveRecordingHoldsEveryStream();
    void stopWhileReadIsBlocked();
    void gapLongerThanTheSocketTimeoutKeepsRecording();
    void openIsBoundedAgainstASilentCamera();
    void startRecordingKeepsTheCallerFree();
    void audioMp4CannotHold_data();
    void audioMp4CannotHold();
    void adtsAudioIsConverted();
    void secondInitLeavesTheRecordingAlone();
    void killedRecordingStillDecodes();

private:
    QString path(const QString& strName) const { return m_dir.filePath(strName); }

    QTemporaryDir m_dir;
    VelRtspServer m_server{false};
    std::unique_ptr<VelTestDrives> m_pDrives;
};

void TstRecordThread::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(m_server.start(), qPrintable(m_server.errorString()));
}

void TstRecordThread::init()
{
    m_pDrives = std::make_unique<VelTestDrives>();
}

void TstRecordThread::cleanup()
{
    QVERIFY(RecordThread::waitForFinishing(30000));
    m_pDrives.reset();
}

void TstRecordThread::cleanupTestCase()
{
    m_server.stop();
}

void TstRecordThread::liveRecordingHoldsEveryStream()
{
    const QString strFile = path("live.mp4");
    RecordThread recorder;
    QSignalSpy opened(&recorder, &RecordThread::sigInitFinished);
    const int nTeardowns = m_server.teardowns("cam720");
    QElapsedTimer clock;
    clock.start();
    recorder.StartRecording(m_server.url("cam720"), strFile);
    QVERIFY(opened.wait(10000));
    QCOMPARE(opened.first().first().toBool(), true);
    const double dOpened = clock.elapsed() / 1000.0;
    QTest::qWait(kRecordMs - int(clock.elapsed()));
    const double dRecorded = clock.elapsed() / 1000.0;
    recorder.StopRecording();
    // The stop does not leave the session on the camera.
    QTRY_COMPARE_WITH_TIMEOUT(m_server.teardowns("cam720"), nTeardowns + 1, 5000);
    QVERIFY(RecordThread::waitForFinishing(30000));

    const QJsonObject info = VelProbe::probe(strFile, true);
    QCOMPARE(VelProbe::codecs(info), QStringList({"h264", "aac"}));
    const double dDuration =
        info.value("format").toObject().value("duration").toString().toDouble();
    qInfo("recorded %.2f s (open %.2f s), the file holds %.2f s", dRecorded, dOpened, dDuration);
    // Everything from the open on is kept; the camera's media before it (the
    // open's own time, long on a loaded machine) cannot be.
    const double dSinceOpen = dRecorded - dOpened;
    QVERIFY2(dDuration >= 0.9 * dSinceOpen && dDuration <= 1.1 * dRecorded,
             qPrintable(QStringLiteral("%1 s in the file, %2 s recorded, %3 s of it after the open")
                            .arg(dDuration)
                            .arg(dRecorded)
                            .arg(dSinceOpen)));
    QString strWhy;
    QVERIFY2(monotonic(info, &strWhy), qPrintable(strWhy));
    QCOMPARE(VelProbe::decode(strFile), 0);
    // A stopped recording is a plain MP4: its header knows the duration.
    QVERIFY(!VelProbe::run("ffprobe", {"-v", "error", "-show_entries", "format_tags", strFile})
                 .contains("frag"));
}

// Without the interrupt the stop would sit out the socket timeout.
void TstRecordThread::stopWhileReadIsBlocked()
{
    const QString strMount = QStringLiteral("cam720-a8000m");
    const QString strFile = path("stalled.mp4");
    RecordThread recorder;
    QVERIFY(recorder.Init(m_server.url(strMount), strFile));
    recorder.start();
    QTest::qWait(1000);
    QVERIFY2(m_server.stall(strMount), qPrintable(m_server.errorString()));
    QTest::qWait(500); // the copy loop is now waiting in a read
    QElapsedTimer clock;
    clock.start();
    recorder.StopRecording();
    const qint64 nStopMs = clock.elapsed();
    QVERIFY(m_server.resume(strMount));
    QVERIFY2(nStopMs < 1500, qPrintable(QStringLiteral("stop took %1 ms").arg(nStopMs)));
    QVERIFY(RecordThread::waitForFinishing(30000));
    QCOMPARE(VelProbe::decode(strFile), 0);
    QVERIFY(VelProbe::probe(strFile)
                .value("format")
                .toObject()
                .value("duration")
                .toString()
                .toDouble() > 0.5);
}

// The open limit's file sets the socket timeout too; a gap in the stream
// longer than it but within the read limit is no lost camera.
void TstRecordThread::gapLongerThanTheSocketTimeoutKeepsRecording()
{
    QFile limit(m_pDrives->c("timeout_open_input.txt"));
    QVERIFY(limit.open(QIODevice::WriteOnly) && limit.write("1000") == 4);
    limit.close();
    const QString strMount = QStringLiteral("cam720-a8000m");
    const QString strFile = path("gap.mp4");
    RecordThread recorder;
    QSignalSpy ended(&recorder, &RecordThread::sigRecordingEnded);
    QVERIFY(recorder.Init(m_server.url(strMount), strFile));
    recorder.start();
    QTest::qWait(1000);
    QVERIFY2(m_server.stall(strMount), qPrintable(m_server.errorString()));
    QTest::qWait(2500);
    QVERIFY(m_server.resume(strMount));
    QTest::qWait(1000);
    QCOMPARE(ended.count(), 0);
    QVERIFY(recorder.isRecording());
    QCOMPARE(recorder.StopRecording(), RecordThread::ResultSaved);
    QVERIFY(RecordThread::waitForFinishing(30000));
    QCOMPARE(VelProbe::decode(strFile), 0);
}

void TstRecordThread::openIsBoundedAgainstASilentCamera()
{
    QFile limit(m_pDrives->c("timeout_open_input.txt"));
    QVERIFY(limit.open(QIODevice::WriteOnly));
    limit.write("500");
    limit.close();
    VelSilentServer camera;
    QVERIFY(camera.listen());
    RecordThread recorder;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!recorder.Init(camera.url(), path("silent.mp4")));
    // Two attempts (default transport, then TCP) of 500 ms each.
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!QFile::exists(path("silent.mp4")));
}

void TstRecordThread::startRecordingKeepsTheCallerFree()
{
    VelSilentServer camera;
    QVERIFY(camera.listen());
    RecordThread recorder;
    QSignalSpy opened(&recorder, &RecordThread::sigInitFinished);
    int nTicks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&nTicks] { ++nTicks; });
    ticker.start(20);
    recorder.StartRecording(camera.url(), path("pending.mp4"));
    // The caller's event loop runs while the camera keeps silent.
    QTRY_VERIFY_WITH_TIMEOUT(nTicks >= 5, 2000);
    QCOMPARE(opened.count(), 0);
    QElapsedTimer clock;
    clock.start();
    recorder.StopRecording();
    QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!recorder.isRecording());
    QVERIFY(!QFile::exists(path("pending.mp4")));
}

void TstRecordThread::audioMp4CannotHold_data()
{
    QTest::addColumn<QString>("codec");
    QTest::addColumn<QStringList>("recorded");
    QTest::addColumn<QString>("log");
    QTest::newRow("G.711 u-law becomes AAC")
        << "pcm_mulaw" << QStringList({"h264", "aac"}) << "pcm_mulaw.*recorded as AAC";
    QTest::newRow("G.711 A-law becomes AAC")
        << "pcm_alaw" << QStringList({"h264", "aac"}) << "pcm_alaw.*recorded as AAC";
    QTest::newRow("PCM is left out")
        << "pcm_s16le" << QStringList({"h264"}) << "left out.*pcm_s16le|pcm_s16le.*left out";
}

void TstRecordThread::audioMp4CannotHold()
{
    QFETCH(QString, codec);
    QFETCH(QStringList, recorded);
    QFETCH(QString, log);
    const QString strSource = path(codec + ".mkv");
    QVERIFY(VelProbe::makeFile(strSource, 3, codec));
    QCOMPARE(VelProbe::codecs(VelProbe::probe(strSource)), QStringList({"h264", codec}));

    const QString strFile = path(codec + ".mp4");
    RecordThread recorder;
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(log));
    QVERIFY(recorder.Init(strSource, strFile));
    recorder.start();
    QTRY_VERIFY_WITH_TIMEOUT(recorder.isFinished(), 10000); // end of the file
    QCOMPARE(recorder.StopRecording(), RecordThread::ResultSaved);
    QVERIFY(RecordThread::waitForFinishing(30000));

    QCOMPARE(VelProbe::codecs(VelProbe::probe(strFile)), recorded);
    // The video went through untouched.
    const QByteArray strHash = VelProbe::streamHash(strFile, "0:v");
    QVERIFY(!strHash.isEmpty());
    QCOMPARE(strHash, VelProbe::streamHash(strSource, "0:v"));
    QByteArray errors;
    QCOMPARE(VelProbe::decode(strFile, &errors), 0);
    QVERIFY2(errors.isEmpty(), errors.constData());
}

// AAC in ADTS frames (a transport stream) records only through the filter.
void TstRecordThread::adtsAudioIsConverted()
{
    const QString strSource = path("adts.ts");
    QVERIFY(VelProbe::makeFile(strSource, 3, "aac", 16000));
    const QString strFile = path("adts.mp4");
    RecordThread recorder;
    QVERIFY(recorder.Init(strSource, strFile));
    recorder.start();
    QTRY_VERIFY_WITH_TIMEOUT(recorder.isFinished(), 10000);
    recorder.StopRecording();
    QVERIFY(RecordThread::waitForFinishing(30000));

    const QJsonObject info = VelProbe::probe(strFile, true);
    QCOMPARE(VelProbe::codecs(info), QStringList({"h264", "aac"}));
    int nAudioPackets = 0;
    for (const QJsonValue& packet : info.value("packets").toArray())
        nAudioPackets += packet.toObject().value("stream_index").toInt() == 1;
    QVERIFY2(nAudioPackets > 40, qPrintable(QString::number(nAudioPackets)));
    QByteArray errors;
    QCOMPARE(VelProbe::decode(strFile, &errors), 0);
    QVERIFY2(errors.isEmpty(), errors.constData());
}

void TstRecordThread::secondInitLeavesTheRecordingAlone()
{
    const QString strFile = path("first.mp4");
    RecordThread recorder;
    QVERIFY(recorder.Init(m_server.url("cam720"), strFile));
    recorder.start();
    QVERIFY(!recorder.Init(m_server.url("cam1080"), path("second.mp4")));
    recorder.StartRecording(m_server.url("cam1080"), path("second.mp4"));
    QTest::qWait(1500);
    QVERIFY(recorder.isRecording());
    recorder.StopRecording();
    QVERIFY(RecordThread::waitForFinishing(30000));
    QVERIFY(!QFile::exists(path("second.mp4")));
    const QJsonObject info = VelProbe::probe(strFile);
    QCOMPARE(info.value("streams").toArray().first().toObject().value("height").toInt(), 720);
    QVERIFY(info.value("format").toObject().value("duration").toString().toDouble() > 1.0);
}

void TstRecordThread::killedRecordingStillDecodes()
{
    const QString strFile = path("killed.mp4");
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {"--record-child", m_server.url("cam720"), strFile});
    QVERIFY(child.waitForStarted(5000));
    QElapsedTimer wait;
    wait.start();
    while (!child.canReadLine() && wait.elapsed() < 15000)
        child.waitForReadyRead(100);
    QCOMPARE(child.readLine().trimmed(), QByteArray("RECORDING"));
    QElapsedTimer clock;
    clock.start();
    QTest::qWait(kRecordMs);
    const double dRecorded = clock.elapsed() / 1000.0;
    child.kill(); // SIGKILL: no trailer
    QVERIFY(child.waitForFinished(5000));

    QCOMPARE(VelProbe::decode(strFile), 0);
    const double dSpan = VelProbe::packetSpan(VelProbe::probe(strFile, true));
    qInfo("killed after %.2f s of recording, %.2f s decode", dRecorded, dSpan);
    QVERIFY2(dSpan >= 0.9 * dRecorded,
             qPrintable(QStringLiteral("%1 s of %2 s kept").arg(dSpan).arg(dRecorded)));
}

int main(int argc, char** argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--record-child") == 0)
        return recordChild(argv[2], argv[3]);
    QCoreApplication app(argc, argv);
    TstRecordThread test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recordthread.moc"
