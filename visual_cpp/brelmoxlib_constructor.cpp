// What BrelmoxLib.def needs beyond aliases for Visual C++ clients: compiled
// into BrelmoxLib.dll.
#include <new>

#include "CBrelmoxLib.h"

// A Visual C++ caller takes `this` back from a constructor (in EAX, or RAX on
// x64); the g++ constructor returns nothing. Exported under the constructor's
// Visual C++ name, with `this` where a member gets it (ECX for i686's
// __thiscall, RCX for x64's one convention).
#ifdef _WIN64
#define BRELMOX_MEMBER_CALL
#else
#define BRELMOX_MEMBER_CALL __attribute__((thiscall))
#endif
extern "C" BRELMOX_MEMBER_CALL CBrelmoxLib* BrelmoxLibConstructForVisualCpp(void* storage) {
    return ::new (storage) CBrelmoxLib;
}
