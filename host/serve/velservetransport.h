#ifndef VELSERVETRANSPORT_H
#define VELSERVETRANSPORT_H

#include <QWebChannelAbstractTransport>

class QWebSocket;
class VelServeFilter;

// The channel's end of one page's WebSocket. Every message the channel sends
// passes the page's filter first; the session hands in the page's messages it
// has checked. GUI thread only.
class VelServeTransport : public QWebChannelAbstractTransport
{
    Q_OBJECT
public:
    VelServeTransport(QWebSocket* pSocket, VelServeFilter* pFilter, QObject* parent);

    void sendMessage(const QJsonObject& message) override;
    void deliver(const QJsonObject& message) { emit messageReceived(message, this); }

private:
    QWebSocket* m_pSocket;
    VelServeFilter* m_pFilter;
};

#endif // VELSERVETRANSPORT_H
