#ifndef REPLAY_H
#define REPLAY_H

// Replay mounts of the test server (--replay). Call from the main thread: the
// files first, then one feeder per prepared media.

#include <gst/gst.h>
#include <gst/rtsp-server/rtsp-server.h>

#include <string>

// Encodes the files with ffmpeg into a temporary directory.
bool makeReplayFiles();
// Reads them and cuts them into access units and AAC frames.
bool loadReplayFiles();
bool haveReplayFiles();
void removeReplayFiles();
// Launch line of a replay media: appsrc "vsrc" (and "asrc" with audio).
std::string replayLaunchLine(bool withAudio);
// Feeds the media's sources until it is unprepared.
void startReplayFeeder(GstRTSPMedia* media, GstElement* bin, int height);

#endif // REPLAY_H
