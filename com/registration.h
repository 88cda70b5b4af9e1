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
// another copy's registration replaces it; the other registry view's (the
// other bitness's server's) stays.
//
// To unregister, only when the class's in-process server in this process's
// registry view is this module (the same file by its long path, in any letter
// case): removes the class key of this view, and the ProgIDs and AppID, which
// both views share, once neither view has the class. A class that another
// copy registered since is left as it is.
HRESULT UpdateWarpperRegistry(BOOL do_register);

// Removes this platform's entries (win32 or win64) of the type library
// embedded in this file, under the neutral locale and its own, when they name
// this module; once no platform's entry is left, the library's version key
// and its interfaces' keys in both views too. Nothing when the entries name
// another file or there are none.
HRESULT UnregisterTypeLibrary();

}  // namespace brelmox
