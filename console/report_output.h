// Writing the report: every line is one format with a single "%s" and one text.
//
// All bytes go out in the ANSI code page, the encoding of the library's narrow
// texts, so narrow and wide lines share one encoding and a non-ASCII name comes
// out whole. An absent text (null) prints as nothing.
#pragma once

#include <windows.h>
#include <stdio.h>

namespace brelmox {

// Writes `format` with its "%s" replaced by `text`, byte for byte.
void PrintNarrow(FILE* out, const char* format, const char* text);

// The same for a wide format and text, converted to the ANSI code page first.
void PrintWide(FILE* out, const WCHAR* format, const WCHAR* text);

}  // namespace brelmox
