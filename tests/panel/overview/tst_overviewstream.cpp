// Thumbnails play the page's cameras through the player manager, without sound.
#include "corvane.h"
#include "crtspplayer.h"
#include "overview/veloverviewlistwidget.h"
#include "overview/veloverviewwidget.h"
#include "velplayertestenv.h"
#include "velvideolabel.h"
#include "velvlcplayermanger.h"

#include <QtTest>

class TstOverviewStream : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QString strError;
        QVERIFY2(m_env.start(&strError), qPrintable(strError));
    }
    void init() { m_env.beginCase(); }
    void cleanup()
    {
        VelVlcPlayerManger::DeleteInstance();
        m_env.endCase();
    }
    void cleanupTestCase() { m_env.stop(); }

    void thumbnailPlays_data();
    void thumbnailPlays();

private:
    VelPlayerTestEnv m_env;
};

void TstOverviewStream::thumbnailPlays_data()
{
    QTest::addColumn<QString>("mount");
    QTest::addColumn<QString>("sourceName");
    QTest::addColumn<QList<int>>("playing"); // indices of the thumbnails that play
    // cam720 carries AAC: a thumbnail still opens no sound device.
    QTest::newRow("camera with sound") << "cam720"
                                       << "教师全景" << QList<int>{0};
    QTest::newRow("name with blanks") << "cam720main"
                                      << "学生 全景" << QList<int>{1};
    QTest::newRow("two thumbnails, one name") << "cam720-noaudio"
                                              << "板书" << QList<int>{2, 3};
    QTest::newRow("no such camera") << "cam720"
                                    << "无此" << QList<int>{};
}

void TstOverviewStream::thumbnailPlays()
{
    QFETCH(QString, mount);
    QFETCH(QString, sourceName);
    QFETCH(QList<int>, playing);
    Corvane control;
    control.resize(1280, 900);
    control.show();
    QVERIFY(QTest::qWaitForWindowExposed(&control));
    control.sltSetOverviewWidget("教师全景", "old-0", "1");
    control.sltSetOverviewWidget("学生全景", "old-1", "1");
    control.sltSetOverviewWidget("板书", "old-2", "0");
    control.sltSetOverviewWidget("板书", "old-3", "0");
    const QString strUrl = m_env.server.url(mount);
    control.sltSetOverviewSource(strUrl, sourceName, "cam-new");

    VelVlcPlayerManger* pManager = VelVlcPlayerManger::Instance();
    QVERIFY(!pManager->FindPlayer(control.outputWidget()));
    const QList<VelOverviewWidget*> thumbnails = control.overviewListWidget()->overviewWidgets();
    for (int i = 0; i < thumbnails.size(); ++i) {
        VelOverviewWidget* pOverview = thumbnails.at(i);
        CRTSPPlayer* pPlayer = pManager->FindPlayer(pOverview->videoLabel());
        if (!playing.contains(i)) {
            QVERIFY(!pPlayer);
            QCOMPARE(pOverview->objectName(), QStringLiteral("old-%1").arg(i));
            continue;
        }
        QVERIFY(pPlayer);
        QCOMPARE(pPlayer->GetUrl(), strUrl);
        QCOMPARE(pOverview->objectName(), QString("cam-new"));
        QCOMPARE(pOverview->source(), strUrl);
    }
    for (int i : playing) {
        VelVideoLabel* pLabel = thumbnails.at(i)->videoLabel();
        QTRY_COMPARE_WITH_TIMEOUT(pLabel->state(), int(VideoPlaying), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(pLabel->picturesReceived() > 25, 15000);
    }
    // A second's pictures have passed: a player with sound has opened its
    // device by now (the output view's does before its first picture).
    QCOMPARE(m_env.pLog->nOpens.load(), 0);
    if (!playing.isEmpty())
        QCOMPARE(control.tokenForName(thumbnails.at(playing.first())->name()), QString("cam-new"));
}

QTEST_MAIN(TstOverviewStream)
#include "tst_overviewstream.moc"
