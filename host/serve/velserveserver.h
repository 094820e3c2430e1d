#ifndef VELSERVESERVER_H
#define VELSERVESERVER_H

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

class QTcpServer;
class QTcpSocket;
class QWebSocketServer;
class VelHostLoader;
class VelServeSession;
struct VelServeRequest;

// The host's loopback port for browser pages. One TCP port on 127.0.0.1
// serves the demo page and qwebchannel.js over plain HTTP and upgrades to a
// WebSocket what passes the checks: the Host field names 127.0.0.1 or
// localhost with the port (a rebound DNS name does not), the Origin is the
// host's own or one allowed on the command line. Each WebSocket becomes a
// VelServeSession, which demands the run's token first.
//
// Connections that have not given the token yet (HTTP requests, heads being
// read, sessions waiting for or refusing a token) are capped, and each holds
// at most one small message: a stranger can neither fill memory nor, with the
// cap, keep more than a few dozen sockets. Nothing a stranger does changes how
// another connection is treated, except that a full cap turns new ones away.
//
// A localhost port is reachable by every page the user opens, so nothing
// served here reads files or lists anything: the HTTP side answers a fixed set
// of built-in resources. GUI thread only.
class VelServeServer : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMaxHeadBytes = 16 * 1024;
    static constexpr int kHeadTimeoutMs = 5000;
    static constexpr quint64 kMaxMessageBytes = 4 * 1024 * 1024;
    // The token message ({"token":"<32 hex digits>"}) fits many times over.
    static constexpr quint64 kMaxTokenMessageBytes = 1024;
    static constexpr int kMaxUnauthenticated = 32;

    // strToken empty: a random one for this run.
    VelServeServer(VelHostLoader* pLoader, const QStringList& allowedOrigins,
                   const QString& strToken, QObject* parent);
    ~VelServeServer() override;

    bool listen(quint16 nPort, QString* pError);
    quint16 port() const;
    QString token() const { return m_strToken; }
    // The demo page's address with the token in its fragment (never sent to
    // the server by the browser, so it stays out of logs and referrers).
    QString pageUrl() const;

    bool isOriginAllowed(const QString& strOrigin) const;
    bool checkToken(const QString& strOffered) const;
    // Connections counted against kMaxUnauthenticated right now.
    int unauthenticatedCount() const { return m_heads.size() + m_waiting.size(); }

private:
    void onNewConnection();
    void onHeadData(QTcpSocket* pSocket);
    void answer(QTcpSocket* pSocket, const VelServeRequest& request);
    void reply(QTcpSocket* pSocket, int nStatus, const QByteArray& type, const QByteArray& body);
    void onWebSocket();

    VelHostLoader* m_pLoader;
    QTcpServer* m_pTcpServer;
    QWebSocketServer* m_pWebSocketServer;
    QStringList m_allowedOrigins;
    QString m_strToken;
    QSet<QObject*> m_heads;           // TCP connections before the upgrade
    QSet<VelServeSession*> m_waiting; // sessions without an accepted token
};

#endif // VELSERVESERVER_H
