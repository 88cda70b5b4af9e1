// Brelmox: prints what BrelmoxLib finds out about this machine, in a fixed layout.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>

#include <memory>

#include "CBrelmoxLib.h"
#include "CPellwick.h"
#include "report_output.h"

namespace {

using brelmox::PrintNarrow;
using brelmox::PrintWide;

struct FreeDeleter {
    void operator()(void* block) const { free(block); }
};
// A string the library or Pellwick handed out; ours to free.
using WideResult = std::unique_ptr<unsigned short, FreeDeleter>;

const WCHAR* Text(const WideResult& result) {
    return reinterpret_cast<const WCHAR*>(result.get());
}

void PrintLine(const wchar_t* format, const WideResult& result) {
    PrintWide(stdout, format, Text(result));
}

// What the program needs before it can report: a standard output that takes
// the library's CR LF pairs unchanged.
bool StartUp() {
    return _setmode(_fileno(stdout), _O_BINARY) != -1;
}

// The full path of this program's own file: argv[0] is only what was typed
// (without the extension when found on the PATH). Null if it cannot be had.
WideResult OwnFilePath() {
    for (DWORD capacity = MAX_PATH; capacity <= 32768; capacity *= 2) {
        WideResult path(static_cast<unsigned short*>(malloc(capacity * sizeof(WCHAR))));
        if (!path) {
            return nullptr;
        }
        DWORD length = GetModuleFileNameW(nullptr, reinterpret_cast<WCHAR*>(path.get()), capacity);
        if (length == 0) {
            return nullptr;
        }
        if (length < capacity) {
            return path;
        }
    }
    return nullptr;
}

// A full disk, a pipe whose reader has gone, a handle not open for writing:
// the report is incomplete, and the caller must not take it for one.
int FinishReport() {
    if (fflush(stdout) == 0 && !ferror(stdout)) {
        return 0;
    }
    fputs("Brelmox: the report could not be written whole to standard output\n", stderr);
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv, wchar_t** /*envp*/) {
    if (!StartUp()) {
        fputs("Fatal Error: MFC initialization failed\n", stderr);
        return 1;
    }
    CBrelmoxLib lib;
    wchar_t* own_path = argc > 0 ? argv[0] : nullptr;
    PrintWide(stdout, L"%s", own_path);

    CPellwick pellwick;
    {
        unsigned short* version = nullptr;
        WideResult own_file = OwnFilePath();
        if (own_file) {
            pellwick.getFileVersionStringW(own_file.get(), &version);
        }
        PrintLine(L" ver.%s", WideResult(version));
    }
    PrintWide(stdout, L"%s", L" UNICODEver");
    PrintWide(stdout, L"%s", L"\n");
    PrintNarrow(stdout, "\n\nAll OSName Pattern\n%s\n\n", lib.m_pOSNameAllPattern);
    {
        unsigned short* user = nullptr;
        lib.GetUserNameW(&user);
        PrintLine(L"username = %s\n", WideResult(user));
    }
    {
        unsigned short* computer = nullptr;
        lib.GetComputerNameW(&computer);
        PrintLine(L"ComputerName = %s\n", WideResult(computer));
    }
    PrintNarrow(stdout, "OSName = %s\n", lib.m_pOSName);
    PrintNarrow(stdout, "------- OSEtcInfo --------\n%s\n", lib.m_pOSEtcInfo);
    {
        unsigned short *user = nullptr, *domain = nullptr, *sid = nullptr;
        lib.GetUserNameAndDomainNameAndSidW(&user, &domain, &sid);
        WideResult user_name(user), domain_name(domain), sid_text(sid);
        PrintLine(L"DomainName\\UserName = %s", domain_name);
        PrintLine(L"\\%s\n", user_name);
        PrintLine(L"%s\n", sid_text);
        // Released after all three lines, first to third.
        user_name.reset();
        domain_name.reset();
        sid_text.reset();
    }
    return FinishReport();
}
