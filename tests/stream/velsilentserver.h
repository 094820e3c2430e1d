#ifndef VELSILENTSERVER_H
#define VELSILENTSERVER_H

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>

// An RTSP address on loopback that accepts every connection and never says a
// word: an open that must run into its limits.
class VelSilentServer : public QObject
{
public:
    VelSilentServer()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* pSocket = m_server.nextPendingConnection())
                m_accepted << pSocket; // owned by the server
        });
    }
    bool listen() { return m_server.listen(QHostAddress::LocalHost); }
    QString url() const
    {
        return QStringLiteral("rtsp://127.0.0.1:%1/cam").arg(m_server.serverPort());
    }
    int acceptedCount() const { return m_accepted.size(); }

private:
    QTcpServer m_server;
    QList<QTcpSocket*> m_accepted;
};

#endif // VELSILENTSERVER_H
