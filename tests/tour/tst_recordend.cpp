// How recordings end: G.711 cameras recorded with their sound, a stop before
// anything was recorded, a camera lost or a disk filled while recording, and
// the finishing copy on damaged files and full disks. Real streams from the
// test server, real files read back with ffprobe/ffmpeg.
#include "recordfinish.h"
#include "recordthread.h"
#include "velplayertestenv.h"
#include "velprobe.h"
#include "velpushbutton.h"
#include "velsavedialog.h"
#include "velsmalldisk.h"
#include "veltourvideowidget.h"
#include "velvideocontrolbar.h"

#include <QCryptographicHash>
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

#include <atomic>

static void initResources()
{
    Q_INIT_RESOURCE(vimbrel);
}

namespace
{

std::atomic<int> g_nWriteFailures{0};
QtMessageHandler g_previousHandler = nullptr;

// Counts the recorder's write-failure lines, and passes everything on.
void countingHandler(QtMsgType type, const QMessageLogContext& context, const QString& strText)
{
    if (strText.contains(QLatin1String("Error muxing")) ||
        (strText.startsWith(QLatin1String("RecordThread: writing")) &&
         strText.contains(QLatin1String("failed"))))
        ++g_nWriteFailures;
    g_previousHandler(type, context, strText);
}

double streamDuration(const QJsonObject& info, int nIndex)
{
    return info.value("streams")
        .toArray()
        .at(nIndex)
        .toObject()
        .value("duration")
        .toString()
        .toDouble();
}

QByteArray fileHash(const QString& strPath)
{
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Md5);
}

// The box sizes of a fragmented MP4 end exactly at the end of the file.
bool endsOnAWholeFragment(const QString& strPath)
{
    const qint64 nSize = QFileInfo(strPath).size();
    return nSize > 0 && RecordFinish::cutToWholeFragment(strPath) == nSize;
}

bool isFragmented(const QString& strPath)
{
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) && file.readAll().contains("moof");
}

// A fragmented recording as the recorder writes it, from lavfi.
bool makeFragmentedFile(const QString& strPath, int nSeconds)
{
    int nExit = -1;
    VelProbe::run(QStringLiteral("ffmpeg"),
                  {"-nostdin",
                   "-y",
                   "-v",
                   "error",
                   "-f",
                   "lavfi",
                   "-i",
                   QStringLiteral("testsrc2=size=640x360:rate=25:duration=%1").arg(nSeconds),
                   "-f",
                   "lavfi",
                   "-i",
                   QStringLiteral("sine=sample_rate=16000:duration=%1").arg(nSeconds),
                   "-c:v",
                   "libx264",
                   "-preset",
                   "ultrafast",
                   "-g",
                   "25",
                   "-pix_fmt",
                   "yuv420p",
                   "-c:a",
                   "aac",
                   "-movflags",
                   "+frag_keyframe+empty_moov+default_base_moof",
                   "-frag_duration",
                   "250000",
                   strPath},
                  &nExit);
    return nExit == 0;
}

// Points the samples of the middle fragment before the start of the file: the
// demuxer fails there with an error that is not the end of the file.
bool damageMiddleFragment(const QString& strPath)
{
    QFile file(strPath);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray data = file.readAll();
    QList<int> moofs;
    for (int i = data.indexOf("moof"); i >= 0; i = data.indexOf("moof", i + 4))
        moofs << i;
    if (moofs.size() < 3)
        return false;
    const int nTrun = data.indexOf("trun", moofs.at(moofs.size() / 2));
    if (nTrun < 0)
        return false;
    // trun: type, version and flags, sample count, then the data offset.
    const char offset[4] = {char(0x80), 0, 0, 0x10};
    data.replace(nTrun + 12, 4, offset, 4);
    return file.seek(0) && file.write(data) == data.size();
}

} // namespace

