// The writer's buffer discipline, byte for byte, through the device seam.
// Built once per form.
#include "caudiowrite.h"
#include "velcapturefd.h"
#include "veldebug.h"
#include "veltestaudiodevice.h"

#include <QElapsedTimer>
#include <QtTest>

namespace
{

QByteArray pattern(int nLength, int nSeed)
{
    QByteArray bytes(nLength, Qt::Uninitialized);
    for (int i = 0; i < nLength; ++i)
        bytes[i] = char(1 + (i * 7 + nSeed) % 251); // never 0: silence stands out
    return bytes;
}

struct Rig {
    Rig()
    {
        pLog = std::make_shared<VelAudioLog>();
        auto device = std::make_unique<ManualAudioDevice>(pLog);
        pDevice = device.get();
        pWriter = std::make_unique<CAudioWrite>(std::move(device));
    }
    ~Rig() { pWriter->Close(); }

    // Plays the oldest buffer in the device and returns what the writer sends
    // back in its place (empty if nothing comes within the bound).
    QByteArray cycle(int nTimeoutMs = 2000)
    {
        const int nBefore = pLog->count();
        if (!pDevice->finishOne())
            return QByteArray();
        if (!pLog->wait(nBefore + 1, nTimeoutMs))
            return QByteArray();
        return pLog->snapshot().at(nBefore).bytes;
    }

    std::shared_ptr<VelAudioLog> pLog;
    ManualAudioDevice* pDevice = nullptr;
    std::unique_ptr<CAudioWrite> pWriter;
};

bool openRig(Rig& rig, int nRate)
{
    if (!rig.pWriter->Open(nRate, 16, 1))
        return false;
#if defined(VEL_FORM_VIMBREL)
    rig.pWriter->SetEnabled(true);
#endif
    return true;
}

} // namespace

class TstCAudioWrite : public QObject
{
    Q_OBJECT
private slots:
    void openSendsTwoSilentBuffers_data();
    void openSendsTwoSilentBuffers();
    void silenceWhileNothingIsWritten();
    void refillNeedsMoreThanOneBuffer_data();
    void refillNeedsMoreThanOneBuffer();
    void ringRules_data();
    void ringRules();
    void backlogCutAtStartAndAfterUnderrun_data();
    void backlogCutAtStartAndAfterUnderrun();
    void closeEndsTheCycle();
    void deviceFailureKeepsTheRing();
#if defined(VEL_FORM_VIMBREL)
    void switchOffSilencesSwitchOnResumes();
#endif
};

void TstCAudioWrite::openSendsTwoSilentBuffers_data()
{
    QTest::addColumn<int>("nRate");
    QTest::addColumn<int>("nLength");
    QTest::newRow("8000 Hz: 100 ms is 1600 bytes") << 8000 << 1600;
    QTest::newRow("16000 Hz: 100 ms is 3200 bytes") << 16000 << 3200;
}

void TstCAudioWrite::openSendsTwoSilentBuffers()
{
    QFETCH(int, nRate);
    QFETCH(int, nLength);
    Rig rig;
    QVERIFY(openRig(rig, nRate));
    QCOMPARE(rig.pLog->nRate.load(), nRate);
    QCOMPARE(rig.pLog->nBits.load(), 16);
    QCOMPARE(rig.pLog->nChannels.load(), 1);
    QCOMPARE(rig.pWriter->BufferLength(), nLength);
    const auto buffers = rig.pLog->snapshot();
    QCOMPARE(buffers.size(), 2);
    QCOMPARE(buffers.at(0).nBuffer, 0);
    QCOMPARE(buffers.at(1).nBuffer, 1);
    for (const auto& buffer : buffers)
        QCOMPARE(buffer.bytes, QByteArray(nLength, '\0'));
    QVERIFY(rig.pWriter->IsPlaying());
}

void TstCAudioWrite::silenceWhileNothingIsWritten()
{
    Rig rig;
    QVERIFY(openRig(rig, 8000));
    for (int i = 0; i < 6; ++i)
        QCOMPARE(rig.cycle(), QByteArray(1600, '\0'));
    // Both buffers keep circulating, alternately.
    const auto buffers = rig.pLog->snapshot();
    for (int i = 0; i < buffers.size(); ++i)
        QCOMPARE(buffers.at(i).nBuffer, i % 2);
}

