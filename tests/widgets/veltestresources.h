#ifndef VELTESTRESOURCES_H
#define VELTESTRESOURCES_H

#include <QtGlobal>

// Registers the image list of the library form the test is built for. The
// macro declares the list's init function, so this lives outside any namespace.
inline void velInitTestResources()
{
#ifdef VEL_FORM_VIMBREL
    Q_INIT_RESOURCE(vimbrel);
#else
    Q_INIT_RESOURCE(tessaro);
#endif
}

#endif // VELTESTRESOURCES_H
