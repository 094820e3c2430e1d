// The player with sound shows each picture when its sound is heard; one
// without shows it as soon as it is decoded. A file whose picture flashes
// white and whose sound beeps at the same time once a second, played through
// a clocked test device: a file is read at once, so nothing but the sound
// paces its pictures.
#include "caudiodevice.h"
#include "crtspplayer.h"
#include "velplayertestkit.h"
#include "veltestaudiodevice.h"
#include "velvideolabel.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

namespace
{

const int kFallbackRect[4] = {0, 0, 1920, 1080};
// 98 pictures at 25 a second fit the player's queue of 100 read at once.
const char kSeconds[] = "3.9";

bool makeFlashBeepFile(const QString& strPath, QString* pError)
{
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start("ffmpeg",
                 {"-nostdin",
                  "-y",
                  "-loglevel",
                  "error",
                  "-f",
                  "lavfi",
                  "-i",
                  QStringLiteral("color=c=black:s=320x180:r=25:d=%1,drawbox=w=iw:h=ih:color=white:"
                                 "t=fill:enable='lt(mod(n\\,25)\\,1)'")
                      .arg(kSeconds),
                  "-f",
                  "lavfi",
                  "-i",
                  QStringLiteral("sine=f=1000:sample_rate=16000:d=%1,volume=volume=0:"
                                 "enable='gte(mod(t\\,1)\\,0.1)'")
                      .arg(kSeconds),
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
                  "-b:a",
                  "32k",
                  strPath});
    if (!ffmpeg.waitForFinished(30000) || ffmpeg.exitCode() != 0) {
        *pError = QString::fromLocal8Bit(ffmpeg.readAll());
        return false;
    }
    return true;
}

// When each flash was handed to the label (steady clock, ms): polled, so late
// by a few milliseconds at most.
QList<qint64> watchFlashes(VelVideoLabel& label, CRTSPPlayer& player, int nMs)
{
    QList<qint64> flashes;
    quint64 nSeen = 0;
    bool bWhite = false;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < nMs) {
        const quint64 nReceived = label.picturesReceived();
        if (nReceived != nSeen) {
            nSeen = nReceived;
            const qint64 nAt = velSteadyMs();
            const QImage picture = player.GetCurrentImage();
            const bool bNowWhite = !picture.isNull() && qGray(picture.pixel(160, 90)) > 200;
            if (bNowWhite && !bWhite)
                flashes << nAt;
            bWhite = bNowWhite;
        }
        QTest::qWait(1);
    }
    return flashes;
}

// When each beep started to be heard. Two buffers circulate: the device
// starts playing one as it finishes the other, which the writer then hands
// back at once, so a buffer starts about when the next one is handed.
QList<qint64> beepOnsets(const QList<VelAudioLog::Buffer>& buffers, int nRate)
{
    QList<qint64> onsets;
    double dStartMs = 0;
    double dPreviousEndMs = 0;
    qint64 nQuietSamples = nRate; // a beep needs half a second of quiet before it
    for (int j = 0; j < buffers.size(); ++j) {
        const VelAudioLog::Buffer& buffer = buffers.at(j);
        dStartMs = std::max(double(buffer.nAtMs), dPreviousEndMs);
        if (j > 0 && j + 1 < buffers.size())
            dStartMs = std::max(double(buffer.nAtMs), double(buffers.at(j + 1).nAtMs));
        const int nSamples = buffer.bytes.size() / 2;
        const auto* pSamples = reinterpret_cast<const qint16*>(buffer.bytes.constData());
        for (int i = 0; i < nSamples; ++i) {
            if (qAbs(int(pSamples[i])) < 1500) {
                ++nQuietSamples;
                continue;
            }
            if (nQuietSamples >= nRate / 2)
                onsets << qint64(dStartMs + i * 1000.0 / nRate);
            nQuietSamples = 0;
        }
        dPreviousEndMs = dStartMs + nSamples * 1000.0 / nRate;
    }
    return onsets;
}

} // namespace

class TstCRTSPLipSync : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void pictureWaitsForItsSound();
    void withoutSoundPicturesShowAtOnce();

private:
    QTemporaryDir m_dir;
    QString m_strFile;
    std::shared_ptr<VelAudioLog> m_pLog = std::make_shared<VelAudioLog>();
};

void TstCRTSPLipSync::initTestCase()
{
    qputenv("TMPDIR", m_dir.path().toUtf8());
    qputenv("XDG_RUNTIME_DIR", m_dir.path().toUtf8());
    m_strFile = m_dir.filePath("flashbeep.mp4");
    QString strError;
    QVERIFY2(makeFlashBeepFile(m_strFile, &strError), qPrintable(strError));
    CAudioDevice::setFactory([this] { return std::make_unique<ClockedAudioDevice>(m_pLog); });
}

void TstCRTSPLipSync::cleanupTestCase()
{
    CAudioDevice::setFactory(nullptr);
}

// Before, every picture of the file was shown within the first moments while
// the beeps came a second apart: the picture ran seconds ahead of its sound.
void TstCRTSPLipSync::pictureWaitsForItsSound()
{
    VelVideoLabel label;
    label.resize(320, 180);
    CRTSPPlayer player(label.winId(), kFallbackRect, true);
    player.SetUrl(m_strFile);
    player.StartPlay();
    const QList<qint64> flashes = watchFlashes(label, player, 5000);
    const QList<qint64> beeps = beepOnsets(m_pLog->snapshot(), m_pLog->nRate);
    qDebug() << "flashes" << flashes << "beeps" << beeps << "late" << player.GetPicturesLate()
             << "received" << label.picturesReceived();
    // The first picture of an open is shown at once; the flashes at 1, 2
    // and 3 s must each come with their beep.
    QVERIFY2(flashes.size() >= 3, qPrintable(QString::number(flashes.size())));
    QVERIFY2(beeps.size() >= 3, qPrintable(QString::number(beeps.size())));
    int nMatched = 0;
    for (qint64 nFlash : flashes.mid(flashes.size() - 3)) {
        qint64 nBest = 1000000;
        for (qint64 nBeep : beeps) {
            if (qAbs(nFlash - nBeep) < qAbs(nBest))
                nBest = nFlash - nBeep;
        }
        // Loose: the benchmark measures the figure.
        QVERIFY2(qAbs(nBest) <= 80, qPrintable(QStringLiteral("offset %1 ms").arg(nBest)));
        ++nMatched;
    }
    QCOMPARE(nMatched, 3);
}

void TstCRTSPLipSync::withoutSoundPicturesShowAtOnce()
{
    VelVideoLabel label;
    label.resize(320, 180);
    CRTSPPlayer player(label.winId(), kFallbackRect, false);
    player.SetUrl(m_strFile);
    player.StartPlay();
    QVERIFY(QTest::qWaitFor([&] { return label.picturesReceived() > 0; }, 5000));
    QElapsedTimer sinceFirst;
    sinceFirst.start();
    // Almost four seconds of pictures, read at once, reach the label far
    // sooner than they would play: nothing waits.
    QVERIFY(QTest::qWaitFor([&] { return label.picturesReceived() >= 90; }, 3000));
    QVERIFY2(sinceFirst.elapsed() < 1500, qPrintable(QString::number(sinceFirst.elapsed())));
    QCOMPARE(player.GetPicturesLate(), quint64(0));
}

QTEST_MAIN(TstCRTSPLipSync)
#include "tst_crtsplipsync.moc"
