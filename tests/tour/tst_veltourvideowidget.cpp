// The tour video widget on the test cameras: snapshots, recording through the
// bar, the full-screen switch, run-mode gating and the PTZ event texts.
#include "crtspplayer.h"
#include "recordthread.h"
#include "velcloudsettingwidget.h"
#include "veldiaglog.h"
#include "velplayertestenv.h"
#include "velpopcontainer.h"
#include "velprobe.h"
#include "velpushbutton.h"
#include "velsavedialog.h"
#include "velsilentserver.h"
#include "veltourvideowidget.h"
#include "velvideocontrolbar.h"

#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

// Outside any namespace: the macro declares the list's init function.
static void initResources()
{
    Q_INIT_RESOURCE(vimbrel);
}

class TstVelTourVideoWidget : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void snapshotSavesTheStreamPicture_data();
    void snapshotSavesTheStreamPicture();
    void snapshotBeforeFirstPictureSavesNothing();
    void recordCancelledOrWithoutPlayerStartsNothing_data();
    void recordCancelledOrWithoutPlayerStartsNothing();
    void recordThroughTheBar();
    void failedRecorderOpenTurnsTheButtonOff();
    void fullScreenSwitchesToTheMainStream_data();
    void fullScreenSwitchesToTheMainStream();
    void runModeGatesTheDoubleClick_data();
    void runModeGatesTheDoubleClick();
    void ptzPressAndRelease();
    void ptzHeldButtonIsReleasedOnce_data();
    void ptzHeldButtonIsReleasedOnce();
    void ptzEventText_data();
    void ptzEventText();
    void ptzPopupOpensUpwardsNearTheBottom_data();
    void ptzPopupOpensUpwardsNearTheBottom();
    void buttonEnableByKey_data();
    void buttonEnableByKey();
    void audioButtonFollowsThePlayer();
    void debugBoxMayDeleteTheWidget();
    void saveDialogMayDeleteTheWidget_data();
    void saveDialogMayDeleteTheWidget();

private:
    // A shown widget playing the mount, with its first picture.
    std::unique_ptr<VelTourVideoWidget> playingWidget(const QString& strMount);
    QString path(const QString& strName) const { return m_env.tempDir.filePath(strName); }

    VelPlayerTestEnv m_env;
    QString m_strAnswer; // what the save dialog returns
    int m_nDialogs = 0;
    QWidget* m_pDialogOwner = nullptr;
    VelSaveDialog::Request m_request;
    std::function<void()> m_fnDuringDialog; // what the page does while it is open
};

void TstVelTourVideoWidget::initTestCase()
{
    initResources();
    QString strError;
    QVERIFY2(m_env.start(&strError), qPrintable(strError));
    VelSaveDialog::setDialogFunction(
        [this](QWidget* pOwner, const VelSaveDialog::Request& request) {
            ++m_nDialogs;
            m_pDialogOwner = pOwner;
            m_request = request;
            if (m_fnDuringDialog)
                m_fnDuringDialog();
            return m_strAnswer;
        });
}

void TstVelTourVideoWidget::init()
{
    m_env.beginCase();
    m_strAnswer.clear();
    m_nDialogs = 0;
    m_pDialogOwner = nullptr;
    m_fnDuringDialog = nullptr;
}

void TstVelTourVideoWidget::cleanup()
{
    QVERIFY(RecordThread::waitForFinishing(30000));
    m_env.endCase();
}

void TstVelTourVideoWidget::cleanupTestCase()
{
    VelSaveDialog::setDialogFunction({});
    m_env.stop();
}

std::unique_ptr<VelTourVideoWidget> TstVelTourVideoWidget::playingWidget(const QString& strMount)
{
    auto pWidget = std::make_unique<VelTourVideoWidget>(nullptr);
    pWidget->resize(640, 360);
    pWidget->show();
    pWidget->Play(m_env.server.url(strMount));
    return pWidget;
}

