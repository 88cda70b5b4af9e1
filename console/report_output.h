// Writing the report: every line is one format with a single "%s" and one text.
//
// To a file or a pipe all bytes go out in the ANSI code page, the encoding of
// the library's narrow texts, so narrow and wide lines share one encoding and
// a non-ASCII name comes out whole. A console shows bytes in its own output
// code page (the OEM one, by default), so it is given UTF-16 instead. An
// absent text (null) prints as nothing.
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

// Where the report goes: the bytes of a file or pipe, or a console, which
// takes UTF-16 whatever its code page.
class ReportStream {
public:
    // `console` is the stream's console handle, or null when it is none.
    ReportStream(FILE* bytes, HANDLE console) : bytes_(bytes), console_(console) {}

    // A format and a text in the ANSI code page.
    void Narrow(const char* format, const char* text);
    void Wide(const WCHAR* format, const WCHAR* text);
    // The JSON report: UTF-8 bytes, or UTF-16 to a console.
    void Json(const WCHAR* text);
    // Whether everything reached the stream.
    bool Finish();

private:
    void ToConsole(const WCHAR* text, size_t length);
    void AnsiToConsole(const char* text, size_t length);

    FILE* bytes_;
    HANDLE console_;
    bool console_failed_ = false;
};

// What the command line asks for.
enum class ConsoleRequest { kReport, kJson, kHelp, kUnknownArgument };

// Reads the arguments after the program's name; for kUnknownArgument,
// *unknown is the first argument that is not understood.
ConsoleRequest ParseArguments(int argc, WCHAR** argv, const WCHAR** unknown);

extern const char kUsage[];

}  // namespace brelmox
