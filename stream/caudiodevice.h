#ifndef CAUDIODEVICE_H
#define CAUDIODEVICE_H

#include <functional>
#include <memory>

// A callback-driven PCM output in the manner of waveOut: the writer queues
// whole buffers, the device plays them in order and reports each one done on a
// thread of its own. CAudioWrite owns the buffer discipline; a device only
// plays. The default device is ALSA's "default" PCM; tests put their own here.
class CAudioDevice
{
public:
    // Called on the device's thread, without any device lock held, once the
    // buffer queued as nBuffer has been played.
    using DoneHandler = std::function<void(int nBuffer)>;
    using Factory = std::function<std::unique_ptr<CAudioDevice>()>;

    virtual ~CAudioDevice();

    virtual bool open(int nSamplesPerSec, int nBitsPerSample, int nChannels,
                      DoneHandler fnDone) = 0;
    // Queues nLength bytes at pData as buffer nBuffer; the memory stays the
    // caller's and must stay valid until the buffer is reported done or reset.
    virtual bool write(int nBuffer, const char* pData, int nLength) = 0;
    // Stops playing and forgets every queued buffer. No done call is running
    // or will run once this returns.
    virtual void reset() = 0;
    virtual void close() = 0;
    // Frames handed to write() that have not been heard yet, now: what the
    // audio clock is counted back from. -1 when the device cannot tell; the
    // writer then counts from its done calls. Any thread.
    virtual long long delayFrames();

    // The device CAudioWrite opens: the installed factory's, else ALSA's.
    static std::unique_ptr<CAudioDevice> create();
    // Replaces the process-wide factory (an empty one restores ALSA).
    static void setFactory(Factory fnFactory);
};

#endif // CAUDIODEVICE_H
