// The class list of the vimbrel library. The tour control plugs in with one line
// (and its header): {velAxClass<Pellith>()}. Its class information is listed in
// velaxids.h. Until then the library builds and exports its entry points with an
// empty list: registration writes only the type library and application ids, and
// DllGetClassObject knows no class.
#include "velaxclasslistfactory.h"
#include "velaxids.h"
#include "velaxlibrary.h"

VelAxFactory* velAxLibraryFactory()
{
    static VelAxClassListFactory factory(QStringLiteral("vimbrel"),
                                         QStringLiteral(VEL_VIMBREL_TYPELIB_ID),
                                         QStringLiteral(VEL_VIMBREL_APP_ID), {});
    return &factory;
}
