#include "velservesession.h"

#include "velhostloader.h"
#include "velservecontrolproxy.h"
#include "velservehost.h"
#include "velserveserver.h"
#include "velservetransport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QWebChannel>
#include <QWebSocket>
#include <QWidget>

#include <cstdio>

VelServeSession::VelServeSession(QWebSocket* pSocket, VelServeServer* pServer,
                                 VelHostLoader* pLoader, QObject* parent)
    : QObject(parent), m_pSocket(pSocket), m_pServer(pServer), m_pLoader(pLoader)
{
    pSocket->setParent(this);
    connect(pSocket, &QWebSocket::textMessageReceived, this, &VelServeSession::onText);
    connect(pSocket, &QWebSocket::binaryMessageReceived, this, [this]() {
        refuse(QWebSocketProtocol::CloseCodeDatatypeNotSupported,
               QStringLiteral("text messages only"));
    });
    connect(pSocket, &QWebSocket::disconnected, this, [this]() {
        m_state = kClosed;
        // A message of this page may still be running further down the stack
        // (a control in a modal dialog's exec()): the channel, the proxies and
        // the control must outlive it.
        m_pending.clear();
        if (m_nDelivering > 0)
            m_bGoneWhileDelivering = true;
        else
            deleteLater();
    });
    m_tokenTimer.setSingleShot(true);
    connect(&m_tokenTimer, &QTimer::timeout, this, [this]() {
        refuse(QWebSocketProtocol::CloseCodePolicyViolated,
               m_state == kRefusing ? m_strRefusal : QStringLiteral("no token"));
    });
    m_tokenTimer.start(kTokenTimeoutMs);
}

VelServeSession::~VelServeSession()
{
    // The channel goes before the objects it publishes; the proxies release
    // the page's controls.
    delete m_pChannel;
    delete m_pTransport;
    for (const QPointer<VelServeProxy>& pProxy : m_proxies)
        delete pProxy.data();
}

void VelServeSession::refuse(int nCode, const QString& strReason)
{
    if (m_state == kClosed)
        return;
    m_state = kClosed;
    std::fprintf(stderr, "vel-host: connection from %s refused: %s\n",
                 qPrintable(m_pSocket->origin()), qPrintable(strReason));
    m_pSocket->close(QWebSocketProtocol::CloseCode(nCode), strReason);
}

void VelServeSession::onText(const QString& strMessage)
{
    switch (m_state) {
    case kAwaitingToken:
        checkToken(strMessage);
        return;
    case kRefusing:
        // Nothing is kept for a page whose token failed: its next message ends
        // the wait (a page's channel sends one right after the token).
        refuse(QWebSocketProtocol::CloseCodePolicyViolated, m_strRefusal);
        return;
    case kOpen:
        handle(strMessage);
        return;
    case kClosed:
        return;
    }
}

void VelServeSession::checkToken(const QString& strMessage)
{
    const QJsonObject message = QJsonDocument::fromJson(strMessage.toUtf8()).object();
    const QString strOffered = message.value(QStringLiteral("token")).toString();
    if (strOffered.isEmpty() || !m_pServer->checkToken(strOffered)) {
        // Only this connection waits for its close; the 128-bit token is what
        // defeats guessing, the delay merely keeps a loop of guesses slow.
        m_state = kRefusing;
        m_strRefusal =
            strOffered.isEmpty() ? QStringLiteral("no token") : QStringLiteral("bad token");
        m_tokenTimer.start(kBadTokenCloseDelayMs);
        return;
    }
    m_tokenTimer.stop();
    m_pSocket->setMaxAllowedIncomingMessageSize(VelServeServer::kMaxMessageBytes);
    m_pSocket->setMaxAllowedIncomingFrameSize(VelServeServer::kMaxMessageBytes);
    openChannel();
    emit sigAuthenticated();
}

void VelServeSession::openChannel()
{
    m_state = kOpen;
    m_pHost =
        new VelServeHost([this](const QString& strClassId,
                                QString* pError) { return createControl(strClassId, pError); },
                         this);
    m_filter.addObject(QStringLiteral("host"), m_pHost->metaObject());
    m_pTransport = new VelServeTransport(m_pSocket, &m_filter, this);
    m_pChannel = new QWebChannel(this);
    m_pChannel->registerObject(QStringLiteral("host"), m_pHost);
    m_pChannel->connectTo(m_pTransport);
}

void VelServeSession::handle(const QString& strMessage)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(strMessage.toUtf8(), &error);
    if (!document.isObject()) {
        refuse(QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("malformed message"));
        return;
    }
    const QString strRefused = m_filter.checkIncoming(document.object());
    if (!strRefused.isEmpty()) {
        refuse(QWebSocketProtocol::CloseCodePolicyViolated, strRefused);
        return;
    }
    // Out of QtWebSockets' frame reading: a nested event loop under the
    // delivery would read (and close) this socket again from inside it.
    m_pending.enqueue(document.object());
    if (!m_bDeliveryQueued) {
        m_bDeliveryQueued = true;
        QMetaObject::invokeMethod(this, &VelServeSession::deliverPending, Qt::QueuedConnection);
    }
}

void VelServeSession::deliverPending()
{
    m_bDeliveryQueued = false;
    while (!m_pending.isEmpty() && m_state == kOpen) {
        ++m_nDelivering;
        m_pTransport->deliver(m_pending.dequeue());
        --m_nDelivering;
    }
    if (m_nDelivering == 0 && m_bGoneWhileDelivering)
        deleteLater();
}

QObject* VelServeSession::createControl(const QString& strClassId, QString* pError)
{
    const VelHostLoader::Created created = m_pLoader->create(strClassId);
    if (!created.pControl) {
        *pError = created.strError;
        return nullptr;
    }
    VelServeProxy* pProxy = VelServeControlProxy::create(created.pControl, this);
    if (!pProxy) {
        *pError = QStringLiteral("%1 cannot be used from a browser page")
                      .arg(QLatin1String(created.pControl->metaObject()->className()));
        delete created.pControl;
        return nullptr;
    }
    pProxy->setClassId(strClassId);
    m_proxies << pProxy;
    connect(pProxy, &VelServeProxy::sigControlGone, this,
            [this, pProxy]() { onControlGone(pProxy); });
    m_filter.expectObject(pProxy->metaObject());
    return pProxy;
}

// Only a replacement deletes a page's control behind its back.
void VelServeSession::onControlGone(VelServeProxy* pProxy)
{
    if (m_state == kOpen && m_pHost)
        m_pHost->controlReplaced(pProxy->classId());
    m_proxies.removeAll(pProxy);
    pProxy->deleteLater(); // the page's object goes with it ("destroyed")
}