void TstVelTourVideoWidget::snapshotSavesTheStreamPicture_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("png") << "shot.png" << QByteArray("png");
    QTest::newRow("jpg") << "shot.jpg" << QByteArray("jpeg");
    QTest::newRow("bmp") << "shot.bmp" << QByteArray("bmp");
}

void TstVelTourVideoWidget::snapshotSavesTheStreamPicture()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, format);
    auto pWidget = playingWidget("cam720-noaudio");
    QTRY_COMPARE_WITH_TIMEOUT(pWidget->state(), int(VideoStatePlaying), 10000);
    m_strAnswer = path(name);
    pWidget->snapshot();

    QCOMPARE(m_nDialogs, 1);
    QCOMPARE(m_pDialogOwner, pWidget->window());
    QCOMPARE(m_request.strDefaultName, QString("snapshot.png"));
    QCOMPARE(m_request.strDefaultSuffix, QString("png"));
    QCOMPARE(m_request.types.size(), 3);
    QImageReader reader(m_strAnswer);
    QCOMPARE(reader.format(), format);
    // The picture as decoded, not as scaled into the 640 x 360 widget.
    QCOMPARE(reader.size(), QSize(1280, 720));
}

void TstVelTourVideoWidget::snapshotBeforeFirstPictureSavesNothing()
{
    VelSilentServer camera;
    QVERIFY(camera.listen());
    VelTourVideoWidget widget(nullptr);
    widget.show();
    m_strAnswer = path("none.png");
    widget.snapshot(); // no player at all
    widget.Play(camera.url());
    QVERIFY(widget.GetPlayer());
    widget.snapshot(); // a player that has no picture yet
    QCOMPARE(m_nDialogs, 2);
    QVERIFY(!QFile::exists(m_strAnswer));
}

void TstVelTourVideoWidget::recordCancelledOrWithoutPlayerStartsNothing_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("withPlayer");
    QTest::newRow("cancelled") << "" << true;
    QTest::newRow("no player") << "record.mp4" << false;
}

void TstVelTourVideoWidget::recordCancelledOrWithoutPlayerStartsNothing()
{
    QFETCH(QString, answer);
    QFETCH(bool, withPlayer);
    VelTourVideoWidget widget(nullptr);
    widget.SetRunMode(2);
    widget.show();
    if (withPlayer)
        widget.Play(m_env.server.url("cam720"));
    m_strAnswer = answer.isEmpty() ? QString() : path(answer);
    QTest::mouseClick(widget.controlBar()->button("record"), Qt::LeftButton);
    QCOMPARE(m_nDialogs, 1);
    QCOMPARE(m_request.strDefaultName, QString("record.mp4"));
    QCOMPARE(m_request.strDefaultSuffix, QString("mp4"));
    QVERIFY(!widget.recorder());
    QVERIFY(!widget.controlBar()->recordState());
    if (!m_strAnswer.isEmpty())
        QVERIFY(!QFile::exists(m_strAnswer));
}

void TstVelTourVideoWidget::recordThroughTheBar()
{
    auto pWidget = playingWidget("cam720");
    pWidget->SetRunMode(2);
    QTRY_COMPARE_WITH_TIMEOUT(pWidget->state(), int(VideoStatePlaying), 10000);
    m_strAnswer = path("bar.mp4");
    VelPushButton* pButton = pWidget->controlBar()->button("record");
    QTest::mouseClick(pButton, Qt::LeftButton);
    RecordThread* pRecorder = pWidget->recorder();
    QVERIFY(pRecorder);
    QVERIFY(pWidget->controlBar()->recordState());
    QTRY_VERIFY_WITH_TIMEOUT(pRecorder->isRecording(), 10000);

    // A second start leaves the running recording alone.
    pWidget->record(true);
    QCOMPARE(pWidget->recorder(), pRecorder);
    QCOMPARE(m_nDialogs, 1);
    // More than a second in the file's fragments before the stop: on a loaded
    // machine the camera and the recorder may take longer than that to get
    // there (the file starts at a key frame).
    QTRY_VERIFY_WITH_TIMEOUT(VelProbe::packetSpan(VelProbe::probe(m_strAnswer, true)) > 1.0, 15000);

    QTest::mouseClick(pButton, Qt::LeftButton);
    QVERIFY(!pWidget->recorder());
    QVERIFY(!pWidget->controlBar()->recordState());
    QVERIFY(RecordThread::waitForFinishing(30000));
    const QJsonObject info = VelProbe::probe(m_strAnswer);
    QCOMPARE(VelProbe::codecs(info), QStringList({"h264", "aac"}));
    QVERIFY(info.value("format").toObject().value("duration").toString().toDouble() > 1.0);
}

