#pragma once
// VelUploadServer runs tests/support/veluploadserver.py (Python 3's http.server
// with the email parser) as a child process on a free loopback port: a real
// upload service that records every multipart request and answers as told
// (200, 500, a connection reset after the body, or never). Every wait is
// bounded; the server stops with its standard input, so it dies with the test.
//
//     VelUploadServer server;
//     QVERIFY2(server.isRunning(), qPrintable(server.errorString()));
//     server.setMode("fail");
//     widget.sltSetUploadService(server.url("/upload"));
//     QTRY_COMPARE(server.requests().size(), 1);

#include <QByteArray>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

class VelUploadServer
{
public:
    struct Part {
        QString strName;
        QString strFileName;
        QList<QPair<QString, QString>> headers;
        QByteArray data;
        QString header(const QString& strKey) const
        {
            for (const auto& header : headers) {
                if (header.first.compare(strKey, Qt::CaseInsensitive) == 0)
                    return header.second;
            }
            return QString();
        }
    };
    struct Request {
        QString strPath;
        QString strContentType;
        QList<Part> parts;
    };

    VelUploadServer() { start(); }
    ~VelUploadServer()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.closeWriteChannel();
            if (!m_process.waitForFinished(3000)) {
                m_process.kill();
                m_process.waitForFinished(3000);
            }
        }
    }
    VelUploadServer(const VelUploadServer&) = delete;
    VelUploadServer& operator=(const VelUploadServer&) = delete;

    static QString scriptPath()
    {
#ifdef VEL_UPLOAD_SERVER_SCRIPT
        return QStringLiteral(VEL_UPLOAD_SERVER_SCRIPT);
#else
        return QStringLiteral("veluploadserver.py");
#endif
    }

    bool isRunning() const
    {
        return m_nPort > 0 && m_process.state() == QProcess::Running;
    }
    QString errorString() const
    {
        return m_strError;
    }
    QString url(const QString& strPath) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_nPort).arg(strPath);
    }

    // "ok", "fail", "reset" or "hang"; waits for the server's OK.
    bool setMode(const QString& strMode)
    {
        return command(QStringLiteral("mode ") + strMode);
    }
    bool setDelay(int nMs)
    {
        return command(QStringLiteral("delay %1").arg(nMs));
    }

    // What has arrived so far (reads what the server printed).
    QList<Request> requests()
    {
        poll();
        return m_requests;
    }
    // Paths of the requests whose client went away while the server held them.
    QStringList closedHolds()
    {
        poll();
        return m_closed;
    }

private:
    void start()
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral("python3"), {QStringLiteral("-u"), scriptPath()});
        if (!m_process.waitForStarted(5000)) {
            m_strError = QStringLiteral("python3 did not start: ") + m_process.errorString();
            return;
        }
        const QString strReady = waitForLine(QStringLiteral("READY "), 10000);
        m_nPort = strReady.mid(6).trimmed().toInt();
        if (m_nPort <= 0)
            m_strError = QStringLiteral("the upload server printed no READY line");
    }

    bool command(const QString& strCommand)
    {
        m_process.write(strCommand.toUtf8() + '\n');
        return !waitForLine(QStringLiteral("OK ") + strCommand, 5000).isEmpty();
    }

    // Blocks (bounded) until a line starting with strPrefix arrives.
    QString waitForLine(const QString& strPrefix, int nTimeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        int nSeen = m_lines.size();
        while (clock.elapsed() < nTimeoutMs) {
            poll();
            for (; nSeen < m_lines.size(); ++nSeen) {
                if (m_lines.at(nSeen).startsWith(strPrefix))
                    return m_lines.at(nSeen);
            }
            if (m_process.state() != QProcess::Running)
                return QString();
            m_process.waitForReadyRead(50);
        }
        return QString();
    }

    void poll()
    {
        m_buffer += m_process.readAllStandardOutput();
        int nEnd;
        while ((nEnd = m_buffer.indexOf('\n')) >= 0) {
            const QString strLine = QString::fromUtf8(m_buffer.left(nEnd));
            m_buffer.remove(0, nEnd + 1);
            m_lines.append(strLine);
            if (strLine.startsWith(QLatin1String("REQUEST ")))
                m_requests.append(parseRequest(strLine.mid(8).toUtf8()));
            else if (strLine.startsWith(QLatin1String("CLOSED ")))
                m_closed.append(strLine.mid(7));
        }
    }

    static Request parseRequest(const QByteArray& json)
    {
        const QJsonObject object = QJsonDocument::fromJson(json).object();
        Request request;
        request.strPath = object.value(QStringLiteral("path")).toString();
        request.strContentType = object.value(QStringLiteral("contentType")).toString();
        for (const QJsonValue& value : object.value(QStringLiteral("parts")).toArray()) {
            const QJsonObject partObject = value.toObject();
            Part part;
            part.strName = partObject.value(QStringLiteral("name")).toString();
            part.strFileName = partObject.value(QStringLiteral("filename")).toString();
            for (const QJsonValue& header : partObject.value(QStringLiteral("headers")).toArray())
                part.headers.append(
                    {header.toArray().at(0).toString(), header.toArray().at(1).toString()});
            part.data = QByteArray::fromBase64(
                partObject.value(QStringLiteral("data")).toString().toLatin1());
            request.parts.append(part);
        }
        return request;
    }

    QProcess m_process;
    QString m_strError;
    int m_nPort = 0;
    QByteArray m_buffer;
    QStringList m_lines;
    QList<Request> m_requests;
    QStringList m_closed;
};
