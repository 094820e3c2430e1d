#include "flashbeep.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace
{

constexpr int kRate = 16000;
constexpr int kFrameRate = 25;
constexpr GstClockTime kBeepLength = 100 * GST_MSECOND;
constexpr double kBeepHz = 1000;
constexpr double kBeepAmplitude = 12000;

GstPadProbeReturn flash(GstPad*, GstPadProbeInfo* info, gpointer)
{
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (!buffer || !GST_BUFFER_PTS_IS_VALID(buffer))
        return GST_PAD_PROBE_OK;
    // The frame that starts the second, within half a frame of it.
    const GstClockTime inSecond = GST_BUFFER_PTS(buffer) % GST_SECOND;
    const GstClockTime halfFrame = GST_SECOND / kFrameRate / 2;
    if (inSecond >= halfFrame && inSecond < GST_SECOND - halfFrame)
        return GST_PAD_PROBE_OK;
    buffer = gst_buffer_make_writable(buffer);
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_WRITE))
        return GST_PAD_PROBE_OK;
    // I420: the luma plane first, two thirds of the picture; chroma stays grey.
    std::memset(map.data, 235, map.size * 2 / 3);
    gst_buffer_unmap(buffer, &map);
    return GST_PAD_PROBE_OK;
}

GstPadProbeReturn beep(GstPad*, GstPadProbeInfo* info, gpointer)
{
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (!buffer || !GST_BUFFER_PTS_IS_VALID(buffer))
        return GST_PAD_PROBE_OK;
    buffer = gst_buffer_make_writable(buffer);
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    // Silence comes flagged as a gap, which the encoder would not read.
    GST_BUFFER_FLAG_UNSET(buffer, GST_BUFFER_FLAG_GAP);
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_WRITE))
        return GST_PAD_PROBE_OK;
    auto* samples = reinterpret_cast<int16_t*>(map.data);
    const size_t count = map.size / sizeof(int16_t);
    const GstClockTime start = GST_BUFFER_PTS(buffer);
    for (size_t i = 0; i < count; ++i) {
        const GstClockTime at = start + gst_util_uint64_scale_int(i, GST_SECOND, kRate);
        const GstClockTime inSecond = at % GST_SECOND;
        samples[i] = 0;
        if (inSecond < kBeepLength) {
            const double phase = 2 * M_PI * kBeepHz * double(inSecond) / GST_SECOND;
            samples[i] = int16_t(kBeepAmplitude * std::sin(phase));
        }
    }
    gst_buffer_unmap(buffer, &map);
    return GST_PAD_PROBE_OK;
}

void probeSource(GstElement* bin, const char* name, GstPadProbeCallback callback)
{
    GstElement* source = gst_bin_get_by_name(GST_BIN(bin), name);
    if (!source)
        return;
    GstPad* pad = gst_element_get_static_pad(source, "src");
    if (pad) {
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, callback, nullptr, nullptr);
        gst_object_unref(pad);
    }
    gst_object_unref(source);
}

} // namespace

std::string flashBeepLaunchLine(int height, const std::string& videoEncoder,
                                const std::string& audioEncoder)
{
    const int width = height * 16 / 9;
    return "( videotestsrc name=vsrc is-live=true pattern=black ! video/x-raw,format=I420,width=" +
           std::to_string(width) + ",height=" + std::to_string(height) +
           ",framerate=" + std::to_string(kFrameRate) + "/1 ! " + videoEncoder +
           "audiotestsrc name=asrc is-live=true wave=silence samplesperbuffer=320 ! "
           "audio/x-raw,format=S16LE,rate=" +
           std::to_string(kRate) + ",channels=1 ! audioconvert ! " + audioEncoder + ")";
}

void attachFlashBeep(GstElement* bin)
{
    probeSource(bin, "vsrc", flash);
    probeSource(bin, "asrc", beep);
}
