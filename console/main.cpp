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

using brelmox::ReportStream;

// A string the library or Pellwick handed out; ours to free.
using WideResult = brelmox::HeapPtr<unsigned short>;

void PrintLine(ReportStream& out, const wchar_t* format, const WideResult& result) {
    out.Wide(format, reinterpret_cast<const WCHAR*>(result.get()));
}

// The stream's console, or null when it goes to a file or a pipe.
HANDLE ConsoleOf(FILE* stream) {
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

// What the program needs before it can report: a standard output that takes
// the library's CR LF pairs unchanged.
bool StartUp() {
    return _setmode(_fileno(stdout), _O_BINARY) != -1;
}

// A full disk, a pipe whose reader has gone, a handle not open for writing:
// the output is incomplete, and the caller must not take it for whole.
int FinishOutput(ReportStream& out, const char* what) {
    if (out.Finish()) {
        return 0;
    }
    fprintf(stderr, "Brelmox: %s could not be written whole to standard output\n", what);
    return 2;
}

int PrintJsonReport(ReportStream& out) {
    CBrelmoxLib lib;
    WideResult json;
    if (!lib.GetReportJsonW(json.put())) {
        fputs("Brelmox: the JSON report could not be made\n", stderr);
        return 2;
    }
    out.Json(reinterpret_cast<const WCHAR*>(json.get()));
    return FinishOutput(out, "the JSON report");
}

int PrintReport(ReportStream& out, int argc, wchar_t** argv) {
    CBrelmoxLib lib;
    wchar_t* own_path = argc > 0 ? argv[0] : nullptr;
    out.Wide(L"%s", own_path);

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
        PrintLine(out, L" ver.%s", version);
    }
    out.Wide(L"%s", L" UNICODEver");
    out.Wide(L"%s", L"\n");
    out.Narrow("\n\nAll OSName Pattern\n%s\n\n", lib.m_pOSNameAllPattern);
    {
        WideResult user;
        lib.GetUserNameW(user.put());
        PrintLine(out, L"username = %s\n", user);
    }
    {
        WideResult computer;
        lib.GetComputerNameW(computer.put());
        PrintLine(out, L"ComputerName = %s\n", computer);
    }
    out.Narrow("OSName = %s\n", lib.m_pOSName);
    out.Narrow("------- OSEtcInfo --------\n%s\n", lib.m_pOSEtcInfo);
    {
        WideResult user, domain, sid;
        lib.GetUserNameAndDomainNameAndSidW(user.put(), domain.put(), sid.put());
        PrintLine(out, L"DomainName\\UserName = %s", domain);
        PrintLine(out, L"\\%s\n", user);
        PrintLine(out, L"%s\n", sid);
        // Released after all three lines, first to third.
        user.reset();
        domain.reset();
        sid.reset();
    }
    return FinishOutput(out, "the report");
}

}  // namespace

// The report's layout, its start-up message and its exit statuses are
// published: scripts read them as they stand.
int wmain(int argc, wchar_t** argv, wchar_t** /*envp*/) {
    if (!StartUp()) {
        fputs("Fatal Error: MFC initialization failed\n", stderr);
        return 1;
    }
    ReportStream out(stdout, ConsoleOf(stdout));
    const WCHAR* unknown = nullptr;
    switch (brelmox::ParseArguments(argc, argv, &unknown)) {
        case brelmox::ConsoleRequest::kReport:
            return PrintReport(out, argc, argv);
        case brelmox::ConsoleRequest::kJson:
            return PrintJsonReport(out);
        case brelmox::ConsoleRequest::kHelp:
            out.Narrow("%s", brelmox::kUsage);
            return FinishOutput(out, "the help");
        case brelmox::ConsoleRequest::kUnknownArgument:
            break;
    }
    ReportStream errors(stderr, ConsoleOf(stderr));
    errors.Wide(L"Brelmox: unknown argument %s\n", unknown);
    errors.Narrow("%s", brelmox::kUsage);
    errors.Finish();
    return ERROR_INVALID_PARAMETER;
}
