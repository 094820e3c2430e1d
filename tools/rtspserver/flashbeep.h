#ifndef FLASHBEEP_H
#define FLASHBEEP_H

// The lip-sync mounts of the test server: a black picture that is white for
// the one frame at each whole second, and silence with a 1 kHz beep for the
// first 100 ms of each second, both stamped from the pipeline's one clock, so
// that flash and beep carry the same timestamp.

#include <gst/gst.h>

#include <string>

// Launch line with sources "vsrc" and "asrc"; the encoders come from the
// server's own camera lines (payloaders pay0 and pay1).
std::string flashBeepLaunchLine(int height, const std::string& videoEncoder,
                                const std::string& audioEncoder);
// Paints the flashes and writes the beeps into the sources' buffers.
void attachFlashBeep(GstElement* bin);

#endif // FLASHBEEP_H
