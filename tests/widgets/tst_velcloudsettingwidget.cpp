#include "velcloudsettingwidget.h"
#include "velpopcontainer.h"
#include "velpushbutton.h"
#include "veltestresources.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMouseEvent>
#include <QtTest>

#include <memory>

namespace
{

const char* const kButtons[][2] = {
    {"Cloud_ZoomIn", "ZOOMIN"}, {"Cloud_ZoomOut", "ZOOMOUT"}, {"Cloud_Up", "UP"},
    {"Cloud_Down", "DOWN"},     {"Cloud_Left", "LEFT"},       {"Cloud_Right", "RIGHT"},
    {"Cloud_Zero", "ZERO"},     {"Cloud_One", "ONE"},         {"Cloud_Two", "TWO"},
    {"Cloud_Three", "THREE"},   {"Cloud_Four", "FOUR"},       {"Cloud_Five", "FIVE"},
    {"Cloud_Six", "SIX"},       {"Cloud_Seven", "SEVEN"},     {"Cloud_Eight", "EIGHT"},
    {"Cloud_Nine", "NINE"},
};

// A pointer that leaves the button with the left button held, as a real drag does.
void dragOutside(QWidget* pButton, const QPoint& outside)
{
    QMouseEvent move(QEvent::MouseMove, outside, pButton->mapToGlobal(outside), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pButton, &move);
}

bool sameImage(const QIcon& icon, const QString& strPath)
{
    return icon.pixmap(24, 24).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied) ==
           QImage(strPath).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

class TstVelCloudSettingWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void buttons_data();
    void buttons();
    void sectionsAndLayout();
    void pressAndReleaseOver_data();
    void pressAndReleaseOver();
    void releaseOutside_data();
    void releaseOutside();
    void pressInPopupEndsWithOneRelease_data();
    void pressInPopupEndsWithOneRelease();

private:
    QAbstractButton* button(const char* szName) const
    {
        return m_pPad->findChild<QAbstractButton*>(QLatin1String(szName));
    }

    VelCloudSettingWidget* m_pPad = nullptr;
};

void TstVelCloudSettingWidget::initTestCase()
{
    velInitTestResources();
    qRegisterMetaType<QAbstractButton*>();
}

void TstVelCloudSettingWidget::init()
{
    m_pPad = new VelCloudSettingWidget(nullptr);
    m_pPad->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pPad));
}

void TstVelCloudSettingWidget::cleanup()
{
    delete m_pPad;
    m_pPad = nullptr;
}

void TstVelCloudSettingWidget::buttons_data()
{
    QTest::addColumn<QString>("strName");
    QTest::addColumn<QString>("strKey");
    for (const auto& entry : kButtons)
        QTest::newRow(entry[0]) << QString::fromLatin1(entry[0]) << QString::fromLatin1(entry[1]);
}

void TstVelCloudSettingWidget::buttons()
{
    QFETCH(QString, strName);
    QFETCH(QString, strKey);
    QCOMPARE(m_pPad->findChildren<VelPushButton*>().size(), 16);

    auto* pButton = m_pPad->findChild<VelPushButton*>(strName);
    QVERIFY(pButton);
    QCOMPARE(pButton->size(), QSize(26, 26));
    QCOMPARE(pButton->iconSize(), QSize(24, 24));
    QVERIFY(pButton->isFlat());
    QVERIFY(pButton->hoverIcon().isNull());
    const QString strBase = QStringLiteral(":/resource/CV_CLOUDCONTROL_") + strKey;
    QVERIFY(sameImage(pButton->normalIcon(), strBase + "_SLIENT.png"));
    QVERIFY(sameImage(pButton->pressedIcon(), strBase + "_PRESS.png"));
    QVERIFY(sameImage(pButton->icon(), strBase + "_SLIENT.png"));
}