void TstVelTourVideoWidget::failedRecorderOpenTurnsTheButtonOff()
{
    QFile limit(m_env.pDrives->c("timeout_open_input.txt"));
    QVERIFY(limit.open(QIODevice::WriteOnly));
    limit.write("300");
    limit.close();
    VelSilentServer camera;
    QVERIFY(camera.listen());
    VelTourVideoWidget widget(nullptr);
    widget.show();
    widget.Play(camera.url());
    m_strAnswer = path("never.mp4");
    widget.record(true);
    QVERIFY(widget.recorder());
    QVERIFY(widget.controlBar()->recordState());
    QTRY_VERIFY_WITH_TIMEOUT(!widget.recorder(), 5000);
    QVERIFY(!widget.controlBar()->recordState());
    QVERIFY(!QFile::exists(m_strAnswer));
}

void TstVelTourVideoWidget::fullScreenSwitchesToTheMainStream_data()
{
    QTest::addColumn<QString>("mainMount");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("main stream differs") << "cam1080-noaudio" << true;
    QTest::newRow("main stream is the one playing") << "cam720-noaudio" << false;
}

void TstVelTourVideoWidget::fullScreenSwitchesToTheMainStream()
{
    QFETCH(QString, mainMount);
    QFETCH(bool, replaced);
    const QString strSub = m_env.server.url("cam720-noaudio");
    const QString strMain = m_env.server.url(mainMount);
    QWidget parent;
    parent.resize(640, 360);
    auto* pWidget = new VelTourVideoWidget(&parent);
    pWidget->resize(640, 360);
    parent.show();
    pWidget->SetRunMode(2);
    pWidget->SetStreamingUrls(strMain, strSub);
    pWidget->Play(strSub);
    // A replaced player is deleted; a new one may reuse its address.
    QPointer<CRTSPPlayer> pSubPlayer = pWidget->GetPlayer();
    QVERIFY(pSubPlayer);
    pWidget->audioPlay(true);

    QTest::mouseDClick(pWidget, Qt::LeftButton);
    QVERIFY(pWidget->isFullScreenMode());
    QVERIFY(pWidget->isWindow());
    QTRY_VERIFY(pWidget->isFullScreen());
    QCOMPARE(pWidget->GetPlayer()->GetUrl(), strMain);
    // The replaced player is freed on a thread of its own, once its threads
    // have ended.
    QVERIFY(CRTSPPlayer::WaitForReleased(10000));
    QCOMPARE(pSubPlayer.isNull(), replaced);
    QCOMPARE(pWidget->controlBar()->audioState(), !replaced);

    QTest::mouseDClick(pWidget, Qt::LeftButton);
    QVERIFY(!pWidget->isFullScreenMode());
    QVERIFY(!pWidget->isWindow());
    QCOMPARE(pWidget->parentWidget(), &parent);
    QCOMPARE(pWidget->GetPlayer()->GetUrl(), strSub);
    if (!replaced)
        QCOMPARE(pWidget->GetPlayer(), pSubPlayer.data());
}

