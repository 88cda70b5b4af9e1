// The two-call size query of the platform calls that report the room they
// need when given none (GetUserName, GetComputerName, GetTokenInformation,
// LookupAccountSid), written once: the first call must fail for want of room,
// any other error is the platform's answer.
#pragma once

#include <windows.h>

namespace brelmox {

// Runs `ask_size` (the call without room), then `allocate` (room for what it
// reported) and `fill` (the call with that room). Returns ERROR_SUCCESS, the
// platform's error of the call that failed, or ERROR_NOT_ENOUGH_MEMORY.
template <typename AskSize, typename Allocate, typename Fill>
DWORD QueryBySize(AskSize ask_size, Allocate allocate, Fill fill) {
    SetLastError(ERROR_SUCCESS);
    if (!ask_size()) {
        DWORD error = GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER && error != ERROR_BUFFER_OVERFLOW &&
            error != ERROR_MORE_DATA) {
            return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
        }
    }
    if (!allocate()) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    SetLastError(ERROR_SUCCESS);
    if (!fill()) {
        DWORD error = GetLastError();
        return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
    }
    return ERROR_SUCCESS;
}

}  // namespace brelmox
