#include "velserverequest.h"

#include <QList>

bool VelServeRequest::parse(const QByteArray& head)
{
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    if (requestLine.size() != 3 || requestLine.at(2) != "HTTP/1.1")
        return false;
    method = requestLine.at(0);
    QByteArray target = requestLine.at(1);
    const int nQuery = target.indexOf('?');
    if (nQuery >= 0)
        target.truncate(nQuery);
    const int nFragment = target.indexOf('#');
    if (nFragment >= 0)
        target.truncate(nFragment);
    if (!target.startsWith('/'))
        return false;
    path = target;
    headers.clear();
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        if (line.isEmpty())
            continue;
        const int nColon = line.indexOf(':');
        if (nColon <= 0)
            return false;
        const QByteArray name = line.left(nColon).trimmed().toLower();
        // A repeated Host or Origin is ambiguous: refuse rather than pick one.
        if (headers.contains(name) && (name == "host" || name == "origin"))
            return false;
        headers.insert(name, line.mid(nColon + 1).trimmed());
    }
    return true;
}

bool VelServeRequest::isWebSocketUpgrade() const
{
    return headers.value("upgrade").toLower() == "websocket";
}

bool VelServeRequest::hasHost(quint16 nPort) const
{
    const QByteArray host = headers.value("host").toLower();
    const QByteArray port = ':' + QByteArray::number(nPort);
    return host == "127.0.0.1" + port || host == "localhost" + port;
}

QString VelServeRequest::origin() const
{
    return QString::fromLatin1(headers.value("origin"));
}
