// The course, video dot and caption forms driven as the operator and the page
// drive them: the page's messages in, the command out through the frame's OK.
#include "dialogs/veladdpointwidget.h"
#include "dialogs/velcaptionswidget.h"
#include "dialogs/velcourseinfowidget.h"
#include "velcapturefd.h"
#include "velcolorcellwidget.h"
#include "velcolordisplaybutton.h"
#include "velcommand.h"
#include "veldebug.h"
#include "veldialogframe.h"
#include "vellineedit.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QtTest>

using Map = QMap<QString, QString>;
Q_DECLARE_METATYPE(Map)

namespace
{

VelDialogContent* makeForm(const QString& strForm)
{
    if (strForm == QLatin1String("course"))
        return new VelCourseInfoWidget;
    if (strForm == QLatin1String("dot"))
        return new VelAddPointWidget;
    return new VelCaptionsWidget;
}

// Clicks a widget of the form the way the operator does: through its parent.
void clickOn(VelDialogContent* pForm, QWidget* pChild)
{
    QTest::mouseClick(pForm, Qt::LeftButton, Qt::NoModifier, pChild->geometry().center());
}

QPushButton* okButton(VelDialogFrame& frame)
{
    for (QPushButton* pButton : frame.findChildren<QPushButton*>()) {
        if (pButton->text() == QStringLiteral("确定"))
            return pButton;
    }
    return nullptr;
}

} // namespace

class TestVelForms : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void commands_data();
    void commands();
    void dotTime_data();
    void dotTime();
    void noteActivation();
    void fieldLimits_data();
    void fieldLimits();
    void cancelSendsNothing_data();
    void cancelSendsNothing();
    void titleFieldNotStyledAsTitleBar();
    void dragLineOnlyInDiagnostics_data();
    void dragLineOnlyInDiagnostics();
};

// page: messages the page sends first ("|" between them); steps: what the
// operator does before OK.
void TestVelForms::commands_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("requestParam");
    QTest::addColumn<Map>("target");

    const Map emptyCourse{{"title", ""},   {"course", ""}, {"grade", ""},           {"subject", ""},
                          {"teacher", ""}, {"school", ""}, {"recordStatus", "stop"}};
    Map filled = emptyCourse;
    filled["title"] = "分数的认识";
    filled["course"] = "数学";
    filled["grade"] = "三年级";
    filled["subject"] = "数学";
    filled["teacher"] = "王老师";
    filled["school"] = "实验小学";
    QTest::newRow("course all empty still sends the record state") << "course"
                                                                   << ""
                                                                   << ""
                                                                   << "courseInfo" << emptyCourse;
    QTest::newRow("course filled by the page")
        << "course"
        << "{\"title\":\"分数的认识\",\"course\":\"数学\",\"grade\":\"三年级\",\"subject\":"
           "\"数学\","
           "\"teacher\":\"王老师\",\"school\":\"实验小学\",\"recordStatus\":\"start\"}"
        << ""
        << "courseInfo" << filled;
    Map onlyTitle = emptyCourse;
    onlyTitle["title"] = "第二课";
    QTest::newRow("course missing keys empty the fields")
        << "course"
        << "{\"title\":\"分数的认识\",\"school\":\"实验小学\"}|{\"title\":\"第二课\"}"
        << ""
        << "courseInfo" << onlyTitle;
    Map recording = emptyCourse;
    recording["recordStatus"] = "start";
    QTest::newRow("course record state from the strip") << "course"
                                                        << ""
                                                        << "state:start"
                                                        << "courseInfo" << recording;

    QTest::newRow("dot never clicked sends the hint") << "dot"
                                                      << "3725"
                                                      << ""
                                                      << "videoDot"
                                                      << Map{{"dotName", "aaa"},
                                                             {"dotTime", "3725"},
                                                             {"infoType", "fds"},
                                                             {"infoContent", "输入打点信息"}};
    QTest::newRow("dot with a typed note") << "dot"
                                           << "59"
                                           << "note:board notes"
                                           << "videoDot"
                                           << Map{{"dotName", "aaa"},
                                                  {"dotTime", "59"},
                                                  {"infoType", "fds"},
                                                  {"infoContent", "board notes"}};
    QTest::newRow("dot never announced") << "dot"
                                         << ""
                                         << ""
                                         << "videoDot"
                                         << Map{{"dotName", "aaa"},
                                                {"dotTime", ""},
                                                {"infoType", "fds"},
                                                {"infoContent", "输入打点信息"}};

    const Map captions{{"subTitleName", ""},     {"fontSize", "10"},      {"fontColor", "#000000"},
                       {"backColor", "#000000"}, {"transparency", "0.8"}, {"startTime", "15"},
                       {"duration", "2"}};
    QTest::newRow("captions defaults") << "captions"
                                       << ""
                                       << ""
                                       << "subTile" << captions;
    Map styled = captions;
    styled["subTitleName"] = "Welcome to class";
    styled["fontSize"] = "20";
    styled["fontColor"] = "#00b034";
    styled["backColor"] = "#ffffff";
    QTest::newRow("captions text, size and both colours, position not sent")
        << "captions"
        << ""
        << "text:Welcome to class,size:3,fg:29,bg:0,position:1"
        << "subTile" << styled;
}

