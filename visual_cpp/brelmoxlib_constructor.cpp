// What BrelmoxLib.def needs beyond aliases for Visual C++ clients: compiled
// into BrelmoxLib.dll.
#include <new>

#include "CBrelmoxLib.h"

// A Visual C++ caller takes `this` back from a constructor in EAX; the g++
// constructor returns nothing. Exported under the constructor's Visual C++ name.
extern "C" __attribute__((thiscall)) CBrelmoxLib* BrelmoxLibConstructForVisualCpp(void* storage) {
    return ::new (storage) CBrelmoxLib;
}
