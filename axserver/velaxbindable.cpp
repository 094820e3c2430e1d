#include "velaxbindable.h"

VelAxBindable::VelAxBindable(QObject* pControl) : QObject(pControl)
{
    setObjectName(QLatin1String(kObjectName));
}

void VelAxBindable::propertyChanged(QObject* pControl, const char* szName)
{
    if (!pControl)
        return;
    auto* pBindable =
        pControl->findChild<VelAxBindable*>(QLatin1String(kObjectName), Qt::FindDirectChildrenOnly);
    if (pBindable)
        emit pBindable->sigPropertyChanged(QString::fromLatin1(szName));
}
