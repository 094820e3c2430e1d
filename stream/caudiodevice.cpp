#include "caudiodevice.h"

#include "calsaaudiodevice.h"

#include <mutex>

namespace
{

std::mutex s_factoryLock;
CAudioDevice::Factory s_fnFactory;

} // namespace

CAudioDevice::~CAudioDevice() = default;

long long CAudioDevice::delayFrames()
{
    return -1;
}

std::unique_ptr<CAudioDevice> CAudioDevice::create()
{
    Factory fnFactory;
    {
        std::lock_guard<std::mutex> lock(s_factoryLock);
        fnFactory = s_fnFactory;
    }
    if (fnFactory)
        return fnFactory();
    return std::make_unique<CAlsaAudioDevice>();
}

void CAudioDevice::setFactory(Factory fnFactory)
{
    std::lock_guard<std::mutex> lock(s_factoryLock);
    s_fnFactory = std::move(fnFactory);
}
