// CPellwick: heap strings, a file's version text and text-to-VARIANT conversion.
//
// Every buffer handed out is a block of the heap of msvcrt.dll, the C runtime
// all modules share; callers release it with Sfree, or with free() when they use
// msvcrt.dll too. Pellwick.dll exports the class under both g++'s and Visual
// C++'s names: link libPellwick.dll.a or Pellwick.lib.
// Results: 0 or more is success, a negative value failure.
#pragma once

#include <windows.h>

#if defined(_WIN32) && !defined(PELLWICK_STATIC)
#ifdef PELLWICK_BUILDING_DLL
#define PELLWICK_API __declspec(dllexport)
#else
#define PELLWICK_API __declspec(dllimport)
#endif
#else
#define PELLWICK_API
#endif

class PELLWICK_API CPellwick {
public:
    CPellwick();
    ~CPellwick();

    // Stores a new zero-filled buffer of `size` bytes at *buffer; the previous
    // value is ignored. On failure *buffer is left as it was.
    long Smalloc(unsigned char** buffer, unsigned long size);
    // Releases *buffer (null is accepted) and sets it to null.
    void Sfree(unsigned char** buffer);

    // Copies a zero-terminated text into a new buffer stored at *target.
    // On failure *target is left as it was (callers pass null).
    long SmemStrCpy(unsigned char** target, unsigned char* source);
    long SmemStrCpyW(unsigned short** target, unsigned short* source);

    // Appends `count` characters of `source` to the `length`-character text in
    // *target, growing (and maybe moving) the buffer; the result is zero-terminated.
    // The source may lie inside the target. A length past the end of either text,
    // or a size that does not fit in memory, is refused. On failure *target still
    // holds its previous, valid buffer (or null).
    long SmemAddChar(unsigned char** target, unsigned long length, unsigned char* source,
                     unsigned long count);
    // The same for wide text; both lengths come from the terminators.
    long SmemAddCharW(unsigned short** target, unsigned short* source);

    // Stores the file's fixed version as "a.b.c.d" in a new buffer at *version;
    // leaves *version untouched when the file has no version block.
    long getFileVersionStringW(unsigned short* path, unsigned short** version);

    // Stores the ANSI code page text as a VT_BSTR owning its copy, or VT_EMPTY for
    // a null text. A null VARIANT* is refused without touching memory.
    long SChar2Variant(unsigned char* text, VARIANT* variant);
};
