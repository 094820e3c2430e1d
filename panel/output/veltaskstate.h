#ifndef VELTASKSTATE_H
#define VELTASKSTATE_H

#include <QMap>
#include <QString>

// The recording or live-casting task as the page last described it. The output
// control bar renders this value; velApplyTaskAnswer is the only place that
// reads the page's "workingMode" and "initLiveRoom" answers.
struct VelTaskState {
    QString strWorkingMode = QStringLiteral("workingModeRecording");
    bool bRecording = false; // the task runs (paused or not): the recording layout shows
    bool bPaused = false;
    int nSeconds = 0; // running time the page last reported
    QString strLiveRoomId;
};

// What one answer of the page does to the task and what the bar must show.
struct VelTaskAnswer {
    enum Kind {
        Start,
        Pause,
        Restart,
        Stop,
        Error,     // a warning with the page's text
        Volume,    // the platform's volume
        RoomList,  // "initLiveRoom": the rooms to choose from
        RoomFailed // "initLiveRoom" refused: warning, back to recording
    };
    Kind kind = Volume;
    VelTaskState state;      // the task after the answer
    bool bNamesMode = false; // the answer names a working mode (state.strWorkingMode)
    bool bNamesTime = false; // the answer reports the running time (state.nSeconds)
    bool bNamesRecordMode = false;
    QString strRecordMode; // the recording mode named, passed on even when empty
    QString strText;       // Error: the page's warning; RoomList: the room list target
    int nVolume = 0;
};

// The three working modes a task can run in; anything else names none.
bool velIsWorkingMode(const QString& strMode);

// Applies one answer ("workingMode" or "initLiveRoom" map) to the task. Pure:
// no widget, no signal; the bar turns the result into its look.
VelTaskAnswer velApplyTaskAnswer(const VelTaskState& state, const QMap<QString, QString>& answer);

#endif // VELTASKSTATE_H
