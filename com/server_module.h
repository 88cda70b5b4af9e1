// What the server's sources share of the module: its ATL record, the lock
// count and the table-driven QueryInterface.
#pragma once

#include "atl30.h"

namespace brelmox {

AtlModule30& ServerModule();

// One lock per live object, unmatched LockServer(TRUE) and held class object.
inline void LockServerModule() {
    InterlockedIncrement(&ServerModule().lock_count);
}
inline void UnlockServerModule() {
    InterlockedDecrement(&ServerModule().lock_count);
}

// wine-differs: ATL 3.0's table lookup (ordinal 32) refuses a null out
// pointer and nulls it on a miss; Wine's does neither, so both are done before
// it is asked.
inline HRESULT QueryInterfaceTable(void* object, const AtlInterfaceEntry* table, REFIID iid,
                                   void** interface_out) {
    if (interface_out == nullptr) {
        return E_POINTER;
    }
    *interface_out = nullptr;
    return AtlInternalQueryInterface(object, table, iid, interface_out);
}

}  // namespace brelmox
