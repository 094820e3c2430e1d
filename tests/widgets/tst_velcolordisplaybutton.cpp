#include "velcolorcellwidget.h"
#include "velcolordisplaybutton.h"
#include "velpopcontainer.h"
#include "veltestresources.h"

#include <QListWidgetItem>
#include <QPointer>
#include <QtTest>

namespace
{

const int kSettleMs = 2000;

QColor colorOfText(const QString& strRgb)
{
    const QStringList parts = strRgb.split(',');
    return QColor(parts.value(0).toInt(), parts.value(1).toInt(), parts.value(2).toInt());
}

} // namespace

class TstVelColorDisplayButton : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void palette();
    void pickLastCell();
    void cornerShowsTheColour();
    void buttonDeletesItsPopup();
};

void TstVelColorDisplayButton::initTestCase()
{
    velInitTestResources();
}

void TstVelColorDisplayButton::palette()
{
    VelColorDisplayButton button(nullptr);
    VelColorCellWidget* pPalette = button.palette();
    QCOMPARE(pPalette->count(), 30);
    QCOMPARE(pPalette->size(), QSize(212, 197));
    QCOMPARE(pPalette->viewMode(), QListView::IconMode);
    QCOMPARE(pPalette->item(0)->data(12).toString(), QStringLiteral("255,255,255"));
    QCOMPARE(pPalette->item(23)->data(12).toString(), QStringLiteral("0,0,255"));
    QCOMPARE(pPalette->item(29)->data(12).toString(), QStringLiteral("0,176,52"));

    // Every swatch shows the colour its text names, and no colour repeats.
    QSet<QRgb> seen;
    for (int i = 0; i < pPalette->count(); ++i) {
        const QListWidgetItem* pItem = pPalette->item(i);
        const QColor expected = colorOfText(pItem->data(Qt::AccessibleDescriptionRole).toString());
        const QImage swatch = pItem->icon().pixmap(32, 32).toImage();
        QCOMPARE(swatch.size(), QSize(32, 32));
        QCOMPARE(swatch.pixelColor(0, 0), expected);
        QCOMPARE(swatch.pixelColor(31, 31), expected);
        seen.insert(expected.rgb());
    }
    QCOMPARE(seen.size(), 30);
    // The palette sits in the button's pop-up.
    QCOMPARE(pPalette->parentWidget(), button.paletteContainer());
}

void TstVelColorDisplayButton::pickLastCell()
{
    VelColorDisplayButton button(nullptr);
    button.resize(24, 24);
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QSignalSpy changed(&button, &VelColorDisplayButton::sigColorChanged);
    VelPopContainer* pPopup = button.paletteContainer();
    VelColorCellWidget* pPalette = button.palette();

    QCursor::setPos(button.mapToGlobal(QPoint(12, 12)));
    QTest::mouseClick(&button, Qt::LeftButton);
    QVERIFY(pPopup->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(pPopup->windowOpacity(), 1.0, kSettleMs);

    QListWidgetItem* pLast = pPalette->item(29);
    pPalette->scrollToItem(pLast);
    QTest::mouseClick(pPalette->viewport(), Qt::LeftButton, {},
                      pPalette->visualItemRect(pLast).center());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).value<QColor>(), QColor(0, 176, 52, 255));
    QCOMPARE(button.color(), QColor(0, 176, 52, 255));
    QVERIFY(pPalette->currentItem() == pLast);
    QTRY_VERIFY_WITH_TIMEOUT(!pPopup->isVisible(), kSettleMs);

    // Reopening shows no current item.
    QTest::mouseClick(&button, Qt::LeftButton);
    QVERIFY(pPopup->isVisible());
    QVERIFY(!pPalette->currentItem());
    QVERIFY(pPalette->selectedItems().isEmpty());
    QCOMPARE(changed.count(), 1);
    pPopup->hide();
}

void TstVelColorDisplayButton::cornerShowsTheColour()
{
    VelColorDisplayButton button(nullptr);
    button.resize(24, 24);
    button.setColor(QColor(223, 0, 36));
    const QImage image = button.grab().toImage();
    // The triangle (0,0), (12,0), (0,12) in the top-left corner.
    QCOMPARE(image.pixelColor(3, 3), QColor(223, 0, 36));
    QVERIFY(image.pixelColor(20, 20) != QColor(223, 0, 36));
    QVERIFY(image.pixelColor(10, 10) != QColor(223, 0, 36));
}

void TstVelColorDisplayButton::buttonDeletesItsPopup()
{
    auto* pButton = new VelColorDisplayButton(nullptr);
    QPointer<VelPopContainer> popup(pButton->paletteContainer());
    QPointer<VelColorCellWidget> palette(pButton->palette());
    QVERIFY(popup && !popup->parent());
    delete pButton;
    QVERIFY(!popup);
    QVERIFY(!palette);
}

QTEST_MAIN(TstVelColorDisplayButton)
#include "tst_velcolordisplaybutton.moc"
