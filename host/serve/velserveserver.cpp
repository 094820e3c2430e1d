#include "velserveserver.h"

#include "velserverequest.h"
#include "velservesession.h"

#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>

#include <cstdio>

namespace
{

const char* const kHeadTimerName = "velServeHeadTimer";

struct Resource {
    const char* szFile;
    const char* szType;
};

// The only things the port serves over HTTP.
const QHash<QByteArray, Resource>& resources()
{
    static const QHash<QByteArray, Resource> kResources = {
        {"/", {":/serve/demo/index.html", "text/html; charset=utf-8"}},
        {"/index.html", {":/serve/demo/index.html", "text/html; charset=utf-8"}},
        {"/panel.js", {":/serve/demo/panel.js", "application/javascript; charset=utf-8"}},
        {"/platform.js", {":/serve/demo/platform.js", "application/javascript; charset=utf-8"}},
        {"/qwebchannel.js",
         {":/qtwebchannel/qwebchannel.js", "application/javascript; charset=utf-8"}},
    };
    return kResources;
}

QByteArray statusText(int nStatus)
{
    switch (nStatus) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 431:
        return "Request Header Fields Too Large";
    default:
        return "Error";
    }
}

QString randomToken()
{
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(words), sizeof(words)).toHex());
}

QString normalOrigin(QString strOrigin)
{
    while (strOrigin.endsWith(QLatin1Char('/')))
        strOrigin.chop(1);
    return strOrigin.toLower();
}

} // namespace

// The demo page is compiled into this static library, whose resource
// initializer a linker would otherwise leave out.
static void initServeResources()
{
    Q_INIT_RESOURCE(serve);
}

VelServeServer::VelServeServer(VelHostLoader* pLoader, const QStringList& allowedOrigins,
                               const QString& strToken, QObject* parent)
    : QObject(parent), m_pLoader(pLoader), m_pTcpServer(new QTcpServer(this)),
      m_pWebSocketServer(
          new QWebSocketServer(QStringLiteral("vel-host"), QWebSocketServer::NonSecureMode, this)),
      m_strToken(strToken.isEmpty() ? randomToken() : strToken)
{
    initServeResources();
    for (const QString& strOrigin : allowedOrigins)
        m_allowedOrigins << normalOrigin(strOrigin);
    connect(m_pTcpServer, &QTcpServer::newConnection, this, &VelServeServer::onNewConnection);
    connect(m_pWebSocketServer, &QWebSocketServer::newConnection, this,
            &VelServeServer::onWebSocket);
}

VelServeServer::~VelServeServer() = default;

bool VelServeServer::listen(quint16 nPort, QString* pError)
{
    if (m_pTcpServer->listen(QHostAddress::LocalHost, nPort))
        return true;
    *pError = QStringLiteral("cannot listen on 127.0.0.1:%1: %2")
                  .arg(nPort)
                  .arg(m_pTcpServer->errorString());
    return false;
}

quint16 VelServeServer::port() const
{
    return m_pTcpServer->serverPort();
}

QString VelServeServer::pageUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/#token=%2").arg(port()).arg(m_strToken);
}

bool VelServeServer::isOriginAllowed(const QString& strOrigin) const
{
    const QString strOwn = QStringLiteral(":%1").arg(port());
    const QString strNormal = normalOrigin(strOrigin);
    return strNormal == QLatin1String("http://127.0.0.1") + strOwn ||
           strNormal == QLatin1String("http://localhost") + strOwn ||
           (!strNormal.isEmpty() && m_allowedOrigins.contains(strNormal));
}

bool VelServeServer::checkToken(const QString& strOffered) const
{
    // Compared in full whatever the first difference, so that timing tells
    // nothing about the prefix.
    const QByteArray offered = strOffered.toLatin1();
    const QByteArray token = m_strToken.toLatin1();
    unsigned nDiff = unsigned(offered.size() ^ token.size());
    for (int i = 0; i < token.size(); ++i)
        nDiff |= unsigned(uchar(token.at(i)) ^ uchar(i < offered.size() ? offered.at(i) : 0));
    return nDiff == 0;
}

