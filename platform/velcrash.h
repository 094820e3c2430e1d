#ifndef VELCRASH_H
#define VELCRASH_H

// Stand-in for the process-wide unhandled-exception filter. A crash (fatal
// signal or an uncaught C++ exception) ends the process at once: no dialog,
// one line on the debugger output, exit status VelCrashExitCode. Never a zero
// status, so a crash is never taken for success.
constexpr int VelCrashExitCode = 70;

void velInstallCrashFilter();

#endif // VELCRASH_H
