#include "corvane.h"
#include "overview/veloverviewlistwidget.h"
#include "overview/veloverviewwidget.h"
#include "velcloudsettingwidget.h"
#include "velpopcontainer.h"
#include "velpushbutton.h"
#include "veltestdrives.h"
#include "velvideolabel.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QtTest>

namespace
{

using Sizes = QList<QSize>;

QStringList tokensOf(const QList<VelOverviewWidget*>& thumbnails)
{
    QStringList tokens;
    for (const VelOverviewWidget* pOverview : thumbnails)
        tokens << pOverview->objectName();
    return tokens;
}

// A shown list of nCount thumbnails "cam<i>" with tokens "t<i>"; the first
// nSources of them have a source.
void fill(VelOverviewListWidget& list, int nCount, int nSources)
{
    for (int i = 0; i < nCount; ++i) {
        VelOverviewWidget* pOverview = list.addOverviewWidget(QStringLiteral("cam%1").arg(i),
                                                              QStringLiteral("t%1").arg(i), true);
        if (i < nSources)
            pOverview->setSource(QStringLiteral("rtsp://127.0.0.1/cam%1").arg(i));
    }
}

} // namespace

class TstVelOverviewListWidget : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<CommandMap>("QMap<QString,QString>"); }
    void init() { m_pDrives = new VelTestDrives; }
    void cleanup()
    {
        delete m_pDrives;
        m_pDrives = nullptr;
    }

    void sizing_data();
    void sizing();
    void sizeFormulaBounds_data();
    void sizeFormulaBounds();
    void manyCamerasNoNegativeSizes();
    void switching_data();
    void switching();
    void answer_data();
    void answer();
    void ptzCommands();
    void lookups_data();
    void lookups();
    void switchThroughTheControl();

private:
    VelTestDrives* m_pDrives = nullptr;
};

void TstVelOverviewListWidget::sizing_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("count");
    QTest::addColumn<QSize>("thumbnail");
    QTest::addColumn<int>("listHeight");
    QTest::addColumn<QList<int>>("heightChanges");
    QTest::newRow("1000 px, first six")
        << 1000 << 6 << QSize(163, 115) << 130 << QList<int>{70, 0, 0, 0, 0, 0};
    QTest::newRow("1000 px, the seventh")
        << 1000 << 7 << QSize(139, 97) << 112 << QList<int>{70, 0, 0, 0, 0, 0, 18};
    QTest::newRow("1000 px, the eighth")
        << 1000 << 8 << QSize(122, 88) << 103 << QList<int>{70, 0, 0, 0, 0, 0, 18, 9};
    // The host's default frame is 1280 wide; the control's margins take 20.
    QTest::newRow("1260 px, the frame's width")
        << 1260 << 6 << QSize(206, 133) << 148 << QList<int>{52, 0, 0, 0, 0, 0};
    QTest::newRow("narrow list, one camera") << 200 << 1 << QSize(29, 34) << 49 << QList<int>{151};
}

void TstVelOverviewListWidget::sizing()
{
    QFETCH(int, width);
    QFETCH(int, count);
    QFETCH(QSize, thumbnail);
    QFETCH(int, listHeight);
    QFETCH(QList<int>, heightChanges);
    VelOverviewListWidget list(nullptr);
    list.resize(width, 200);
    QSignalSpy spyHeight(&list, &VelOverviewListWidget::sigHeightChanged);
    fill(list, count, 0);
    for (const VelOverviewWidget* pOverview : list.overviewWidgets())
        QCOMPARE(pOverview->size(), thumbnail);
    QCOMPARE(list.height(), listHeight);
    QList<int> changes;
    for (const QList<QVariant>& args : spyHeight)
        changes << args.at(0).toInt();
    QCOMPARE(changes, heightChanges);
    QCOMPARE(tokensOf(list.overviewWidgets()).size(), count);
    QCOMPARE(list.currentOverviewWidget(), list.overviewWidgets().first());

    // Later resizes leave the sizes alone.
    list.resize(width * 2, listHeight);
    for (const VelOverviewWidget* pOverview : list.overviewWidgets())
        QCOMPARE(pOverview->size(), thumbnail);
}