class TstRecordEnd : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void g711CameraKeepsItsSound_data();
    void g711CameraKeepsItsSound();
    void stopAtOnceLeavesNoEmptyFile_data();
    void stopAtOnceLeavesNoEmptyFile();
    void recordingThatEndsByItselfTellsTheUser_data();
    void recordingThatEndsByItselfTellsTheUser();
    void clockGoingBackIsNoWriteError();
    void finishingCopy_data();
    void finishingCopy();
    void noRoomForTheFinishingCopyKeepsTheRecording();

private:
    QString path(const QString& strName) const { return m_env.tempDir.filePath(strName); }

    VelPlayerTestEnv m_env;
    QString m_strAnswer; // what the save dialog returns
};

void TstRecordEnd::initTestCase()
{
    initResources();
    QString strError;
    QVERIFY2(m_env.start(&strError), qPrintable(strError));
    VelSaveDialog::setDialogFunction(
        [this](QWidget*, const VelSaveDialog::Request&) { return m_strAnswer; });
    g_previousHandler = qInstallMessageHandler(countingHandler);
}

void TstRecordEnd::init()
{
    m_env.beginCase();
    g_nWriteFailures = 0;
}

void TstRecordEnd::cleanup()
{
    QVERIFY(RecordThread::waitForFinishing(30000));
    m_env.endCase();
}

void TstRecordEnd::cleanupTestCase()
{
    qInstallMessageHandler(g_previousHandler);
    VelSaveDialog::setDialogFunction({});
    m_env.stop();
}

void TstRecordEnd::g711CameraKeepsItsSound_data()
{
    QTest::addColumn<QString>("mount");
    QTest::newRow("u-law") << "cam720-pcmu";
    QTest::newRow("u-law, key frame every two seconds") << "cam720-gop2-pcmu";
}

// MP4 cannot hold G.711: it is converted to AAC, the picture still copied.
void TstRecordEnd::g711CameraKeepsItsSound()
{
    QFETCH(QString, mount);
    const QString strFile = path(mount + ".mp4");
    RecordThread recorder;
    QVERIFY(recorder.Init(m_env.server.url(mount), strFile));
    recorder.start();
    QTest::qWait(4000);
    QCOMPARE(recorder.StopRecording(), RecordThread::ResultSaved);
    QVERIFY(RecordThread::waitForFinishing(30000));

    const QJsonObject info = VelProbe::probe(strFile);
    QCOMPARE(VelProbe::codecs(info), QStringList({"h264", "aac"}));
    const double dVideo = streamDuration(info, 0);
    const double dAudio = streamDuration(info, 1);
    qInfo("video %.3f s, sound %.3f s", dVideo, dAudio);
    QVERIFY2(dVideo > 1.5, qPrintable(QString::number(dVideo)));
    QVERIFY2(qAbs(dVideo - dAudio) <= 0.2,
             qPrintable(QStringLiteral("video %1 s, sound %2 s").arg(dVideo).arg(dAudio)));
    QByteArray errors;
    QCOMPARE(VelProbe::decode(strFile, &errors), 0);
    QVERIFY2(errors.isEmpty(), errors.constData());
}

void TstRecordEnd::stopAtOnceLeavesNoEmptyFile_data()
{
    QTest::addColumn<QString>("mount");
    // The first key frame may or may not come within 0.3 s of the open.
    QTest::newRow("picture only") << "cam720-gop2-noaudio";
    QTest::newRow("with sound") << "cam720-gop2";
}

