#ifndef VELSERVEHOST_H
#define VELSERVEHOST_H

#include <QObject>
#include <QString>

#include <functional>

// The object a browser page finds on its channel as "host": the page's
// document.createControl. Like every published class it declares exactly what
// a page may use. GUI thread only.
class VelServeHost : public QObject
{
    Q_OBJECT
public:
    using Creator = std::function<QObject*(const QString& strClassId, QString* pError)>;
    VelServeHost(const Creator& fnCreate, QObject* parent);

    // Tells the page that its control of class strClassId was deleted because
    // another request replaced it.
    void controlReplaced(const QString& strClassId) { emit sigControlReplaced(strClassId); }

public slots:
    // The control's proxy, or null after sigError with the reason.
    QObject* createControl(QString classId);

signals:
    void sigControlReplaced(QString classId);
    void sigError(QString message);

private:
    Creator m_fnCreate;
};

#endif // VELSERVEHOST_H