void TstVelOverviewListWidget::sizeFormulaBounds_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("existing");
    QTest::addColumn<QSize>("size");
    QTest::newRow("the seventh in 1000 px") << 1000 << 6 << QSize(139, 97);
    QTest::newRow("narrow, the eleventh") << 20 << 10 << QSize(0, 25);
    QTest::newRow("narrow, past it: 0, not -1") << 20 << 11 << QSize(0, 25);
    QTest::newRow("2,000 cameras") << 1260 << 1999 << QSize(0, 25);
    QTest::newRow("a list with no width") << 0 << 0 << QSize(0, 25);
    QTest::newRow("count at the int limit") << 1260 << INT_MAX << QSize(0, 25);
    QTest::newRow("width beyond a widget") << INT_MAX << 0 << QSize(QWIDGETSIZE_MAX, 9437200);
}

// Negative thumbnail sizes made Qt warn, with the camera's name, for every
// thumbnail at every addition: 2,000 cameras with a 4 MiB name wrote 22 GB.
void TstVelOverviewListWidget::sizeFormulaBounds()
{
    QFETCH(int, width);
    QFETCH(int, existing);
    QFETCH(QSize, size);
    const QSize computed = VelOverviewListWidget::thumbnailSize(width, existing);
    QCOMPARE(computed, size);
    QVERIFY(computed.width() <= QWIDGETSIZE_MAX && computed.height() <= QWIDGETSIZE_MAX);
}

namespace
{
int s_nSizeWarnings = 0;
QtMessageHandler s_previousHandler = nullptr;
void countSizeWarnings(QtMsgType type, const QMessageLogContext& context, const QString& strMsg)
{
    if (strMsg.contains(QLatin1String("Negative sizes")) ||
        strMsg.contains(QLatin1String("setMinimumSize")))
        ++s_nSizeWarnings;
    else if (s_previousHandler)
        s_previousHandler(type, context, strMsg);
}
} // namespace

void TstVelOverviewListWidget::manyCamerasNoNegativeSizes()
{
    VelOverviewListWidget list(nullptr);
    list.resize(20, 200);
    const QString strLongName(64 * 1024, QLatin1Char('n'));
    s_nSizeWarnings = 0;
    s_previousHandler = qInstallMessageHandler(countSizeWarnings);
    for (int i = 0; i < 30; ++i)
        list.addOverviewWidget(strLongName + QString::number(i), strLongName + QString::number(i),
                               false);
    qInstallMessageHandler(s_previousHandler);
    QCOMPARE(s_nSizeWarnings, 0);
    QCOMPARE(list.overviewWidgets().size(), 30);
    QCOMPARE(list.overviewWidgets().last()->size(), QSize(0, 25));
    QCOMPARE(list.height(), 40);
}

void TstVelOverviewListWidget::switching_data()
{
    QTest::addColumn<bool>("cloudState");
    QTest::addColumn<int>("pick");
    QTest::addColumn<bool>("doubleClick");
    QTest::addColumn<QString>("commandToken"); // empty: no command
    QTest::addColumn<int>("current");
    QTest::addColumn<QStringList>("currentSignals");
    QTest::newRow("other camera by the switch button")
        << true << 1 << false << "t1" << 1 << QStringList{"t1"};
    QTest::newRow("other camera by double click")
        << true << 1 << true << "t1" << 1 << QStringList{"t1"};
    QTest::newRow("current again") << true << 0 << false << "" << 0 << QStringList{"t0"};
    QTest::newRow("no source") << true << 2 << false << "" << 2 << QStringList{"t2"};
    QTest::newRow("cloud state off") << false << 1 << true << "" << 0 << QStringList{};
}