void TstRecordEnd::stopAtOnceLeavesNoEmptyFile()
{
    QFETCH(QString, mount);
    const QString strFile = path("atonce.mp4");
    QFile::remove(strFile);
    RecordThread recorder;
    QVERIFY(recorder.Init(m_env.server.url(mount), strFile));
    recorder.start();
    QTest::qWait(300);
    const RecordThread::Result eResult = recorder.StopRecording();
    QVERIFY(RecordThread::waitForFinishing(30000));
    // Either no file and a stop that says so, or a file that holds pictures.
    if (eResult == RecordThread::ResultNothing) {
        qInfo("nothing recorded");
        QVERIFY2(!QFile::exists(strFile),
                 qPrintable(QStringLiteral("%1 bytes left").arg(QFileInfo(strFile).size())));
    } else {
        const QJsonObject info = VelProbe::probe(strFile, true);
        qInfo("%.2f s recorded", VelProbe::packetSpan(info));
        QCOMPARE(VelProbe::codecs(info).value(0), QString("h264"));
        QCOMPARE(VelProbe::decode(strFile), 0);
    }
}

void TstRecordEnd::recordingThatEndsByItselfTellsTheUser_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("notice");
    QTest::newRow("camera killed") << "kill" << QStringLiteral("录像已停止: 摄像机断开");
    QTest::newRow("disk full") << "fill" << QStringLiteral("录像已停止: 磁盘已满");
    QTest::newRow("stopped before anything came")
        << "stop" << QStringLiteral("录像未保存: 没有录到内容");
}

void TstRecordEnd::recordingThatEndsByItselfTellsTheUser()
{
    QFETCH(QString, how);
    QFETCH(QString, notice);
    // A camera of its own: killing it must not take the other cases' along.
    VelRtspServer camera;
    QVERIFY2(camera.isRunning(), qPrintable(camera.errorString()));
    const QString strMount = QStringLiteral("cam720");
    VelSmallDisk disk;
    const QString strDir = path(how);
    if (how == QLatin1String("fill")) {
        QString strWhy;
        if (!disk.mount(strDir, 160 * 1024, &strWhy))
            QSKIP(qPrintable(strWhy));
    }
    QDir().mkpath(strDir);
    m_strAnswer = strDir + QStringLiteral("/record.mp4");

    VelTourVideoWidget widget(nullptr);
    widget.SetRunMode(2);
    widget.resize(640, 360);
    widget.show();
    widget.Play(camera.url(strMount));
    widget.record(true);
    QVERIFY(widget.recorder());
    if (how == QLatin1String("stop")) {
        // Pressed again at once: the open is cut short.
        QTest::mouseClick(widget.controlBar()->button("record"), Qt::LeftButton);
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(widget.recorder() && widget.recorder()->isRecording(), 10000);
        if (how == QLatin1String("kill")) {
            QTest::qWait(2000);
            camera.kill();
        }
        // The read limit (8 s) bounds the loss; a full disk comes sooner.
        QTRY_VERIFY_WITH_TIMEOUT(!widget.recorder(), 15000);
    }
    QVERIFY(!widget.controlBar()->recordState());
    auto* pNotice = widget.findChild<QLabel*>(QStringLiteral("recordNotice"));
    QVERIFY(pNotice);
    QVERIFY(pNotice->isVisible());
    QCOMPARE(pNotice->text(), notice);
    QVERIFY(RecordThread::waitForFinishing(30000));

    if (how == QLatin1String("stop")) {
        QVERIFY(!QFile::exists(m_strAnswer));
        return;
    }
    QVERIFY2(g_nWriteFailures <= 1, qPrintable(QString::number(g_nWriteFailures)));
    QByteArray errors;
    QCOMPARE(VelProbe::decode(m_strAnswer, &errors), 0);
    QVERIFY2(errors.isEmpty(), errors.constData());
    const double dSpan = VelProbe::packetSpan(VelProbe::probe(m_strAnswer, true));
    QVERIFY2(dSpan > 1.0, qPrintable(QString::number(dSpan)));
    if (how == QLatin1String("fill")) {
        // No room to finish: the fragmented file, cut back to whole fragments.
        QVERIFY(isFragmented(m_strAnswer));
        QVERIFY(endsOnAWholeFragment(m_strAnswer));
    }
}

