#ifndef VELSERVEREQUEST_H
#define VELSERVEREQUEST_H

#include <QByteArray>
#include <QHash>
#include <QString>

// The head of one HTTP request as the host's port reads it (the request line
// and the header fields, names lower-cased), and the checks every request
// passes before it is answered or upgraded.
struct VelServeRequest {
    QByteArray method;
    QByteArray path; // without query or fragment
    QHash<QByteArray, QByteArray> headers;

    // Parses the head (everything before the empty line); false when it is
    // not an HTTP/1.1 request head.
    bool parse(const QByteArray& head);
    bool isWebSocketUpgrade() const;

    // The Host field names this host as the page's address bar does:
    // 127.0.0.1 or localhost with the port. Anything else may be a name that
    // was rebound to the loopback address.
    bool hasHost(quint16 nPort) const;
    // The Origin field exactly, or empty when there is none.
    QString origin() const;
};

#endif // VELSERVEREQUEST_H