void VelServeServer::onNewConnection()
{
    while (QTcpSocket* pSocket = m_pTcpServer->nextPendingConnection()) {
        if (unauthenticatedCount() >= kMaxUnauthenticated) {
            pSocket->abort();
            pSocket->deleteLater();
            continue;
        }
        m_heads.insert(pSocket);
        connect(pSocket, &QObject::destroyed, this,
                [this](QObject* pGone) { m_heads.remove(pGone); });
        connect(pSocket, &QTcpSocket::disconnected, pSocket, &QObject::deleteLater);
        connect(pSocket, &QTcpSocket::readyRead, this, [this, pSocket]() { onHeadData(pSocket); });
        auto* pTimer = new QTimer(pSocket);
        pTimer->setObjectName(QLatin1String(kHeadTimerName));
        pTimer->setSingleShot(true);
        connect(pTimer, &QTimer::timeout, pSocket, &QTcpSocket::abort);
        pTimer->start(kHeadTimeoutMs);
    }
}

// The head is only peeked at: a WebSocket upgrade is handed on with its bytes
// unread, and the WebSocket server reads the handshake itself.
void VelServeServer::onHeadData(QTcpSocket* pSocket)
{
    const QByteArray data = pSocket->peek(kMaxHeadBytes + 4);
    const int nEnd = data.indexOf("\r\n\r\n");
    if (nEnd < 0) {
        if (data.size() > kMaxHeadBytes)
            reply(pSocket, 431, "text/plain", "request head too large\n");
        return;
    }
    VelServeRequest request;
    if (!request.parse(data.left(nEnd))) {
        reply(pSocket, 400, "text/plain", "bad request\n");
        return;
    }
    if (!request.hasHost(port())) {
        reply(pSocket, 403, "text/plain", "this host answers only as 127.0.0.1 or localhost\n");
        return;
    }
    if (!request.isWebSocketUpgrade()) {
        answer(pSocket, request);
        return;
    }
    if (!isOriginAllowed(request.origin())) {
        std::fprintf(stderr, "vel-host: WebSocket from origin \"%s\" refused\n",
                     qPrintable(request.origin()));
        reply(pSocket, 403, "text/plain", "origin not allowed\n");
        return;
    }
    // From here the WebSocket server owns the socket; its session is counted
    // once the handshake (already complete in the buffer) has been answered.
    disconnect(pSocket, nullptr, this, nullptr);
    disconnect(pSocket, &QTcpSocket::disconnected, pSocket, &QObject::deleteLater);
    m_heads.remove(pSocket);
    delete pSocket->findChild<QTimer*>(QLatin1String(kHeadTimerName));
    m_pWebSocketServer->handleConnection(pSocket);
}

void VelServeServer::answer(QTcpSocket* pSocket, const VelServeRequest& request)
{
    if (request.method != "GET") {
        reply(pSocket, 405, "text/plain", "method not allowed\n");
        return;
    }
    const auto it = resources().constFind(request.path);
    if (it == resources().constEnd()) {
        reply(pSocket, 404, "text/plain", "not found\n");
        return;
    }
    QFile file(QLatin1String(it->szFile));
    if (!file.open(QIODevice::ReadOnly)) {
        reply(pSocket, 404, "text/plain", "not found\n");
        return;
    }
    const QByteArray body = file.readAll();
    reply(pSocket, 200, it->szType, body);
}

void VelServeServer::reply(QTcpSocket* pSocket, int nStatus, const QByteArray& type,
                           const QByteArray& body)
{
    disconnect(pSocket, &QTcpSocket::readyRead, this, nullptr);
    pSocket->readAll();
    QByteArray response = "HTTP/1.1 " + QByteArray::number(nStatus) + ' ' + statusText(nStatus) +
                          "\r\nContent-Type: " + type +
                          "\r\nContent-Length: " + QByteArray::number(body.size()) +
                          "\r\nCache-Control: no-store\r\nX-Content-Type-Options: nosniff"
                          "\r\nConnection: close\r\n\r\n";
    pSocket->write(response + body);
    pSocket->disconnectFromHost();
}

void VelServeServer::onWebSocket()
{
    while (QWebSocket* pSocket = m_pWebSocketServer->nextPendingConnection()) {
        // Until the token is accepted a larger frame is refused by its header,
        // before its payload is read.
        pSocket->setMaxAllowedIncomingMessageSize(kMaxTokenMessageBytes);
        pSocket->setMaxAllowedIncomingFrameSize(kMaxTokenMessageBytes);
        auto* pSession = new VelServeSession(pSocket, this, m_pLoader, this);
        m_waiting.insert(pSession);
        connect(pSession, &VelServeSession::sigAuthenticated, this,
                [this, pSession]() { m_waiting.remove(pSession); });
        connect(pSession, &QObject::destroyed, this,
                [this, pSession]() { m_waiting.remove(pSession); });
    }
}
