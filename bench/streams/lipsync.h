#ifndef LIPSYNC_H
#define LIPSYNC_H

// vel-bench-streams --lipsync: beeps noted where the engine hands sound to
// its ALSA device, flashes where the label paints (ourrun.cpp).

#include <cstdint>
#include <vector>

// The engine's players play through the ALSA device with every buffer
// looked at for the beginning of a beep.
void installBeepWatch();
// Each flash (av_gettime_relative, microseconds) against the nearest beep.
void printLipSync(const std::vector<int64_t>& flashesUs);
// The value below which fraction q of the samples lie.
double quantile(std::vector<double> samples, double q);

#endif // LIPSYNC_H
