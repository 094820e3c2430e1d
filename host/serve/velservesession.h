#ifndef VELSERVESESSION_H
#define VELSERVESESSION_H

#include "velservefilter.h"

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QString>
#include <QTimer>

class QWebChannel;
class QWebSocket;
class VelHostLoader;
class VelServeHost;
class VelServeProxy;
class VelServeServer;
class VelServeTransport;

// One browser page connected over a WebSocket. Its first message must carry
// the run's token ({"token": "..."}); only then does the page get a channel of
// its own with the "host" object on it. Nothing is kept before that: a wrong
// or missing token closes the connection after a delay that holds this
// connection only (no state shared with other pages), or at its next message.
// Every later message is checked by the page's filter before the channel sees
// it; a refused or malformed message closes this connection (policy violation)
// and no other. A checked message reaches the channel from the event loop, not
// from inside the socket's frame reading: a control may run a modal dialog
// for it, and the page may go meanwhile. The page's controls are released when
// it goes. Deletes itself when the socket is closed, or, when one of the
// page's messages is still running, once that has returned. GUI thread only.
class VelServeSession : public QObject
{
    Q_OBJECT
public:
    VelServeSession(QWebSocket* pSocket, VelServeServer* pServer, VelHostLoader* pLoader,
                    QObject* parent);
    ~VelServeSession() override;

    static constexpr int kTokenTimeoutMs = 10000;
    static constexpr int kBadTokenCloseDelayMs = 1000;

signals:
    // The token was accepted: the connection no longer counts as a stranger's.
    void sigAuthenticated();

private:
    enum State { kAwaitingToken, kRefusing, kOpen, kClosed };

    void onText(const QString& strMessage);
    void handle(const QString& strMessage);
    void deliverPending();
    void checkToken(const QString& strMessage);
    void openChannel();
    void refuse(int nCode, const QString& strReason);
    QObject* createControl(const QString& strClassId, QString* pError);
    void onControlGone(VelServeProxy* pProxy);

    QWebSocket* m_pSocket;
    VelServeServer* m_pServer;
    VelHostLoader* m_pLoader;
    VelServeFilter m_filter;
    VelServeTransport* m_pTransport = nullptr;
    QWebChannel* m_pChannel = nullptr;
    VelServeHost* m_pHost = nullptr;
    QList<QPointer<VelServeProxy>> m_proxies;
    State m_state = kAwaitingToken;
    QString m_strRefusal;
    QTimer m_tokenTimer;
    // Checked messages waiting for the event loop, and those being handled
    // (nested when a control runs an event loop); the session outlives them.
    QQueue<QJsonObject> m_pending;
    bool m_bDeliveryQueued = false;
    int m_nDelivering = 0;
    bool m_bGoneWhileDelivering = false;
};

#endif // VELSERVESESSION_H
