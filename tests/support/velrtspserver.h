#pragma once
// VelRtspServer runs the test RTSP server (tools/rtspserver) as a child process
// on a free loopback port and drives it: stall and resume a mount, withhold its
// video, freeze and thaw the whole process, kill it and restart it on the same
// port. Every wait is bounded. Link vel_test_rtspserver to get the server's
// path. Use it from one thread.
//
//     VelRtspServer server;
//     QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
//     player.SetUrl(server.url("cam720"));
//
// makeTestFile() writes a finite H.264 (+ AAC) file with the ffmpeg program.
// teardowns() tells how many RTSP sessions of a mount were closed properly.

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QThread>

#include <memory>

#include <signal.h>
#include <sys/types.h>

class VelRtspServer
{
public:
    // Starts the server at once unless told not to; check isRunning().
    explicit VelRtspServer(bool startNow = true)
    {
        if (startNow)
            start();
    }
    ~VelRtspServer() { stop(); }
    VelRtspServer(const VelRtspServer&) = delete;
    VelRtspServer& operator=(const VelRtspServer&) = delete;

    // $VEL_RTSP_SERVER overrides the path compiled in.
    static QString programPath()
    {
        const QString fromEnv = qEnvironmentVariable("VEL_RTSP_SERVER");
        if (!fromEnv.isEmpty())
            return fromEnv;
#ifdef VEL_RTSP_SERVER_PATH
        return QStringLiteral(VEL_RTSP_SERVER_PATH);
#else
        return QStringLiteral("vel-rtsp-server");
#endif
    }

    // Further server options for the next start(), e.g. "--replay".
    void setExtraArguments(const QStringList& arguments)
    {
        m_extra = arguments;
    }

    // port 0 lets the system choose. Waits for the server's READY line.
    bool start(int port = 0, int timeoutMs = 10000)
    {
        if (isRunning())
            return true;
        QElapsedTimer clock;
        clock.start();
        m_process = std::make_unique<QProcess>();
        m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process->start(programPath(),
                         QStringList{QStringLiteral("--port"), QString::number(port)} + m_extra);
        if (!m_process->waitForStarted(timeoutMs)) {
            m_error =
                QStringLiteral("cannot start %1: %2").arg(programPath(), m_process->errorString());
            m_process.reset();
            return false;
        }
        QByteArray line;
        while (readLine(line, clock, timeoutMs)) {
            if (line.startsWith("READY ")) {
                m_port = line.mid(6).toInt();
                m_error.clear();
                return m_port > 0;
            }
        }
        m_error = m_process->state() == QProcess::NotRunning
                      ? QStringLiteral("server exited before listening (port %1)").arg(port)
                      : QStringLiteral("server not ready within %1 ms").arg(timeoutMs);
        kill();
        return false;
    }

    bool isRunning() const
    {
        return m_process && m_process->state() == QProcess::Running;
    }
    bool isFrozen() const
    {
        return m_frozen;
    }
    int port() const
    {
        return m_port;
    }
    qint64 processId() const
    {
        return m_process ? m_process->processId() : 0;
    }
    QString errorString() const
    {
        return m_error;
    }

    // "cam720" and "/cam720" both give rtsp://127.0.0.1:<port>/cam720.
    QString url(QString mount) const
    {
        if (mount.startsWith(QLatin1Char('/')))
            mount.remove(0, 1);
        return QStringLiteral("rtsp://127.0.0.1:%1/%2").arg(m_port).arg(mount);
    }

    // The mount's media stops (stall) or flows again (resume); sessions stay.
    bool stall(const QString& mount)
    {
        return command(QStringLiteral("stall ") + mount);
    }
    bool resume(const QString& mount)
    {
        return command(QStringLiteral("resume ") + mount);
    }

    // The mount's video stops while its sound flows on (withholdVideo), or
    // flows again from a key frame (releaseVideo); sessions stay.
    bool withholdVideo(const QString& mount)
    {
        return command(QStringLiteral("novideo ") + mount);
    }
    bool releaseVideo(const QString& mount)
    {
        return command(QStringLiteral("video ") + mount);
    }