// A source whose timestamps start again: the muxer refuses those packets, but
// the file is fine, so the recording goes on and logs it once.
void TstRecordEnd::clockGoingBackIsNoWriteError()
{
    const QString strPart = path("part.ts");
    QVERIFY(VelProbe::makeFile(strPart, 2, "aac", 16000));
    const QString strFile = path("restarted.mp4");
    RecordThread recorder;
    QSignalSpy ended(&recorder, &RecordThread::sigRecordingEnded);
    QVERIFY(recorder.Init(QStringLiteral("concat:%1|%1").arg(strPart), strFile));
    recorder.start();
    QVERIFY(ended.wait(10000));
    QCOMPARE(ended.first().first().toInt(), int(RecordThread::EndInputLost));
    QCOMPARE(recorder.StopRecording(), RecordThread::ResultSaved);
    QVERIFY(RecordThread::waitForFinishing(30000));
    QVERIFY2(g_nWriteFailures <= 1, qPrintable(QString::number(g_nWriteFailures)));
    QCOMPARE(VelProbe::decode(strFile), 0);
    const double dSpan = VelProbe::packetSpan(VelProbe::probe(strFile, true));
    QVERIFY2(dSpan > 1.5, qPrintable(QString::number(dSpan)));
}

void TstRecordEnd::finishingCopy_data()
{
    QTest::addColumn<bool>("damaged");
    QTest::newRow("whole") << false;
    QTest::newRow("damaged in the middle") << true;
}

// Only the end of the file ends the copy; anything else keeps the fragments.
void TstRecordEnd::finishingCopy()
{
    QFETCH(bool, damaged);
    const QString strFile = path("copy.mp4");
    QVERIFY(makeFragmentedFile(strFile, 6));
    if (damaged)
        QVERIFY(damageMiddleFragment(strFile));
    const QByteArray strBefore = fileHash(strFile);

    QCOMPARE(RecordFinish::rewritePlain(strFile), !damaged);
    QVERIFY(QDir(m_env.tempDir.path()).entryList({"*.finishing.mp4"}, QDir::Hidden).isEmpty());
    if (damaged) {
        QCOMPARE(fileHash(strFile), strBefore);
        return;
    }
    QVERIFY(!isFragmented(strFile));
    const double dDuration =
        VelProbe::probe(strFile).value("format").toObject().value("duration").toString().toDouble();
    QVERIFY2(qAbs(dDuration - 6.0) < 0.2, qPrintable(QString::number(dDuration)));
}

// The recording fits, its plain copy does not: the fragmented file stays and
// plays, and the stop does not fail for it.
void TstRecordEnd::noRoomForTheFinishingCopyKeepsTheRecording()
{
    const QString strSource = path("source.mp4");
    QVERIFY(makeFragmentedFile(strSource, 6));
    const qint64 nSize = QFileInfo(strSource).size();
    VelSmallDisk disk;
    QString strWhy;
    if (!disk.mount(path("small"), nSize * 3 / 2, &strWhy))
        QSKIP(qPrintable(strWhy));
    const QString strFile = disk.path() + QStringLiteral("/kept.mp4");

    RecordThread recorder;
    QSignalSpy ended(&recorder, &RecordThread::sigRecordingEnded);
    QVERIFY(recorder.Init(strSource, strFile));
    recorder.start();
    QVERIFY(ended.wait(10000)); // the end of the source
    QCOMPARE(ended.first().first().toInt(), int(RecordThread::EndInputLost));
    QCOMPARE(recorder.StopRecording(), RecordThread::ResultSaved);
    QVERIFY(RecordThread::waitForFinishing(30000));

    QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"kept.mp4"}));
    QVERIFY(isFragmented(strFile));
    QCOMPARE(VelProbe::decode(strFile), 0);
    const double dSpan = VelProbe::packetSpan(VelProbe::probe(strFile, true));
    QVERIFY2(qAbs(dSpan - 6.0) < 0.3, qPrintable(QString::number(dSpan)));
}

QTEST_MAIN(TstRecordEnd)
#include "tst_recordend.moc"
