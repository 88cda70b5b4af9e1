// What Pellwick.def needs beyond aliases for Visual C++ clients: compiled into
// Pellwick.dll.
#include <new>

#include "CPellwick.h"

// A Visual C++ caller takes `this` back from a constructor in EAX; the g++
// constructor returns nothing. Exported under the constructor's Visual C++ name.
extern "C" __attribute__((thiscall)) CPellwick* PellwickConstructForVisualCpp(void* storage) {
    return ::new (storage) CPellwick;
}
