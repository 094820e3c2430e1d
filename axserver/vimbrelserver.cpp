// The class list of the vimbrel library.
#include "pellith.h"
#include "velaxclasslistfactory.h"
#include "velaxids.h"
#include "velaxlibrary.h"

VelAxFactory* velAxLibraryFactory()
{
    static VelAxClassListFactory factory(
        QStringLiteral("vimbrel"), QStringLiteral(VEL_VIMBREL_TYPELIB_ID),
        QStringLiteral(VEL_VIMBREL_APP_ID), {velAxClass<Pellith>()});
    return &factory;
}
