// Brelmox: prints what BrelmoxLib finds out about this machine, in a fixed layout.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>

#include "CBrelmoxLib.h"
#include "CPellwick.h"
#include "module_path.h"
#include "report_output.h"
#include "scoped.h"

namespace {

using brelmox::PrintNarrow;
using brelmox::PrintWide;

// A string the library or Pellwick handed out; ours to free.
using WideResult = brelmox::HeapPtr<unsigned short>;

void PrintLine(const wchar_t* format, const WideResult& result) {
    PrintWide(stdout, format, reinterpret_cast<const WCHAR*>(result.get()));
}

// What the program needs before it can report: a standard output that takes
// the library's CR LF pairs unchanged.
bool StartUp() {
    return _setmode(_fileno(stdout), _O_BINARY) != -1;
}

// A full disk, a pipe whose reader has gone, a handle not open for writing:
// the output is incomplete, and the caller must not take it for whole.
int FinishOutput(const char* what) {
    if (fflush(stdout) == 0 && !ferror(stdout)) {
        return 0;
    }
    fprintf(stderr, "Brelmox: %s could not be written whole to standard output\n", what);
    return 2;
}

int PrintJsonReport() {
    CBrelmoxLib lib;
    WideResult json;
    if (!lib.GetReportJsonW(json.put())) {
        fputs("Brelmox: the JSON report could not be made\n", stderr);
        return 2;
    }
    brelmox::PrintUtf8(stdout, reinterpret_cast<const WCHAR*>(json.get()));
    fputs("\n", stdout);
    return FinishOutput("the JSON report");
}

int PrintReport(int argc, wchar_t** argv) {
    CBrelmoxLib lib;
    wchar_t* own_path = argc > 0 ? argv[0] : nullptr;
    PrintWide(stdout, L"%s", own_path);

    CPellwick pellwick;
    {
        // The version of the program's own file: argv[0] is only what was
        // typed, without the extension when the program was found on the PATH.
        WideResult version;
        brelmox::HeapPtr<WCHAR> own_file = brelmox::ModuleFilePath(nullptr);
        if (own_file) {
            pellwick.getFileVersionStringW(reinterpret_cast<unsigned short*>(own_file.get()),
                                           version.put());
        }
        PrintLine(L" ver.%s", version);
    }
    PrintWide(stdout, L"%s", L" UNICODEver");
    PrintWide(stdout, L"%s", L"\n");
    PrintNarrow(stdout, "\n\nAll OSName Pattern\n%s\n\n", lib.m_pOSNameAllPattern);
    {
        WideResult user;
        lib.GetUserNameW(user.put());
        PrintLine(L"username = %s\n", user);
    }
    {
        WideResult computer;
        lib.GetComputerNameW(computer.put());
        PrintLine(L"ComputerName = %s\n", computer);
    }
    PrintNarrow(stdout, "OSName = %s\n", lib.m_pOSName);
    PrintNarrow(stdout, "------- OSEtcInfo --------\n%s\n", lib.m_pOSEtcInfo);
    {
        WideResult user, domain, sid;
        lib.GetUserNameAndDomainNameAndSidW(user.put(), domain.put(), sid.put());
        PrintLine(L"DomainName\\UserName = %s", domain);
        PrintLine(L"\\%s\n", user);
        PrintLine(L"%s\n", sid);
        // Released after all three lines, first to third.
        user.reset();
        domain.reset();
        sid.reset();
    }
    return FinishOutput("the report");
}

}  // namespace

int wmain(int argc, wchar_t** argv, wchar_t** /*envp*/) {
    if (!StartUp()) {
        fputs("Fatal Error: MFC initialization failed\n", stderr);
        return 1;
    }
    const WCHAR* unknown = nullptr;
    switch (brelmox::ParseArguments(argc, argv, &unknown)) {
        case brelmox::ConsoleRequest::kReport:
            return PrintReport(argc, argv);
        case brelmox::ConsoleRequest::kJson:
            return PrintJsonReport();
        case brelmox::ConsoleRequest::kHelp:
            fputs(brelmox::kUsage, stdout);
            return FinishOutput("the help");
        case brelmox::ConsoleRequest::kUnknownArgument:
            break;
    }
    PrintWide(stderr, L"Brelmox: unknown argument %s\n", unknown);
    fputs(brelmox::kUsage, stderr);
    return ERROR_INVALID_PARAMETER;
}
