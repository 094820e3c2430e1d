#ifndef VELSERVESERVER_H
#define VELSERVESERVER_H

#include <QObject>
#include <QString>
#include <QStringList>

class QTcpServer;
class QTcpSocket;
class QWebSocketServer;
class VelServeControls;
struct VelServeRequest;

// The host's loopback port for browser pages. One TCP port on 127.0.0.1
// serves the demo page and qwebchannel.js over plain HTTP and upgrades to a
// WebSocket what passes the checks: the Host field names 127.0.0.1 or
// localhost with the port (a rebound DNS name does not), the Origin is the
// host's own or one allowed on the command line. Each WebSocket becomes a
// VelServeSession, which demands the run's token first.
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
    static constexpr int kFreeBadTokens = 3;

    // strToken empty: a random one for this run.
    VelServeServer(VelServeControls* pControls, const QStringList& allowedOrigins,
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
    void noteBadToken() { ++m_nBadTokens; }
    int badTokenCount() const { return m_nBadTokens; }
    // How long the next token check waits: nothing for the first few bad
    // tokens of a run, then growing.
    int tokenDelayMs() const;

private:
    void onNewConnection();
    void onHeadData(QTcpSocket* pSocket);
    void answer(QTcpSocket* pSocket, const VelServeRequest& request);
    void reply(QTcpSocket* pSocket, int nStatus, const QByteArray& type, const QByteArray& body);
    void onWebSocket();

    VelServeControls* m_pControls;
    QTcpServer* m_pTcpServer;
    QWebSocketServer* m_pWebSocketServer;
    QStringList m_allowedOrigins;
    QString m_strToken;
    int m_nBadTokens = 0;
};

#endif // VELSERVESERVER_H
