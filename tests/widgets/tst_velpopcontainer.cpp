#include "velpopcontainer.h"
#include "veltestresources.h"

#include <QApplication>
#include <QDesktopWidget>
#include <QGridLayout>
#include <QLabel>
#include <QListWidgetItem>
#include <QPointer>
#include <QtTest>

namespace
{

const int kSettleMs = 2000;

QWidget* sizedContent(int nWidth, int nHeight)
{
    auto* pContent = new QWidget;
    pContent->resize(nWidth, nHeight);
    return pContent;
}

// The tour form only shows the first pop-up (placed once the window has its
// size); a second call is an ordinary animated pop-up in both forms.
void popUpAnimated(VelPopContainer& container, int x, int y)
{
#ifdef VEL_FORM_VIMBREL
    container.popupAt(x, y, 32, 32);
#endif
    container.popupAt(x, y, 32, 32);
}

} // namespace

Q_DECLARE_METATYPE(QMargins)

class TstVelPopContainer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void defaultContentSize_data();
    void defaultContentSize();
    void sizeFollowsContent();
    void placementModes_data();
    void placementModes();
    void firstPopupOfTourForm();
    void arrowNearScreenEdges_data();
    void arrowNearScreenEdges();
    void staysOnPointerScreen_data();
    void staysOnPointerScreen();
    void closeDuringFadeIn_data();
    void closeDuringFadeIn();
    void finishedFadeInStaysUp();
    void painting();
};

void TstVelPopContainer::initTestCase()
{
    velInitTestResources();
}

void TstVelPopContainer::defaultContentSize_data()
{
    QTest::addColumn<QString>("strTitle");
    QTest::addColumn<QSize>("size");
    QTest::newRow("with title") << QStringLiteral("标题") << QSize(110, 136);
    QTest::newRow("without title") << QString() << QSize(110, 116);
}

