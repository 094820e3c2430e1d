// vel-bench-convert: decodes a few seconds of a 720p and a 1080p test picture
// (made once with the ffmpeg program) and times converting every picture to
// the sizes the labels show, with swscale's filters and with libyuv.
//
//   vel-bench-convert [--frames N]

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}
#include <libyuv.h>

namespace
{

std::vector<AVFrame*> decodeFile(const QString& path)
{
    std::vector<AVFrame*> frames;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return frames;
    avformat_find_stream_info(format, nullptr);
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const AVCodec* codec = avcodec_find_decoder(format->streams[index]->codecpar->codec_id);
    AVCodecContext* context = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(context, format->streams[index]->codecpar);
    avcodec_open2(context, codec, nullptr);
    AVPacket* packet = av_packet_alloc();
    auto drain = [&] {
        for (;;) {
            AVFrame* frame = av_frame_alloc();
            if (avcodec_receive_frame(context, frame) < 0) {
                av_frame_free(&frame);
                return;
            }
            frames.push_back(frame);
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == index && avcodec_send_packet(context, packet) >= 0)
            drain();
        av_packet_unref(packet);
    }
    avcodec_send_packet(context, nullptr);
    drain();
    av_packet_free(&packet);
    avcodec_free_context(&context);
    avformat_close_input(&format);
    return frames;
}

// Microseconds per picture, best of three passes over all pictures.
double timePerPicture(const std::vector<AVFrame*>& frames,
                      const std::function<void(const AVFrame*)>& convert)
{
    double best = 1e30;
    for (int pass = 0; pass < 3; ++pass) {
        QElapsedTimer clock;
        clock.start();
        for (const AVFrame* frame : frames)
            convert(frame);
        best = std::min(best, clock.nsecsElapsed() / 1000.0 / frames.size());
    }
    return best;
}

void compare(const char* name, const std::vector<AVFrame*>& frames, int width, int height)
{
    const int srcWidth = frames.front()->width;
    const int srcHeight = frames.front()->height;
    std::vector<uint8_t> argb(size_t(width) * height * 4);
    std::vector<uint8_t> i420(size_t(width) * height * 2);
    std::printf("%-8s -> %4dx%-4d", name, width, height);
    struct Filter {
        const char* name;
        int flags;
    };
    const Filter filters[] = {{"bicubic", SWS_BICUBIC},
                              {"bilinear", SWS_BILINEAR},
                              {"fast-bilinear", SWS_FAST_BILINEAR},
                              {"point", SWS_POINT}};
    for (const Filter& filter : filters) {
        SwsContext* sws = sws_getContext(srcWidth, srcHeight, AV_PIX_FMT_YUV420P, width, height,
                                         AV_PIX_FMT_RGB32, filter.flags, nullptr, nullptr, nullptr);
        uint8_t* dst[4] = {argb.data(), nullptr, nullptr, nullptr};
        const int stride[4] = {width * 4, 0, 0, 0};
        const double us = timePerPicture(frames, [&](const AVFrame* frame) {
            sws_scale(sws, frame->data, frame->linesize, 0, srcHeight, dst, stride);
        });
        sws_freeContext(sws);
        std::printf("  sws %s %7.0f us", filter.name, us);
    }
    struct YuvFilter {
        const char* name;
        libyuv::FilterMode mode;
    };
    const YuvFilter yuvFilters[] = {{"box", libyuv::kFilterBox},
                                    {"bilinear", libyuv::kFilterBilinear},
                                    {"none", libyuv::kFilterNone}};
    for (const YuvFilter& filter : yuvFilters) {
        const bool sameSize = width == srcWidth && height == srcHeight;
        uint8_t* y = i420.data();
        uint8_t* u = y + width * height;
        uint8_t* v = u + (width / 2 + 1) * (height / 2 + 1);
        const int chromaStride = (width + 1) / 2;
        const double us = timePerPicture(frames, [&](const AVFrame* frame) {
            if (sameSize) {
                libyuv::I420ToARGB(frame->data[0], frame->linesize[0], frame->data[1],
                                   frame->linesize[1], frame->data[2], frame->linesize[2],
                                   argb.data(), width * 4, width, height);
                return;
            }
            libyuv::I420Scale(frame->data[0], frame->linesize[0], frame->data[1],
                              frame->linesize[1], frame->data[2], frame->linesize[2], srcWidth,
                              srcHeight, y, width, u, chromaStride, v, chromaStride, width, height,
                              filter.mode);
            libyuv::I420ToARGB(y, width, u, chromaStride, v, chromaStride, argb.data(), width * 4,
                               width, height);
        });
        std::printf("  yuv %s %7.0f us", filter.name, us);
    }
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    int frames = 100;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0)
            frames = std::max(1, std::atoi(argv[i + 1]));
    }
    QTemporaryDir dir;
    const QString sizes[] = {QStringLiteral("1280x720"), QStringLiteral("1920x1080")};
    std::vector<AVFrame*> decoded[2];
    for (int i = 0; i < 2; ++i) {
        const QString path = dir.filePath(QStringLiteral("p%1.mp4").arg(i));
        const int status = QProcess::execute(
            QStringLiteral("ffmpeg"), {"-nostdin", "-loglevel", "error", "-f", "lavfi", "-i",
                                       QStringLiteral("testsrc2=size=%1:rate=25").arg(sizes[i]),
                                       "-frames:v", QString::number(frames), "-pix_fmt", "yuv420p",
                                       "-c:v", "libx264", "-preset", "ultrafast", path});
        decoded[i] = decodeFile(path);
        if (status != 0 || decoded[i].empty()) {
            std::fprintf(stderr, "vel-bench-convert: cannot make the %s test file\n",
                         qPrintable(sizes[i]));
            return 1;
        }
    }
    std::printf("vel-bench-convert: yuv420p to RGB32, per picture, best of 3 over %d pictures\n",
                frames);
    compare("720p", decoded[0], 208, 117);
    compare("720p", decoded[0], 640, 360);
    compare("720p", decoded[0], 1280, 720);
    compare("1080p", decoded[1], 1280, 720);
    compare("1080p", decoded[1], 1920, 1080);
    for (std::vector<AVFrame*>& list : decoded) {
        for (AVFrame*& frame : list)
            av_frame_free(&frame);
    }
    return 0;
}