void TstVelTourVideoWidget::runModeGatesTheDoubleClick_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("switches");
    QTest::newRow("mode 1") << 1 << false;
    QTest::newRow("mode 0") << 0 << false;
    QTest::newRow("mode 3") << 3 << false;
}

void TstVelTourVideoWidget::runModeGatesTheDoubleClick()
{
    QFETCH(int, mode);
    QFETCH(bool, switches);
    QWidget parent;
    auto* pWidget = new VelTourVideoWidget(&parent);
    parent.show();
    pWidget->SetRunMode(mode);
    QCOMPARE(pWidget->controlBar()->isVisible(), switches);
    pWidget->SetStreamingUrls(m_env.server.url("cam1080-noaudio"), QString());
    pWidget->Play(m_env.server.url("cam720-noaudio"));
    QPointer<CRTSPPlayer> pPlayer = pWidget->GetPlayer();
    QTest::mouseDClick(pWidget, Qt::LeftButton);
    QCOMPARE(pWidget->isFullScreenMode(), switches);
    QCOMPARE(pWidget->isWindow(), switches);
    QCOMPARE(pPlayer.isNull(), switches);
}

void TstVelTourVideoWidget::ptzPressAndRelease()
{
    VelTourVideoWidget widget(nullptr);
    widget.SetChannelName(QStringLiteral("一年级四班"));
    QSignalSpy events(&widget, &VelTourVideoWidget::sigPtzControl);
    auto* pUp = widget.ptzPad()->findChild<QAbstractButton*>("Cloud_Up");
    QVERIFY(pUp);
    QTest::mousePress(pUp, Qt::LeftButton);
    QCOMPARE(events.count(), 1);
    QCOMPARE(events.at(0).at(0).toString(),
             QStringLiteral("{\"token\":\"一年级四班\",\"target\":\"Cloud_Up\",\"event\":\"press\","
                            "\"requestParam\":\"cloudControl\"}"));
    QTest::mouseRelease(pUp, Qt::LeftButton);
    QCOMPARE(events.count(), 2);
    QCOMPARE(
        events.at(1).at(0).toString(),
        QStringLiteral("{\"token\":\"一年级四班\",\"target\":\"Cloud_Up\",\"event\":\"release\","
                       "\"requestParam\":\"cloudControl\"}"));
}

enum class PtzEnd { LeavePopup, HideView, DeleteView };
Q_DECLARE_METATYPE(PtzEnd)

void TstVelTourVideoWidget::ptzHeldButtonIsReleasedOnce_data()
{
    QTest::addColumn<QString>("strName");
    QTest::addColumn<PtzEnd>("end");
    QTest::newRow("down, pointer out of the pop-up before letting go")
        << "Cloud_Down" << PtzEnd::LeavePopup;
    QTest::newRow("zoom in, pointer out of the pop-up before letting go")
        << "Cloud_ZoomIn" << PtzEnd::LeavePopup;
    QTest::newRow("left, view hidden while held") << "Cloud_Left" << PtzEnd::HideView;
    QTest::newRow("up, view deleted while held") << "Cloud_Up" << PtzEnd::DeleteView;
}

