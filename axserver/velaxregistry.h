#ifndef VELAXREGISTRY_H
#define VELAXREGISTRY_H

#include "velaxstore.h"

#include <QList>
#include <QString>

// What a host sees of the registration: the machine's store with the user's on
// top, as Windows merges the machine's and the user's classes. A class id in
// both is the user's. Read only; the registration exports write one store each.
class VelAxRegistry
{
public:
    struct Class {
        VelAxStore::ClassEntry entry;
        VelAxStore::Scope scope = VelAxStore::Scope::User;
        // A machine entry that a user entry of the same class id hides.
        bool bHidden = false;
    };

    explicit VelAxRegistry(const QString& strUserPath = VelAxStore::location(),
                           const QString& strSystemPath = VelAxStore::systemLocation());

    // False, with the reason, when the user's store cannot be read (nothing
    // can then be trusted to be the user's choice). A machine store that
    // cannot be read or is refused is left out; systemError() tells why.
    bool load(QString* pError = nullptr);

    QString userPath() const { return m_user.path(); }
    QString systemPath() const { return m_system.path(); }
    QString systemError() const { return m_strSystemError; }

    // Invalid entry when neither store has the class.
    Class findClass(const QString& strClassId) const;
    // The user's classes, then the machine's (hidden ones included, marked).
    QList<Class> classes() const;

private:
    VelAxStore m_user;
    VelAxStore m_system;
    QString m_strSystemError;
};

#endif // VELAXREGISTRY_H
