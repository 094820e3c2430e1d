#ifndef CAUDIODECODER_H
#define CAUDIODECODER_H

#include "velffmpeg.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class CAudioWrite;
class CStreamInput;

// The player's sound: the decoder, the resampler to 16-bit mono, the writer
// that plays it and the clock of what is heard now, which the picture
// follows. Decode thread, but for the writer's figures and the on/off switch.
class CAudioDecoder
{
public:
    // The values of CRTSPPlayer::AudioDeviceState.
    enum DeviceState { DeviceUnknown = 0, DeviceOpen = 1, DeviceFailed = 2 };
    // Through a gap in the sound the clock runs on by itself this long.
    static constexpr int64_t kClockCoastUs = 1000000;

    // Sound is taken from input's queue; onDeviceChecked is called on the
    // decode thread after each try to open the sound device. bWithAudio
    // false: a thumbnail, which never plays sound.
    CAudioDecoder(const std::atomic<bool>& bStop, CStreamInput& input, bool bWithAudio,
                  std::function<void(bool)> onDeviceChecked);
    CAudioDecoder(const CAudioDecoder&) = delete;
    CAudioDecoder& operator=(const CAudioDecoder&) = delete;
    ~CAudioDecoder();

    // Whether the player plays sound now.
    bool wanted() const;
#if defined(VEL_FORM_VIMBREL)
    // Any thread.
    void setEnabled(bool bEnabled);
#endif

    // The decoder for pStream, and the writer with its device: 0 or the
    // error.
    int open(const AVStream* pStream);
    // Without a decoder after a failed open.
    void closeDecoder();
    // Frees all but the clock; nothing decodes.
    void free();

    // One drain pass of the sound queue, nElapsedMs after the open.
    void decodePass(int64_t nElapsedMs);

    // Whether the picture follows this sound: it plays and a device hears it.
    bool leadsPictures() const;
    // The time of the sound heard now, INT64_MIN without one.
    int64_t clockUs();
    // A new open: the last one's clock is gone.
    void resetClock()
    {
        m_nClockUs = INT64_MIN;
    }
    bool clockKnown() const
    {
        return m_nClockUs != INT64_MIN;
    }
    // When sound was last handed to the writer (-1 never).
    int64_t lastWrittenUs() const
    {
        return m_nLastAudioUs;
    }

    // Any thread.
    int queueMs() const;
    uint64_t silences() const;
    DeviceState deviceState() const
    {
        return DeviceState(m_nDeviceState.load());
    }

private:
    bool setUpResampler(const AVChannelLayout& layout, int nFormat, int nRate);
    void playAudio(const AVFrame* pFrame);

    const std::atomic<bool>& m_bStop;
    CStreamInput& m_input;
    std::function<void(bool)> m_onDeviceChecked;
#if defined(VEL_FORM_TESSARO)
    const bool m_bWithAudio;
#else
    std::atomic<bool> m_bEnabled{false};
#endif
    int m_nAudioDelay = 0;

    VelCodecContextPtr m_pAudioCodec;
    VelFramePtr m_pAudioFrame;
    VelSwrPtr m_pSwr;
    AVChannelLayout m_swrSourceLayout{}; // what m_pSwr was set up for
    int m_nSwrSourceFormat = -1;
    int m_nSwrSourceRate = 0;
    int m_nAudioRate = 0;            // output rate for the writer
    std::vector<uint8_t> m_audioOut; // one second of output samples
    mutable std::mutex m_writerLock; // guards the pointer against setEnabled
    std::unique_ptr<CAudioWrite> m_pAudioWrite;
    std::atomic<int> m_nDeviceState{DeviceUnknown};

    // Times in microseconds.
    int64_t m_nClockUs = INT64_MIN; // the sound's time when last known...
    int64_t m_nClockAtUs = -1;      // ...and when that was
    int64_t m_nLastAudioUs = -1;    // when sound was last handed to the writer
};

#endif // CAUDIODECODER_H
