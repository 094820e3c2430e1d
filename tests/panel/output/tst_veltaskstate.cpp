// The page's task answers applied to the task state, without widgets: what the
// control bar will show after each answer.
#include "output/veltaskstate.h"
#include "velcommand.h"

#include <QtTest>

namespace
{

const QString kLive = QStringLiteral("workingModeLiveCasting");
const QString kBoth = QStringLiteral("workingModeRecordingAndLivecast");

// "mode running|paused|idle seconds", e.g. "workingModeLiveCasting paused 75".
QString describe(const VelTaskState& state)
{
    const char* szRun = !state.bRecording ? "idle" : state.bPaused ? "paused" : "running";
    return QStringLiteral("%1 %2 %3")
        .arg(state.strWorkingMode, QLatin1String(szRun), QString::number(state.nSeconds));
}

VelTaskState stateFrom(const QString& strDescription)
{
    const QStringList parts = strDescription.split(QLatin1Char(' '));
    VelTaskState state;
    state.strWorkingMode = parts.value(0);
    state.bRecording = parts.value(1) != QLatin1String("idle");
    state.bPaused = parts.value(1) == QLatin1String("paused");
    state.nSeconds = parts.value(2).toInt();
    return state;
}

QString taskTarget(const QString& strMode, const QString& strStart)
{
    return QStringLiteral("{\"workingMode\":\"%1\",\"recordingMode\":\"recordingModeMovie\","
                          "\"startTime\":\"%2\"}")
        .arg(strMode, strStart);
}

QString workingModeAnswer(const QString& strEvent, const QString& strTarget,
                          const QString& strExtra = {})
{
    return QStringLiteral("{\"requestParam\":\"workingMode\",\"event\":\"%1\",%3\"target\":%2}")
        .arg(strEvent, strTarget, strExtra);
}

} // namespace

class TstVelTaskState : public QObject
{
    Q_OBJECT
private slots:
    void answers_data();
    void answers();
};

void TstVelTaskState::answers_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("after");
    // Which parts the bar passes on: "mode", "time", "recordMode" (space separated).
    QTest::addColumn<QString>("named");
    QTest::addColumn<QString>("text"); // warning, room target or volume

    const QString idle = QStringLiteral("workingModeRecording idle 0");
    QTest::newRow("start names mode, recording mode and time")
        << idle << workingModeAnswer("start", taskTarget(kLive, "75")) << int(VelTaskAnswer::Start)
        << kLive + " running 75"
        << "mode time recordMode"
        << "";
    QTest::newRow("start with a mode the bar does not know keeps the mode")
        << idle << workingModeAnswer("start", taskTarget("workingModeBogus", "5"))
        << int(VelTaskAnswer::Start) << "workingModeRecording running 5"
        << "time recordMode"
        << "";
    QTest::newRow("start time that is no number counts from 0")
        << idle << workingModeAnswer("start", taskTarget(kBoth, "soon"))
        << int(VelTaskAnswer::Start) << kBoth + " running 0"
        << "mode time recordMode"
        << "";
    QTest::newRow("start while paused leaves the pause to its own answer")
        << kLive + " paused 30" << workingModeAnswer("start", taskTarget(kLive, "40"))
        << int(VelTaskAnswer::Start) << kLive + " paused 40"
        << "mode time recordMode"
        << "";
    QTest::newRow("pause keeps the mode without hostId")
        << kBoth + " running 10" << workingModeAnswer("pause", taskTarget(kLive, "12"))
        << int(VelTaskAnswer::Pause) << kBoth + " paused 12"
        << "time recordMode"
        << "";
    QTest::newRow("pause with hostId takes the mode")
        << kBoth + " running 10"
        << workingModeAnswer("pause", taskTarget(kLive, "12"), "\"hostId\":\"h2\",")
        << int(VelTaskAnswer::Pause) << kLive + " paused 12"
        << "mode time recordMode"
        << "";
    QTest::newRow("pause at start time 0 keeps the count")
        << kBoth + " running 10" << workingModeAnswer("pause", taskTarget(kBoth, "0"))
        << int(VelTaskAnswer::Pause) << kBoth + " paused 10"
        << "recordMode"
        << "";
    QTest::newRow("pause joins a task the bar had not seen start")
        << idle << workingModeAnswer("pause", taskTarget(kBoth, "90")) << int(VelTaskAnswer::Pause)
        << "workingModeRecording paused 90"
        << "time recordMode"
        << "";
    QTest::newRow("restart resumes") << kLive + " paused 30" << workingModeAnswer("restart", "{}")
                                     << int(VelTaskAnswer::Restart) << kLive + " running 30"
                                     << ""
                                     << "";
    QTest::newRow("stop ends a paused task")
        << kLive + " paused 30" << workingModeAnswer("stop", "\"\"") << int(VelTaskAnswer::Stop)
        << kLive + " idle 0"
        << ""
        << "";
    QTest::newRow("error is a warning and changes nothing")
        << kLive + " running 30" << workingModeAnswer("error", "\"磁盘已满\"")
        << int(VelTaskAnswer::Error) << kLive + " running 30"
        << ""
        << "磁盘已满";
    QTest::newRow("volume") << idle << workingModeAnswer("volume", "\"35\"")
                            << int(VelTaskAnswer::Volume) << idle << ""
                            << "35";
    QTest::newRow("an event the bar does not know is a volume")
        << idle << workingModeAnswer("", "\"abc\"") << int(VelTaskAnswer::Volume) << idle << ""
        << "0";
    QTest::newRow("room list")
        << kLive + " idle 0"
        << "{\"requestParam\":\"initLiveRoom\",\"event\":\"\",\"target\":{\"id\":\"r1\"}}"
        << int(VelTaskAnswer::RoomList) << kLive + " idle 0"
        << ""
        << "{\"id\":\"r1\"}";
    QTest::newRow("room refused goes back to recording")
        << kLive + " idle 0"
        << "{\"requestParam\":\"initLiveRoom\",\"event\":\"error\"}"
        << int(VelTaskAnswer::RoomFailed) << "workingModeRecording idle 0"
        << "mode"
        << "";
}

void TstVelTaskState::answers()
{
    QFETCH(QString, before);
    QFETCH(QString, message);
    QFETCH(int, kind);
    QFETCH(QString, after);
    QFETCH(QString, named);
    QFETCH(QString, text);

    const VelTaskAnswer answer = velApplyTaskAnswer(stateFrom(before), parseCommand(message));
    QCOMPARE(int(answer.kind), kind);
    QCOMPARE(describe(answer.state), after);
    QStringList namedParts;
    if (answer.bNamesMode)
        namedParts << "mode";
    if (answer.bNamesTime)
        namedParts << "time";
    if (answer.bNamesRecordMode)
        namedParts << "recordMode";
    QCOMPARE(namedParts.join(QLatin1Char(' ')), named);
    const QString strShown =
        answer.kind == VelTaskAnswer::Volume ? QString::number(answer.nVolume) : answer.strText;
    QCOMPARE(strShown, text);
}

QTEST_GUILESS_MAIN(TstVelTaskState)
#include "tst_veltaskstate.moc"
