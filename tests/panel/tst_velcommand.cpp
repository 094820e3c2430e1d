#include "velcommand.h"
#include "velcommandroute.h"

#include <QtTest>

Q_DECLARE_METATYPE(CommandMap)
Q_DECLARE_METATYPE(CorvaneRoute)
Q_DECLARE_METATYPE(RecordSettingRoute)

namespace
{

CommandMap envelope(const QString& strKind, const QString& strTarget, const QString& strEvent,
                    const QString& strToken = QString())
{
    return {
        {"requestParam", strKind}, {"target", strTarget}, {"event", strEvent}, {"token", strToken}};
}

} // namespace

class TstVelCommand : public QObject
{
    Q_OBJECT
private slots:
    void format_data();
    void format();
    void outgoing_data();
    void outgoing();
    void parse_data();
    void parse();
    void parseNestedTwice();
    void placeholderAvoidsEveryRun_data();
    void placeholderAvoidsEveryRun();
    void longPlaceholderRunDoesNotHang();
    void roundTrip_data();
    void roundTrip();
    void rewriteArrays_data();
    void rewriteArrays();
    void corvaneRoutes_data();
    void corvaneRoutes();
    void recordSettingRoutes_data();
    void recordSettingRoutes();
};

void TstVelCommand::format_data()
{
    QTest::addColumn<CommandMap>("map");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty map") << CommandMap() << "{}";
    QTest::newRow("one key") << CommandMap{{"a", "b"}} << "{\"a\":\"b\"}";
    QTest::newRow("envelope in key order")
        << envelope("singleScreen", "cam2", "change")
        << "{\"event\":\"change\",\"requestParam\":\"singleScreen\",\"target\":\"cam2\",\"token\":"
           "\"\"}";
    QTest::newRow("empty values") << envelope("directMode", "directModeAuto", "")
                                  << "{\"event\":\"\",\"requestParam\":\"directMode\",\"target\":"
                                     "\"directModeAuto\",\"token\":\"\"}";
    QTest::newRow("nothing escaped") << CommandMap{{"k", "a\"b,c"}} << "{\"k\":\"a\"b,c\"}";
    QTest::newRow("upper case sorts first")
        << CommandMap{{"b", "1"}, {"B", "2"}} << "{\"B\":\"2\",\"b\":\"1\"}";
}

void TstVelCommand::format()
{
    QFETCH(CommandMap, map);
    QFETCH(QString, expected);
    QCOMPARE(formatCommand(map), expected);
}

void TstVelCommand::outgoing_data()
{
    QTest::addColumn<CommandMap>("map");
    QTest::addColumn<QString>("expected");
    QTest::newRow("flat map unchanged") << envelope("singleScreen", "cam2", "change")
                                        << "{\"event\":\"change\",\"requestParam\":"
                                           "\"singleScreen\",\"target\":\"cam2\",\"token\":\"\"}";
    QTest::newRow("nested target loses its quotes")
        << envelope("x", "{\"a\":\"1\"}", "")
        << "{\"event\":\"\",\"requestParam\":\"x\",\"target\":{\"a\":\"1\"},\"token\":\"\"}";
    QTest::newRow("nested in the last key")
        << CommandMap{{"z", "{\"a\":\"1\"}"}} << "{\"z\":{\"a\":\"1\"}}";
    QTest::newRow("empty map") << CommandMap() << "{}";
}

void TstVelCommand::outgoing()
{
    QFETCH(CommandMap, map);
    QFETCH(QString, expected);
    QCOMPARE(outgoingCommandText(map), expected);
}

