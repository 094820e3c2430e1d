// What the operator sees, read from rendered pixels: the highlighted row of the
// drop-down lists (it was white on white), the clip dialog's browse buttons
// (grey as if disabled) and the panel's own background in its margins.
#include "corvane.h"
#include "dialogs/velcaptionswidget.h"
#include "dialogs/velclipsettingpage.h"
#include "dialogs/velcreditssettingwidget.h"
#include "dialogs/veltailsettingwidget.h"
#include "dialogs/veltitlesettingwidget.h"
#include "output/vellivesettingwidget.h"
#include "veltestdrives.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QPushButton>
#include <QtTest>
#include <functional>

namespace
{

const QColor kGreen(39, 183, 121);

bool near(const QColor& a, const QColor& b, int nTolerance = 12)
{
    return qAbs(a.red() - b.red()) <= nTolerance && qAbs(a.green() - b.green()) <= nTolerance &&
           qAbs(a.blue() - b.blue()) <= nTolerance;
}

int darkest(const QImage& image)
{
    int nDarkest = 255;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            nDarkest = qMin(nDarkest, qGray(image.pixel(x, y)));
    }
    return nDarkest;
}

} // namespace

using ComboFinder = std::function<QComboBox*(QWidget*)>;
Q_DECLARE_METATYPE(ComboFinder)

class TestVelPanelLook : public QObject
{
    Q_OBJECT

private slots:
    void highlightedRowIsGreen_data();
    void highlightedRowIsGreen();
    void browseButtonsLookEnabled();
    void panelMarginsArePanelGrey();
};

void TestVelPanelLook::highlightedRowIsGreen_data()
{
    QTest::addColumn<ComboFinder>("make");

    QTest::newRow("live room chooser") << ComboFinder([](QWidget* parent) {
        auto* pContent =
            new VelLiveSettingWidget({"一号直播间", "二号直播间", "公开课直播间"}, parent);
        return pContent->findChild<QComboBox*>();
    });
    QTest::newRow("clip font size") << ComboFinder(
        [](QWidget* parent) { return (new VelTitleSettingWidget(parent))->fontSizeBox(); });
    QTest::newRow("caption position") << ComboFinder(
        [](QWidget* parent) { return (new VelCaptionsWidget(parent))->positionBox(); });
}

// The pop-up's current row (where the pointer rests, or the chosen one) is
// drawn on the green the style sheets ask for, and its text stands out from it.
void TestVelPanelLook::highlightedRowIsGreen()
{
    QFETCH(ComboFinder, make);

    QWidget window;
    // The control's own style sheet sets the panel's font for every child.
    window.setStyleSheet(QStringLiteral("font-family: \"Microsoft YaHei\"; font-size: 12px"));
    QComboBox* pBox = make(&window);
    QVERIFY(pBox);
    window.resize(400, 600);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    pBox->showPopup();
    QAbstractItemView* pView = pBox->view();
    QTRY_VERIFY(pView->isVisible());
    const QModelIndex row = pView->model()->index(1, 0);
    // What a hover does in the pop-up.
    pView->setCurrentIndex(row);
    const QRect rect = pView->visualRect(row) & pView->viewport()->rect();
    QVERIFY(!rect.isEmpty());
    const QImage image = pView->viewport()->grab().toImage();
    const qreal dpr = image.devicePixelRatio();
    auto pixel = [&](int x, int y) { return image.pixelColor(int(x * dpr), int(y * dpr)); };

    // Sample the row's background at its two ends, clear of the text.
    const int y = rect.center().y();
    const QColor left = pixel(rect.left() + 2, y);
    const QColor right = pixel(rect.right() - 3, y);
    QVERIFY2(near(left, kGreen) && near(right, kGreen),
             qPrintable(QStringLiteral("row drawn %1 / %2").arg(left.name(), right.name())));
    // The text is there, in a colour that differs from the green.
    int nTextPixels = 0;
    for (int x = rect.left(); x <= rect.right(); ++x) {
        for (int yy = rect.top(); yy <= rect.bottom(); ++yy) {
            if (!near(pixel(x, yy), kGreen, 60))
                ++nTextPixels;
        }
    }
    QVERIFY2(nTextPixels > 10, qPrintable(QString::number(nTextPixels)));
    // Another row stays on white.
    const QRect other = pView->visualRect(pView->model()->index(0, 0));
    QVERIFY(near(pixel(other.left() + 2, other.center().y()), Qt::white));
    pBox->hidePopup();
}

// The tab buttons' grey text reached the browse buttons below them.
void TestVelPanelLook::browseButtonsLookEnabled()
{
    VelCreditsSettingWidget credits;
    credits.resize(600, 500);
    credits.show();
    QVERIFY(QTest::qWaitForWindowExposed(&credits));
    for (VelClipSettingPage* pPage : {static_cast<VelClipSettingPage*>(credits.titlePage()),
                                      static_cast<VelClipSettingPage*>(credits.tailPage())}) {
        for (QPushButton* pButton : {pPage->pictureButton(), pPage->musicButton()}) {
            QVERIFY(pButton->isEnabled());
            // Black text has pixels near 0; grey text stays near 128.
            const int nDarkest = darkest(pButton->grab().toImage());
            QVERIFY2(nDarkest < 70, qPrintable(QString::number(nDarkest)));
        }
        QTest::mouseClick(credits.tailTab(), Qt::LeftButton);
    }
    // The tab not chosen keeps its grey.
    const int nTab = darkest(credits.titleTab()->grab().toImage());
    QVERIFY2(nTab > 90, qPrintable(QString::number(nTab)));
}

// The control's style sheet asks for #F2F2F2; the margins showed the window
// colour #EFEFEF.
void TestVelPanelLook::panelMarginsArePanelGrey()
{
    VelTestDrives drives;
    // The browser's window around it, as the host's frame: the window colour
    // is what showed through.
    QWidget browser;
    auto* pPanel = new Corvane(&browser);
    pPanel->setGeometry(0, 0, 1000, 700);
    browser.resize(1000, 700);
    browser.show();
    QVERIFY(QTest::qWaitForWindowExposed(&browser));
    const QImage image = browser.grab().toImage();
    const qreal dpr = image.devicePixelRatio();
    for (const QPoint& point : {QPoint(3, 200), QPoint(996, 400)}) {
        const QColor color = image.pixelColor(point * dpr);
        QVERIFY2(color == QColor(0xF2, 0xF2, 0xF2), qPrintable(color.name()));
    }
}

QTEST_MAIN(TestVelPanelLook)
#include "tst_velpanellook.moc"
