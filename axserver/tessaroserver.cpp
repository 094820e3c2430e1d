// The class list of the tessaro library.
#include "corvane.h"
#include "velaxclasslistfactory.h"
#include "velaxids.h"
#include "velaxlibrary.h"

VelAxFactory* velAxLibraryFactory()
{
    static VelAxClassListFactory factory(
        QStringLiteral("tessaro"), QStringLiteral(VEL_TESSARO_TYPELIB_ID),
        QStringLiteral(VEL_TESSARO_APP_ID), {velAxClass<Corvane>()});
    return &factory;
}
