#ifndef VELAXCLASSLISTFACTORY_H
#define VELAXCLASSLISTFACTORY_H

#include "velaxfactory.h"

#include <QList>
#include <QMetaType>
#include <QPointer>
#include <QVector>

// One class of a factory's list: its meta object and how to build it.
struct VelAxClass {
    const QMetaObject* pMetaObject = nullptr;
    QObject* (*pfnCreate)() = nullptr;
};

// The entry for control class T (constructible from a null parent widget). The
// pointer type "T*" becomes a Qt meta type here, that is when the factory's
// class list is built.
template <typename T> VelAxClass velAxClass()
{
    qRegisterMetaType<T*>();
    return {&T::staticMetaObject, []() -> QObject* { return new T(nullptr); }};
}

// The factory of a library: a fixed list of classes plus the library's type
// library and application ids. Each library builds one (see tessaroserver.cpp)
// and hands it out through DllGetClassObject. Every object it creates gets a
// VelAxBindable so that a host can follow its property changes.
class VelAxClassListFactory final : public VelAxFactory
{
public:
    VelAxClassListFactory(const QString& strLibraryName, const QString& strTypeLibId,
                          const QString& strAppId, const QVector<VelAxClass>& classes);
    ~VelAxClassListFactory() override = default;

    QStringList featureList() const override;
    QObject* createObject(const QString& strKey) override;
    const QMetaObject* metaObject(const QString& strKey) const override;
    QString classID(const QString& strKey) const override;
    QString interfaceID(const QString& strKey) const override;
    QString eventsID(const QString& strKey) const override;
    QString typeLibID() const override { return m_strTypeLibId; }
    QString appID() const override { return m_strAppId; }
    QString libraryName() const override { return m_strLibraryName; }
    QString version() const override;
    int liveObjectCount() const override;

private:
    const VelAxClass* find(const QString& strKey) const;
    QString classInfo(const QString& strKey, const char* szName) const;

    QString m_strLibraryName;
    QString m_strTypeLibId;
    QString m_strAppId;
    QVector<VelAxClass> m_classes;
    mutable QList<QPointer<QObject>> m_liveObjects;
};

#endif // VELAXCLASSLISTFACTORY_H