void TstCAudioWrite::refillNeedsMoreThanOneBuffer_data()
{
    QTest::addColumn<int>("nWritten");
    QTest::addColumn<bool>("bAudio");
    QTest::newRow("empty ring: silence") << 0 << false;
    QTest::newRow("less than a buffer: silence, never a partial buffer") << 1000 << false;
    QTest::newRow("exactly one buffer: silence") << 1600 << false;
    QTest::newRow("one byte more: a whole buffer of audio") << 1601 << true;
}

void TstCAudioWrite::refillNeedsMoreThanOneBuffer()
{
    QFETCH(int, nWritten);
    QFETCH(bool, bAudio);
    Rig rig;
    QVERIFY(openRig(rig, 8000));
    const QByteArray audio = pattern(nWritten, 3);
    QVERIFY(rig.pWriter->Write(audio.constData(), audio.size()));
    QCOMPARE(rig.pWriter->RingFill(), nWritten);
    const QByteArray sent = rig.cycle();
    if (bAudio) {
        QCOMPARE(sent, audio.left(1600));
        QCOMPARE(rig.pWriter->RingFill(), nWritten - 1600);
        // The byte left over waits for more.
        QCOMPARE(rig.cycle(), QByteArray(1600, '\0'));
        QCOMPARE(rig.pWriter->RingFill(), 1);
    } else {
        QCOMPARE(sent, QByteArray(1600, '\0'));
        QCOMPARE(rig.pWriter->RingFill(), nWritten);
    }
}

void TstCAudioWrite::ringRules_data()
{
    // Writes in order, then what the buffers must carry (the rest stays behind).
    QTest::addColumn<QList<QByteArray>>("writes");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<int>("nLeft");

    const QByteArray ring = pattern(25600, 1);
    const QByteArray more = pattern(100, 2);
    QTest::newRow("a write larger than the ring is dropped whole")
        << QList<QByteArray>{pattern(25601, 5)} << QByteArray() << 0;
    QTest::newRow("a write of exactly the ring fits")
        << QList<QByteArray>{ring} << ring.left(24000) << 1600;
    QTest::newRow("a full ring gives up exactly the oldest bytes needed")
        << QList<QByteArray>{ring, more} << (ring.mid(100) + more).left(24000) << 1600;
    QTest::newRow("an oversized write leaves the ring as it was")
        << QList<QByteArray>{more, pattern(30000, 6)} << QByteArray() << 100;

    const QByteArray first = pattern(20000, 7);
    const QByteArray second = pattern(9000, 8);
    QTest::newRow("writes across the end of the ring keep their order")
        << QList<QByteArray>{first, second} << (first + second).mid(29000 - 25600).left(24000)
        << 1600;
}

void TstCAudioWrite::ringRules()
{
    QFETCH(QList<QByteArray>, writes);
    QFETCH(QByteArray, expected);
    QFETCH(int, nLeft);
    Rig rig;
    QVERIFY(openRig(rig, 8000));
    for (const QByteArray& bytes : writes)
        QVERIFY(rig.pWriter->Write(bytes.constData(), bytes.size()));

    QByteArray played;
    for (int i = 0; i < 40 && played.size() < expected.size(); ++i) {
        const QByteArray sent = rig.cycle();
        QCOMPARE(sent.size(), 1600);
        played += sent;
    }
    QCOMPARE(played, expected);
    QCOMPARE(rig.pWriter->RingFill(), nLeft);
    QCOMPARE(rig.cycle(), QByteArray(1600, '\0'));
}

void TstCAudioWrite::backlogCutAtStartAndAfterUnderrun_data()
{
    // Steps: a positive number writes that many bytes of one continuous
    // stream, 0 plays a buffer. Then where in the stream the last buffer
    // played started, and what is left. 8000 Hz: 1600 bytes a buffer, a
    // limit of 50 ms keeps 800 bytes beyond it.
    QTest::addColumn<QList<int>>("steps");
    QTest::addColumn<int>("nSentFrom");
    QTest::addColumn<int>("nLeft");
    QTest::newRow("start: the backlog is cut to the limit") << QList<int>{8000, 0} << 5600 << 800;
    QTest::newRow("a backlog within the limit is kept") << QList<int>{2400, 0} << 0 << 800;
    QTest::newRow("after an underrun: cut again") << QList<int>{2400, 0, 0, 8000, 0} << 8000 << 800;
    QTest::newRow("grown without an underrun: kept")
        << QList<int>{2400, 0, 8000, 0} << 1600 << 7200;
}

