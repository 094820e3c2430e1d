#include "velaxregistry.h"

VelAxRegistry::VelAxRegistry(const QString& strUserPath, const QString& strSystemPath)
    : m_user(strUserPath, VelAxStore::Scope::User),
      m_system(strSystemPath, VelAxStore::Scope::System)
{
}

bool VelAxRegistry::load(QString* pError)
{
    m_strSystemError.clear();
    if (!m_system.load(&m_strSystemError))
        m_system = VelAxStore(m_system.path(), VelAxStore::Scope::System);
    return m_user.load(pError);
}

VelAxRegistry::Class VelAxRegistry::findClass(const QString& strClassId) const
{
    Class found;
    found.entry = m_user.findClass(strClassId);
    if (!found.entry.isValid()) {
        found.entry = m_system.findClass(strClassId);
        found.scope = VelAxStore::Scope::System;
    }
    return found;
}

QList<VelAxRegistry::Class> VelAxRegistry::classes() const
{
    QList<Class> list;
    for (const VelAxStore::ClassEntry& entry : m_user.classes())
        list << Class{entry, VelAxStore::Scope::User, false};
    for (const VelAxStore::ClassEntry& entry : m_system.classes())
        list << Class{entry, VelAxStore::Scope::System,
                      m_user.findClass(entry.strClassId).isValid()};
    return list;
}