void TstVelCommand::parse_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<CommandMap>("expected");
    QTest::newRow("flat") << "{\"a\":\"1\",\"b\":\"2\"}" << CommandMap{{"a", "1"}, {"b", "2"}};
    QTest::newRow("nested object kept as text")
        << "{\"requestParam\":\"functionState\",\"target\":{\"index\":\"Captions\",\"state\":"
           "\"hide\"}}"
        << CommandMap{{"requestParam", "functionState"},
                      {"target", "{\"index\":\"Captions\",\"state\":\"hide\"}"}};
    QTest::newRow("no trimming after colon") << "{\"a\": \"b\"}" << CommandMap{{"a", " b"}};
    QTest::newRow("no trimming after comma")
        << "{\"a\":\"1\", \"b\":\"2\"}" << CommandMap{{"a", "1"}, {" b", "2"}};
    QTest::newRow("no brace gives empty map") << "requestParam:x" << CommandMap();
    QTest::newRow("empty message") << "" << CommandMap();
    QTest::newRow("empty object") << "{}" << CommandMap{{"", ""}};
    QTest::newRow("value keeps later colons")
        << "{\"url\":\"rtsp://h:554/x\"}" << CommandMap{{"url", "rtsp://h:554/x"}};
    QTest::newRow("part without colon is key and value")
        << "{\"a\",\"b\":\"c\"}" << CommandMap{{"a", "a"}, {"b", "c"}};
    QTest::newRow("later key wins") << "{\"a\":\"1\",\"a\":\"2\"}" << CommandMap{{"a", "2"}};
    QTest::newRow("quotes inside values vanish") << "{\"a\":\"x\"y\"}" << CommandMap{{"a", "xy"}};
    QTest::newRow("comma inside value splits")
        << "{\"a\":\"x,y\"}" << CommandMap{{"a", "x"}, {"y", "y"}};
    QTest::newRow("placeholder text in message")
        << "{\"name\":\"rand_flag\",\"target\":{\"k\":\"v\"}}"
        << CommandMap{{"name", "rand_flag"}, {"target", "{\"k\":\"v\"}"}};
    QTest::newRow("placeholder and its first extension in message")
        << "{\"a\":\"rand_flag\",\"b\":\"rand_flagchange\",\"t\":{\"k\":\"v\"}}"
        << CommandMap{{"a", "rand_flag"}, {"b", "rand_flagchange"}, {"t", "{\"k\":\"v\"}"}};
    QTest::newRow("first character dropped whatever it is")
        << "x\"a\":\"1\",\"b\":{}}" << CommandMap{{"a", "1"}, {"b", "{}"}};
    QTest::newRow("stray open brace swallows the rest")
        << "{\"a\":\"1\",\"b\":{\"c\":\"2\"" << CommandMap{{"a", "1"}, {"b", "{\"c\":\"2"}};
    QTest::newRow("missing closing brace drops last character")
        << "{\"a\":\"12" << CommandMap{{"a", "1"}};
    QTest::newRow("non-Latin text")
        << "{\"name\":\"电影模式\"}" << CommandMap{{"name", "电影模式"}};
}

void TstVelCommand::parse()
{
    QFETCH(QString, message);
    QFETCH(CommandMap, expected);
    QCOMPARE(parseCommand(message), expected);
}

void TstVelCommand::parseNestedTwice()
{
    const CommandMap outer = parseCommand("{\"requestParam\":\"functionState\",\"target\":{"
                                          "\"index\":\"Captions\",\"state\":\"hide\"}}");
    const CommandMap inner = parseCommand(outer.value("target"));
    QCOMPARE(inner, (CommandMap{{"index", "Captions"}, {"state", "hide"}}));

    // Two levels deep: the nested span runs to the last closing brace.
    const CommandMap deep = parseCommand("{\"a\":\"1\",\"t\":{\"b\":\"2\",\"u\":{\"c\":\"3\"}}}");
    QCOMPARE(deep.value("t"), QString("{\"b\":\"2\",\"u\":{\"c\":\"3\"}}"));
    QCOMPARE(parseCommand(parseCommand(deep.value("t")).value("u")), (CommandMap{{"c", "3"}}));
}

