// The selectors and dialog contents of the output view: the working-mode and
// transition effect selectors, the save forms and the live room chooser.
#include "output/vellivesettingwidget.h"
#include "output/velrecordtypewidget.h"
#include "output/velsaveinfowidget.h"
#include "output/velsaveprogresswidget.h"
#include "strip/veltransitioneffectsettingwidget.h"
#include "velcommand.h"
#include "veldialogdriver.h"
#include "vellineedit.h"
#include "velpushbutton.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>

class TstVelOutputDialogs : public QObject
{
    Q_OBJECT
private slots:
    void recordTypeChanges_data();
    void recordTypeChanges();
    void transitionEffects_data();
    void transitionEffects();
    void saveInfoCommand_data();
    void saveInfoCommand();
    void saveProgressCloses_data();
    void saveProgressCloses();
    void liveSettingModes_data();
    void liveSettingModes();
};

// Steps: "click:<id>" is the operator, "set:<id>" is setWorkingMode.
void TstVelOutputDialogs::recordTypeChanges_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("emitted"); // id, and "flag" when emitted while named so
    QTest::addColumn<QString>("checked");

    QTest::newRow("click a new mode")
        << QStringList{"click:workingModeLiveCasting"} << QStringList{"workingModeLiveCasting"}
        << "workingModeLiveCasting";
    QTest::newRow("click the current mode emits nothing")
        << QStringList{"click:workingModeRecording"} << QStringList{} << "workingModeRecording";
    QTest::newRow("set the current mode still emits")
        << QStringList{"set:workingModeRecording"} << QStringList{"workingModeRecording/flag"}
        << "workingModeRecording";
    QTest::newRow("set, then click it emits nothing")
        << QStringList{"set:workingModeRecordingAndLivecast",
                       "click:workingModeRecordingAndLivecast"}
        << QStringList{"workingModeRecordingAndLivecast/flag"} << "workingModeRecordingAndLivecast";
    QTest::newRow("set an unknown mode changes nothing")
        << QStringList{"click:workingModeLiveCasting", "set:workingModeOther"}
        << QStringList{"workingModeLiveCasting"} << "workingModeLiveCasting";
}

void TstVelOutputDialogs::recordTypeChanges()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, emitted);
    QFETCH(QString, checked);
    VelRecordTypeWidget selector;
    QStringList seen;
    connect(&selector, &VelRecordTypeWidget::sigButtonChecked, this,
            [&seen, &selector](QAbstractButton* pbtn) {
                seen << pbtn->objectName() + (selector.objectName().isEmpty()
                                                  ? QString()
                                                  : "/" + selector.objectName());
            });
    for (const QString& strStep : steps) {
        const QString strId = strStep.section(':', 1);
        if (strStep.startsWith("click:"))
            selector.findChild<QRadioButton*>(strId)->click();
        else
            selector.setWorkingMode(strId);
    }
    QCOMPARE(seen, emitted);
    QCOMPARE(selector.currentButton()->objectName(), checked);
    const QList<QRadioButton*> buttons = selector.findChildren<QRadioButton*>();
    int nChecked = 0;
    for (QRadioButton* pButton : buttons)
        nChecked += pButton->isChecked() ? 1 : 0;
    QCOMPARE(nChecked, 1);
    QVERIFY(selector.findChild<QRadioButton*>(checked)->isChecked());
    QVERIFY(selector.objectName().isEmpty());
}

// Steps: "click:<id>" is the operator, "answer:<id>" the page's answer.
void TstVelOutputDialogs::transitionEffects_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("checked");

    QTest::newRow("starts with no effect")
        << QStringList{} << QStringList{} << "switchingEffectsNone";
    QTest::newRow("click sends the id")
        << QStringList{"click:switchingEffectsErease"} << QStringList{"switchingEffectsErease"}
        << "switchingEffectsErease";
    QTest::newRow("click the chosen effect sends again")
        << QStringList{"click:switchingEffectsNone", "click:switchingEffectsNone"}
        << QStringList{"switchingEffectsNone", "switchingEffectsNone"} << "switchingEffectsNone";
    QTest::newRow("answer Fade checks the fourth button")
        << QStringList{"answer:switchingEffectsFade"} << QStringList{} << "switchingEffectsFade";
    QTest::newRow("answer naming no button changes nothing")
        << QStringList{"click:switchingEffectsFlying", "answer:switchingEffectsSpin"}
        << QStringList{"switchingEffectsFlying"} << "switchingEffectsFlying";
}

void TstVelOutputDialogs::transitionEffects()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, sent);
    QFETCH(QString, checked);
    VelTransitionEffectSettingWidget selector;
    QStringList commands;
    connect(&selector, &VelTransitionEffectSettingWidget::sigSendCommand, this,
            [&commands](QMap<QString, QString> map) {
                QCOMPARE(formatCommand(map),
                         QString("{\"event\":\"\",\"requestParam\":\"switchingEffects\","
                                 "\"target\":\"%1\",\"token\":\"\"}")
                             .arg(map.value("target")));
                commands << map.value("target");
            });
    for (const QString& strStep : steps) {
        const QString strId = strStep.section(':', 1);
        if (strStep.startsWith("click:"))
            selector.findChild<VelPushButton*>(strId)->click();
        else
            selector.sltReceiveCommand({{"requestParam", "switchingEffects"}, {"target", strId}});
    }
    QCOMPARE(commands, sent);
    QCOMPARE(selector.currentEffect(), checked);
    // Exactly the checked effect shows its pressed image.
    const QList<VelPushButton*> buttons = selector.findChildren<VelPushButton*>();
    QCOMPARE(buttons.size(), 4);
    for (VelPushButton* pButton : buttons) {
        const bool bChecked = pButton->objectName() == checked;
        QCOMPARE(pButton->isChecked(), bChecked);
        QCOMPARE(pButton->icon().cacheKey(),
                 (bChecked ? pButton->pressedIcon() : pButton->normalIcon()).cacheKey());
    }
    // The duration slider is decoration: moving it sends nothing.
    selector.findChild<QSlider*>()->setValue(50);
    QCOMPARE(commands, sent);
}

