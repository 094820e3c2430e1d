#ifndef VELHOSTCONTROL_H
#define VELHOSTCONTROL_H

#include <QJSValue>
#include <QMetaMethod>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantList>

class QJSEngine;

// The host's side of one control on the page, the conversion layer of the
// ActiveX bridge: it calls the control's public slots by signature, reads and
// writes its scriptable properties, converts between JavaScript values and Qt
// types, and passes the control's signals and the property-change
// notifications of its VelAxBindable to the page's dispatcher as events.
//
// The control stays owned by C++: the page only ever holds this object (also
// C++-owned), and the control is reached through a QPointer, since a second
// Corvane deletes the first behind the page's back. release() deletes the
// control, as a browser releasing it would. GUI thread only.
class VelHostControl : public QObject
{
    Q_OBJECT
public:
    VelHostControl(QObject* pControl, const QString& strClassId, const QString& strVersion,
                   QJSEngine* pEngine, QObject* parent);
    ~VelHostControl() override;

    QObject* control() const { return m_pControl; }
    QString className() const { return m_strClassName; }
    void release();

    // {classId, className, version, methods: [{name, signature, kind, parameterCount,
    // parameterTypes, supported, unsupportedType}], properties: [{name, type, writable}]}
    Q_INVOKABLE QJSValue describe() const;
    Q_INVOKABLE bool alive() const { return !m_pControl.isNull(); }
    // Calls the public slot strSignature with the array args; throws TypeError on
    // a wrong count, a value that does not convert or a type a page cannot pass.
    Q_INVOKABLE QJSValue invoke(const QString& strSignature, const QJSValue& args);
    Q_INVOKABLE QJSValue read(const QString& strName);
    Q_INVOKABLE void write(const QString& strName, const QJSValue& value);
    // fn(eventName, argsArray) receives every event of this control.
    Q_INVOKABLE void setDispatcher(const QJSValue& fn) { m_dispatcher = fn; }

private slots:
    void sltPropertyChanged(QString strName);

private:
    bool checkAlive();
    void onSignal(const QMetaMethod& signal, const QVariantList& args);
    void dispatch(const QString& strEvent, const QJSValueList& args);
    bool convertArgument(const QJSValue& value, int nType, QVariant* pResult) const;
    void throwTypeError(const QString& strMessage);

    QPointer<QObject> m_pControl;
    const QMetaObject* m_pMeta;
    QString m_strClassId;
    QString m_strClassName;
    QString m_strVersion;
    QJSEngine* m_pEngine;
    QJSValue m_dispatcher;
};

#endif // VELHOSTCONTROL_H
