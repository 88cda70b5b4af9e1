#include "report_output.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <initializer_list>

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

void PrintUtf8(FILE* out, const WCHAR* text) {
    for (const WCHAR* unit = text; *unit != 0; ++unit) {
        uint32_t code = static_cast<uint16_t>(*unit);
        if (code >= 0xD800 && code <= 0xDBFF && unit[1] >= 0xDC00 && unit[1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<uint16_t>(unit[1]) - 0xDC00);
            ++unit;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        char bytes[4];
        size_t count = 0;
        if (code < 0x80) {
            bytes[count++] = static_cast<char>(code);
        } else if (code < 0x800) {
            bytes[count++] = static_cast<char>(0xC0 | code >> 6);
            bytes[count++] = static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            bytes[count++] = static_cast<char>(0xE0 | code >> 12);
            bytes[count++] = static_cast<char>(0x80 | (code >> 6 & 0x3F));
            bytes[count++] = static_cast<char>(0x80 | (code & 0x3F));
        } else {
            bytes[count++] = static_cast<char>(0xF0 | code >> 18);
            bytes[count++] = static_cast<char>(0x80 | (code >> 12 & 0x3F));
            bytes[count++] = static_cast<char>(0x80 | (code >> 6 & 0x3F));
            bytes[count++] = static_cast<char>(0x80 | (code & 0x3F));
        }
        fwrite(bytes, 1, count, out);
    }
}

void ReportStream::ToConsole(const WCHAR* text, size_t length) {
    // A console may take less than it is given; what it took is gone.
    while (length > 0 && !console_failed_) {
        DWORD chunk = length > 16384 ? 16384 : static_cast<DWORD>(length);
        DWORD written = 0;
        if (!WriteConsoleW(console_, text, chunk, &written, nullptr) || written == 0 ||
            written > chunk) {
            console_failed_ = true;
            return;
        }
        text += written;
        length -= written;
    }
}

void ReportStream::AnsiToConsole(const char* text, size_t length) {
    if (length == 0) {
        return;
    }
    int units = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0);
    HeapPtr<WCHAR> wide(units > 0 ? static_cast<WCHAR*>(malloc(units * sizeof(WCHAR))) : nullptr);
    if (!wide || MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), wide.get(),
                                     units) != units) {
        console_failed_ = true;
        return;
    }
    ToConsole(wide.get(), static_cast<size_t>(units));
}

void ReportStream::Narrow(const char* format, const char* text) {
    if (console_ == nullptr) {
        PrintNarrow(bytes_, format, text);
        return;
    }
    const char* slot = strstr(format, "%s");
    if (slot == nullptr) {
        AnsiToConsole(format, strlen(format));
        return;
    }
    AnsiToConsole(format, static_cast<size_t>(slot - format));
    if (text != nullptr) {
        AnsiToConsole(text, strlen(text));
    }
    AnsiToConsole(slot + 2, strlen(slot + 2));
}

void ReportStream::Wide(const WCHAR* format, const WCHAR* text) {
    if (console_ == nullptr) {
        PrintWide(bytes_, format, text);
        return;
    }
    const WCHAR* end = format;
    while (*end != 0 && !(end[0] == '%' && end[1] == 's')) {
        ++end;
    }
    ToConsole(format, static_cast<size_t>(end - format));
    if (*end == 0) {
        return;
    }
    if (text != nullptr) {
        const WCHAR* text_end = text;
        while (*text_end != 0) {
            ++text_end;
        }
        ToConsole(text, static_cast<size_t>(text_end - text));
    }
    const WCHAR* rest = end + 2;
    const WCHAR* rest_end = rest;
    while (*rest_end != 0) {
        ++rest_end;
    }
    ToConsole(rest, static_cast<size_t>(rest_end - rest));
}

void ReportStream::Json(const WCHAR* text) {
    if (console_ == nullptr) {
        PrintUtf8(bytes_, text);
        fputs("\n", bytes_);
        return;
    }
    Wide(reinterpret_cast<const WCHAR*>(u"%s\n"), text);
}

bool ReportStream::Finish() {
    if (console_ != nullptr) {
        return !console_failed_;
    }
    return fflush(bytes_) == 0 && !ferror(bytes_);
}

namespace {

bool IsOneOf(const WCHAR* argument, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        size_t i = 0;
        // Options are ASCII; their letter case does not matter, as with Windows' own tools.
        while (name[i] != '\0' && argument[i] != 0 &&
               (argument[i] == name[i] ||
                (argument[i] >= 'A' && argument[i] <= 'Z' && argument[i] + 32 == name[i]))) {
            ++i;
        }
        if (name[i] == '\0' && argument[i] == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

const char kUsage[] =
    "Usage: Brelmox [/json | /?]\n"
    "\n"
    "Without arguments, prints what BrelmoxLib finds out about this machine.\n"
    "  /json, -json, --json   print every fact as one JSON text (UTF-8)\n"
    "  /?, -h, --help         print this help\n";

ConsoleRequest ParseArguments(int argc, WCHAR** argv, const WCHAR** unknown) {
    *unknown = nullptr;
    if (argc <= 1) {
        return ConsoleRequest::kReport;
    }
    ConsoleRequest request = ConsoleRequest::kUnknownArgument;
    if (IsOneOf(argv[1], {"/json", "-json", "--json"})) {
        request = ConsoleRequest::kJson;
    } else if (IsOneOf(argv[1], {"/?", "-h", "--help"})) {
        request = ConsoleRequest::kHelp;
    } else {
        *unknown = argv[1];
        return ConsoleRequest::kUnknownArgument;
    }
    if (argc > 2) {
        *unknown = argv[2];  // one request at a time
        return ConsoleRequest::kUnknownArgument;
    }
    return request;
}

void PrintWide(FILE* out, const WCHAR* format, const WCHAR* text) {
    AnsiText ansi_format = ToAnsi(format);
    if (ansi_format) {
        PrintNarrow(out, ansi_format.get(), ToAnsi(text).get());
    }
}

}  // namespace brelmox
