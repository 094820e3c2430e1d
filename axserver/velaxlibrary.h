#ifndef VELAXLIBRARY_H
#define VELAXLIBRARY_H

class VelAxFactory;

// The factory of the library being built, created on first use. Each control
// library defines it once (tessaroserver.cpp, vimbrelserver.cpp); the exports
// in velaxexports.cpp serve it.
VelAxFactory* velAxLibraryFactory();

#endif // VELAXLIBRARY_H