void TstVelCommand::placeholderAvoidsEveryRun_data()
{
    // A value equal to the placeholder would be taken for the nested object.
    QTest::addColumn<QString>("value");
    const QString strChange3 = "rand_flagchangechangechange";
    QTest::newRow("longest run first") << strChange3 + " rand_flagchange";
    QTest::newRow("longest run last") << "rand_flag rand_flagchange " + strChange3;
    QTest::newRow("run ends the text") << "x" + strChange3;
    QTest::newRow("partial step") << "rand_flagchang rand_flagchangechang";
    QTest::newRow("back to back") << "rand_flagrand_flagchangerand_flag";
    QTest::newRow("case differs") << "RAND_FLAG rand_flagCHANGE";
}

void TstVelCommand::placeholderAvoidsEveryRun()
{
    QFETCH(QString, value);
    // Each value that could match is also given whole, as its own key's value.
    CommandMap expected{{"t", "{\"k\":\"v\"}"}};
    QString strMessage = "{";
    const QStringList lstWords = value.split(' ');
    for (int i = 0; i < lstWords.size(); ++i) {
        expected.insert(QString("w%1").arg(i), lstWords.at(i));
        strMessage += QString("\"w%1\":\"%2\",").arg(i).arg(lstWords.at(i));
    }
    strMessage += "\"t\":{\"k\":\"v\"}}";
    QCOMPARE(parseCommand(strMessage), expected);
}

void TstVelCommand::longPlaceholderRunDoesNotHang()
{
    // One message from a page used to cost time in the square of its length
    // (100 s for 1 MiB) on the GUI thread. Linear, this takes milliseconds; the
    // bound only tells a hang from a slow machine.
    QString strValue = "rand_flag";
    while (strValue.size() < 512 * 1024)
        strValue += "change";
    const QString strMessage = "{\"a\":\"" + strValue + "\",\"t\":{\"k\":\"v\"}}";
    QElapsedTimer timer;
    timer.start();
    const CommandMap map = parseCommand(strMessage);
    const qint64 nMs = timer.elapsed();
    QCOMPARE(map.value("a"), strValue);
    QCOMPARE(map.value("t"), QString("{\"k\":\"v\"}"));
    QVERIFY2(nMs < 5000, qPrintable(QString("%1 ms").arg(nMs)));
}

void TstVelCommand::roundTrip_data()
{
    QTest::addColumn<CommandMap>("map");
    QTest::newRow("envelope") << envelope("workingMode", "workingModeRecording", "start", "t1");
    QTest::newRow("empty values") << envelope("", "", "");
    QTest::newRow("non-Latin values") << envelope("setOverviewWidget", "教师全景", "变更");
    QTest::newRow("value with colon") << CommandMap{{"source", "rtsp://127.0.0.1:8554/cam"}};
}

// What the panel sends, the page may send back: parse(format(m)) == m for maps
// that follow the message rules.
void TstVelCommand::roundTrip()
{
    QFETCH(CommandMap, map);
    QCOMPARE(parseCommand(formatCommand(map)), map);
    QCOMPARE(parseCommand(outgoingCommandText(map)), map);
}

void TstVelCommand::rewriteArrays_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<QString>("expectedTarget");
    QTest::newRow("settingMutilScreen array")
        << "{\"requestParam\":\"settingMutilScreen\",\"target\":[{\"a\":\"1\"},{\"b\":\"2\"}],"
           "\"event\":\"e\"}"
        << "{\"requestParam\":\"settingMutilScreen\",\"target\":\"{[{\"a\":\"1\"},{\"b\":\"2\"}]}"
           "\",\"event\":\"e\"}"
        << "{[{\"a\":\"1\"},{\"b\":\"2\"}]}";
    QTest::newRow("initLiveRoom array last") << "{\"requestParam\":\"initLiveRoom\",\"event\":\"\","
                                                "\"target\":[{\"id\":\"1\"},{\"id\":\"2\"}]}"
                                             << "{\"requestParam\":\"initLiveRoom\",\"event\":\"\","
                                                "\"target\":\"{[{\"id\":\"1\"},{\"id\":\"2\"}]}}"
                                             << "{[{\"id\":\"1\"},{\"id\":\"2\"}]}";
    QTest::newRow("initLiveRoom without array untouched")
        << "{\"requestParam\":\"initLiveRoom\",\"event\":\"error\",\"target\":\"none\"}"
        << "{\"requestParam\":\"initLiveRoom\",\"event\":\"error\",\"target\":\"none\"}"
        << "none";
    QTest::newRow("settingMutilScreen without }], inserts at 1")
        << "{\"requestParam\":\"settingMutilScreen\",\"target\":\"x\"}"
        << "{}\"\"requestParam\":\"settingMutilScreen\",\"target\":\"{\"x\"}" << QString();
    QTest::newRow("other kinds untouched") << "{\"requestParam\":\"directMode\",\"target\":[1]}"
                                           << "{\"requestParam\":\"directMode\",\"target\":[1]}"
                                           << "[1]";
}

