#ifndef VELAXIDL_H
#define VELAXIDL_H

#include <QByteArray>
#include <QList>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QString>

class VelAxFactory;

// The interface description of a control library, generated from the meta
// objects of its classes the way ActiveX type libraries describe them: per
// class a dispatch interface (scriptable properties and public slots), an events
// interface (signals) and a coclass. Members whose types a page cannot pass are
// written commented out, marked as unsupported. The host uses the same type
// table to decide what a page may call.
class VelAxIdl
{
public:
    // The IDL type for a Qt type name (normalized, as QMetaMethod reports it),
    // or empty when the type cannot cross to a page. "void" maps to "void".
    static QString idlType(const QByteArray& qtType);

    // The members a page sees: public slots and signals, and scriptable
    // properties, declared by the class itself (or down from the class named
    // by its class information "ToSuperClass").
    static QList<QMetaMethod> scriptableMethods(const QMetaObject* pMeta);
    static QList<QMetaProperty> scriptableProperties(const QMetaObject* pMeta);

    // The name of the first parameter or return type of method that a page
    // cannot pass, or empty when all can.
    static QByteArray unsupportedType(const QMetaMethod& method);

    static QString generate(const VelAxFactory& factory, const QString& strTypeLibVersion);

private:
    static QString classInterfaces(const VelAxFactory& factory, const QString& strKey);
    static QString methodLine(const QMetaMethod& method, int nDispId);
};

#endif // VELAXIDL_H
