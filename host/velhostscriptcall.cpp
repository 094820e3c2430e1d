#include "velhostscriptcall.h"

#include <QJSEngine>

#include <new>

namespace
{

int g_nDepth = 0;
bool g_bBroken = false;
std::function<void()> g_fnOutOfMemory;

} // namespace

void VelHostScriptCall::setOutOfMemoryHandler(std::function<void()> fnHandler)
{
    g_fnOutOfMemory = std::move(fnHandler);
}

bool VelHostScriptCall::isEngineBroken()
{
    return g_bBroken;
}

QJSValue VelHostScriptCall::enter(const std::function<QJSValue()>& fn)
{
    if (g_bBroken)
        return QJSValue();
    ++g_nDepth;
    try {
        QJSValue result = fn();
        --g_nDepth;
        return result;
    } catch (const std::bad_alloc&) {
        --g_nDepth;
        g_bBroken = true;
        if (g_nDepth > 0)
            throw;
    }
    if (g_fnOutOfMemory)
        g_fnOutOfMemory();
    return QJSValue();
}

bool VelHostScriptCall::native(QJSEngine* pEngine, const std::function<void()>& fn)
{
    try {
        fn();
        return true;
    } catch (const std::bad_alloc&) {
        if (g_bBroken)
            throw;
    }
    pEngine->throwError(QJSValue::RangeError, QStringLiteral("out of memory"));
    return false;
}
