#include "output/veltaskstate.h"

#include "velcommand.h"

namespace
{

const QString kRecording = QStringLiteral("workingModeRecording");

// Text that is no number counts from 0.
int seconds(const QString& strTime)
{
    return strTime.toInt();
}

// A mode the bar does not know leaves the mode as it is.
void takeMode(VelTaskAnswer& answer, const CommandMap& target)
{
    const QString strMode = target.value(QStringLiteral("workingMode"));
    if (!velIsWorkingMode(strMode))
        return;
    answer.bNamesMode = true;
    answer.state.strWorkingMode = strMode;
}

void takeRecordMode(VelTaskAnswer& answer, const CommandMap& target)
{
    answer.bNamesRecordMode = true;
    answer.strRecordMode = target.value(QStringLiteral("recordingMode"));
}

VelTaskAnswer liveRoomAnswer(const VelTaskState& state, const CommandMap& answer)
{
    VelTaskAnswer result;
    result.state = state;
    if (answer.value(QStringLiteral("event")) == QLatin1String("error")) {
        result.kind = VelTaskAnswer::RoomFailed;
        result.bNamesMode = true;
        result.state.strWorkingMode = kRecording;
    } else {
        result.kind = VelTaskAnswer::RoomList;
        result.strText = answer.value(QStringLiteral("target"));
    }
    return result;
}

} // namespace

bool velIsWorkingMode(const QString& strMode)
{
    return strMode == kRecording || strMode == QLatin1String("workingModeLiveCasting") ||
           strMode == QLatin1String("workingModeRecordingAndLivecast");
}

VelTaskAnswer velApplyTaskAnswer(const VelTaskState& state, const CommandMap& answer)
{
    if (answer.value(QStringLiteral("requestParam")) == QLatin1String("initLiveRoom"))
        return liveRoomAnswer(state, answer);

    const QString strEvent = answer.value(QStringLiteral("event"));
    const QString strTarget = answer.value(QStringLiteral("target"));
    VelTaskAnswer result;
    result.state = state;
    if (strEvent == QLatin1String("start")) {
        const CommandMap target = parseCommand(strTarget);
        result.kind = VelTaskAnswer::Start;
        takeMode(result, target);
        takeRecordMode(result, target);
        result.bNamesTime = true;
        result.state.nSeconds = seconds(target.value(QStringLiteral("startTime")));
        result.state.bRecording = true;
    } else if (strEvent == QLatin1String("pause")) {
        const CommandMap target = parseCommand(strTarget);
        result.kind = VelTaskAnswer::Pause;
        // A pause brings its working mode only when the answer carries "hostId".
        if (answer.contains(QStringLiteral("hostId")))
            takeMode(result, target);
        takeRecordMode(result, target);
        result.state.bRecording = true;
        result.state.bPaused = true;
        const QString strStart = target.value(QStringLiteral("startTime"));
        if (!strStart.isEmpty() && strStart != QLatin1String("0")) {
            result.bNamesTime = true;
            result.state.nSeconds = seconds(strStart);
        }
    } else if (strEvent == QLatin1String("restart")) {
        result.kind = VelTaskAnswer::Restart;
        result.state.bRecording = true;
        result.state.bPaused = false;
    } else if (strEvent == QLatin1String("stop")) {
        result.kind = VelTaskAnswer::Stop;
        result.state.bRecording = false;
        result.state.bPaused = false;
        result.state.nSeconds = 0;
    } else if (strEvent == QLatin1String("error")) {
        result.kind = VelTaskAnswer::Error;
        result.strText = strTarget;
    } else {
        result.kind = VelTaskAnswer::Volume;
        result.nVolume = strTarget.toInt();
    }
    return result;
}