void TstVelCloudSettingWidget::sectionsAndLayout()
{
    QStringList labels;
    for (QLabel* pLabel : m_pPad->findChildren<QLabel*>())
        labels << pLabel->text();
    QCOMPARE(labels, QStringList({"镜头变焦", "移动云台", "预置位置"}));

    auto x = [this](const char* szName) { return button(szName)->geometry().center().x(); };
    auto y = [this](const char* szName) { return button(szName)->geometry().center().y(); };
    // Zoom column, then move column, then presets; zoom out left of zoom in.
    QVERIFY(x("Cloud_ZoomOut") < x("Cloud_ZoomIn"));
    QVERIFY(x("Cloud_ZoomIn") < x("Cloud_Left"));
    QVERIFY(x("Cloud_Right") < x("Cloud_One"));
    // The cross: up above left/right above down, up and down centred between the sides.
    QVERIFY(y("Cloud_Up") < y("Cloud_Left") && y("Cloud_Left") < y("Cloud_Down"));
    QCOMPARE(y("Cloud_Left"), y("Cloud_Right"));
    QVERIFY(qAbs(x("Cloud_Up") * 2 - x("Cloud_Left") - x("Cloud_Right")) <= 2);
    QCOMPARE(x("Cloud_Up"), x("Cloud_Down"));
    // Presets 1..5 above 6..9, 0.
    QCOMPARE(y("Cloud_One"), y("Cloud_Five"));
    QVERIFY(y("Cloud_Six") > y("Cloud_One"));
    QCOMPARE(y("Cloud_Zero"), y("Cloud_Six"));
    QVERIFY(x("Cloud_Nine") < x("Cloud_Zero"));
    QCOMPARE(x("Cloud_Six"), x("Cloud_One"));
}

void TstVelCloudSettingWidget::pressAndReleaseOver_data()
{
    QTest::addColumn<QString>("strName");
    QTest::newRow("zoom in") << "Cloud_ZoomIn";
    QTest::newRow("up") << "Cloud_Up";
    QTest::newRow("preset zero") << "Cloud_Zero";
    QTest::newRow("preset one") << "Cloud_One";
}

void TstVelCloudSettingWidget::pressAndReleaseOver()
{
    QFETCH(QString, strName);
    QSignalSpy pressed(m_pPad, &VelCloudSettingWidget::sigButtonPressed);
    QSignalSpy released(m_pPad, &VelCloudSettingWidget::sigButtonReleased);
    auto* pButton = m_pPad->findChild<QAbstractButton*>(strName);

    QTest::mousePress(pButton, Qt::LeftButton, {}, QPoint(13, 13));
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(released.count(), 0);
    QTest::mouseRelease(pButton, Qt::LeftButton, {}, QPoint(13, 13));
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(released.count(), 1);
    // The button reports itself; its object name is all the owner needs.
    QCOMPARE(pressed.at(0).at(0).value<QAbstractButton*>()->objectName(), strName);
    QCOMPARE(released.at(0).at(0).value<QAbstractButton*>()->objectName(), strName);
}

void TstVelCloudSettingWidget::releaseOutside_data()
{
    QTest::addColumn<QString>("strName");
    QTest::newRow("up") << "Cloud_Up";
    QTest::newRow("left") << "Cloud_Left";
    QTest::newRow("zoom out") << "Cloud_ZoomOut";
}

// Both forms report the pointer leaving the held button as its release: a
// camera must not keep moving because the pointer slid off.
void TstVelCloudSettingWidget::releaseOutside()
{
    QFETCH(QString, strName);
    QSignalSpy pressed(m_pPad, &VelCloudSettingWidget::sigButtonPressed);
    QSignalSpy released(m_pPad, &VelCloudSettingWidget::sigButtonReleased);
    auto* pButton = m_pPad->findChild<QAbstractButton*>(strName);
    const QPoint outside(13, 60);

    QTest::mousePress(pButton, Qt::LeftButton, {}, QPoint(13, 13));
    dragOutside(pButton, outside);
    QTest::mouseRelease(pButton, Qt::LeftButton, {}, outside);

    QCOMPARE(pressed.count(), 1);
    QCOMPARE(released.count(), 1);
    QCOMPARE(released.at(0).at(0).value<QAbstractButton*>(), pButton);
    QVERIFY(!pButton->isDown());
}

// What can end a press in the pop-up the owners show the pad in.
enum class PressEnd { LeavePopup, SlideToOtherButton, HidePopup, ClosePopup, DeletePopup };
Q_DECLARE_METATYPE(PressEnd)