void TstVelOutputDialogs::saveInfoCommand_data()
{
    QTest::addColumn<QStringList>("texts"); // title, description, speaker, unit, account
    QTest::addColumn<QString>("target");

    QTest::newRow("every field empty")
        << QStringList{"", "", "", "", ""}
        << "{\"account\":\"\",\"description\":\"\",\"speaker\":\"\",\"title\":\"\",\"unit\":\"\"}";
    QTest::newRow("filled in")
        << QStringList{"物理", "第三课", "张老师", "一中", "zhang"}
        << "{\"account\":\"zhang\",\"description\":\"第三课\",\"speaker\":\"张老师\",\"title\":"
           "\"物理\",\"unit\":\"一中\"}";
}

void TstVelOutputDialogs::saveInfoCommand()
{
    QFETCH(QStringList, texts);
    QFETCH(QString, target);
    auto* pForm = new VelSaveInfoWidget;
    VelDialogFrame frame("保存录像信息", nullptr, pForm, 7);
    const QStringList keys{"title", "description", "speaker", "unit", "account"};
    for (int i = 0; i < keys.size(); ++i)
        pForm->field(keys[i])->setText(texts[i]);
    qRegisterMetaType<CommandMap>();
    QSignalSpy spy(pForm, &VelDialogContent::sigSendCommand);
    VelDialogDriver driver;
    QCOMPARE(frame.exec(), int(QDialog::Accepted));
    QCOMPARE(spy.size(), 1);
    const CommandMap map = spy.first().first().value<CommandMap>();
    QCOMPARE(map, (CommandMap{{"requestParam", "workingMode"},
                              {"target", target},
                              {"event", "save"},
                              {"token", ""}}));
    // The texts stay for the next opening; the fields hold 40 characters.
    QCOMPARE(pForm->field("title")->text(), texts[0]);
    QCOMPARE(pForm->field("unit")->lengthLimit(), 40);
}

void TstVelOutputDialogs::saveProgressCloses_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("closes");
    QTest::newRow("0 stays open") << 0 << false;
    QTest::newRow("99 stays open") << 99 << false;
    QTest::newRow("100 closes as accepted") << 100 << true;
}

void TstVelOutputDialogs::saveProgressCloses()
{
    QFETCH(int, value);
    QFETCH(bool, closes);
    auto* pProgress = new VelSaveProgressWidget;
    VelDialogFrame frame("正在生成 scrom 课件", nullptr, pProgress, 0);
    QSignalSpy cancel(pProgress, &VelSaveProgressWidget::sigCancleClicked);
    int nResult = -1;
    QTimer::singleShot(0, [&]() {
        pProgress->sltSetValue(value);
        if (!closes) {
            QVERIFY(frame.isVisible());
            // Cancelling is only reported; the owner ends the dialog.
            pProgress->findChild<QPushButton*>()->click();
            QVERIFY(frame.isVisible());
            frame.done(QDialog::Rejected);
        }
    });
    nResult = frame.exec();
    QCOMPARE(nResult, int(closes ? QDialog::Accepted : QDialog::Rejected));
    QCOMPARE(cancel.size(), closes ? 0 : 1);
}

void TstVelOutputDialogs::liveSettingModes_data()
{
    QTest::addColumn<QStringList>("rooms");
    QTest::addColumn<bool>("checkBoxMode");
    QTest::addColumn<QString>("selected"); // after confirming untouched
    QTest::addColumn<QString>("message");

    QTest::newRow("no rooms")
        << QStringList{} << false << ""
        << "\r\n\r\n目前还没有直播间可以使用\r\n\r\n请登录教育视频资源平台创建直播间";
    QTest::newRow("rooms: the first is selected") << QStringList{"甲", "乙"} << false << "甲"
                                                  << "\r\n\r\n请选择一个直播间, 进行视频直播";
    QTest::newRow("check box mode") << QStringList{} << true << ""
                                    << "";
}

void TstVelOutputDialogs::liveSettingModes()
{
    QFETCH(QStringList, rooms);
    QFETCH(bool, checkBoxMode);
    QFETCH(QString, selected);
    QFETCH(QString, message);
    VelLiveSettingWidget chooser(rooms);
    chooser.setCheckBoxText("关闭直播间");
    if (checkBoxMode)
        chooser.setCheckBoxMode(true);
    chooser.show();
    auto* pBox = chooser.findChild<QComboBox*>();
    auto* pCheck = chooser.findChild<QCheckBox*>();
    auto* pLabel = chooser.findChild<QLabel*>();
    QCOMPARE(pCheck->isVisible(), checkBoxMode);
    QCOMPARE(pLabel->isVisible(), !checkBoxMode);
    QCOMPARE(pBox->isVisible(), !checkBoxMode && !rooms.isEmpty());
    if (!checkBoxMode)
        QCOMPARE(chooser.message(), message);
    QVERIFY(chooser.selectedRoom().isEmpty()); // nothing before a confirmation
    QCOMPARE(chooser.checkAccept(), 1);
    QCOMPARE(chooser.selectedRoom(), selected);
    QVERIFY(!chooser.isCheckBoxChecked());
    pCheck->click();
    QCOMPARE(chooser.isCheckBoxChecked(), true);
}

QTEST_MAIN(TstVelOutputDialogs)
#include "tst_veloutputdialogs.moc"