    // How many RTSP TEARDOWNs the mount has received since the server started
    // (-1 when the server does not answer).
    int teardowns(const QString& mount)
    {
        QByteArray answer;
        if (!command(QStringLiteral("teardowns ") + mount, 5000, "TEARDOWNS ", &answer))
            return -1;
        const QList<QByteArray> words = answer.split(' ');
        bool ok = false;
        const int count = words.size() == 3 ? words.at(2).toInt(&ok) : -1;
        return ok ? count : -1;
    }

    // How many RTSP SETUPs the mount has received (-1 when the server does not
    // answer); /cam720-noplay answers them and never a PLAY.
    int setups(const QString& mount)
    {
        return count("setups", "SETUPS ", mount);
    }
    // How many RTSP PLAYs the mount has received (-1 when the server does not answer).
    int plays(const QString& mount)
    {
        return count("plays", "PLAYS ", mount);
    }

    // SIGSTOP / SIGCONT: the whole server, sockets included, stops answering.
    bool freeze()
    {
        if (!isRunning() || m_frozen)
            return m_frozen;
        const pid_t pid = pid_t(m_process->processId());
        if (::kill(pid, SIGSTOP) != 0)
            return false;
        m_frozen = true;
        // The signal lands asynchronously; callers expect silence on return.
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 2000 && processState(pid) != 'T')
            QThread::msleep(5);
        return processState(pid) == 'T';
    }
    bool thaw()
    {
        if (!isRunning() || !m_frozen)
            return !m_frozen;
        m_frozen = false;
        return ::kill(pid_t(m_process->processId()), SIGCONT) == 0;
    }

    // SIGKILL, as a crashing camera: no goodbye to the clients.
    void kill()
    {
        if (!m_process)
            return;
        if (m_process->state() != QProcess::NotRunning) {
            m_process->kill();
            m_process->waitForFinished(5000);
        }
        m_process.reset();
        m_frozen = false;
    }

    // Kills the server (if running) and starts a new one on the same port.
    // The old socket may linger for a moment, so binding is retried.
    bool restart(int timeoutMs = 10000)
    {
        const int port = m_port;
        kill();
        QElapsedTimer clock;
        clock.start();
        do {
            const int left = int(timeoutMs - clock.elapsed());
            if (start(port, qMax(left, 1)))
                return true;
            QThread::msleep(100);
        } while (clock.elapsed() < timeoutMs);
        return false;
    }

    // Asks the server to quit; kills it if it does not within 3 s.
    void stop()
    {
        if (!m_process)
            return;
        if (m_frozen)
            thaw();
        if (m_process->state() == QProcess::Running) {
            m_process->write("quit\n");
            m_process->closeWriteChannel();
            m_process->waitForFinished(3000);
        }
        kill();
    }

    // A finite test file (container from the file name's extension): a
    // moving test picture of 16:9 at <height> lines, 25 fps, key frame every
    // second, and optionally an AAC tone. Returns false with *error set when
    // ffmpeg fails or takes longer than timeoutMs.
    static bool makeTestFile(const QString& path, int seconds, bool withAudio = true,
                             int sampleRate = 16000, int channels = 1, int height = 720,
                             QString* error = nullptr, int timeoutMs = 60000)
    {
        const QString duration = QString::number(seconds);
        QStringList args{QStringLiteral("-nostdin"),
                         QStringLiteral("-y"),
                         QStringLiteral("-loglevel"),
                         QStringLiteral("error"),
                         QStringLiteral("-f"),
                         QStringLiteral("lavfi"),
                         QStringLiteral("-i"),
                         QStringLiteral("testsrc2=size=%1x%2:rate=25:duration=%3")
                             .arg(height * 16 / 9)
                             .arg(height)
                             .arg(duration)};
        if (withAudio)
            args << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
                 << QStringLiteral("sine=frequency=440:sample_rate=%1:duration=%2")
                        .arg(sampleRate)
                        .arg(duration);
        args << QStringLiteral("-c:v") << QStringLiteral("libx264") << QStringLiteral("-preset")
             << QStringLiteral("ultrafast") << QStringLiteral("-g") << QStringLiteral("25")
             << QStringLiteral("-pix_fmt") << QStringLiteral("yuv420p");
        if (withAudio)
            args << QStringLiteral("-c:a") << QStringLiteral("aac") << QStringLiteral("-ar")
                 << QString::number(sampleRate) << QStringLiteral("-ac")
                 << QString::number(channels);
        args << path;

        QProcess ffmpeg;
        ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
        ffmpeg.start(QStringLiteral("ffmpeg"), args);
        QString failure;
        if (!ffmpeg.waitForStarted(5000)) {
            failure = QStringLiteral("cannot start ffmpeg: ") + ffmpeg.errorString();
        } else if (!ffmpeg.waitForFinished(timeoutMs)) {
            ffmpeg.kill();
            ffmpeg.waitForFinished(2000);
            failure = QStringLiteral("ffmpeg took longer than %1 ms").arg(timeoutMs);
        } else if (ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0) {
            failure = QStringLiteral("ffmpeg failed: ") +
                      QString::fromLocal8Bit(ffmpeg.readAll()).trimmed();
        } else if (QFileInfo(path).size() <= 0) {
            failure = QStringLiteral("ffmpeg wrote nothing to ") + path;
        }
        if (error)
            *error = failure;
        return failure.isEmpty();
    }