void TstVelCloudSettingWidget::pressInPopupEndsWithOneRelease_data()
{
    QTest::addColumn<QString>("strName");
    QTest::addColumn<PressEnd>("end");
    QTest::newRow("down, pointer leaves the pop-up in one motion")
        << "Cloud_Down" << PressEnd::LeavePopup;
    QTest::newRow("zoom in, pointer leaves the pop-up in one motion")
        << "Cloud_ZoomIn" << PressEnd::LeavePopup;
    QTest::newRow("left, pointer slides onto another button")
        << "Cloud_Left" << PressEnd::SlideToOtherButton;
    QTest::newRow("up, pop-up hidden under the held button") << "Cloud_Up" << PressEnd::HidePopup;
    QTest::newRow("preset one, pop-up closed under the held button")
        << "Cloud_One" << PressEnd::ClosePopup;
    QTest::newRow("right, pad deleted under the held button")
        << "Cloud_Right" << PressEnd::DeletePopup;
}

// Real mouse events through the pop-up's window, so Qt's pop-up routing
// decides who gets them, as it does for the operator's pointer.
void TstVelCloudSettingWidget::pressInPopupEndsWithOneRelease()
{
    QFETCH(QString, strName);
    QFETCH(PressEnd, end);
    auto* pPad = new VelCloudSettingWidget(nullptr);
    auto pPopup = std::make_unique<VelPopContainer>(nullptr, pPad, QString());
    QStringList events;
    connect(pPad, &VelCloudSettingWidget::sigButtonPressed, this,
            [&events](QAbstractButton* pbtn) { events << "press " + pbtn->objectName(); });
    connect(pPad, &VelCloudSettingWidget::sigButtonReleased, this,
            [&events](QAbstractButton* pbtn) { events << "release " + pbtn->objectName(); });
    pPopup->popupAt(300, 200, 32, 32);
    QVERIFY(QTest::qWaitForWindowExposed(pPopup.get()));
    QTRY_VERIFY(pPopup->isVisible() && pPopup->size().width() > 0);
    QWindow* pWindow = pPopup->windowHandle();
    auto* pButton = pPad->findChild<QAbstractButton*>(strName);
    const QPoint onButton = pButton->mapTo(pPopup.get(), pButton->rect().center());
    const QPoint outside(pPopup->width() + 40, pPopup->height() + 40);

    QTest::mouseMove(pWindow, onButton);
    QTest::mousePress(pWindow, Qt::LeftButton, {}, onButton);
    QCOMPARE(events, QStringList{"press " + strName});
    switch (end) {
    case PressEnd::LeavePopup:
        QTest::mouseMove(pWindow, outside);
        QTest::mouseRelease(pWindow, Qt::LeftButton, {}, outside);
        break;
    case PressEnd::SlideToOtherButton: {
        auto* pOther = pPad->findChild<QAbstractButton*>(QStringLiteral("Cloud_Nine"));
        const QPoint onOther = pOther->mapTo(pPopup.get(), pOther->rect().center());
        QTest::mouseMove(pWindow, onOther);
        QTest::mouseRelease(pWindow, Qt::LeftButton, {}, onOther);
        break;
    }
    case PressEnd::HidePopup:
        pPopup->hide();
        break;
    case PressEnd::ClosePopup:
        pPopup->close();
        break;
    case PressEnd::DeletePopup:
        pPopup.reset();
        break;
    }
    QCOMPARE(events, QStringList({"press " + strName, "release " + strName}));
    if (pPopup) {
        // The button is up again, and later pointer traffic adds nothing.
        QVERIFY(!pButton->isDown());
        if (pPopup->isVisible()) {
            QTest::mouseMove(pWindow, onButton);
            QTest::mouseRelease(pWindow, Qt::LeftButton, {}, onButton);
        }
        QTRY_VERIFY(!pPopup->isVisible() || end == PressEnd::LeavePopup ||
                    end == PressEnd::SlideToOtherButton);
        QCOMPARE(events.size(), 2);
        pPopup.reset();
    }
    QCOMPARE(events.size(), 2);
}

QTEST_MAIN(TstVelCloudSettingWidget)
#include "tst_velcloudsettingwidget.moc"
