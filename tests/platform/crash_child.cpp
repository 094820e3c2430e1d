// Crashes in the way named by argv[1] after installing the crash filter.
#include "velcrash.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

int main(int argc, char** argv)
{
    velInstallCrashFilter();
    const char* szMode = argc > 1 ? argv[1] : "";
    if (std::strcmp(szMode, "segv") == 0) {
#if defined(__SANITIZE_ADDRESS__)
        // The sanitizers stop a null load themselves; the signal is what matters.
        std::raise(SIGSEGV);
#else
        volatile int* p = nullptr;
        return *p;
#endif
    }
    if (std::strcmp(szMode, "abort") == 0)
        std::abort();
    if (std::strcmp(szMode, "throw") == 0)
        throw std::runtime_error("unhandled");
    return 0;
}
