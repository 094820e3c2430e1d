// vel-bench-streams: when each flash of the flash-and-beep mount reached the
// label's paint against when its beep reached the device.
#include "lipsync.h"

#include "calsaaudiodevice.h"
#include "caudiodevice.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>

extern "C" {
#include <libavutil/time.h>
}

namespace
{

// When each beep of the flash-and-beep mount reached the device
// (av_gettime_relative, microseconds): the device plays a buffer once
// everything it was handed before has played.
class BeepLog
{
public:
    void note(const char* data, int length, long long delayFrames, int rate)
    {
        const int64_t now = av_gettime_relative();
        const auto* samples = reinterpret_cast<const int16_t*>(data);
        std::lock_guard<std::mutex> lock(m_lock);
        for (int i = 0; i < length / 2; ++i) {
            if (std::abs(int(samples[i])) < 3000) {
                ++m_quiet;
                continue;
            }
            // A beep follows at least half a second of quiet.
            if (m_quiet >= rate / 2 && delayFrames >= 0)
                m_onsetsUs.push_back(now + (delayFrames + i) * 1000000 / rate);
            m_quiet = 0;
        }
    }
    std::vector<int64_t> onsets()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_onsetsUs;
    }

private:
    std::mutex m_lock;
    long long m_quiet = 0;
    std::vector<int64_t> m_onsetsUs;
};

BeepLog g_beeps;

// The engine's ALSA device with every buffer it is handed looked at for beeps.
class BeepWatchingDevice : public CAudioDevice
{
public:
    bool open(int rate, int bits, int channels, DoneHandler done) override
    {
        m_rate = rate;
        return m_device.open(rate, bits, channels, std::move(done));
    }
    bool write(int buffer, const char* data, int length) override
    {
        g_beeps.note(data, length, m_device.delayFrames(), m_rate);
        return m_device.write(buffer, data, length);
    }
    void reset() override { m_device.reset(); }
    void close() override { m_device.close(); }
    long long delayFrames() override { return m_device.delayFrames(); }

private:
    CAlsaAudioDevice m_device;
    int m_rate = 8000;
};

} // namespace

// The value below which fraction q of the samples lie (samples sorted).
double quantile(std::vector<double> samples, double q)
{
    if (samples.empty())
        return -1;
    std::sort(samples.begin(), samples.end());
    return samples[std::min(samples.size() - 1, size_t(q * double(samples.size())))];
}

void installBeepWatch()
{
    CAudioDevice::setFactory([] { return std::make_unique<BeepWatchingDevice>(); });
}

// Each flash painted against the beep that reached the device nearest to it:
// positive when the picture came after its sound.
void printLipSync(const std::vector<int64_t>& flashesUs)
{
    const std::vector<int64_t> beeps = g_beeps.onsets();
    std::vector<double> offsetsMs;
    size_t unmatched = 0;
    // The first flashes may come before the sound is heard at all.
    for (size_t i = 2; i < flashesUs.size(); ++i) {
        const int64_t flash = flashesUs[i];
        int64_t best = INT64_MAX;
        for (int64_t beep : beeps) {
            if (std::llabs(flash - beep) < std::llabs(best))
                best = flash - beep;
        }
        if (std::llabs(best) > 500000)
            ++unmatched;
        else
            offsetsMs.push_back(best / 1000.0);
    }
    if (offsetsMs.empty()) {
        std::printf("lip sync: no flash matched a beep (%zu flashes, %zu beeps)\n",
                    flashesUs.size(), beeps.size());
        return;
    }
    std::vector<double> distancesMs;
    for (double offset : offsetsMs)
        distancesMs.push_back(std::fabs(offset));
    std::printf("lip sync: %zu flashes matched (%zu not), flash - beep: median %.1f ms, "
                "p5 %.1f ms, p95 %.1f ms; |flash - beep| p95 %.1f ms\n",
                offsetsMs.size(), unmatched, quantile(offsetsMs, 0.5), quantile(offsetsMs, 0.05),
                quantile(offsetsMs, 0.95), quantile(distancesMs, 0.95));
    if (qEnvironmentVariableIsSet("VEL_BENCH_OFFSETS")) {
        for (double offset : offsetsMs)
            std::printf(" %.0f", offset);
        std::printf("\n");
    }
}
