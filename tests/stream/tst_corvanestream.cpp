// The directing control drives the player manager: the movie-mode source
// plays with sound in the output view; hiding or destroying the control ends
// every player.
#include "caudiodevice.h"
#include "corvane.h"
#include "crtspplayer.h"
#include "velplayertestenv.h"
#include "velrtspserver.h"
#include "veltestaudiodevice.h"
#include "veltestdrives.h"
#include "velvideolabel.h"
#include "velvlcplayermanger.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

const QString kMovieMode = QStringLiteral("电影模式");

} // namespace

class TstCorvaneStream : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void movieModePlaysInOutputView();
    void thumbnailNameLeavesOutputViewAlone();
    void hidingDeletesTheManager();
    void destructionDeletesTheManager();
    void debugBoxComesBeforeThePlayer();

private:
    VelPlayerTestEnv m_env;
};

void TstCorvaneStream::initTestCase()
{
    QString strError;
    QVERIFY2(m_env.start(&strError), qPrintable(strError));
}

void TstCorvaneStream::init()
{
    m_env.beginCase();
}

void TstCorvaneStream::cleanup()
{
    VelVlcPlayerManger::DeleteInstance();
    m_env.endCase();
}

void TstCorvaneStream::cleanupTestCase()
{
    m_env.stop();
}

void TstCorvaneStream::movieModePlaysInOutputView()
{
    Corvane control;
    VelVideoLabel* pOutput = control.outputWidget();
    const QString strFirst = m_env.server.url("cam720");
    control.sltSetOverviewSource(strFirst, kMovieMode, "0");
    VelVlcPlayerManger* pManager = VelVlcPlayerManger::ExistingInstance();
    QVERIFY(pManager);
    QPointer<CRTSPPlayer> pFirst = pManager->FindPlayer(pOutput);
    QVERIFY(pFirst);
    QCOMPARE(pFirst->GetUrl(), strFirst);
    QTRY_COMPARE_WITH_TIMEOUT(pOutput->state(), int(VideoPlaying), 15000);
    QTRY_VERIFY(pOutput->picturesReceived() > 10);
    // With sound: the writer opened a device at the resampled rate.
    QTRY_COMPARE(m_env.pLog->nOpens.load(), 1);
    QCOMPARE(m_env.pLog->nRate.load(), 8000);

    // A new source replaces the output view's player.
    const QString strSecond = m_env.server.url("cam720-a44100m");
    control.sltSetOverviewSource(strSecond, kMovieMode, "0");
    QTRY_VERIFY(!pFirst); // released: freed once its threads end
    CRTSPPlayer* pSecond = pManager->FindPlayer(pOutput);
    QVERIFY(pSecond);
    QCOMPARE(pSecond->GetUrl(), strSecond);
    QTRY_COMPARE_WITH_TIMEOUT(pSecond->GetPlayState(), 1, 15000);
    QTRY_COMPARE(m_env.pLog->nOpens.load(), 2);
    QCOMPARE(m_env.pLog->nRate.load(), 16000);
}

void TstCorvaneStream::thumbnailNameLeavesOutputViewAlone()
{
    Corvane control;
    control.sltSetOverviewSource(m_env.server.url("cam720"), "Camera 1", "1");
    VelVlcPlayerManger* pManager = VelVlcPlayerManger::ExistingInstance();
    QVERIFY(pManager);
    QVERIFY(!pManager->FindPlayer(control.outputWidget()));
}

void TstCorvaneStream::hidingDeletesTheManager()
{
    Corvane control;
    control.resize(800, 600);
    control.show();
    QVERIFY(QTest::qWaitForWindowExposed(&control));
    control.sltSetOverviewSource(m_env.server.url("cam720-noaudio"), kMovieMode, "0");
    QPointer<CRTSPPlayer> pPlayer =
        VelVlcPlayerManger::Instance()->FindPlayer(control.outputWidget());
    QTRY_COMPARE_WITH_TIMEOUT(control.outputWidget()->state(), int(VideoPlaying), 15000);

    control.hide();
    QVERIFY(!VelVlcPlayerManger::ExistingInstance());
    QTRY_VERIFY(!pPlayer);
    QVERIFY(control.isHidden());
    const quint64 nPictures = control.outputWidget()->picturesReceived();
    QTest::qWait(200);
    QCOMPARE(control.outputWidget()->picturesReceived(), nPictures);

    // The next source gets a new, empty manager.
    control.sltSetOverviewSource(m_env.server.url("cam720-noaudio"), kMovieMode, "0");
    QVERIFY(VelVlcPlayerManger::ExistingInstance());
    QVERIFY(VelVlcPlayerManger::ExistingInstance()->FindPlayer(control.outputWidget()));
}

void TstCorvaneStream::destructionDeletesTheManager()
{
    auto* pControl = new Corvane;
    pControl->sltSetOverviewSource(m_env.server.url("cam720"), kMovieMode, "0");
    QPointer<CRTSPPlayer> pPlayer =
        VelVlcPlayerManger::Instance()->FindPlayer(pControl->outputWidget());
    QTRY_COMPARE_WITH_TIMEOUT(pControl->outputWidget()->state(), int(VideoPlaying), 15000);
    delete pControl;
    QVERIFY(!VelVlcPlayerManger::ExistingInstance());
    QTRY_VERIFY(!pPlayer);
    QVERIFY(!Corvane::currentInstance());
}

void TstCorvaneStream::debugBoxComesBeforeThePlayer()
{
    QFile marker(m_env.pDrives->c("beginLog.txt"));
    QVERIFY(marker.open(QIODevice::WriteOnly));
    marker.close();
    Corvane control;
    const QString strUrl = m_env.server.url("cam720-noaudio");
    QPointer<CRTSPPlayer> pOld;
    QStringList seen;
    bool bOldPlayerDuringBox = false;
    QTimer timer;
    timer.setInterval(20);
    connect(&timer, &QTimer::timeout, [&] {
        auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!pBox)
            return;
        seen << pBox->windowTitle() + "|" + pBox->text();
        bOldPlayerDuringBox = !pOld.isNull();
        pBox->accept();
    });
    timer.start();
    control.sltSetOverviewSource(m_env.server.url("cam720"), kMovieMode, "0");
    pOld = VelVlcPlayerManger::Instance()->FindPlayer(control.outputWidget());
    QVERIFY(pOld);
    seen.clear();

    control.sltSetOverviewSource(strUrl, kMovieMode, "7");
    timer.stop();
    QCOMPARE(seen, QStringList{"7|" + strUrl});
    QVERIFY(bOldPlayerDuringBox);
    QTRY_VERIFY(!pOld);
    QCOMPARE(VelVlcPlayerManger::Instance()->FindPlayer(control.outputWidget())->GetUrl(), strUrl);
}

QTEST_MAIN(TstCorvaneStream)
#include "tst_corvanestream.moc"
