#include "velcrash.h"

#include <csignal>
#include <cstring>
#include <exception>
#include <initializer_list>
#include <unistd.h>

namespace
{

// Only async-signal-safe calls from here on.
void writeLine(const char* szText)
{
    const ssize_t n = ::write(STDERR_FILENO, szText, std::strlen(szText));
    (void)n;
}

void onFatalSignal(int nSignal)
{
    const char* szName = "signal";
    switch (nSignal) {
    case SIGSEGV:
        szName = "SIGSEGV";
        break;
    case SIGBUS:
        szName = "SIGBUS";
        break;
    case SIGFPE:
        szName = "SIGFPE";
        break;
    case SIGILL:
        szName = "SIGILL";
        break;
    case SIGABRT:
        szName = "SIGABRT";
        break;
    default:
        break;
    }
    writeLine("unhandled exception: ");
    writeLine(szName);
    writeLine(", process ends\n");
    ::_exit(VelCrashExitCode);
}

void onTerminate()
{
    writeLine("unhandled exception: uncaught C++ exception, process ends\n");
    ::_exit(VelCrashExitCode);
}

} // namespace

void velInstallCrashFilter()
{
    struct sigaction action;
    std::memset(&action, 0, sizeof(action));
    action.sa_handler = onFatalSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    for (int nSignal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        sigaction(nSignal, &action, nullptr);
    std::set_terminate(onTerminate);
}