// Sound that piled up at the start or behind a stall would otherwise stay
// that far behind the picture for good.
void TstCAudioWrite::backlogCutAtStartAndAfterUnderrun()
{
    QFETCH(QList<int>, steps);
    QFETCH(int, nSentFrom);
    QFETCH(int, nLeft);
    Rig rig;
    QVERIFY(openRig(rig, 8000));
    rig.pWriter->SetBacklogLimit(50);
    const QByteArray stream = pattern(20000, 9);
    int nWritten = 0;
    QByteArray sent;
    for (int nStep : steps) {
        if (nStep > 0) {
            QVERIFY(rig.pWriter->Write(stream.constData() + nWritten, nStep));
            nWritten += nStep;
        } else {
            sent = rig.cycle();
        }
    }
    QCOMPARE(sent, stream.mid(nSentFrom, 1600));
    QCOMPARE(rig.pWriter->RingFill(), nLeft);
}

void TstCAudioWrite::closeEndsTheCycle()
{
    Rig rig;
    QVERIFY(openRig(rig, 16000));
    QVERIFY(rig.pDevice->queued() == 2);
    rig.pWriter->Close();
    QVERIFY(!rig.pWriter->IsPlaying());
    QCOMPARE(rig.pWriter->BufferLength(), 0);
    QCOMPARE(rig.pDevice->queued(), 0);
    const int nCount = rig.pLog->count();
    QVERIFY(!rig.pDevice->finishOne());
    // Writing after close is harmless.
    const QByteArray audio = pattern(5000, 1);
    QVERIFY(rig.pWriter->Write(audio.constData(), audio.size()));
    QCOMPARE(rig.pLog->count(), nCount);
    rig.pWriter->Close(); // twice is fine
}

// The writer's own line is a debugger line: shown only in the diagnostic
// mode (it was on every console, once a player).
void TstCAudioWrite::deviceFailureKeepsTheRing()
{
#if defined(VEL_FORM_TESSARO)
    const QByteArray line = "wave out open err\n";
#else
    const QByteArray line = "&&&&&&&&&&&&&&&&&&&&&&   wave out open err\n";
#endif
    for (const bool bShown : {false, true}) {
        Rig rig;
        rig.pLog->bFailOpen = true;
        velSetDebugOutputShown(bShown);
        VelCaptureFd capture(2);
        QVERIFY(!rig.pWriter->Open(8000, 16, 1));
        // Only the writer prints here (a verbose test log may follow it).
        const QByteArray output = capture.take();
        velSetDebugOutputShown(false);
        QVERIFY2(bShown ? output.startsWith(line) : !output.contains("wave out"),
                 output.constData());
        QVERIFY(!rig.pWriter->IsPlaying());
        QVERIFY(!rig.pWriter->IsDeviceOpen());
        QCOMPARE(rig.pLog->count(), 0);
        // The player keeps writing; the audio lands in the ring, nothing plays.
        const QByteArray audio = pattern(3000, 4);
        QVERIFY(rig.pWriter->Write(audio.constData(), audio.size()));
        QCOMPARE(rig.pWriter->RingFill(), 3000);
    }
}

#if defined(VEL_FORM_VIMBREL)
void TstCAudioWrite::switchOffSilencesSwitchOnResumes()
{
    Rig rig;
    QVERIFY(rig.pWriter->Open(8000, 16, 1));
    QVERIFY(!rig.pWriter->IsEnabled());
    // Off from the start: finished buffers are not returned.
    QVERIFY(rig.pDevice->finishOne());
    QVERIFY(rig.pDevice->finishOne());
    QVERIFY(!rig.pLog->wait(3, 300));
    QCOMPARE(rig.pDevice->queued(), 0);

    // On: the feeder restarts the circulation within its one-second wait.
    const QByteArray audio = pattern(4000, 9);
    QVERIFY(rig.pWriter->Write(audio.constData(), audio.size()));
    QElapsedTimer clock;
    clock.start();
    rig.pWriter->SetEnabled(true);
    QVERIFY(rig.pLog->wait(4, 2500));
    QVERIFY2(clock.elapsed() <= 1500, qPrintable(QString::number(clock.elapsed())));
    auto buffers = rig.pLog->snapshot();
    QCOMPARE(buffers.at(2).bytes + buffers.at(3).bytes, audio.left(3200));
    QCOMPARE(rig.pWriter->RingFill(), 800);

    // Off again: what is in the device plays out, nothing follows.
    rig.pWriter->SetEnabled(false);
    QVERIFY(rig.pDevice->finishOne());
    QVERIFY(rig.pDevice->finishOne());
    QVERIFY(!rig.pLog->wait(5, 1300));
    QCOMPARE(rig.pDevice->queued(), 0);
}
#endif

QTEST_GUILESS_MAIN(TstCAudioWrite)
#include "tst_caudiowrite.moc"
