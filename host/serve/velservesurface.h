#ifndef VELSERVESURFACE_H
#define VELSERVESURFACE_H

#include <QByteArray>
#include <QMetaMethod>
#include <QMetaObject>
#include <QMetaProperty>
#include <QVector>

#include <memory>

// The scriptable surface of one control class as a browser page sees it,
// derived from the control's meta object filtered as its interface
// description is (VelAxIdl: public slots, signals and scriptable properties,
// members whose types a page cannot pass left out), plus for each property a
// signal <name>Changed(value) sent on every store.
//
// It is a meta object built at run time in the layout moc writes, whose super
// class is VelServeProxy, so that one proxy class serves every control class:
// the channel reads and calls the proxy through this meta object, and
// metacall() forwards to the control by index. A slot added to a control thus
// reaches browser pages without a line in the host. GUI thread only.
class VelServeSurface
{
public:
    // The surface of the control class pControlMeta, built on first use and
    // kept (the libraries stay loaded, so their meta objects do too); null
    // when it cannot be built.
    static const VelServeSurface* of(const QMetaObject* pControlMeta);

    const QMetaObject* metaObject() const { return &m_meta; }
    // Connects the control's signals to the proxy's (pProxy's metaObject() is this).
    void relaySignals(QObject* pControl, QObject* pProxy) const;
    // The proxy's metacall past VelServeProxy's own members; pControl may be null (gone).
    int metacall(QObject* pProxy, QObject* pControl, QMetaObject::Call call, int nId,
                 void** argv) const;
    // Sends <strName>Changed(value) from the proxy when the control stored strName.
    void propertyStored(QObject* pProxy, QObject* pControl, const QString& strName) const;

private:
    struct Signal {
        QMetaMethod control; // invalid for a property's change signal
        int nProperty = -1;  // the property whose change signal this is
    };

    explicit VelServeSurface(const QMetaObject* pControlMeta);
    bool build(const QMetaObject* pControlMeta);
    bool check() const;
    int string(const QByteArray& text);
    uint typeInfo(const QByteArray& type);
    void addMethod(const QByteArray& name, const QList<QByteArray>& types,
                   const QList<QByteArray>& names, const QByteArray& returnType, uint nFlags,
                   QVector<uint>* pParameters);
    void invokeSlot(QObject* pControl, const QMetaMethod& method, void** argv) const;
    void readProperty(QObject* pControl, int nProperty, void** argv) const;

    QVector<Signal> m_signals;
    QVector<QMetaMethod> m_slots;
    QVector<QMetaProperty> m_properties;
    QVector<QByteArray> m_signatures; // what each method must read back as
    QVector<QByteArray> m_strings;
    QVector<uint> m_methodRows;
    QVector<uint> m_data;
    std::unique_ptr<char[]> m_pStringData;
    QMetaObject m_meta{};
};

#endif // VELSERVESURFACE_H