// A press the page saw and no release leaves the camera panning: real mouse
// events through the pop-up's window, whatever ends the press.
void TstVelTourVideoWidget::ptzHeldButtonIsReleasedOnce()
{
    QFETCH(QString, strName);
    QFETCH(PtzEnd, end);
    auto pWidget = std::make_unique<VelTourVideoWidget>(nullptr);
    pWidget->SetChannelName(QStringLiteral("一年级四班"));
    pWidget->SetRunMode(2);
    pWidget->resize(640, 360);
    pWidget->show();
    QVERIFY(QTest::qWaitForWindowExposed(pWidget.get()));
    QStringList events;
    connect(
        pWidget.get(), &VelTourVideoWidget::sigPtzControl, this, [&events](const QString& strJson) {
            const QJsonObject object = QJsonDocument::fromJson(strJson.toUtf8()).object();
            events << object.value("event").toString() + ' ' + object.value("target").toString();
        });
    QTest::mouseClick(pWidget->controlBar()->button("ptz"), Qt::LeftButton);
    VelPopContainer* pPopup = pWidget->ptzPopup();
    QVERIFY(pPopup);
    QVERIFY(QTest::qWaitForWindowExposed(pPopup));
    QWindow* pWindow = pPopup->windowHandle();
    auto* pButton = pWidget->ptzPad()->findChild<QAbstractButton*>(strName);
    const QPoint onButton = pButton->mapTo(pPopup, pButton->rect().center());
    const QPoint outside(pPopup->width() + 30, -30);

    QTest::mouseMove(pWindow, onButton);
    QTest::mousePress(pWindow, Qt::LeftButton, {}, onButton);
    QCOMPARE(events, QStringList{"press " + strName});
    switch (end) {
    case PtzEnd::LeavePopup:
        QTest::mouseMove(pWindow, outside);
        QTest::mouseRelease(pWindow, Qt::LeftButton, {}, outside);
        break;
    case PtzEnd::HideView:
        pWidget->hide();
        QVERIFY(!pPopup->isVisible());
        break;
    case PtzEnd::DeleteView:
        pWidget.reset();
        break;
    }
    QCOMPARE(events, QStringList({"press " + strName, "release " + strName}));
    pWidget.reset();
    QCOMPARE(events.size(), 2);
}

void TstVelTourVideoWidget::ptzEventText_data()
{
    QTest::addColumn<QString>("token");
    QTest::newRow("ordinary name") << QStringLiteral("一年级四班");
    QTest::newRow("double quote") << QStringLiteral("room \"A\"");
    QTest::newRow("backslash") << QStringLiteral("C:\\room");
    QTest::newRow("line break and tab") << QStringLiteral("two\nlines\tand tab");
    QTest::newRow("other control character") << QStringLiteral("bell\x07 and nul") + QChar(0);
    QTest::newRow("empty") << QString();
}

// The page parses the text: every value comes back as it was, members in order.
void TstVelTourVideoWidget::ptzEventText()
{
    QFETCH(QString, token);
    const QString strText = VelTourVideoWidget::ptzEventText(token, "Cloud_Zero", "press");
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(strText.toUtf8(), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonObject object = document.object();
    QCOMPARE(object.value("token").toString(), token);
    QCOMPARE(object.value("target").toString(), QString("Cloud_Zero"));
    QCOMPARE(object.value("event").toString(), QString("press"));
    QCOMPARE(object.value("requestParam").toString(), QString("cloudControl"));
    QCOMPARE(object.size(), 4);
    QVERIFY(strText.indexOf("\"token\"") < strText.indexOf("\"target\""));
    QVERIFY(strText.indexOf("\"event\"") < strText.indexOf("\"requestParam\""));
}

void TstVelTourVideoWidget::ptzPopupOpensUpwardsNearTheBottom_data()
{
    QTest::addColumn<int>("fromBottom");
    QTest::addColumn<int>("mode");
    QTest::newRow("40 px above the bottom") << 40 << 1;
    QTest::newRow("300 px above the bottom") << 300 << 0;
}

void TstVelTourVideoWidget::ptzPopupOpensUpwardsNearTheBottom()
{
    QFETCH(int, fromBottom);
    QFETCH(int, mode);
    const QRect desktop = QGuiApplication::primaryScreen()->geometry();
    QCursor::setPos(desktop.center().x(), desktop.bottom() + 1 - fromBottom);
    if (QCursor::pos().y() != desktop.bottom() + 1 - fromBottom)
        QSKIP("this platform does not move the cursor");
    VelTourVideoWidget widget(nullptr);
    widget.SetRunMode(2);
    widget.show();
    QTest::mouseClick(widget.controlBar()->button("ptz"), Qt::LeftButton);
    QVERIFY(widget.ptzPopup());
    QCOMPARE(widget.ptzPopup()->placementMode(), mode);
    QVERIFY(widget.ptzPopup()->isVisible());
}

void TstVelTourVideoWidget::buttonEnableByKey_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("hidden");
    QTest::newRow("audio") << "audio"
                           << "audio";
    QTest::newRow("ptz") << "ptz"
                         << "ptz";
    QTest::newRow("unknown key") << "volume"
                                 << "";
    QTest::newRow("key in another case") << "Audio"
                                         << "";
}