void TstVelPopContainer::defaultContentSize()
{
    QFETCH(QString, strTitle);
    QFETCH(QSize, size);
    QWidget owner;
    VelPopContainer container(&owner, nullptr, strTitle);

    QCOMPARE(container.size(), size);
    QVERIFY(container.contentWidget());
    QCOMPARE(container.contentWidget()->parentWidget(), &container);
    QCOMPARE(container.contentWidget()->size(), QSize(100, 100));
    QVERIFY(container.windowFlags().testFlag(Qt::Popup));
    QVERIFY(container.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(container.testAttribute(Qt::WA_TranslucentBackground));
    QVERIFY(container.isHidden());
}

void TstVelPopContainer::sizeFollowsContent()
{
    VelPopContainer untitled(nullptr, sizedContent(190, 50), QString());
    QCOMPARE(untitled.size(), QSize(200, 66));

    VelPopContainer titled(nullptr, sizedContent(190, 50), QStringLiteral("颜色"));
    QCOMPARE(titled.size(), QSize(200, 86));
    auto* pTitle = titled.findChild<QLabel*>();
    QVERIFY(pTitle);
    QCOMPARE(pTitle->size(), QSize(190, 20));
    QVERIFY(pTitle->styleSheet().contains(QLatin1String("border-bottom:1px solid gray")));
}

void TstVelPopContainer::placementModes_data()
{
    QTest::addColumn<int>("nMode");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QMargins>("margins");
    QTest::addColumn<QPoint>("outside");
    QTest::addColumn<QPoint>("arrowTip");
    // 200 x 66 panel popped up at (500, 400), offset 32, arrow 10 px from the left.
    QTest::newRow("hanging below the anchor")
        << 0 << QRect(484, 400, 200, 66) << QMargins(5, 11, 5, 5) << QPoint(0, 0) << QPoint(16, 1);
    QTest::newRow("standing above the lifted anchor")
        << 1 << QRect(484, 368 - 66, 200, 66) << QMargins(5, 5, 5, 11) << QPoint(0, 65)
        << QPoint(16, 64);
}

void TstVelPopContainer::placementModes()
{
    QFETCH(int, nMode);
    QFETCH(QRect, geometry);
    QFETCH(QMargins, margins);
    QFETCH(QPoint, outside);
    QFETCH(QPoint, arrowTip);
    VelPopContainer container(nullptr, sizedContent(190, 50), QString());
    container.setPlacementMode(nMode);

    popUpAnimated(container, 500, 400);
    QVERIFY(container.isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(container.geometry(), geometry, kSettleMs);
    QCOMPARE(container.arrowOffset(), 10);
    QCOMPARE(container.layout()->contentsMargins(), margins);

    // The mask is the bubble: the corner beside the arrow is cut away, the
    // arrow and the body are kept.
    const QRegion mask = container.mask();
    QVERIFY(!mask.contains(outside));
    QVERIFY(mask.contains(arrowTip));
    QVERIFY(mask.contains(QPoint(100, 33)));
    container.hide();
}

void TstVelPopContainer::firstPopupOfTourForm()
{
    VelPopContainer container(nullptr, sizedContent(190, 50), QString());
    container.popupAt(500, 400, 32, 32);
    QVERIFY(container.isVisible());
#ifdef VEL_FORM_VIMBREL
    // Placed by the first resize event, without sliding or fading.
    QCOMPARE(container.geometry(), QRect(484, 400, 200, 66));
    QCOMPARE(container.windowOpacity(), 1.0);
#else
    // Slides in from 50 px to the left while fading in.
    QVERIFY(container.geometry().x() < 484);
    QVERIFY(container.windowOpacity() < 1.0);
    QTRY_COMPARE_WITH_TIMEOUT(container.geometry(), QRect(484, 400, 200, 66), kSettleMs);
#endif
    container.hide();
}

void TstVelPopContainer::arrowNearScreenEdges_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("nArrowOffset");
    QTest::newRow("near the left edge") << 100 << 10;
#ifdef VEL_FORM_VIMBREL
    // x + total width - desktop right = 1850 + 200 - 1919
    QTest::newRow("near the right edge") << 1850 << 131;
#else
    // total width - arrow width - 10
    QTest::newRow("near the right edge") << 1850 << 178;
#endif
    QTest::newRow("last x with the arrow on the left") << 1729 << 10;
#ifdef VEL_FORM_VIMBREL
    QTest::newRow("first x with the arrow moved") << 1730 << 11;
#else
    QTest::newRow("first x with the arrow moved") << 1730 << 178;
#endif
}

void TstVelPopContainer::arrowNearScreenEdges()
{
    QFETCH(int, x);
    QFETCH(int, nArrowOffset);
    if (QApplication::desktop()->rect() != QRect(0, 0, 1920, 1080))
        QSKIP("needs a 1920 x 1080 desktop (the test runs under xvfb-run in CTest)");

    VelPopContainer container(nullptr, sizedContent(190, 50), QString());
    popUpAnimated(container, x, 300);
    QCOMPARE(container.arrowOffset(), nArrowOffset);
    QTRY_COMPARE_WITH_TIMEOUT(container.geometry(), QRect(x - 6 - nArrowOffset, 300, 200, 66),
                              kSettleMs);
    container.hide();
}

void TstVelPopContainer::staysOnPointerScreen_data()
{
    QTest::addColumn<int>("nMode");
    QTest::addColumn<int>("nContentHeight");
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<int>("nModeUsed");
    // 200 x 66 panels (190 x 50 content) on a 1920 x 1080 screen, dy 32.
    QTest::newRow("last y that hangs below")
        << 0 << 50 << QPoint(500, 1014) << QRect(484, 1014, 200, 66) << 0;
    QTest::newRow("one lower stands above the pointer")
        << 0 << 50 << QPoint(500, 1015) << QRect(484, 1015 - 66, 200, 66) << 1;
    QTest::newRow("strip pop-up at the screen's bottom row")
        << 0 << 50 << QPoint(500, 1079) << QRect(484, 1079 - 66, 200, 66) << 1;
    QTest::newRow("standing above with no room hangs below the pointer")
        << 1 << 50 << QPoint(500, 60) << QRect(484, 60, 200, 66) << 0;
    // 700 + 16 pixels: below 540 there are 540 rows, above 540.
    QTest::newRow("too tall for either side is pushed inside")
        << 0 << 700 << QPoint(500, 540) << QRect(484, 0, 200, 716) << 1;
    QTest::newRow("near the left edge the arrow follows the pointer")
        << 0 << 50 << QPoint(10, 300) << QRect(0, 300, 200, 66) << 0;
}

// The strip and the thumbnails sit at the bottom of the page: pop-ups opened
// there used to hang below the screen, out of the pointer's reach.
void TstVelPopContainer::staysOnPointerScreen()
{
    QFETCH(int, nMode);
    QFETCH(int, nContentHeight);
    QFETCH(QPoint, pointer);
    QFETCH(QRect, geometry);
    QFETCH(int, nModeUsed);
    if (QApplication::desktop()->rect() != QRect(0, 0, 1920, 1080))
        QSKIP("needs a 1920 x 1080 desktop (the test runs under xvfb-run in CTest)");

    VelPopContainer container(nullptr, sizedContent(190, nContentHeight), QString());
    container.setPlacementMode(nMode);
    popUpAnimated(container, pointer.x(), pointer.y());
    QCOMPARE(container.placementMode(), nModeUsed);
    QTRY_COMPARE_WITH_TIMEOUT(container.geometry(), geometry, kSettleMs);
    QVERIFY(QRect(0, 0, 1920, 1080).contains(container.geometry()));

    // The caller's side is tried first again where it fits.
    container.popupAt(500, 200, 32, 32);
    QCOMPARE(container.placementMode(), nMode);
    container.hide();
}

void TstVelPopContainer::closeDuringFadeIn_data()
{
    QTest::addColumn<int>("nRoute");
    QTest::newRow("close()") << 0;
    QTest::newRow("sltClosePopContainer()") << 1;
    QTest::newRow("sltClosePopContainer(int, int)") << 2;
    QTest::newRow("sltClosePopContainer(item)") << 3;
}

void TstVelPopContainer::closeDuringFadeIn()
{
    QFETCH(int, nRoute);
    auto* pContainer = new VelPopContainer(nullptr, sizedContent(190, 50), QString());
    QPointer<VelPopContainer> guard(pContainer);

    popUpAnimated(*pContainer, 500, 400);
    QTest::qWait(100);
    QVERIFY2(pContainer->windowOpacity() < 0.9, "the fade-in should still be running");

    QListWidgetItem item;
    switch (nRoute) {
    case 0:
        QVERIFY(!pContainer->close());
        break;
    case 1:
        pContainer->sltClosePopContainer();
        break;
    case 2:
        pContainer->sltClosePopContainer(1, 2);
        break;
    default:
        pContainer->sltClosePopContainer(&item);
        break;
    }
    // The fade-out takes over: still up at first, hidden (not destroyed) at its end.
    QVERIFY(pContainer->isVisible());
    QTest::qWait(150);
    QVERIFY(pContainer->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!pContainer->isVisible(), kSettleMs);
    QVERIFY(guard);

    // And it pops up again.
    pContainer->popupAt(500, 400, 32, 32);
    QVERIFY(pContainer->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(pContainer->windowOpacity(), 1.0, kSettleMs);
    QCOMPARE(pContainer->geometry(), QRect(484, 400, 200, 66));
    delete pContainer;
}

void TstVelPopContainer::finishedFadeInStaysUp()
{
    VelPopContainer container(nullptr, sizedContent(190, 50), QString());
    popUpAnimated(container, 500, 400);
    QTRY_COMPARE_WITH_TIMEOUT(container.windowOpacity(), 1.0, kSettleMs);
    QTest::qWait(200);
    QVERIFY(container.isVisible());
    container.hide();
}

void TstVelPopContainer::painting()
{
    VelPopContainer container(nullptr, sizedContent(190, 50), QString());
    QImage image = container.grab().toImage();
    QCOMPARE(image.pixelColor(100, 40), QColor(231, 232, 230));
    QCOMPARE(image.pixelColor(16, 3), QColor(231, 232, 230));
    QCOMPARE(image.pixelColor(1, 1).alpha(), 0);

    container.setBackgroundColor(QColor(120, 120, 120));
    container.setPlacementMode(1);
    image = container.grab().toImage();
    QCOMPARE(image.pixelColor(100, 30), QColor(120, 120, 120));
    QCOMPARE(image.pixelColor(16, 62), QColor(120, 120, 120));
    QCOMPARE(image.pixelColor(1, 64).alpha(), 0);
    QCOMPARE(image.pixelColor(16, 3), QColor(120, 120, 120));
}

QTEST_MAIN(TstVelPopContainer)
#include "tst_velpopcontainer.moc"
