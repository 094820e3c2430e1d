#include "velservetransport.h"

#include "velservefilter.h"

#include <QJsonDocument>
#include <QWebSocket>

VelServeTransport::VelServeTransport(QWebSocket* pSocket, VelServeFilter* pFilter, QObject* parent)
    : QWebChannelAbstractTransport(parent), m_pSocket(pSocket), m_pFilter(pFilter)
{
}

void VelServeTransport::sendMessage(const QJsonObject& message)
{
    const QJsonObject filtered = m_pFilter->filterOutgoing(message);
    if (filtered.isEmpty())
        return;
    m_pSocket->sendTextMessage(
        QString::fromUtf8(QJsonDocument(filtered).toJson(QJsonDocument::Compact)));
}
