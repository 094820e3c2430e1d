#ifndef VELAXIDS_H
#define VELAXIDS_H

// The fixed identifiers of the two control libraries. Pages address the controls
// by their class ids, so none of these may ever change.
//
// A control carries its class, interface and events ids as class information;
// moc reads only string literals there, so they are written out again in the
// control's header:
//   Corvane (panel/corvane.h):
//     Q_CLASSINFO("ClassID", "{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}")
//     Q_CLASSINFO("InterfaceID", "{29E33119-81B2-4309-96E8-8F40B07F0693}")
//     Q_CLASSINFO("EventsID", "{EE953EA1-4E45-475F-9FFB-723C12A09020}")
//     Q_CLASSINFO("DefaultProperty", "text")
//   Pellith (tour/pellith.h):
//     Q_CLASSINFO("ClassID", "{BF760905-BE9E-43CA-A5C6-2CB1822B6889}")
//     Q_CLASSINFO("InterfaceID", "{1C47F15D-C8E6-414A-AC73-3CD3052036D0}")
//     Q_CLASSINFO("EventsID", "{FDACA858-F2C5-45D8-BC25-694C16E44F48}")

#define VEL_TESSARO_CLASS_ID "{15E44774-3BF3-4435-A9E2-9A7BCD1887F9}"
#define VEL_TESSARO_INTERFACE_ID "{29E33119-81B2-4309-96E8-8F40B07F0693}"
#define VEL_TESSARO_EVENTS_ID "{EE953EA1-4E45-475F-9FFB-723C12A09020}"
#define VEL_TESSARO_TYPELIB_ID "{1C788A3E-7980-43A6-9481-0D7C7E85C329}"
#define VEL_TESSARO_APP_ID "{08E1D009-6C35-45E3-9041-71531113A7F9}"

#define VEL_VIMBREL_CLASS_ID "{BF760905-BE9E-43CA-A5C6-2CB1822B6889}"
#define VEL_VIMBREL_INTERFACE_ID "{1C47F15D-C8E6-414A-AC73-3CD3052036D0}"
#define VEL_VIMBREL_EVENTS_ID "{FDACA858-F2C5-45D8-BC25-694C16E44F48}"
#define VEL_VIMBREL_TYPELIB_ID "{D28481D1-05A2-4293-B1B7-A4DF5AF408A0}"
#define VEL_VIMBREL_APP_ID "{4D464FF6-8126-4EBE-BE1B-C96F24B34D9B}"

#endif // VELAXIDS_H