void TestVelForms::commands()
{
    QFETCH(QString, form);
    QFETCH(QString, page);
    QFETCH(QString, steps);
    QFETCH(QString, requestParam);
    QFETCH(Map, target);

    VelDialogContent* pForm = makeForm(form);
    VelDialogFrame frame(QStringLiteral("form"), nullptr, pForm, 7);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QSignalSpy sent(pForm, &VelDialogContent::sigSendCommand);

    for (const QString& strMessage : page.split('|', Qt::SkipEmptyParts)) {
        if (auto* pCourse = dynamic_cast<VelCourseInfoWidget*>(pForm))
            pCourse->fillFromMessage({{"requestParam", "courseInfo"}, {"target", strMessage}});
        else if (auto* pDot = qobject_cast<VelAddPointWidget*>(pForm))
            pDot->sltReceiveCommand({{"requestParam", "videoDotPrepare"}, {"target", strMessage}});
    }
    for (const QString& strStep : steps.split(',', Qt::SkipEmptyParts)) {
        const QString strWhat = strStep.section(':', 0, 0);
        const QString strValue = strStep.section(':', 1);
        if (strWhat == "state") {
            dynamic_cast<VelCourseInfoWidget*>(pForm)->setRecordStatus(strValue);
        } else if (strWhat == "note") {
            auto* pDot = qobject_cast<VelAddPointWidget*>(pForm);
            clickOn(pForm, pDot->noteField());
            QTest::keyClicks(pDot->noteField(), strValue);
        } else {
            auto* pCaptions = qobject_cast<VelCaptionsWidget*>(pForm);
            if (strWhat == "text") {
                QTest::keyClicks(pCaptions->captionField(), strValue);
            } else if (strWhat == "size") {
                pCaptions->fontSizeBox()->setCurrentIndex(strValue.toInt());
            } else if (strWhat == "position") {
                pCaptions->positionBox()->setCurrentIndex(strValue.toInt());
            } else {
                VelColorDisplayButton* pButton = strWhat == "fg"
                                                     ? pCaptions->textColorButton()
                                                     : pCaptions->backgroundColorButton();
                emit pButton->palette()->itemClicked(pButton->palette()->item(strValue.toInt()));
            }
        }
    }

    QTest::mouseClick(okButton(frame), Qt::LeftButton);
    QCOMPARE(sent.count(), 1);
    QVERIFY(!frame.isVisible());
    const Map command = sent.at(0).at(0).value<Map>();
    QCOMPARE(command.value("requestParam"), requestParam);
    QCOMPARE(command.value("event"), QString());
    QCOMPARE(command.value("token"), QString());
    QVERIFY(command.contains("event") && command.contains("token"));
    QCOMPARE(parseCommand(command.value("target")), target);
}

void TestVelForms::dotTime_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("shown");
    QTest::newRow("one hour two minutes five") << "3725"
                                               << "01 : 02 : 05";
    QTest::newRow("under a minute") << "59"
                                    << "00 : 00 : 59";
    QTest::newRow("one hundred hours") << "360000"
                                       << "100 : 00 : 00";
    QTest::newRow("zero") << "0"
                          << "00 : 00 : 00";
    QTest::newRow("not a number") << "abc"
                                  << "00 : 00 : 00";
}

void TestVelForms::dotTime()
{
    QFETCH(QString, target);
    QFETCH(QString, shown);
    VelAddPointWidget dot;
    dot.sltReceiveCommand({{"requestParam", "videoDotPrepare"}, {"target", target}});
    QCOMPARE(dot.messageLabel()->text(), QStringLiteral("您已经在 %1 成功打点").arg(shown));
    QCOMPARE(dot.dotTime(), target);
}

