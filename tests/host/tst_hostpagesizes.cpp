// The host lays the frame out before the page script goes on, so a page that
// adds its cameras right after creating the control gets thumbnails sized for
// the control's real width.
#include "velhostframe.h"
#include "velhostlibrary.h"
#include "velhostpage.h"
#include "veltestdrives.h"

#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

class TstHostPageSizes : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void thumbnailSizes_data();
    void thumbnailSizes();

private:
    QTemporaryDir m_storeDir;
};

void TstHostPageSizes::initTestCase()
{
    QVERIFY(m_storeDir.isValid());
    qputenv("VEL_AX_STORE", m_storeDir.filePath("registry.json").toUtf8());
    QString strError;
    VelHostLibrary* pLibrary = VelHostLibrary::open(VEL_TESSARO_LIB, &strError);
    QVERIFY2(pLibrary, qPrintable(strError));
    QCOMPARE(pLibrary->registerServer(), VEL_S_OK);
}

void TstHostPageSizes::thumbnailSizes_data()
{
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<QVariantMap>("args");
    QTest::addColumn<QSize>("thumbnail");
    // The control's margins take 20 pixels of its width: b = (W - 20 - 22) / 6.
    QTest::newRow("default frame") << QSize(1280, 960) << QVariantMap() << QSize(206, 133);
    QTest::newRow("control 1000 wide")
        << QSize(1280, 960) << QVariantMap{{"width", "1000"}, {"height", "700"}} << QSize(159, 106);
}

void TstHostPageSizes::thumbnailSizes()
{
    QFETCH(QSize, frame);
    QFETCH(QVariantMap, args);
    QFETCH(QSize, thumbnail);
    VelTestDrives drives;
    VelHostPage page(frame, args);
    page.run(QStringLiteral(VEL_PAGES_DIR "/page_overview_sizes.js"));
    QCOMPARE(page.errorCount(), 0);
    QVERIFY(!page.isFinished());

    auto* pList = page.frame()->findChild<QWidget*>("overviewListWidget");
    QVERIFY(pList);
    QList<QSize> sizes;
    for (QObject* pChild : pList->children()) {
        auto* pWidget = qobject_cast<QWidget*>(pChild);
        if (pWidget && QByteArray(pWidget->metaObject()->className()) == "VelOverviewWidget")
            sizes << pWidget->size();
    }
    QCOMPARE(sizes, QVector<QSize>(6, thumbnail).toList());
}

QTEST_MAIN(TstHostPageSizes)
#include "tst_hostpagesizes.moc"
