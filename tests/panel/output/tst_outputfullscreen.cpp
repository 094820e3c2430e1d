// The output view's full screen under a real window manager: a double click
// must cover the screen, and the panel behind must keep the view's place.
// Runs under xvfb-run; starts openbox itself and skips when it is missing.
#include "corvane.h"
#include "output/veloutputwidget.h"
#include "veltestdrives.h"

#include <QFileInfo>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

class TstOutputFullScreen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void doubleClickCoversScreenAndPanelKeepsItsPlace_data();
    void doubleClickCoversScreenAndPanelKeepsItsPlace();

private:
    QProcess m_windowManager;
    QTemporaryDir m_dir;
};

void TstOutputFullScreen::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X display (the test runs under xvfb-run in CTest)");
    const QString strOpenbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
    if (strOpenbox.isEmpty())
        QSKIP("openbox is not installed");
    // openbox runs its startup command once it manages the screen.
    const QString strReady = m_dir.filePath(QStringLiteral("ready"));
    m_windowManager.start(strOpenbox, {QStringLiteral("--sm-disable"), QStringLiteral("--startup"),
                                       QStringLiteral("touch ") + strReady});
    QVERIFY(m_windowManager.waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(strReady), 10000);
}

void TstOutputFullScreen::cleanupTestCase()
{
    if (m_windowManager.state() == QProcess::NotRunning)
        return;
    m_windowManager.terminate();
    if (!m_windowManager.waitForFinished(5000))
        m_windowManager.kill();
}

void TstOutputFullScreen::doubleClickCoversScreenAndPanelKeepsItsPlace_data()
{
    QTest::addColumn<int>("nGrow");
    QTest::addColumn<bool>("bInFrame");
    QTest::addColumn<bool>("bNative");
    // The page fixes the view's size through the height change; any change
    // made while the view is away lands on the panel once it is back.
    QTest::newRow("panel-sized view") << 0 << false << false;
    QTest::newRow("height changed while full screen") << -40 << false << false;
    // The host embeds the control in its frame window; a view that plays has
    // a native window of its own (the player draws through its id).
    QTest::newRow("playing view inside a frame") << 0 << true << true;
    QTest::newRow("playing view, height changed") << -40 << false << true;
}

void TstOutputFullScreen::doubleClickCoversScreenAndPanelKeepsItsPlace()
{
    QFETCH(int, nGrow);
    QFETCH(bool, bInFrame);
    QFETCH(bool, bNative);
    VelTestDrives drives;
    QWidget frame;
    auto* pFrameLayout = new QVBoxLayout(&frame);
    pFrameLayout->setContentsMargins(0, 0, 0, 0);
    Corvane control;
    control.resize(1280, 960);
    if (bInFrame) {
        control.setParent(&frame);
        control.setFixedSize(1280, 960);
        pFrameLayout->addWidget(&control, 0, Qt::AlignLeft | Qt::AlignTop);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
    } else {
        control.show();
        QVERIFY(QTest::qWaitForWindowExposed(&control));
    }
    VelOutputWidget* pView = control.outputWidget();
    control.sltChangeOutputWidgetHeight(0);
    QTRY_VERIFY(pView->height() > 300);
    if (bNative)
        pView->winId();

    auto panelPlaces = [&control, pView]() {
        QList<QRect> places;
        for (QWidget* pChild :
             control.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (pChild != pView && pChild->isVisible())
                places << pChild->geometry();
        return places;
    };
    const QRect viewBefore = pView->geometry();
    QList<QRect> placesBefore = panelPlaces();

    QTest::mouseDClick(pView, Qt::LeftButton, {}, QPoint(50, 50));
    QVERIFY(pView->isFullScreenView());
    const QRect screen = pView->screen()->geometry();
    QTRY_COMPARE_WITH_TIMEOUT(pView->geometry(), screen, 5000);
    QVERIFY(pView->isWindow());
    // The stand-in holds the view's place: nothing below slides up.
    QList<QRect> placesWhileAway = panelPlaces();
    QVERIFY(placesWhileAway.removeOne(viewBefore));
    QCOMPARE(placesWhileAway, placesBefore);

    if (nGrow)
        control.sltChangeOutputWidgetHeight(nGrow);
    QTRY_COMPARE(pView->geometry(), screen);

    QTest::mouseDClick(pView, Qt::LeftButton, {}, QPoint(50, 50));
    QVERIFY(!pView->isFullScreenView());
    QVERIFY(!pView->isWindow());
    const QSize sizeAfter(viewBefore.width(), viewBefore.height() + nGrow);
    QTRY_COMPARE(pView->size(), sizeAfter);
    QCOMPARE(pView->minimumSize(), sizeAfter);
    QCOMPARE(pView->maximumSize(), sizeAfter);
    if (!nGrow) {
        QTRY_COMPARE(pView->geometry(), viewBefore);
        QCOMPARE(panelPlaces(), placesBefore);
    }
}

QTEST_MAIN(TstOutputFullScreen)
#include "tst_outputfullscreen.moc"
