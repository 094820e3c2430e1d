#include "velaxclasslistfactory.h"

#include "velaxbindable.h"

#include <QMetaClassInfo>
#include <QMetaObject>

VelAxClassListFactory::VelAxClassListFactory(const QString& strLibraryName,
                                             const QString& strTypeLibId, const QString& strAppId,
                                             const QVector<VelAxClass>& classes)
    : m_strLibraryName(strLibraryName), m_strTypeLibId(strTypeLibId), m_strAppId(strAppId),
      m_classes(classes)
{
}

QStringList VelAxClassListFactory::featureList() const
{
    QStringList keys;
    for (const VelAxClass& entry : m_classes)
        keys << QString::fromLatin1(entry.pMetaObject->className());
    return keys;
}

const VelAxClass* VelAxClassListFactory::find(const QString& strKey) const
{
    for (const VelAxClass& entry : m_classes) {
        if (strKey == QLatin1String(entry.pMetaObject->className()))
            return &entry;
    }
    return nullptr;
}

QString VelAxClassListFactory::classInfo(const QString& strKey, const char* szName) const
{
    const VelAxClass* pEntry = find(strKey);
    if (!pEntry)
        return QString();
    const int nIndex = pEntry->pMetaObject->indexOfClassInfo(szName);
    return nIndex < 0 ? QString()
                      : QString::fromLatin1(pEntry->pMetaObject->classInfo(nIndex).value());
}

QObject* VelAxClassListFactory::createObject(const QString& strKey)
{
    const VelAxClass* pEntry = find(strKey);
    if (!pEntry || classInfo(strKey, "Creatable") == QLatin1String("no"))
        return nullptr;
    QObject* pObject = pEntry->pfnCreate();
    new VelAxBindable(pObject);
    m_liveObjects << pObject;
    return pObject;
}

const QMetaObject* VelAxClassListFactory::metaObject(const QString& strKey) const
{
    const VelAxClass* pEntry = find(strKey);
    return pEntry ? pEntry->pMetaObject : nullptr;
}

QString VelAxClassListFactory::classID(const QString& strKey) const
{
    return classInfo(strKey, "ClassID");
}

QString VelAxClassListFactory::interfaceID(const QString& strKey) const
{
    return classInfo(strKey, "InterfaceID");
}

QString VelAxClassListFactory::eventsID(const QString& strKey) const
{
    return classInfo(strKey, "EventsID");
}

QString VelAxClassListFactory::version() const
{
    return QStringLiteral(VEL_LIBRARY_VERSION);
}

int VelAxClassListFactory::liveObjectCount() const
{
    m_liveObjects.removeAll(QPointer<QObject>());
    return m_liveObjects.size();
}
