// The tour control's lifecycle: the widget built at the first show and dropped
// at every hide, the deferred play, settings given without a widget, events.
#include "crtspplayer.h"
#include "pellith.h"
#include "recordthread.h"
#include "velcloudsettingwidget.h"
#include "velplayertestenv.h"
#include "velprobe.h"
#include "velpushbutton.h"
#include "velsavedialog.h"
#include "veltourvideowidget.h"
#include "velvideocontrolbar.h"

#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

// Outside any namespace: the macro declares the list's init function.
static void initResources()
{
    Q_INIT_RESOURCE(vimbrel);
}

class TstPellith : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void playBeforeShowKeepsTheLastAddress();
    void deferredPlayForAWidgetThatIsGone();
    void settingsWithoutWidgetAreLost();
    void hideStopsRecordingAndPlayback();
    void fullScreenReturnsIntoTheLayout();
    void ptzEventsReachThePage();
    void soundButton_data();
    void soundButton();

private:
    VelPlayerTestEnv m_env;
    QString m_strAnswer;
};

void TstPellith::initTestCase()
{
    initResources();
    QString strError;
    QVERIFY2(m_env.start(&strError), qPrintable(strError));
    VelSaveDialog::setDialogFunction(
        [this](QWidget*, const VelSaveDialog::Request&) { return m_strAnswer; });
}

void TstPellith::init()
{
    m_env.beginCase();
    m_strAnswer.clear();
}

void TstPellith::cleanup()
{
    QVERIFY(RecordThread::waitForFinishing(30000));
    m_env.endCase();
}

void TstPellith::cleanupTestCase()
{
    VelSaveDialog::setDialogFunction({});
    m_env.stop();
}

