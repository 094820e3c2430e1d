#include "velpushbutton.h"

#include <QPixmap>
#include <QtTest>

namespace
{

QIcon solidIcon(const QColor& color)
{
    QPixmap pixmap(8, 8);
    pixmap.fill(color);
    return QIcon(pixmap);
}

bool shows(const QPushButton& button, const QIcon& icon)
{
    return button.icon().cacheKey() == icon.cacheKey();
}

void sendEnter(QWidget* pWidget)
{
    QEvent e(QEvent::Enter);
    QApplication::sendEvent(pWidget, &e);
}

#ifdef VEL_FORM_TESSARO
void sendLeave(QWidget* pWidget)
{
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(pWidget, &e);
}
#endif

} // namespace

class TstVelPushButton : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void constructionShowsNormalIcon();
    void pressShowsPressedIcon_data();
    void pressShowsPressedIcon();
    void checkableClicks_data();
    void checkableClicks();
    void hover();
    void replacedIconsShowAtNextSwap();
#ifdef VEL_FORM_VIMBREL
    void buttonStateFlag();
#endif

private:
    QIcon m_normal;
    QIcon m_pressed;
    QIcon m_hover;
    VelPushButton* m_pButton = nullptr;
};

void TstVelPushButton::init()
{
    m_normal = solidIcon(Qt::red);
    m_pressed = solidIcon(Qt::green);
    m_hover = solidIcon(Qt::blue);
    m_pButton = new VelPushButton(nullptr, m_normal, m_pressed, m_hover);
    m_pButton->resize(40, 40);
    m_pButton->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pButton));
}

void TstVelPushButton::cleanup()
{
    delete m_pButton;
    m_pButton = nullptr;
}

void TstVelPushButton::constructionShowsNormalIcon()
{
    QVERIFY(shows(*m_pButton, m_normal));
    QCOMPARE(m_pButton->styleSheet(), QStringLiteral("QPushButton:hover{border: 0px}"));
#ifdef VEL_FORM_VIMBREL
    QVERIFY(m_pButton->isFlat());
#else
    QVERIFY(!m_pButton->isFlat());
#endif
}

void TstVelPushButton::pressShowsPressedIcon_data()
{
    QTest::addColumn<QPoint>("releaseAt");
    QTest::addColumn<int>("nClicks");
    QTest::newRow("release over the button") << QPoint(20, 20) << 1;
    QTest::newRow("release outside the button") << QPoint(200, 20) << 0;
}

void TstVelPushButton::pressShowsPressedIcon()
{
    QFETCH(QPoint, releaseAt);
    QFETCH(int, nClicks);
    QSignalSpy clicked(m_pButton, &QPushButton::clicked);

    QTest::mousePress(m_pButton, Qt::LeftButton, {}, QPoint(20, 20));
    QVERIFY(shows(*m_pButton, m_pressed));
    QTest::mouseRelease(m_pButton, Qt::LeftButton, {}, releaseAt);
    QVERIFY(shows(*m_pButton, m_normal));
    QCOMPARE(clicked.count(), nClicks);
}

void TstVelPushButton::checkableClicks_data()
{
    QTest::addColumn<int>("nClicks");
    QTest::addColumn<bool>("bChecked");
    QTest::addColumn<bool>("bPressedIcon");
    // The tour form leaves the icon to setButtonState.
#ifdef VEL_FORM_VIMBREL
    const bool bSwaps = false;
#else
    const bool bSwaps = true;
#endif
    QTest::newRow("one click checks and shows pressed") << 1 << true << bSwaps;
    QTest::newRow("second click unchecks and shows normal") << 2 << false << false;
    QTest::newRow("third click shows pressed again") << 3 << true << bSwaps;
}

void TstVelPushButton::checkableClicks()
{
    QFETCH(int, nClicks);
    QFETCH(bool, bChecked);
    QFETCH(bool, bPressedIcon);
    m_pButton->setCheckable(true);

    for (int i = 0; i < nClicks; ++i) {
        const QIcon before = m_pButton->icon();
        QTest::mousePress(m_pButton, Qt::LeftButton, {}, QPoint(10, 10));
        // Holding a checkable button down does not swap its icon.
        QVERIFY(shows(*m_pButton, before));
        QTest::mouseRelease(m_pButton, Qt::LeftButton, {}, QPoint(10, 10));
    }
    QCOMPARE(m_pButton->isChecked(), bChecked);
    QCOMPARE(shows(*m_pButton, m_pressed), bPressedIcon);
    QCOMPARE(shows(*m_pButton, m_normal), !bPressedIcon);
}

void TstVelPushButton::hover()
{
    sendEnter(m_pButton);
#ifdef VEL_FORM_VIMBREL
    QVERIFY(shows(*m_pButton, m_normal));
#else
    QVERIFY(shows(*m_pButton, m_hover));
    sendLeave(m_pButton);
    QVERIFY(shows(*m_pButton, m_normal));

    // Without a hover icon entering keeps what is shown.
    VelPushButton plain(nullptr, m_normal, m_pressed, QIcon());
    QTest::mousePress(&plain, Qt::LeftButton, {}, QPoint(5, 5));
    sendEnter(&plain);
    QVERIFY(shows(plain, m_pressed));
    QTest::mouseRelease(&plain, Qt::LeftButton, {}, QPoint(5, 5));

    // A checked button keeps its pressed icon when the pointer leaves.
    m_pButton->setCheckable(true);
    QTest::mouseClick(m_pButton, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(shows(*m_pButton, m_pressed));
    sendLeave(m_pButton);
    QVERIFY(shows(*m_pButton, m_pressed));
#endif
}

void TstVelPushButton::replacedIconsShowAtNextSwap()
{
    const QIcon newNormal = solidIcon(Qt::yellow);
    const QIcon newPressed = solidIcon(Qt::cyan);
    m_pButton->setNormalIcon(newNormal);
    m_pButton->setPressedIcon(newPressed);
    QVERIFY(shows(*m_pButton, m_normal));

    QTest::mousePress(m_pButton, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(shows(*m_pButton, newPressed));
    QTest::mouseRelease(m_pButton, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(shows(*m_pButton, newNormal));
}

#ifdef VEL_FORM_VIMBREL
void TstVelPushButton::buttonStateFlag()
{
    m_pButton->setCheckable(true);
    QVERIFY(!m_pButton->buttonState());
    QTest::mouseClick(m_pButton, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(m_pButton->buttonState());
    QVERIFY(shows(*m_pButton, m_normal));

    // Outside toggle mode the flag moves but the icon does not.
    m_pButton->setButtonState(false);
    QVERIFY(!m_pButton->buttonState());
    m_pButton->setButtonState(true);
    QVERIFY(shows(*m_pButton, m_normal));

    m_pButton->setToggleMode(true);
    m_pButton->setButtonState(true);
    QVERIFY(shows(*m_pButton, m_pressed));
    m_pButton->setButtonState(false);
    QVERIFY(shows(*m_pButton, m_normal));

    // A click flips the flag from what setButtonState left.
    QTest::mouseClick(m_pButton, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(m_pButton->buttonState());
}
#endif

QTEST_MAIN(TstVelPushButton)
#include "tst_velpushbutton.moc"
