#include "velcommandroute.h"

#include <utility>

namespace
{

template <typename Route, size_t N>
Route lookup(const std::pair<const char*, Route> (&table)[N], const QString& strKind,
             Route fallback)
{
    for (const auto& entry : table)
        if (strKind == QLatin1String(entry.first))
            return entry.second;
    return fallback;
}

const std::pair<const char*, CorvaneRoute> kCorvaneRoutes[] = {
    {"setOverviewWidget", CorvaneRoute::SetOverviewWidget},
    {"functionState", CorvaneRoute::FunctionState},
    {"setOverviewSource", CorvaneRoute::SetOverviewSource},
    {"workingMode", CorvaneRoute::OutputView},
    {"initLiveRoom", CorvaneRoute::OutputView},
    {"singleScreen", CorvaneRoute::OverviewList},
};

const std::pair<const char*, RecordSettingRoute> kRecordSettingRoutes[] = {
    {"directMode", RecordSettingRoute::BroadcastStrategy},
    {"mutilScreen", RecordSettingRoute::ScreenSetting},
    {"settingMutilScreen", RecordSettingRoute::ScreenSetting},
    {"switchingEffects", RecordSettingRoute::TransitionEffect},
    {"subTitle", RecordSettingRoute::Nothing},
    {"videoDotPrepare", RecordSettingRoute::VideoDot},
    {"prelude", RecordSettingRoute::Credits},
    {"curtain", RecordSettingRoute::Credits},
    {"courseInfo", RecordSettingRoute::CourseInfo},
};

} // namespace

CorvaneRoute corvaneRouteFor(const QString& strKind)
{
    return lookup(kCorvaneRoutes, strKind, CorvaneRoute::RecordSetting);
}

RecordSettingRoute recordSettingRouteFor(const QString& strKind)
{
    return lookup(kRecordSettingRoutes, strKind, RecordSettingRoute::Nothing);
}
