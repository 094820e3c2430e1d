// Crashes in the way named by argv[1] after installing the crash filter.
#include "velcrash.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>

int main(int argc, char** argv)
{
    velInstallCrashFilter();
    const char* szMode = argc > 1 ? argv[1] : "";
    if (std::strcmp(szMode, "segv") == 0) {
        volatile int* p = nullptr;
        return *p;
    }
    if (std::strcmp(szMode, "abort") == 0)
        std::abort();
    if (std::strcmp(szMode, "throw") == 0)
        throw std::runtime_error("unhandled");
    return 0;
}
