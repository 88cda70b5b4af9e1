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

// Writes a UTF-16 text as UTF-8; a lone surrogate becomes U+FFFD.
void PrintUtf8(FILE* out, const WCHAR* text);

// What the command line asks for.
enum class ConsoleRequest { kReport, kJson, kHelp, kUnknownArgument };

// Reads the arguments after the program's name; for kUnknownArgument,
// *unknown is the first argument that is not understood.
ConsoleRequest ParseArguments(int argc, WCHAR** argv, const WCHAR** unknown);

extern const char kUsage[];

}  // namespace brelmox
