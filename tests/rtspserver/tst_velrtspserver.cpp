// The test RTSP server checked with FFmpeg itself: the mounts carry what their
// names say, stall/freeze silence the media while the session lives, and a
// killed server comes back on the same port.

#include "velrtspserver.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include <memory>
#include <thread>

namespace
{

struct FormatCloser {
    void operator()(AVFormatContext* ctx) const { avformat_close_input(&ctx); }
};
struct CodecCloser {
    void operator()(AVCodecContext* ctx) const { avcodec_free_context(&ctx); }
};
struct PacketFree {
    void operator()(AVPacket* pkt) const { av_packet_free(&pkt); }
};
struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};

struct PacketCount {
    int video = 0;
    int audio = 0;
    bool firstVideoIsKey = false;
    int videoSteppedBack = 0; // video packets stamped before their predecessor
    QList<int> keyGaps;       // video packets from one key frame to the next
    int sinceKey = -1;
    int64_t lastVideoPts = AV_NOPTS_VALUE;
};

// One RTSP client session. Every FFmpeg call is cut off at a deadline by the
// interrupt callback, so a silent server cannot hang the test.
class Client
{
public:
    bool open(const QString& url, const char* transport, int timeoutMs = 10000)
    {
        AVFormatContext* ctx = avformat_alloc_context();
        ctx->interrupt_callback = {&Client::interrupt, this};
        AVDictionary* options = nullptr;
        av_dict_set(&options, "rtsp_transport", transport, 0);
        av_dict_set(&options, "timeout", "5000000", 0);
        setDeadline(timeoutMs);
        // On failure avformat_open_input frees the context.
        int ret = avformat_open_input(&ctx, url.toUtf8().constData(), nullptr, &options);
        av_dict_free(&options);
        if (ret < 0) {
            error = QStringLiteral("open %1: %2").arg(url, averr(ret));
            return false;
        }
        format.reset(ctx);
        ret = avformat_find_stream_info(ctx, nullptr);
        if (ret < 0) {
            error = QStringLiteral("stream info %1: %2").arg(url, averr(ret));
            return false;
        }
        videoIndex = av_find_best_stream(ctx, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        audioIndex = av_find_best_stream(ctx, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        return true;
    }

    const AVCodecParameters* video() const
    {
        return videoIndex >= 0 ? format->streams[videoIndex]->codecpar : nullptr;
    }
    const AVCodecParameters* audio() const
    {
        return audioIndex >= 0 ? format->streams[audioIndex]->codecpar : nullptr;
    }

    // Reads until the time is up; returns false on a read error (not the cut-off).
    bool readFor(int ms, PacketCount& count)
    {
        std::unique_ptr<AVPacket, PacketFree> pkt(av_packet_alloc());
        setDeadline(ms);
        for (;;) {
            const int ret = av_read_frame(format.get(), pkt.get());
            if (ret == AVERROR_EXIT || (ret < 0 && clock.elapsed() >= deadline))
                return true;
            if (ret == AVERROR(EAGAIN))
                continue;
            if (ret < 0) {
                error = QStringLiteral("read: ") + averr(ret);
                return false;
            }
            if (pkt->stream_index == videoIndex) {
                if (count.video++ == 0)
                    count.firstVideoIsKey = pkt->flags & AV_PKT_FLAG_KEY;
                if (pkt->flags & AV_PKT_FLAG_KEY) {
                    if (count.sinceKey > 0)
                        count.keyGaps << count.sinceKey;
                    count.sinceKey = 0;
                }
                if (count.sinceKey >= 0)
                    ++count.sinceKey;
                if (pkt->pts != AV_NOPTS_VALUE) {
                    if (count.lastVideoPts != AV_NOPTS_VALUE && pkt->pts < count.lastVideoPts)
                        ++count.videoSteppedBack;
                    count.lastVideoPts = pkt->pts;
                }
            } else if (pkt->stream_index == audioIndex) {
                ++count.audio;
            }
            av_packet_unref(pkt.get());
        }
    }

    // Decodes video for up to ms and counts pictures and B-pictures.
    bool decodeFor(int ms, int wantPictures, int& pictures, int& bPictures)
    {
        const AVCodec* codec = avcodec_find_decoder(video()->codec_id);
        std::unique_ptr<AVCodecContext, CodecCloser> dec(avcodec_alloc_context3(codec));
        if (!codec || avcodec_parameters_to_context(dec.get(), video()) < 0 ||
            avcodec_open2(dec.get(), codec, nullptr) < 0) {
            error = QStringLiteral("cannot open the video decoder");
            return false;
        }
        std::unique_ptr<AVPacket, PacketFree> pkt(av_packet_alloc());
        std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
        pictures = bPictures = 0;
        setDeadline(ms);
        while (pictures < wantPictures) {
            const int ret = av_read_frame(format.get(), pkt.get());
            if (ret == AVERROR_EXIT || (ret < 0 && clock.elapsed() >= deadline))
                return true;
            if (ret < 0)
                continue;
            if (pkt->stream_index == videoIndex && avcodec_send_packet(dec.get(), pkt.get()) >= 0) {
                while (avcodec_receive_frame(dec.get(), frame.get()) >= 0) {
                    ++pictures;
                    bPictures += frame->pict_type == AV_PICTURE_TYPE_B;
                }
            }
            av_packet_unref(pkt.get());
        }
        return true;
    }

    QString error;

private:
    static int interrupt(void* opaque)
    {
        auto* self = static_cast<Client*>(opaque);
        return self->clock.elapsed() >= self->deadline;
    }
    void setDeadline(int ms)
    {
        clock.start();
        deadline = ms;
    }
    static QString averr(int code)
    {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(code, text, sizeof text);
        return QString::fromUtf8(text);
    }

    std::unique_ptr<AVFormatContext, FormatCloser> format;
    int videoIndex = -1;
    int audioIndex = -1;
    QElapsedTimer clock;
    qint64 deadline = 0;
};

} // namespace

class TstVelRtspServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        av_log_set_level(qEnvironmentVariableIsSet("VEL_AV_DEBUG") ? AV_LOG_DEBUG : AV_LOG_ERROR);
        avformat_network_init();
        QVERIFY2(m_server.isRunning(), qPrintable(m_server.errorString()));
        QVERIFY(m_server.port() > 0);
    }

    void mountServesWhatItsNameSays_data()
    {
        QTest::addColumn<QString>("mount");
        QTest::addColumn<int>("videoCodec"); // AVCodecID
        QTest::addColumn<int>("height");     // 0: no video
        QTest::addColumn<int>("profile");    // FF_PROFILE_H264_*, H.264 only
        QTest::addColumn<int>("audioCodec"); // AVCodecID
        QTest::addColumn<int>("sampleRate"); // 0: no audio
        QTest::addColumn<int>("channels");

        const int h264 = AV_CODEC_ID_H264;
        const int aac = AV_CODEC_ID_AAC;
        const int baseline = FF_PROFILE_H264_CONSTRAINED_BASELINE;
        const int main = FF_PROFILE_H264_MAIN;
        QTest::newRow("baseline 720p, default audio 16 kHz mono")
            << "cam720" << h264 << 720 << baseline << aac << 16000 << 1;
        QTest::newRow("main 720p with B-frames, 44.1 kHz stereo")
            << "cam720main-a44100s" << h264 << 720 << main << aac << 44100 << 2;
        QTest::newRow("baseline 1080p, 8 kHz mono")
            << "cam1080-a8000m" << h264 << 1080 << baseline << aac << 8000 << 1;
        QTest::newRow("main 1080p, 48 kHz stereo")
            << "cam1080main-a48000s" << h264 << 1080 << main << aac << 48000 << 2;
        QTest::newRow("video without audio")
            << "cam720main-noaudio" << h264 << 720 << main << 0 << 0 << 0;
        QTest::newRow("audio only") << "audio-a16000s" << 0 << 0 << 0 << aac << 16000 << 2;
        QTest::newRow("H.265 720p")
            << "cam720h265" << int(AV_CODEC_ID_HEVC) << 720 << 0 << aac << 16000 << 1;
        QTest::newRow("Motion JPEG 720p without audio")
            << "cam720mjpeg-noaudio" << int(AV_CODEC_ID_MJPEG) << 720 << 0 << 0 << 0 << 0;
        QTest::newRow("G.711 u-law")
            << "cam720-pcmu" << h264 << 720 << baseline << int(AV_CODEC_ID_PCM_MULAW) << 8000 << 1;
        QTest::newRow("audio FFmpeg has no decoder for")
            << "cam720-siren" << h264 << 720 << baseline << int(AV_CODEC_ID_NONE) << 16000 << 1;
        QTest::newRow("main 1080p, two-second key frames")
            << "cam1080main-gop2-noaudio" << h264 << 1080 << main << 0 << 0 << 0;
    }

    void mountServesWhatItsNameSays()
    {
        QFETCH(QString, mount);
        QFETCH(int, videoCodec);
        QFETCH(int, height);
        QFETCH(int, profile);
        QFETCH(int, audioCodec);
        QFETCH(int, sampleRate);
        QFETCH(int, channels);

        Client client;
        QVERIFY2(client.open(m_server.url(mount), "tcp"), qPrintable(client.error));
        if (height == 0) {
            QVERIFY(!client.video());
        } else {
            QVERIFY(client.video());
            QCOMPARE(int(client.video()->codec_id), videoCodec);
            QCOMPARE(client.video()->height, height);
            QCOMPARE(client.video()->width, height * 16 / 9);
            if (videoCodec == AV_CODEC_ID_H264)
                QCOMPARE(client.video()->profile, profile);
            // B-frames exactly where the profile promises them.
            int pictures = 0, bPictures = 0;
            QVERIFY2(client.decodeFor(5000, 20, pictures, bPictures), qPrintable(client.error));
            QCOMPARE(pictures, 20);
            if (profile == FF_PROFILE_H264_MAIN)
                QVERIFY(bPictures > 0);
            else
                QCOMPARE(bPictures, 0);
        }
        if (sampleRate == 0) {
            QVERIFY(!client.audio());
        } else {
            QVERIFY(client.audio());
            QCOMPARE(int(client.audio()->codec_id), audioCodec);
            QCOMPARE(client.audio()->sample_rate, sampleRate);
            QCOMPARE(client.audio()->ch_layout.nb_channels, channels);
        }
    }

    void keyFrameInterval_data()
    {
        QTest::addColumn<QString>("mount");
        QTest::addColumn<int>("interval"); // frames
        QTest::newRow("one second") << "cam720-noaudio" << 25;
        QTest::newRow("two seconds") << "cam720-gop2-noaudio" << 50;
        QTest::newRow("H.265, two seconds") << "cam720h265-gop2-noaudio" << 50;
    }

    void keyFrameInterval()
    {
        QFETCH(QString, mount);
        QFETCH(int, interval);
        Client client;
        QVERIFY2(client.open(m_server.url(mount), "tcp"), qPrintable(client.error));
        PacketCount count;
        QVERIFY2(client.readFor(interval * 40 * 2 + 2500, count), qPrintable(client.error));
        // The key frame that a PLAY asks for restarts the count: the first gap
        // is however far the encoder was into its interval.
        QVERIFY2(count.keyGaps.size() >= 2, qPrintable(QString::number(count.video)));
        for (int i = 1; i < count.keyGaps.size(); ++i)
            QCOMPARE(count.keyGaps.at(i), interval);
    }

    // A session closed with TEARDOWN is counted for its mount; one that just
    // drops its connection is not.
    void teardownsAreCounted()
    {
        const QString mount = QStringLiteral("cam720-a8000s");
        const int before = m_server.teardowns(mount);
        QVERIFY2(before >= 0, qPrintable(m_server.errorString()));
        {
            Client client;
            QVERIFY2(client.open(m_server.url(mount), "tcp"), qPrintable(client.error));
        }
        QTRY_COMPARE(m_server.teardowns(mount), before + 1);
        QCOMPARE(m_server.teardowns(QStringLiteral("cam720-a8000m")), 0);
    }

    // A DESCRIBE of a stalled mount waits for media that does not come; its
    // client dies. Other mounts answer as ever (they waited 8-20 s behind it).
    void stalledMountHoldsUpOnlyItself()
    {
        const QString stalled = QStringLiteral("cam1080h265-gop2-a8000s");
        QVERIFY(m_server.stall(stalled));
        QTcpSocket dying;
        dying.connectToHost(QHostAddress::LocalHost, quint16(m_server.port()));
        QVERIFY(dying.waitForConnected(2000));
        dying.write(QStringLiteral("DESCRIBE %1 RTSP/1.0\r\nCSeq: 1\r\n\r\n")
                        .arg(m_server.url(stalled))
                        .toUtf8());
        QVERIFY(dying.waitForBytesWritten(2000));
        QVERIFY(!dying.waitForReadyRead(500)); // no answer while stalled
        dying.abort();

        Client other;
        QVERIFY2(other.open(m_server.url(QStringLiteral("cam720-noaudio")), "tcp", 4000),
                 qPrintable(other.error));
        QVERIFY(m_server.resume(stalled));
    }

    // The SETUP-only camera: the session is set up, its PLAY never answered.
    void setupOnlyMountNeverPlays_data()
    {
        QTest::addColumn<QByteArray>("transport");
        QTest::newRow("UDP") << QByteArray("udp");
        QTest::newRow("TCP") << QByteArray("tcp");
    }
    void setupOnlyMountNeverPlays()
    {
        QFETCH(QByteArray, transport);
        const QString mount = QStringLiteral("cam720-noplay");
        const int setups = m_server.setups(mount);
        const int plays = m_server.plays(mount);
        Client client;
        QVERIFY(!client.open(m_server.url(mount), transport.constData(), 1500));
        QCOMPARE(m_server.setups(mount), setups + 1);
        QCOMPARE(m_server.plays(mount), plays + 1);
    }

    void unknownMountIsRefused()
    {
        QVERIFY(!m_server.stall(QStringLiteral("nosuchcam")));
        QVERIFY(m_server.isRunning());
        Client client;
        QVERIFY(!client.open(m_server.url(QStringLiteral("nosuchcam")), "tcp", 5000));
    }

    void silenceKeepsTheSession_data()
    {
        QTest::addColumn<QByteArray>("transport");
        QTest::addColumn<bool>("freeze"); // false: stall the mount
        QTest::newRow("stall over UDP") << QByteArray("udp") << false;
        QTest::newRow("stall over TCP") << QByteArray("tcp") << false;
        // Over TCP a freeze can cut an interleaved packet in two, and this
        // test's own read cut-off would then lose the first half.
        QTest::newRow("frozen server over UDP") << QByteArray("udp") << true;
    }

    // Media stops while the session stays up; afterwards the same session
    // plays again without a new SETUP/PLAY.
    void silenceKeepsTheSession()
    {
        QFETCH(QByteArray, transport);
        QFETCH(bool, freeze);
        const QString mount = QStringLiteral("cam720-a8000m");

        Client client;
        QVERIFY2(client.open(m_server.url(mount), transport.constData()), qPrintable(client.error));
        PacketCount before;
        QVERIFY2(client.readFor(400, before), qPrintable(client.error));
        QVERIFY(before.video > 0);
        QVERIFY(before.audio > 0);

        QVERIFY2(freeze ? m_server.freeze() : m_server.stall(mount),
                 qPrintable(m_server.errorString()));
        PacketCount drain, silent;
        QVERIFY2(client.readFor(400, drain), qPrintable(client.error));
        QVERIFY2(client.readFor(1000, silent), qPrintable(client.error));
        QCOMPARE(silent.video, 0);
        QCOMPARE(silent.audio, 0);

        QVERIFY2(freeze ? m_server.thaw() : m_server.resume(mount),
                 qPrintable(m_server.errorString()));
        PacketCount after;
        QVERIFY2(client.readFor(800, after), qPrintable(client.error));
        QVERIFY(after.video > 5);
        QVERIFY(after.audio > 0);
        // A resumed camera starts over with a key frame rather than making
        // the client wait for the next scheduled one.
        if (!freeze)
            QVERIFY(after.firstVideoIsKey);
    }

    void testFileHasWhatWasAskedFor()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("clip.mp4"));
        QString error;
        QVERIFY2(VelRtspServer::makeTestFile(path, 2, true, 44100, 2, 360, &error),
                 qPrintable(error));
        Client client;
        QVERIFY2(client.open(path, "tcp"), qPrintable(client.error));
        QVERIFY(client.video());
        QCOMPARE(client.video()->height, 360);
        QVERIFY(client.audio());
        QCOMPARE(client.audio()->sample_rate, 44100);
        QCOMPARE(client.audio()->ch_layout.nb_channels, 2);
        // A finite source ends: reading runs into the end of the file.
        PacketCount count;
        QVERIFY(!client.readFor(5000, count));
        QCOMPARE(count.video, 50);
    }

    void joiningClientLeavesOthersAlone_data()
    {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::newRow("UDP joins TCP") << QByteArray("tcp") << QByteArray("udp");
        QTest::newRow("TCP joins UDP") << QByteArray("udp") << QByteArray("tcp");
    }

    // Clients of one camera share its pipeline: a second one must get
    // pictures, and the first must neither stall nor see time run backwards
    // (the server used to restart the shared pipeline's clock on every PLAY).
    void joiningClientLeavesOthersAlone()
    {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        const QString url = m_server.url(QStringLiteral("cam720-a44100s"));

        Client playing;
        QVERIFY2(playing.open(url, first.constData()), qPrintable(playing.error));
        PacketCount seen;
        bool readOk = false;
        std::thread reader([&] { readOk = playing.readFor(2500, seen); });
        QThread::msleep(400);
        Client joining;
        const bool joined = joining.open(url, second.constData());
        PacketCount joinedCount;
        const bool joinedRead = joined && joining.readFor(800, joinedCount);
        reader.join();

        QVERIFY2(joined && joinedRead, qPrintable(joining.error));
        QVERIFY(joinedCount.video > 5);
        QVERIFY2(readOk, qPrintable(playing.error));
        QVERIFY(seen.video > 40);
        QCOMPARE(seen.videoSteppedBack, 0);
    }

    void listensOnLoopbackOnly()
    {
        QHostAddress other;
        for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
            if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback()) {
                other = address;
                break;
            }
        }
        if (other.isNull())
            QSKIP("this machine has no address besides loopback");
        QTcpSocket socket;
        socket.connectToHost(other, quint16(m_server.port()));
        QVERIFY(!socket.waitForConnected(2000));
    }

    // Runs last: it replaces the shared server process.
    void restartAfterKillUsesTheSamePort()
    {
        const int port = m_server.port();
        Client before;
        QVERIFY2(before.open(m_server.url(QStringLiteral("cam720-noaudio")), "tcp"),
                 qPrintable(before.error));
        PacketCount flowing;
        QVERIFY2(before.readFor(300, flowing), qPrintable(before.error));
        QVERIFY(flowing.video > 0);

        // The old client still holds its connection while the new server binds.
        m_server.kill();
        QVERIFY(!m_server.isRunning());
        PacketCount dead;
        QVERIFY(!before.readFor(3000, dead));

        QVERIFY2(m_server.restart(), qPrintable(m_server.errorString()));
        QCOMPARE(m_server.port(), port);
        Client after;
        QVERIFY2(after.open(m_server.url(QStringLiteral("cam720-noaudio")), "tcp"),
                 qPrintable(after.error));
        PacketCount again;
        QVERIFY2(after.readFor(500, again), qPrintable(after.error));
        QVERIFY(again.video > 0);
    }

private:
    VelRtspServer m_server;
};

QTEST_GUILESS_MAIN(TstVelRtspServer)
#include "tst_velrtspserver.moc"
