#ifndef VELAXEXPORTS_H
#define VELAXEXPORTS_H

#include <cstdint>

// The five entry points every control library exports, with COM's result codes.
// Hosts resolve them by name (dlsym / QLibrary::resolve); the typedefs below are
// the signatures to cast to. Strings are UTF-8. GUI thread only.

using VelAxResult = std::int32_t;

constexpr VelAxResult VEL_S_OK = 0;
constexpr VelAxResult VEL_S_FALSE = 1;
constexpr VelAxResult VEL_E_POINTER = static_cast<VelAxResult>(0x80004003u);
constexpr VelAxResult VEL_E_FAIL = static_cast<VelAxResult>(0x80004005u);
constexpr VelAxResult VEL_E_INVALIDARG = static_cast<VelAxResult>(0x80070057u);
constexpr VelAxResult VEL_CLASS_E_CLASSNOTAVAILABLE = static_cast<VelAxResult>(0x80040111u);
constexpr VelAxResult VEL_SELFREG_E_CLASS = static_cast<VelAxResult>(0x80040201u);
// The interface description could not be written.
constexpr VelAxResult VEL_E_ACCESSDENIED = static_cast<VelAxResult>(0x80070005u);

#if defined(VEL_AX_BUILDING_LIBRARY)
#define VEL_AX_EXPORT __attribute__((visibility("default")))
#else
#define VEL_AX_EXPORT
#endif

extern "C" {
// Writes the entries of the library's classes, type library and application id
// into the registration store (VelAxStore) of VelAxStore::registrationScope():
// the user's, or the machine's when $VEL_AX_SCOPE is "system". VEL_SELFREG_E_CLASS
// when the store cannot be read or written.
VEL_AX_EXPORT VelAxResult DllRegisterServer();
// Removes them again from the same scope's store only; removing what is not
// there succeeds.
VEL_AX_EXPORT VelAxResult DllUnregisterServer();
// *ppFactory = the library's VelAxFactory when szClassId names one of its
// classes; otherwise *ppFactory = null and VEL_CLASS_E_CLASSNOTAVAILABLE.
VEL_AX_EXPORT VelAxResult DllGetClassObject(const char* szClassId, void** ppFactory);
// VEL_S_OK when no control created by the library is alive, else VEL_S_FALSE.
VEL_AX_EXPORT VelAxResult DllCanUnloadNow();
// Writes the library's interface description to szOutFile; szVersion is the type
// library version ("1.0" when null or empty).
VEL_AX_EXPORT VelAxResult DumpIDL(const char* szOutFile, const char* szVersion);
}

using VelAxRegisterFn = VelAxResult (*)();
using VelAxGetClassObjectFn = VelAxResult (*)(const char*, void**);
using VelAxCanUnloadNowFn = VelAxResult (*)();
using VelAxDumpIdlFn = VelAxResult (*)(const char*, const char*);

#endif // VELAXEXPORTS_H
