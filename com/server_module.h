// What the server's sources share of the module: its ATL record, the lock
// count, the table-driven QueryInterface and the making of new objects.
#pragma once

#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "atl30.h"
#include "scoped.h"

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

// Makes a new object and hands the caller its interface `iid`; an object that
// does not give it is destroyed again.
template <typename Object, typename... Arguments>
HRESULT CreateServerObject(REFIID iid, void** interface_out, Arguments&&... arguments) {
    static_assert(std::is_base_of<HeapObject, Object>::value, "objects come from malloc");
    std::unique_ptr<Object> object(new (std::nothrow)
                                       Object(std::forward<Arguments>(arguments)...));
    if (!object) {
        return E_OUTOFMEMORY;
    }
    HRESULT result = object->QueryInterface(iid, interface_out);
    if (result == S_OK) {
        object.release();  // the reference handed out owns it now
    }
    return result;
}

}  // namespace brelmox
