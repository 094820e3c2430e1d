#ifndef VELCOMMANDROUTE_H
#define VELCOMMANDROUTE_H

#include <QString>

// Where a message from the page goes, by its "requestParam" (exact,
// case-sensitive). The receivers plug in where the route is dispatched.
enum class CorvaneRoute {
    SetOverviewWidget, // the control's sltSetOverviewWidget
    FunctionState,     // the control's sltSetFunctionShownState
    SetOverviewSource, // the control's sltSetOverviewSource
    OutputView,        // "workingMode", "initLiveRoom"
    OverviewList,      // "singleScreen"
    RecordSetting,     // everything else
};

enum class RecordSettingRoute {
    BroadcastStrategy, // "directMode"
    ScreenSetting,     // "mutilScreen", "settingMutilScreen"
    TransitionEffect,  // "switchingEffects"
    VideoDot,          // "videoDotPrepare"
    Credits,           // "prelude", "curtain"
    CourseInfo,        // "courseInfo"
    Nothing,           // "subTitle" and everything else
};

CorvaneRoute corvaneRouteFor(const QString& strKind);
RecordSettingRoute recordSettingRouteFor(const QString& strKind);

#endif // VELCOMMANDROUTE_H
