// The writer's buffer discipline, byte for byte, through the device seam.
// Built once per form.
#include "caudiowrite.h"
#include "velcapturefd.h"
#include "veldebug.h"
#include "veltestaudiodevice.h"

#include <QElapsedTimer>
#include <QtTest>

#include <atomic>

namespace
{

QByteArray pattern(int nLength, int nSeed)
{
    QByteArray bytes(nLength, Qt::Uninitialized);
    for (int i = 0; i < nLength; ++i)
        bytes[i] = char(1 + (i * 7 + nSeed) % 251); // never 0: silence stands out
    return bytes;
}

// A device that says how much of what it was handed is still to be heard.
class DelayedAudioDevice : public ManualAudioDevice
{
public:
    using ManualAudioDevice::ManualAudioDevice;
    long long delayFrames() override { return nDelayFrames; }
    std::atomic<long long> nDelayFrames{-1};
};

struct Rig {
    Rig()
    {
        pLog = std::make_shared<VelAudioLog>();
        auto device = std::make_unique<DelayedAudioDevice>(pLog);
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
    DelayedAudioDevice* pDevice = nullptr;
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
    void marginAndCatchUpInSmallSteps_data();
    void marginAndCatchUpInSmallSteps();
    void clockFromTheDevicePosition_data();
    void clockFromTheDevicePosition();
    void clockWithoutDeviceDelayFollowsDoneCalls();
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

void TstCAudioWrite::marginAndCatchUpInSmallSteps_data()
{
    // Steps: a positive number writes that many bytes of one continuous
    // stream, 0 plays a buffer. Then where in the stream the last buffer
    // played started (-1: silence), what is left and the silences counted.
    // 8000 Hz: 1600 bytes a buffer; the margin of 150 ms is 2400 bytes.
    QTest::addColumn<QList<int>>("steps");
    QTest::addColumn<int>("nSentFrom");
    QTest::addColumn<int>("nLeft");
    QTest::addColumn<int>("nSilences");
    QTest::newRow("sound waits for the margin") << QList<int>{3999, 0} << -1 << 3999 << 0;
    QTest::newRow("and starts with the margin behind it") << QList<int>{4000, 0} << 0 << 2400 << 0;
    QTest::newRow("a start-up burst is cut to the margin at once")
        << QList<int>{10000, 0} << 6000 << 2400 << 0;
    QTest::newRow("once sounding, a backlog within twice the margin is kept")
        << QList<int>{4000, 0, 4000, 0} << 1600 << 4800 << 0;
    QTest::newRow("a larger one loses a twentieth of a buffer")
        << QList<int>{4000, 0, 8000, 0} << 1680 << 8720 << 0;
    QTest::newRow("and again at the next refill")
        << QList<int>{4000, 0, 8000, 0, 0} << 3360 << 7040 << 0;
    QTest::newRow("down to the margin, not below")
        << QList<int>{4000, 0, 4900, 0, 0, 0} << 4960 << 2340 << 0;
    QTest::newRow("an underrun counts, and so does waiting for the margin again")
        << QList<int>{4000, 0, 0, 0, 2000, 0, 2000, 0} << 3200 << 3200 << 2;
}

// The ring was cut to 50 ms beyond the next buffer at every underrun:
// network jitter then cost a 100 ms silence and a cut each time.
void TstCAudioWrite::marginAndCatchUpInSmallSteps()
{
    QFETCH(QList<int>, steps);
    QFETCH(int, nSentFrom);
    QFETCH(int, nLeft);
    QFETCH(int, nSilences);
    Rig rig;
    QVERIFY(openRig(rig, 8000));
    rig.pWriter->SetBacklogLimit(150);
    const QByteArray stream = pattern(40000, 9);
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
    QCOMPARE(sent, nSentFrom < 0 ? QByteArray(1600, '\0') : stream.mid(nSentFrom, 1600));
    QCOMPARE(rig.pWriter->RingFill(), nLeft);
    QCOMPARE(int(rig.pWriter->SilencesInserted()), nSilences);
}

void TstCAudioWrite::clockFromTheDevicePosition_data()
{
    // 1600 bytes at 10 s, then 1602 bytes at nSecondPts, two buffers played:
    // the device holds two silent buffers, then the two of sound, 6400 bytes
    // (3200 frames) in all, nDelay of them still to be heard.
    const qint64 nFirst = 10000000;
    QTest::addColumn<qint64>("nSecondPts");
    QTest::addColumn<int>("nDelay");
    QTest::addColumn<qint64>("nExpected");
    const qint64 kNone = CAudioWrite::kNoClock;
    QTest::newRow("silence heard: no clock") << nFirst + 100000 << 1700 << kNone;
    QTest::newRow("into the first sound") << nFirst + 100000 << 1200 << nFirst + 50000;
    QTest::newRow("into the second, which follows on") << nFirst + 100000 << 400 << nFirst + 150000;
    QTest::newRow("a jump in time starts anew") << nFirst + 5000000 << 400 << nFirst + 5050000;
    QTest::newRow("audio written without time") << kNone << 400 << kNone;
    QTest::newRow("all heard: the clock stops at the end")
        << nFirst + 100000 << 0 << nFirst + 200000;
}

// The picture follows this clock: the time of the sound heard now.
void TstCAudioWrite::clockFromTheDevicePosition()
{
    QFETCH(qint64, nSecondPts);
    QFETCH(int, nDelay);
    QFETCH(qint64, nExpected);
    Rig rig;
    QVERIFY(openRig(rig, 8000));
    QCOMPARE(rig.pWriter->Clock(), CAudioWrite::kNoClock);
    const QByteArray audio = pattern(3202, 2);
    QVERIFY(rig.pWriter->Write(audio.constData(), 1600, 10000000));
    if (nSecondPts == CAudioWrite::kNoClock)
        QVERIFY(rig.pWriter->Write(audio.constData() + 1600, 1602));
    else
        QVERIFY(rig.pWriter->Write(audio.constData() + 1600, 1602, nSecondPts));
    QCOMPARE(rig.cycle(), audio.left(1600));
    QCOMPARE(rig.cycle(), audio.mid(1600, 1600));
    rig.pDevice->nDelayFrames = nDelay;
    QCOMPARE(rig.pWriter->Clock(), nExpected);
}

// A device that cannot tell its delay: the buffer after the last one done has
// been playing since that done call.
void TstCAudioWrite::clockWithoutDeviceDelayFollowsDoneCalls()
{
    Rig rig;
    QVERIFY(openRig(rig, 8000));
    const QByteArray audio = pattern(3202, 3);
    QVERIFY(rig.pWriter->Write(audio.constData(), audio.size(), 10000000));
    QVERIFY(!rig.cycle().isEmpty()); // the first sound goes in behind a silent buffer
    QCOMPARE(rig.pWriter->Clock(), CAudioWrite::kNoClock);
    QElapsedTimer since;
    since.start();
    QVERIFY(!rig.cycle().isEmpty()); // the silent one is done: the sound plays
    QTest::qWait(40);
    const qint64 nClock = rig.pWriter->Clock();
    const qint64 nElapsedUs = since.nsecsElapsed() / 1000;
    QVERIFY2(nClock >= 10000000 + 40000 && nClock <= 10000000 + qMin<qint64>(nElapsedUs, 100000),
             qPrintable(QString::number(nClock)));
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