void TestVelForms::noteActivation()
{
    auto* pDot = new VelAddPointWidget;
    VelDialogFrame frame(QStringLiteral("打点信息"), nullptr, pDot, 7);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QTextEdit* pNote = pDot->noteField();

    // A press beside the note keeps the hint.
    QTest::mouseClick(pDot, Qt::LeftButton, Qt::NoModifier,
                      pDot->messageLabel()->geometry().center());
    QCOMPARE(pNote->toPlainText(), QStringLiteral("输入打点信息"));

    clickOn(pDot, pNote);
    QCOMPARE(pNote->toPlainText(), QString());
    QTRY_VERIFY(pNote->hasFocus());
    QTest::keyClicks(pNote, QStringLiteral("first"));
    // Once active, clicks reach the note and keep what was typed.
    QTest::mouseClick(pNote->viewport(), Qt::LeftButton);
    QCOMPARE(pNote->toPlainText(), QStringLiteral("first"));

    QCOMPARE(pDot->checkAccept(), 1);
    QCOMPARE(pNote->toPlainText(), QString());
    QVERIFY(!pNote->testAttribute(Qt::WA_TransparentForMouseEvents));
}

void TestVelForms::fieldLimits_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("limit");
    QTest::newRow("title") << "title" << 22;
    QTest::newRow("course") << "course" << 10;
    QTest::newRow("grade eleventh character dropped") << "grade" << 10;
    QTest::newRow("subject") << "subject" << 22;
    QTest::newRow("teacher") << "teacher" << 10;
    QTest::newRow("school") << "school" << 22;
}

void TestVelForms::fieldLimits()
{
    QFETCH(QString, key);
    QFETCH(int, limit);
    VelCourseInfoWidget course;
    VelLineEdit* pEdit = course.field(key);
    QVERIFY(pEdit);
    QTest::keyClicks(pEdit, QString(limit + 1, QLatin1Char('x')));
    QCOMPARE(pEdit->text(), QString(limit, QLatin1Char('x')));
    QCOMPARE(course.settings().value(key), QString(limit, QLatin1Char('x')));
}

void TestVelForms::cancelSendsNothing_data()
{
    QTest::addColumn<QString>("form");
    QTest::newRow("course") << "course";
    QTest::newRow("dot") << "dot";
    QTest::newRow("captions") << "captions";
}

void TestVelForms::cancelSendsNothing()
{
    QFETCH(QString, form);
    VelDialogContent* pForm = makeForm(form);
    VelDialogFrame frame(QStringLiteral("form"), nullptr, pForm, 7);
    QSignalSpy sent(pForm, &VelDialogContent::sigSendCommand);
    frame.show();
    frame.reject();
    QVERIFY(!frame.isVisible());
    QCOMPARE(sent.count(), 0);
}

void TestVelForms::initTestCase()
{
    qRegisterMetaType<Map>("QMap<QString,QString>");
}

// Regression: a field named "title" took the frame's dark title bar style.
void TestVelForms::titleFieldNotStyledAsTitleBar()
{
    auto* pCourse = new VelCourseInfoWidget;
    VelDialogFrame frame(QStringLiteral("课程信息"), nullptr, pCourse, 7);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    VelLineEdit* pTitle = pCourse->field("title");
    const QImage image = pTitle->grab().toImage();
    const QColor inside = image.pixelColor(image.width() - 6, image.height() / 2);
    QVERIFY2(inside.lightness() > 200, qPrintable(inside.name()));
}

QTEST_MAIN(TestVelForms)
void TestVelForms::dragLineOnlyInDiagnostics_data()
{
    QTest::addColumn<bool>("diagnostics");
    QTest::newRow("normal run: quiet console") << false;
    QTest::newRow("diagnostic mode: the debugger line") << true;
}

// Pressing on a dialog to drag it printed "VelDialogFrame::mousePressEvent #
// m_posPress = ..." on every console; it is a debugger line.
void TestVelForms::dragLineOnlyInDiagnostics()
{
    QFETCH(bool, diagnostics);
    const bool bWasShown = velDebugOutputShown();
    velSetDebugOutputShown(diagnostics);
    VelDialogFrame frame(QStringLiteral("课程信息"), nullptr, new VelCourseInfoWidget, 7);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    VelCaptureFd capture(2);
    QTest::mousePress(&frame, Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseRelease(&frame, Qt::LeftButton, {}, QPoint(20, 10));
    const QByteArray output = capture.take();
    velSetDebugOutputShown(bWasShown);
    QCOMPARE(output.contains("m_posPress"), diagnostics);
}

#include "tst_velforms.moc"