void TstVelOverviewListWidget::switching()
{
    QFETCH(bool, cloudState);
    QFETCH(int, pick);
    QFETCH(bool, doubleClick);
    QFETCH(QString, commandToken);
    QFETCH(int, current);
    QFETCH(QStringList, currentSignals);
    VelOverviewListWidget list(nullptr);
    list.resize(1000, 200);
    fill(list, 3, 2);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    emit list.sigCloudButtonsStateChanged(cloudState);
    QCOMPARE(list.cloudControlState(), cloudState);

    QSignalSpy spyCommand(&list, &VelOverviewListWidget::sigSendCommand);
    QSignalSpy spyCurrent(&list, &VelOverviewListWidget::sigCurrentOutputChanged);
    VelOverviewWidget* pPicked = list.overviewWidgets().at(pick);
    if (doubleClick)
        QTest::mouseDClick(pPicked->videoLabel(), Qt::LeftButton);
    else
        QTest::mouseClick(pPicked->switchButton(), Qt::LeftButton);

    QCOMPARE(list.currentOverviewWidget(), list.overviewWidgets().at(current));
    QStringList tokens;
    for (const QList<QVariant>& args : spyCurrent)
        tokens << args.at(0).toString();
    QCOMPARE(tokens, currentSignals);
    if (commandToken.isEmpty()) {
        QCOMPARE(spyCommand.count(), 0);
    } else {
        QCOMPARE(spyCommand.count(), 1);
        const CommandMap expected = {{"requestParam", "singleScreen"},
                                     {"target", ""},
                                     {"event", "change"},
                                     {"token", commandToken}};
        QCOMPARE(spyCommand.at(0).at(0).value<CommandMap>(), expected);
    }
    // The green frame ends around the current thumbnail.
    const QRect expectedFrame = list.currentOverviewWidget()->geometry().adjusted(-1, -1, 1, 1);
    QTRY_COMPARE(list.broundingVideo(), expectedFrame);
}

void TstVelOverviewListWidget::answer_data()
{
    QTest::addColumn<CommandMap>("answer");
    QTest::addColumn<int>("current");
    QTest::newRow("camera name") << CommandMap{{"requestParam", "singleScreen"}, {"target", "cam1"}}
                                 << 1;
    QTest::newRow("unknown camera")
        << CommandMap{{"requestParam", "singleScreen"}, {"target", "cam9"}} << 2;
    QTest::newRow("empty target") << CommandMap{{"requestParam", "singleScreen"}, {"target", ""}}
                                  << 0;
    QTest::newRow("missing target") << CommandMap{{"requestParam", "singleScreen"}} << 0;
    QTest::newRow("token is not a name")
        << CommandMap{{"requestParam", "singleScreen"}, {"target", "t1"}} << 2;
}

void TstVelOverviewListWidget::answer()
{
    QFETCH(CommandMap, answer);
    QFETCH(int, current);
    VelOverviewListWidget list(nullptr);
    list.resize(1000, 200);
    fill(list, 3, 3);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.sltChangeOutputWidget(list.overviewWidgets().at(2));

    QSignalSpy spyCommand(&list, &VelOverviewListWidget::sigSendCommand);
    QSignalSpy spyCurrent(&list, &VelOverviewListWidget::sigCurrentOutputChanged);
    list.sltReceiveCommand(answer);
    QCOMPARE(list.currentOverviewWidget(), list.overviewWidgets().at(current));
    QCOMPARE(spyCommand.count(), 0);
    QCOMPARE(spyCurrent.count(), 0);
    const QRect expectedFrame = list.currentOverviewWidget()->geometry().adjusted(-1, -1, 1, 1);
    QTRY_COMPARE(list.broundingVideo(), expectedFrame);
}

