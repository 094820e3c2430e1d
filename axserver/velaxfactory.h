#ifndef VELAXFACTORY_H
#define VELAXFACTORY_H

#include <QString>
#include <QStringList>
#include <QUuid>

class QObject;
struct QMetaObject;

// The class factory of one control library, as DllGetClassObject hands it out.
// A host reaches it only through this table of virtual functions: the library
// exports nothing but its five entry points, so the host never links against the
// implementation (and casts across the boundary do not work either). Keys are
// class names. GUI thread only.
class VelAxFactory
{
public:
    // The creatable classes of the library (exactly the controls' class names).
    virtual QStringList featureList() const = 0;
    // A new control without parent, or null for an unknown key or a class whose
    // class information "Creatable" is "no". The caller owns the object.
    virtual QObject* createObject(const QString& strKey) = 0;
    virtual const QMetaObject* metaObject(const QString& strKey) const = 0;

    // Identifiers in registry form: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
    virtual QString classID(const QString& strKey) const = 0;
    virtual QString interfaceID(const QString& strKey) const = 0;
    virtual QString eventsID(const QString& strKey) const = 0;
    virtual QString typeLibID() const = 0;
    virtual QString appID() const = 0;

    // "tessaro" or "vimbrel", and the library version ("1.0.0.76").
    virtual QString libraryName() const = 0;
    virtual QString version() const = 0;

    // Objects this factory created that are still alive.
    virtual int liveObjectCount() const = 0;

    // The key whose class id is strClassId (any case, braces optional), or empty.
    QString keyForClassID(const QString& strClassId) const
    {
        const QUuid id(strClassId);
        if (id.isNull())
            return QString();
        for (const QString& strKey : featureList()) {
            if (QUuid(classID(strKey)) == id)
                return strKey;
        }
        return QString();
    }

protected:
    // Owned by the library for its whole life; hosts never delete it.
    virtual ~VelAxFactory() = default;
};

#endif // VELAXFACTORY_H
