#ifndef VELPROBE_H
#define VELPROBE_H

// Reads media files back with the real FFmpeg programs (ffprobe, ffmpeg).

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace VelProbe
{

// Runs a program to its end (bounded); its standard output, or empty on failure.
inline QByteArray run(const QString& strProgram, const QStringList& args, int* pExitCode = nullptr,
                      QByteArray* pErrors = nullptr, int nTimeoutMs = 60000)
{
    QProcess process;
    process.start(strProgram, args);
    if (!process.waitForStarted(5000) || !process.waitForFinished(nTimeoutMs)) {
        process.kill();
        process.waitForFinished(2000);
        if (pExitCode)
            *pExitCode = -1;
        return QByteArray();
    }
    if (pExitCode)
        *pExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    if (pErrors)
        *pErrors = process.readAllStandardError();
    return process.readAllStandardOutput();
}

// ffprobe's format, streams and (optionally) packets as JSON.
inline QJsonObject probe(const QString& strPath, bool bPackets = false)
{
    QStringList args{"-v", "error", "-print_format", "json", "-show_format", "-show_streams"};
    if (bPackets)
        args << "-show_packets";
    args << strPath;
    return QJsonDocument::fromJson(run(QStringLiteral("ffprobe"), args)).object();
}

inline QStringList codecs(const QJsonObject& info)
{
    QStringList names;
    for (const QJsonValue& stream : info.value("streams").toArray())
        names << stream.toObject().value("codec_name").toString();
    return names;
}

// Seconds from the earliest packet start to the latest packet end.
inline double packetSpan(const QJsonObject& info)
{
    double dStart = 1e18;
    double dEnd = -1e18;
    for (const QJsonValue& value : info.value("packets").toArray()) {
        const QJsonObject packet = value.toObject();
        const double dPts = packet.value("pts_time").toString().toDouble();
        const double dDuration = packet.value("duration_time").toString().toDouble();
        dStart = qMin(dStart, dPts);
        dEnd = qMax(dEnd, dPts + dDuration);
    }
    return dEnd > dStart ? dEnd - dStart : 0;
}

// Decodes every stream; the exit code of ffmpeg (0 when it decoded to the end).
inline int decode(const QString& strPath, QByteArray* pErrors = nullptr)
{
    int nExit = -1;
    run(QStringLiteral("ffmpeg"), {"-nostdin", "-v", "error", "-i", strPath, "-f", "null", "-"},
        &nExit, pErrors);
    return nExit;
}

// A per-stream hash of the packets' data, as ffmpeg's streamhash muxer gives it.
inline QByteArray streamHash(const QString& strPath, const QString& strMap)
{
    return run(QStringLiteral("ffmpeg"), {"-nostdin", "-v", "error", "-i", strPath, "-map", strMap,
                                          "-c", "copy", "-f", "streamhash", "-hash", "md5", "-"})
        .trimmed();
}

// A finite test file written by ffmpeg: H.264 video and the given audio codec.
inline bool makeFile(const QString& strPath, int nSeconds, const QString& strAudioCodec,
                     int nRate = 8000)
{
    const QString strDuration = QString::number(nSeconds);
    QStringList args{
        "-nostdin",
        "-y",
        "-v",
        "error",
        "-f",
        "lavfi",
        "-i",
        "testsrc2=size=640x360:rate=25:duration=" + strDuration,
        "-f",
        "lavfi",
        "-i",
        QStringLiteral("sine=frequency=440:sample_rate=%1:duration=%2").arg(nRate).arg(strDuration),
        "-c:v",
        "libx264",
        "-preset",
        "ultrafast",
        "-g",
        "25",
        "-pix_fmt",
        "yuv420p",
        "-c:a",
        strAudioCodec,
        strPath};
    int nExit = -1;
    run(QStringLiteral("ffmpeg"), args, &nExit);
    return nExit == 0;
}

} // namespace VelProbe

#endif // VELPROBE_H