void TstVelOverviewListWidget::ptzCommands()
{
    VelOverviewListWidget list(nullptr);
    list.resize(1000, 200);
    VelOverviewWidget* pOverview = list.addOverviewWidget("cam", "tok-7", true);
    pOverview->setSource("rtsp://127.0.0.1/cam");
    pOverview->updateCloudButton();
    QSignalSpy spyCommand(&list, &VelOverviewListWidget::sigSendCommand);
    // The pad is built on the first PTZ click and pops up with it.
    pOverview->cloudButton()->click();
    QVERIFY(pOverview->cloudContainer()->isVisible());
    auto* pUp = pOverview->cloudSettingWidget()->findChild<QAbstractButton*>("Cloud_Up");
    QVERIFY(pUp);
    emit pOverview->cloudSettingWidget()->sigButtonPressed(pUp);
    emit pOverview->cloudSettingWidget()->sigButtonReleased(pUp);
    QCOMPARE(spyCommand.count(), 2);
    QCOMPARE(spyCommand.at(0).at(0).value<CommandMap>(),
             (CommandMap{{"requestParam", "cloudControl"},
                         {"target", "Cloud_Up"},
                         {"event", "press"},
                         {"token", "tok-7"}}));
    QCOMPARE(spyCommand.at(1).at(0).value<CommandMap>().value("event"), QString("release"));
}

void TstVelOverviewListWidget::lookups_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("token");
    QTest::addColumn<QString>("tokenForName");
    QTest::addColumn<QString>("nameForToken");
    QTest::newRow("known camera") << "板书"
                                  << "cam-board"
                                  << "cam-board"
                                  << "板书";
    QTest::newRow("first of two with one name") << "教师全景"
                                                << "cam-b"
                                                << "cam-a"
                                                << "教师全景";
    QTest::newRow("unknown name and token") << "无此"
                                            << "tok-x"
                                            << ""
                                            << "tok-x";
    QTest::newRow("blanks are not part of names") << "学生 全景"
                                                  << "cam-s"
                                                  << ""
                                                  << "学生全景";
}

void TstVelOverviewListWidget::lookups()
{
    QFETCH(QString, name);
    QFETCH(QString, token);
    QFETCH(QString, tokenForName);
    QFETCH(QString, nameForToken);
    Corvane control;
    control.sltSetOverviewWidget("教师 全景", "cam-a", "1");
    control.sltSetOverviewWidget("教师全景", "cam-b", "0");
    control.sltSetOverviewWidget("学生全景", "cam-s", "0");
    control.sltSetOverviewWidget("板书", "cam-board", "x");
    QCOMPARE(control.cameraNames(), QStringList({"教师全景", "教师全景", "学生全景", "板书"}));
    QCOMPARE(control.tokenForName(name), tokenForName);
    QCOMPARE(control.nameForToken(token), nameForToken);
}

void TstVelOverviewListWidget::switchThroughTheControl()
{
    // The operator's switch reaches the page as the control's text; the page's
    // answer comes back as a message and moves the green frame.
    Corvane control;
    control.resize(1020, 900);
    control.show();
    QVERIFY(QTest::qWaitForWindowExposed(&control));
    control.sltSetOverviewWidget("教师全景", "cam-t", "1");
    control.sltSetOverviewWidget("学生全景", "cam-s", "1");
    control.sltSetOverviewWidget("板书", "cam-b", "0");
    VelOverviewListWidget* pList = control.overviewListWidget();
    for (VelOverviewWidget* pOverview : pList->overviewWidgets())
        pOverview->setSource("rtsp://127.0.0.1/" + pOverview->objectName());
    emit pList->sigCloudButtonsStateChanged(true);

    QTest::mouseClick(pList->overviewWidgets().at(2)->switchButton(), Qt::LeftButton);
    QCOMPARE(control.text(), QString("{\"event\":\"change\",\"requestParam\":\"singleScreen\","
                                     "\"target\":\"\",\"token\":\"cam-b\"}"));
    QVERIFY(control.outputWidget()->state() & VideoMovieSwitching);

    // The platform put another camera on the program after all.
    control.sltReceiveCommand(
        "{\"requestParam\":\"singleScreen\",\"event\":\"change\",\"target\":\"学生全景\","
        "\"token\":\"cam-s\"}");
    QCOMPARE(pList->currentOverviewWidget()->objectName(), QString("cam-s"));
    QVERIFY(!(control.outputWidget()->state() & VideoMovieSwitching));
    QTRY_COMPARE(pList->broundingVideo(),
                 pList->overviewWidgets().at(1)->geometry().adjusted(-1, -1, 1, 1));
}

QTEST_MAIN(TstVelOverviewListWidget)
#include "tst_veloverviewlistwidget.moc"