void TstVelCommand::rewriteArrays()
{
    QFETCH(QString, message);
    QFETCH(QString, expectedText);
    QFETCH(QString, expectedTarget);
    const QString strRewritten = rewriteArrayTargets(message);
    QCOMPARE(strRewritten, expectedText);
    if (!expectedTarget.isNull())
        QCOMPARE(parseCommand(strRewritten).value("target"), expectedTarget);
}

void TstVelCommand::corvaneRoutes_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<CorvaneRoute>("route");
    QTest::newRow("setOverviewWidget") << "setOverviewWidget" << CorvaneRoute::SetOverviewWidget;
    QTest::newRow("functionState") << "functionState" << CorvaneRoute::FunctionState;
    QTest::newRow("setOverviewSource") << "setOverviewSource" << CorvaneRoute::SetOverviewSource;
    QTest::newRow("workingMode") << "workingMode" << CorvaneRoute::OutputView;
    QTest::newRow("initLiveRoom") << "initLiveRoom" << CorvaneRoute::OutputView;
    QTest::newRow("singleScreen") << "singleScreen" << CorvaneRoute::OverviewList;
    QTest::newRow("directMode to strip") << "directMode" << CorvaneRoute::RecordSetting;
    QTest::newRow("case matters") << "WorkingMode" << CorvaneRoute::RecordSetting;
    QTest::newRow("no trailing space") << "singleScreen " << CorvaneRoute::RecordSetting;
    QTest::newRow("empty kind") << "" << CorvaneRoute::RecordSetting;
}

void TstVelCommand::corvaneRoutes()
{
    QFETCH(QString, kind);
    QFETCH(CorvaneRoute, route);
    QCOMPARE(corvaneRouteFor(kind), route);
}

void TstVelCommand::recordSettingRoutes_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<RecordSettingRoute>("route");
    QTest::newRow("directMode") << "directMode" << RecordSettingRoute::BroadcastStrategy;
    QTest::newRow("mutilScreen") << "mutilScreen" << RecordSettingRoute::ScreenSetting;
    QTest::newRow("settingMutilScreen")
        << "settingMutilScreen" << RecordSettingRoute::ScreenSetting;
    QTest::newRow("switchingEffects") << "switchingEffects" << RecordSettingRoute::TransitionEffect;
    QTest::newRow("subTitle ignored") << "subTitle" << RecordSettingRoute::Nothing;
    QTest::newRow("videoDotPrepare") << "videoDotPrepare" << RecordSettingRoute::VideoDot;
    QTest::newRow("prelude") << "prelude" << RecordSettingRoute::Credits;
    QTest::newRow("curtain") << "curtain" << RecordSettingRoute::Credits;
    QTest::newRow("courseInfo") << "courseInfo" << RecordSettingRoute::CourseInfo;
    QTest::newRow("unknown") << "videoDot" << RecordSettingRoute::Nothing;
}

void TstVelCommand::recordSettingRoutes()
{
    QFETCH(QString, kind);
    QFETCH(RecordSettingRoute, route);
    QCOMPARE(recordSettingRouteFor(kind), route);
}

QTEST_APPLESS_MAIN(TstVelCommand)
#include "tst_velcommand.moc"