private:
    // A counter's answer "<PREFIX><mount> <n>".
    int count(const char* verb, const char* prefix, const QString& mount)
    {
        QByteArray answer;
        if (!command(QLatin1String(verb) + QLatin1Char(' ') + mount, 5000, prefix, &answer))
            return -1;
        const QList<QByteArray> words = answer.split(' ');
        bool ok = false;
        const int n = words.size() == 3 ? words.at(2).toInt(&ok) : -1;
        return ok ? n : -1;
    }

    // Lines before the answer are skipped, except the last one that starts
    // with dataPrefix, which goes to *pData.
    bool command(const QString& line, int timeoutMs = 5000, const char* dataPrefix = nullptr,
                 QByteArray* pData = nullptr)
    {
        if (!isRunning() || m_frozen) {
            m_error = QStringLiteral("server not running or frozen: ") + line;
            return false;
        }
        QElapsedTimer clock;
        clock.start();
        m_process->write(line.toUtf8() + '\n');
        const QByteArray ok = "OK " + line.toUtf8();
        const QByteArray refused = "ERR " + line.toUtf8();
        QByteArray answer;
        while (readLine(answer, clock, timeoutMs)) {
            if (answer == ok)
                return !pData || !pData->isEmpty();
            if (dataPrefix && pData && answer.startsWith(dataPrefix))
                *pData = answer;
            if (answer == refused) {
                m_error = QStringLiteral("server refused: ") + line;
                return false;
            }
        }
        m_error = QStringLiteral("no answer to: ") + line;
        return false;
    }

    bool readLine(QByteArray& line, const QElapsedTimer& clock, int timeoutMs)
    {
        while (!m_process->canReadLine()) {
            const qint64 left = timeoutMs - clock.elapsed();
            if (left <= 0 || m_process->state() == QProcess::NotRunning)
                return false;
            m_process->waitForReadyRead(int(qMin<qint64>(left, 100)));
        }
        line = m_process->readLine().trimmed();
        return true;
    }

    // The state letter of /proc/<pid>/stat ('T' = stopped), 0 if unknown.
    static char processState(pid_t pid)
    {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            return 0;
        const QByteArray text = stat.readAll();
        const int close = text.lastIndexOf(')');
        return close >= 0 && close + 2 < text.size() ? text.at(close + 2) : 0;
    }

    std::unique_ptr<QProcess> m_process;
    QStringList m_extra;
    int m_port = 0;
    bool m_frozen = false;
    QString m_error;
};