void TstPellith::playBeforeShowKeepsTheLastAddress()
{
    Pellith control;
    control.play(m_env.server.url("cam1080-noaudio"));
    control.play(m_env.server.url("cam720-noaudio"));
    QVERIFY(!control.videoWidget());
    control.show();
    QVERIFY(control.videoWidget());
    // Queued: the show handler has returned before the play runs, once.
    QVERIFY(!control.videoWidget()->GetPlayer());
    QTRY_VERIFY(control.videoWidget()->GetPlayer());
    QCOMPARE(control.videoWidget()->GetPlayer()->GetUrl(), m_env.server.url("cam720-noaudio"));
    QVERIFY(control.pendingAddress().isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(control.videoWidget()->state(), int(VideoStatePlaying), 10000);
    QPointer<CRTSPPlayer> pPlayer = control.videoWidget()->GetPlayer();
    control.sltFlush(); // another show of the widget does not replay it
    QTest::qWait(50);
    QVERIFY(pPlayer);
}

void TstPellith::deferredPlayForAWidgetThatIsGone()
{
    Pellith control;
    control.play(m_env.server.url("cam720-noaudio"));
    control.show();
    control.hide(); // before the queued play runs
    control.show();
    QTest::qWait(50);
    QVERIFY(control.videoWidget());
    QVERIFY(!control.videoWidget()->GetPlayer());
}

void TstPellith::settingsWithoutWidgetAreLost()
{
    Pellith control;
    control.setRunMode(2);
    control.setChannelName(QStringLiteral("三年级一班"));
    control.setButtonEnable("audio", false);
    control.setPtzEnable(false);
    control.snapshot();
    control.record();
    control.show();
    VelVideoControlBar* pBar = control.videoWidget()->controlBar();
    QVERIFY(pBar->isHidden());
    QCOMPARE(pBar->channelName(), QStringLiteral("一年级四班"));
    QVERIFY(!pBar->button("audio")->isHidden());
    QVERIFY(!pBar->button("ptz")->isHidden());
    control.play("RTSP://127.0.0.1/cam"); // neither "rtsp" nor "rtp"
    QVERIFY(!control.videoWidget()->GetPlayer());
}

void TstPellith::hideStopsRecordingAndPlayback()
{
    Pellith control;
    control.show();
    control.play(m_env.server.url("cam720"));
    QTRY_COMPARE_WITH_TIMEOUT(control.videoWidget()->state(), int(VideoStatePlaying), 10000);
    m_strAnswer = m_env.tempDir.filePath("hidden.mp4");
    control.record();
    RecordThread* pRecorder = control.videoWidget()->recorder();
    QVERIFY(pRecorder);
    QTRY_VERIFY_WITH_TIMEOUT(pRecorder->isRecording(), 10000);
    QTest::qWait(1000);

    QPointer<VelTourVideoWidget> pOld = control.videoWidget();
    control.hide();
    QVERIFY(!control.videoWidget());
    QVERIFY(pOld->isHidden());
    QVERIFY(!pOld->GetPlayer());
    QVERIFY(!pOld->recorder());
    QTRY_VERIFY(!pOld); // deleted later
    QVERIFY(RecordThread::waitForFinishing(30000));
    QCOMPARE(VelProbe::decode(m_strAnswer), 0);

    // Shown again: a new idle widget, laid out over the whole control.
    control.resize(640, 360);
    control.show();
    QVERIFY(control.videoWidget());
    QVERIFY(!control.videoWidget()->GetPlayer());
    QTRY_COMPARE(control.videoWidget()->size(), QSize(640, 360));
}

void TstPellith::fullScreenReturnsIntoTheLayout()
{
    Pellith control;
    control.resize(640, 360);
    control.show();
    control.setRunMode(2);
    VelTourVideoWidget* pWidget = control.videoWidget();
    QTRY_COMPARE(pWidget->geometry(), control.rect());
    QTest::mouseDClick(pWidget, Qt::LeftButton);
    QTRY_VERIFY(pWidget->isFullScreen());
    QTest::mouseDClick(pWidget, Qt::LeftButton);
    QVERIFY(!pWidget->isWindow());
    QTRY_COMPARE(pWidget->geometry(), control.rect());
    QVERIFY(pWidget->isVisible());
}

void TstPellith::ptzEventsReachThePage()
{
    Pellith control;
    control.show();
    control.setChannelName(QStringLiteral("一年级四班"));
    QSignalSpy events(&control, &Pellith::OnPtzControl);
    auto* pZoom = control.videoWidget()->ptzPad()->findChild<QAbstractButton*>("Cloud_ZoomIn");
    QVERIFY(pZoom);
    QTest::mouseClick(pZoom, Qt::LeftButton);
    QCOMPARE(events.count(), 2);
    QVERIFY(
        events.at(0).at(0).toString().contains("\"target\":\"Cloud_ZoomIn\",\"event\":\"press\""));
    QVERIFY(events.at(1).at(0).toString().contains("\"event\":\"release\""));
}

void TstPellith::soundButton_data()
{
    QTest::addColumn<bool>("device");
    QTest::addColumn<bool>("fullScreenTrip");
    QTest::newRow("sound device") << true << false;
    QTest::newRow("full-screen round trip") << true << true;
    QTest::newRow("no sound device") << false << false;
}

// The sound button shows what the viewer hears, by its look as drawn: after a
// full-screen round trip it sat on a highlighted square with on and off
// swapped, and without a sound device it showed sound on.
void TstPellith::soundButton()
{
    QFETCH(bool, device);
    QFETCH(bool, fullScreenTrip);

    m_env.pLog->bFailOpen = !device;
    Pellith control;
    control.resize(640, 360);
    control.show();
    control.setRunMode(2);
    control.setStreamingUrls(m_env.server.url("cam1080"), m_env.server.url("cam720"));
    control.play(m_env.server.url("cam720"));
    VelTourVideoWidget* pWidget = control.videoWidget();
    VelVideoControlBar* pBar = pWidget->controlBar();
    VelPushButton* pButton = pBar->button("audio");
    QTRY_COMPARE_WITH_TIMEOUT(pWidget->state(), int(VideoStatePlaying), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(
        pWidget->GetPlayer()->GetAudioDeviceState() != CRTSPPlayer::AudioDeviceUnknown, 10000);
    const QImage offLook = pButton->grab().toImage();

    QTest::mouseClick(pButton, Qt::LeftButton);
    QCOMPARE(pBar->audioState(), device);
    if (!device) {
        QCOMPARE(pButton->grab().toImage(), offLook);
        QVERIFY2(pButton->toolTip().contains(QStringLiteral("声音设备")),
                 qPrintable(pButton->toolTip()));
        return;
    }
    QCOMPARE(pButton->toolTip(), QStringLiteral("声音"));
    const QImage onLook = pButton->grab().toImage();
    QVERIFY(onLook != offLook);
    QVERIFY(pWidget->GetPlayer()->IsAudioEnabled());

    if (fullScreenTrip) {
        QTest::mouseDClick(pWidget, Qt::LeftButton);
        QTRY_VERIFY(pWidget->isFullScreen());
        QTest::mouseDClick(pWidget, Qt::LeftButton);
        QTRY_VERIFY(!pWidget->isWindow());
        // Both switches gave a new player, which starts without sound.
        QVERIFY(!pWidget->GetPlayer()->IsAudioEnabled());
        QVERIFY(!pBar->audioState());
        QCOMPARE(pButton->grab().toImage(), offLook);
    } else {
        QTest::mouseClick(pButton, Qt::LeftButton);
        QVERIFY(!pWidget->GetPlayer()->IsAudioEnabled());
        QCOMPARE(pButton->grab().toImage(), offLook);
    }
    QTest::mouseClick(pButton, Qt::LeftButton);
    QVERIFY(pWidget->GetPlayer()->IsAudioEnabled());
    QCOMPARE(pButton->grab().toImage(), onLook);
}

QTEST_MAIN(TstPellith)
#include "tst_pellith.moc"
