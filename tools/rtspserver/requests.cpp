// The test server's RTSP request hooks, run on each client's own thread.

#include "mount.h"

#include <poll.h>

namespace
{

// The mount a request names: its path, perhaps with a trailing slash or a
// stream's control part.
Mount* mountOfRequest(const GstRTSPContext* ctx)
{
    if (!ctx || !ctx->uri || !ctx->uri->abspath)
        return nullptr;
    std::string path = ctx->uri->abspath;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    Mount* mount = findMount(path);
    const size_t slash = path.rfind('/');
    if (!mount && slash != std::string::npos && slash > 0)
        mount = findMount(path.substr(0, slash));
    return mount;
}

void onTeardownRequest(GstRTSPClient*, GstRTSPContext* ctx, gpointer)
{
    if (Mount* mount = mountOfRequest(ctx))
        ++mount->teardowns;
}

void onSetupRequest(GstRTSPClient*, GstRTSPContext* ctx, gpointer)
{
    if (Mount* mount = mountOfRequest(ctx))
        ++mount->setups;
}

// Holds the client's own thread (one a client) until the client hangs up, so
// its PLAY is never answered; what it sent before hanging up, a TEARDOWN say,
// is still read and counted afterwards. Bounded, so no thread is kept for good.
void waitForHangUp(GstRTSPClient* client)
{
    GstRTSPConnection* connection = gst_rtsp_client_get_connection(client);
    GSocket* socket = connection ? gst_rtsp_connection_get_read_socket(connection) : nullptr;
    if (!socket)
        return;
    pollfd watch = {g_socket_get_fd(socket), POLLRDHUP, 0};
    for (int waited = 0; waited < 60000; waited += 100) {
        watch.revents = 0;
        if (poll(&watch, 1, 100) > 0 && (watch.revents & (POLLRDHUP | POLLHUP | POLLERR)))
            return;
    }
}

// Cameras with a long key frame interval keep to their own schedule, as many
// real ones do: a new session starts with whatever the encoder sends next.
void onPlayRequest(GstRTSPClient*, GstRTSPContext* ctx, gpointer)
{
    if (!ctx || !ctx->media)
        return;
    const Mount* mount = mountOfRequest(ctx);
    if (mount && mount->format.keyInterval != 25)
        return;
    GstElement* bin = gst_rtsp_media_get_element(ctx->media);
    requestKeyFrame(bin);
    if (bin)
        gst_object_unref(bin);
}

// A camera cannot seek. Left alone, the server would honour a PLAY's
// "Range: npt=0-" with a flushing seek of the shared pipeline, and every
// client already playing would see its timestamps start over.
// Clients have threads of their own, so a DESCRIBE may come while the last
// client's TEARDOWN unprepares the shared media, which the server refuses
// (503); a camera would simply answer. The DESCRIBE waits for the unprepare
// to end, within a bound.
GstRTSPStatusCode onPreDescribeRequest(GstRTSPClient*, GstRTSPContext* ctx, gpointer)
{
    Mount* mount = mountOfRequest(ctx);
    if (!mount)
        return GST_RTSP_STS_OK;
    GstRTSPMedia* media = nullptr;
    {
        std::lock_guard<std::mutex> lock(mount->mediaLock);
        if (mount->media)
            media = GST_RTSP_MEDIA(g_object_ref(mount->media));
    }
    if (!media)
        return GST_RTSP_STS_OK;
    for (int waited = 0; waited < 3000; waited += 5) {
        if (gst_rtsp_media_get_status(media) != GST_RTSP_MEDIA_STATUS_UNPREPARING)
            break;
        g_usleep(5000);
    }
    // The factory forgets an unprepared media just after its status changes.
    if (gst_rtsp_media_get_status(media) == GST_RTSP_MEDIA_STATUS_UNPREPARED)
        g_usleep(20000);
    g_object_unref(media);
    return GST_RTSP_STS_OK;
}

GstRTSPStatusCode onPrePlayRequest(GstRTSPClient* client, GstRTSPContext* ctx, gpointer)
{
    Mount* mount = mountOfRequest(ctx);
    if (mount)
        ++mount->plays;
    if (mount && mount->playUnanswered) {
        waitForHangUp(client);
        return GST_RTSP_STS_SERVICE_UNAVAILABLE;
    }
    if (ctx && ctx->request)
        gst_rtsp_message_remove_header(ctx->request, GST_RTSP_HDR_RANGE, -1);
    return GST_RTSP_STS_OK;
}

} // namespace

void onClientConnected(GstRTSPServer*, GstRTSPClient* client, gpointer)
{
    g_signal_connect(client, "teardown-request", G_CALLBACK(onTeardownRequest), nullptr);
    g_signal_connect(client, "setup-request", G_CALLBACK(onSetupRequest), nullptr);
    g_signal_connect(client, "pre-play-request", G_CALLBACK(onPrePlayRequest), nullptr);
    g_signal_connect(client, "pre-describe-request", G_CALLBACK(onPreDescribeRequest), nullptr);
    g_signal_connect(client, "play-request", G_CALLBACK(onPlayRequest), nullptr);
}
