// A thumbnail's PTZ pad in the directing panel: every "cloudControl" press the
// page gets is followed by exactly one release, whatever ends the press. Real
// mouse events go through the pad's pop-up window, as the operator's do.
#include "corvane.h"
#include "overview/veloverviewlistwidget.h"
#include "overview/veloverviewwidget.h"
#include "velcloudsettingwidget.h"
#include "velpopcontainer.h"
#include "veltestdrives.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QtTest>

#include <memory>

using CommandMap = QMap<QString, QString>;

enum class PressEnd { LeavePopup, HideControl, DeleteControl };
Q_DECLARE_METATYPE(PressEnd)

class TstOverviewPtzRelease : public QObject
{
    Q_OBJECT

private slots:
    void heldButtonIsReleasedOnce_data();
    void heldButtonIsReleasedOnce();
};

void TstOverviewPtzRelease::heldButtonIsReleasedOnce_data()
{
    QTest::addColumn<QString>("strName");
    QTest::addColumn<PressEnd>("end");
    QTest::newRow("down, pointer out of the pop-up before letting go")
        << "Cloud_Down" << PressEnd::LeavePopup;
    QTest::newRow("preset two, pointer out of the pop-up before letting go")
        << "Cloud_Two" << PressEnd::LeavePopup;
    QTest::newRow("zoom out, control hidden while held")
        << "Cloud_ZoomOut" << PressEnd::HideControl;
    QTest::newRow("right, control deleted while held") << "Cloud_Right" << PressEnd::DeleteControl;
}

void TstOverviewPtzRelease::heldButtonIsReleasedOnce()
{
    QFETCH(QString, strName);
    QFETCH(PressEnd, end);
    VelTestDrives drives;
    auto pControl = std::make_unique<Corvane>(nullptr);
    pControl->resize(1280, 720);
    pControl->show();
    QVERIFY(QTest::qWaitForWindowExposed(pControl.get()));
    auto* pList = pControl->findChild<VelOverviewListWidget*>();
    QVERIFY(pList);
    VelOverviewWidget* pOverview = pList->addOverviewWidget("讲台", "tok-3", true);
    pOverview->setSource("rtsp://127.0.0.1/cam");
    pOverview->updateCloudButton();
    QStringList commands;
    connect(pList, &VelOverviewListWidget::sigSendCommand, this,
            [&commands](const CommandMap& command) {
                if (command.value("requestParam") == QLatin1String("cloudControl"))
                    commands << command.value("event") + ' ' + command.value("target") + ' ' +
                                    command.value("token");
            });

    pOverview->cloudButton()->click();
    VelPopContainer* pPopup = pOverview->cloudContainer();
    QVERIFY(QTest::qWaitForWindowExposed(pPopup));
    QWindow* pWindow = pPopup->windowHandle();
    auto* pButton = pOverview->cloudSettingWidget()->findChild<QAbstractButton*>(strName);
    const QPoint onButton = pButton->mapTo(pPopup, pButton->rect().center());
    const QPoint outside(-30, pPopup->height() + 30);

    QTest::mouseMove(pWindow, onButton);
    QTest::mousePress(pWindow, Qt::LeftButton, {}, onButton);
    QCOMPARE(commands, QStringList{"press " + strName + " tok-3"});
    switch (end) {
    case PressEnd::LeavePopup:
        QTest::mouseMove(pWindow, outside);
        QTest::mouseRelease(pWindow, Qt::LeftButton, {}, outside);
        break;
    case PressEnd::HideControl:
        pControl->hide();
        QVERIFY(!pPopup->isVisible());
        break;
    case PressEnd::DeleteControl:
        pControl.reset();
        break;
    }
    QCOMPARE(commands,
             QStringList({"press " + strName + " tok-3", "release " + strName + " tok-3"}));
    pControl.reset();
    QCOMPARE(commands.size(), 2);
}

QTEST_MAIN(TstOverviewPtzRelease)
#include "tst_overviewptzrelease.moc"
