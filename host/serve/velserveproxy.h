#ifndef VELSERVEPROXY_H
#define VELSERVEPROXY_H

#include <QObject>
#include <QPointer>
#include <QString>

// What a page in a browser holds of one control. The channel publishes the
// proxy, never the widget: VelServeControlProxy declares exactly the control's
// scriptable surface (its public slots and signals, its properties, and for a
// property a signal <name>Changed(value) sent on every store, identical values
// included) and forwards each call to the control. Everything of this base
// class is host-internal: the channel filter shows a page only what the
// most-derived class declares.
//
// The proxy owns the control as a browser holds it: deleting the proxy
// releases the control. A control deleted behind its back (a second Corvane
// replaces the first) makes it emit sigControlGone. GUI thread only.
class VelServeProxy : public QObject
{
    Q_OBJECT
public:
    ~VelServeProxy() override;

    QObject* control() const { return m_pControl; }
    QString className() const { return m_strClassName; }
    QString classId() const { return m_strClassId; }
    void setClassId(const QString& strClassId) { m_strClassId = strClassId; }

signals:
    void sigControlGone();

protected:
    VelServeProxy(QObject* pControl, QObject* parent);

    // The control stored its property strName (from its VelAxBindable).
    virtual void propertyStored(const QString& strName) { Q_UNUSED(strName) }

private slots:
    void sltPropertyChanged(QString strName);
    void sltControlDestroyed();

private:
    QPointer<QObject> m_pControl;
    QString m_strClassName;
    QString m_strClassId;
};

#endif // VELSERVEPROXY_H
