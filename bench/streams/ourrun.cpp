// vel-bench-streams: our run, every stream played through the panel's player
// manager into a label that notes what it painted and when.
#include "benchstreams.h"

#include "crtspplayer.h"
#include "velvideolabel.h"
#include "velvlcplayermanger.h"

#include <QApplication>
#include <QBackingStore>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QTimer>
#include <QWidget>

#include <cmath>

#include <sys/resource.h>

extern "C" {
#include <libavutil/time.h>
}

// A label that notes, after each paint, how long ago the packet of the
// picture it painted was read, and (watching flashes) when a white picture
// was first painted.
class BenchLabel : public VelVideoLabel
{
public:
    using VelVideoLabel::VelVideoLabel;
    bool measuring = false;
    bool watchFlashes = false;
    std::vector<double> latenciesMs;
    std::vector<int64_t> flashesUs; // av_gettime_relative

protected:
    void paintEvent(QPaintEvent* e) override
    {
        VelVideoLabel::paintEvent(e);
        if (watchFlashes)
            noteFlash();
        const qint64 readAt = paintedPictureReadAt();
        if (readAt < 0 || readAt == m_lastReadAt)
            return;
        m_lastReadAt = readAt;
        if (measuring)
            latenciesMs.push_back((av_gettime_relative() - readAt) / 1000.0);
    }

private:
    // What the paint left in the window's backing store, at the middle of
    // the label.
    void noteFlash()
    {
        QBackingStore* store = window()->backingStore();
        QPaintDevice* device = store ? store->paintDevice() : nullptr;
        if (!device || device->devType() != QInternal::Image)
            return;
        const QImage* image = static_cast<const QImage*>(device);
        const QPoint centre = mapTo(window(), rect().center()) * image->devicePixelRatio();
        if (!image->rect().contains(centre))
            return;
        const bool white = qGray(image->pixel(centre)) > 200;
        if (white && !m_white)
            flashesUs.push_back(av_gettime_relative());
        m_white = white;
    }

    qint64 m_lastReadAt = -1;
    bool m_white = false;
};

namespace
{

double selfCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return cpuSeconds(usage);
}

} // namespace

double runOurs(const Options& options, std::vector<OurStream>& streams)
{
    QWidget window;
    auto* grid = new QGridLayout(&window);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    const int columns = int(std::ceil(std::sqrt(double(streams.size()))));
    for (size_t i = 0; i < streams.size(); ++i) {
        streams[i].label = new BenchLabel(&window);
        streams[i].label->setFixedSize(streams[i].labelSize);
        streams[i].label->watchFlashes = options.lipsync && i == 0;
        grid->addWidget(streams[i].label, int(i) / columns, int(i) % columns);
    }
    window.show();
    QCoreApplication::processEvents();

    QElapsedTimer clock;
    const double cpuBefore = selfCpuSeconds();
    clock.start();
    for (OurStream& stream : streams) {
        stream.startedMs = clock.elapsed();
        VelVlcPlayerManger::Instance()->AddPlayer(stream.label, stream.address, stream.audio);
    }

    // The label counts pictures as they are handed in; the first one seen
    // here is late by at most one poll interval.
    QTimer poll;
    poll.setInterval(2);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        bool waiting = false;
        for (OurStream& stream : streams) {
            if (stream.firstPictureMs < 0 && stream.label->picturesReceived() > 0)
                stream.firstPictureMs = clock.elapsed() - stream.startedMs;
            waiting = waiting || stream.firstPictureMs < 0;
        }
        if (!waiting)
            poll.stop();
    });
    poll.start();
    // The sound a player holds behind the picture, sampled past the start.
    QTimer sample;
    sample.setInterval(50);
    QObject::connect(&sample, &QTimer::timeout, [&] {
        for (OurStream& stream : streams) {
            if (stream.firstPictureMs < 0 ||
                clock.elapsed() - stream.startedMs < stream.firstPictureMs + kSettleMs)
                continue;
            stream.label->measuring = true;
            CRTSPPlayer* player = VelVlcPlayerManger::Instance()->FindPlayer(stream.label);
            if (stream.audio && player)
                stream.audioOffsetsMs.push_back(player->GetAudioQueueMs());
        }
    });
    sample.start();
    QTimer::singleShot(options.seconds * 1000, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    poll.stop();
    sample.stop();

    const double cpu = selfCpuSeconds() - cpuBefore;
    for (OurStream& stream : streams) {
        stream.handed = stream.label->picturesReceived();
        if (CRTSPPlayer* player = VelVlcPlayerManger::Instance()->FindPlayer(stream.label))
            stream.read = player->GetVideoPacketsRead();
        stream.dropped = stream.label->picturesDropped();
        stream.latenciesMs = stream.label->latenciesMs;
        stream.flashesUs = stream.label->flashesUs;
        if (CRTSPPlayer* player = VelVlcPlayerManger::Instance()->FindPlayer(stream.label)) {
            stream.late = player->GetPicturesLate();
            stream.silences = player->GetAudioSilences();
        }
    }
    VelVlcPlayerManger::DeleteInstance();
    for (OurStream& stream : streams)
        stream.label = nullptr; // deleted with the window
    return cpu;
}