void TstVelTourVideoWidget::buttonEnableByKey()
{
    QFETCH(QString, key);
    QFETCH(QString, hidden);
    VelTourVideoWidget widget(nullptr);
    widget.SetRunMode(2);
    widget.show();
    widget.setButtonEnable(key, false);
    for (const char* szKey : {"ptz", "snapshot", "record", "audio"})
        QCOMPARE(widget.controlBar()->button(szKey)->isVisible(), hidden != szKey);
}

void TstVelTourVideoWidget::audioButtonFollowsThePlayer()
{
    VelTourVideoWidget widget(nullptr);
    widget.SetRunMode(2);
    widget.show();
    widget.audioPlay(true); // no player: stays off
    QVERIFY(!widget.controlBar()->audioState());
    widget.Play(m_env.server.url("cam720"));
    QTest::mouseClick(widget.controlBar()->button("audio"), Qt::LeftButton);
    QVERIFY(widget.controlBar()->audioState());
    QVERIFY(widget.GetPlayer()->IsAudioEnabled());
    // A new address starts without sound, and the button says so.
    widget.Play(m_env.server.url("cam1080"));
    QVERIFY(!widget.GetPlayer()->IsAudioEnabled());
    QVERIFY(!widget.controlBar()->audioState());
    widget.Stop();
    QVERIFY(!widget.GetPlayer());
    QVERIFY(!widget.controlBar()->audioState());
}

// The diagnostic mode's box runs a nested event loop in which a page may
// delete the view: Play used to crash on its player afterwards.
void TstVelTourVideoWidget::debugBoxMayDeleteTheWidget()
{
    // After construction: the widget reads the switch from its marker.
    QPointer<VelTourVideoWidget> pWidget = new VelTourVideoWidget(nullptr);
    const bool bWasDebug = debugMode;
    debugMode = true;
    int nBoxes = 0;
    QTimer timer;
    timer.setInterval(10);
    connect(&timer, &QTimer::timeout, [&] {
        auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!pBox)
            return;
        ++nBoxes;
        delete pWidget;
        pBox->accept();
    });
    timer.start();
    pWidget->Play(QStringLiteral("rtsp://127.0.0.1:1/none"));
    timer.stop();
    debugMode = bWasDebug;
    QCOMPARE(nBoxes, 1);
    QVERIFY(pWidget.isNull());
}

void TstVelTourVideoWidget::saveDialogMayDeleteTheWidget_data()
{
    QTest::addColumn<bool>("bRecord");
    QTest::newRow("snapshot") << false;
    QTest::newRow("record") << true;
}

// The save dialog runs its own event loop too; the view gone meanwhile is
// touched no more and nothing is written.
void TstVelTourVideoWidget::saveDialogMayDeleteTheWidget()
{
    QFETCH(bool, bRecord);
    QPointer<VelTourVideoWidget> pWidget = playingWidget("cam720").release();
    m_strAnswer = path(bRecord ? "gone.mp4" : "gone.png");
    m_fnDuringDialog = [&] { delete pWidget; };
    if (bRecord)
        pWidget->record(true);
    else
        pWidget->snapshot();
    QCOMPARE(m_nDialogs, 1);
    QVERIFY(pWidget.isNull());
    QVERIFY(!QFile::exists(m_strAnswer));
}

QTEST_MAIN(TstVelTourVideoWidget)
#include "tst_veltourvideowidget.moc"
