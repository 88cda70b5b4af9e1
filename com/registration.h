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
// type library's neutral-locale entry (102), to register; a registration whose
// keys do not name this module exactly is undone and fails. Registering over
// another copy's registration replaces it.
//
// To unregister, runs the class's script only when the class's in-process
// server is this module (the same file by its long path, in any letter case);
// a class that another copy registered since is left as it is.
HRESULT UpdateWarpperRegistry(BOOL do_register);

// Removes the registration of the type library embedded in this file: its
// neutral-locale entry and the platform's registration, when these name this
// module; nothing when they name another file or there is none.
HRESULT UnregisterTypeLibrary();

}  // namespace brelmox
