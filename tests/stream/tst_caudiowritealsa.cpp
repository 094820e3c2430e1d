// The writer on real ALSA: "default" redirected by a test configuration to
// the file plugin (whose slave plays nothing), and to a device that does not
// exist, as on a machine without a sound card.
#include "caudiowrite.h"
#include "velcapturefd.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <alsa/asoundlib.h>

namespace
{

QByteArray ramp(int nLength)
{
    QByteArray bytes(nLength, Qt::Uninitialized);
    for (int i = 0; i < nLength; ++i)
        bytes[i] = char(1 + i % 253);
    return bytes;
}

bool writeText(const QString& strPath, const QByteArray& text)
{
    QFile file(strPath);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

} // namespace

class TstCAudioWriteAlsa : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void samplesReachTheDefaultDevice();
    void missingDeviceFailsOpen();

private:
    QTemporaryDir m_dir;
};

void TstCAudioWriteAlsa::cleanup()
{
    qunsetenv("ALSA_CONFIG_PATH");
    // ALSA keeps its parsed configuration per process.
    snd_config_update_free_global();
}

void TstCAudioWriteAlsa::samplesReachTheDefaultDevice()
{
    const QString strOut = m_dir.filePath("played.raw");
    const QString strConf = m_dir.filePath("file.conf");
    QVERIFY(writeText(strConf, "pcm.null { type null }\n"
                               "pcm.!default {\n"
                               "  type file\n"
                               "  slave.pcm \"null\"\n"
                               "  file \"" +
                                   strOut.toUtf8() +
                                   "\"\n"
                                   "  format \"raw\"\n"
                                   "}\n"));
    qputenv("ALSA_CONFIG_PATH", strConf.toUtf8());

    CAudioWrite writer;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(writer.Open(8000, 16, 1));
    QVERIFY(writer.IsDeviceOpen());
    QCOMPARE(writer.BufferLength(), 1600);
    const QByteArray audio = ramp(4000);
    QVERIFY(writer.Write(audio.constData(), audio.size()));
    // Two buffers of audio leave the ring, the last 800 bytes never do.
    QTRY_VERIFY_WITH_TIMEOUT(writer.RingFill() == 800, 3000);
    QTest::qWait(400); // a few more buffers of silence
    writer.Close();
    const qint64 nPlayedMs = clock.elapsed();

    QFile file(strOut);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray played = file.readAll();
    QVERIFY2(played.size() % 1600 == 0, qPrintable(QString::number(played.size())));
    const int nStart = played.indexOf(audio.at(0));
    QVERIFY(nStart >= 3200); // the two silent buffers of the open come first
    QCOMPARE(nStart % 1600, 0);
    // In ring order, although pool threads hand the buffers back (regression:
    // two buffers finished together reached the device swapped).
    QCOMPARE(played.mid(nStart, 3200), audio.left(3200));
    QVERIFY(played.size() >= nStart + 3200 + 1600);
    QCOMPARE(played.left(nStart), QByteArray(nStart, '\0'));
    const QByteArray after = played.mid(nStart + 3200);
    QCOMPARE(after, QByteArray(after.size(), '\0'));
    // Played in real time, not as fast as the plugin takes it: no more than
    // the time open plus the quarter second the device may run ahead.
    QVERIFY2(played.size() <= (nPlayedMs + 400) * 16, qPrintable(QString::number(played.size())));
}

// Without a sound card every player printed "wave out open err" and eight
// lines of ALSA's own: now one clear line for the process, and a writer that
// can say it has no device.
void TstCAudioWriteAlsa::missingDeviceFailsOpen()
{
    const QString strConf = m_dir.filePath("nodevice.conf");
    QVERIFY(writeText(strConf, "# no sound card here\n"));
    qputenv("ALSA_CONFIG_PATH", strConf.toUtf8());

    CAudioWrite first, second;
    VelCaptureFd captureOut(1);
    VelCaptureFd captureErr(2);
    QVERIFY(!first.Open(16000, 16, 1));
    QVERIFY(!second.Open(8000, 16, 1));
    // Only the writers print here (a verbose test log may follow them).
    const QByteArray err = captureErr.take();
    const QByteArray out = captureOut.take();
    QCOMPARE(err.count("no sound device: ALSA \"default\" cannot be opened"), 1);
    QVERIFY2(!err.contains("ALSA lib"), err.constData());
    QVERIFY2(!out.contains("wave out open err") && !err.contains("wave out open err"),
             out.constData());
    QVERIFY(!first.IsDeviceOpen());
    QVERIFY(!first.IsPlaying());
    const QByteArray audio = ramp(5000);
    QVERIFY(first.Write(audio.constData(), audio.size()));
    QCOMPARE(first.RingFill(), 5000);
    first.Close();
}

QTEST_GUILESS_MAIN(TstCAudioWriteAlsa)
#include "tst_caudiowritealsa.moc"
