// The full path of a module's file, however long.
#pragma once

#include <windows.h>

#include "scoped.h"

namespace brelmox {

// Null when the path cannot be had, with the reason in GetLastError().
// GetModuleFileNameW cuts a path that does not fit without saying so, but for
// the length it returns.
inline HeapPtr<WCHAR> ModuleFilePath(HMODULE module) {
    for (DWORD capacity = MAX_PATH; capacity <= 32768; capacity *= 2) {
        HeapPtr<WCHAR> path(static_cast<WCHAR*>(malloc(capacity * sizeof(WCHAR))));
        if (!path) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return HeapPtr<WCHAR>();
        }
        DWORD length = GetModuleFileNameW(module, path.get(), capacity);
        if (length == 0) {
            return HeapPtr<WCHAR>();
        }
        if (length < capacity) {
            return path;
        }
    }
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return HeapPtr<WCHAR>();
}

}  // namespace brelmox
