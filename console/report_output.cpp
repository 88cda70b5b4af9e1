#include "report_output.h"

#include <stdlib.h>
#include <string.h>

#include "scoped.h"

namespace brelmox {
namespace {

using AnsiText = HeapPtr<char>;

// The text in the ANSI code page; null for a null text or when it cannot be
// converted. Characters the code page lacks become its default character.
AnsiText ToAnsi(const WCHAR* wide) {
    if (wide == nullptr) {
        return AnsiText();
    }
    int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return AnsiText();
    }
    AnsiText ansi(static_cast<char*>(malloc(size)));
    if (ansi &&
        WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi.get(), size, nullptr, nullptr) != size) {
        ansi.reset();
    }
    return ansi;
}

}  // namespace

void PrintNarrow(FILE* out, const char* format, const char* text) {
    const char* slot = strstr(format, "%s");
    if (slot == nullptr) {
        fputs(format, out);
        return;
    }
    fwrite(format, 1, static_cast<size_t>(slot - format), out);
    if (text != nullptr) {
        fputs(text, out);
    }
    fputs(slot + 2, out);
}

void PrintWide(FILE* out, const WCHAR* format, const WCHAR* text) {
    AnsiText ansi_format = ToAnsi(format);
    if (ansi_format) {
        PrintNarrow(out, ansi_format.get(), ToAnsi(text).get());
    }
}

}  // namespace brelmox
