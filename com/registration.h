// Self-registration of Warpper: the registration script with the module's
// path quoted for it, checked after it ran.
//
// The script also registers the type library under the neutral locale 0,
// beside the library's own 0x0409 that the platform's registration writes.
// wine-differs: the type-library marshaler asks for locale 0 only, so without
// it no apartment could hand IWarpper to another, and a multithreaded client
// could not create the object.
#pragma once

#include <windows.h>

namespace brelmox {

// Runs the registration scripts, the class's (resource REGISTRY 101) and the
// type library's neutral-locale entry (102), to register or unregister; a
// registration whose keys do not name this module exactly is undone and fails.
HRESULT UpdateWarpperRegistry(BOOL do_register);

}  // namespace brelmox
