// Brelmox.exe end to end: its exit status and its whole output, byte for byte.
//
//   console_report_tests <expected texts> <Brelmox.exe>
//
// The expected texts are named after the Windows version Wine emulates (win98),
// with "-wow64" in a 64-bit prefix. The program runs as a copy that Wine treats
// as that version.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "expected_texts.h"
#include "system_facts.h"

namespace {

using system_facts::Ansi;
using system_facts::Environment;

std::string g_expected;  // key of the expected texts
std::string g_windows;   // the version Wine emulates
std::wstring g_program;

std::wstring Widen(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

// A Unix path as Windows programs under Wine see it.
std::wstring WindowsPath(const std::string& path) {
    if (path.empty() || path[0] != '/') {
        return Widen(path);
    }
    std::wstring result = L"Z:" + Widen(path);
    for (wchar_t& c : result) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    return result;
}

// A copy of the program whose name Wine maps to the emulated version.
std::wstring VersionedCopy() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"brelmox-report";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring name = L"Brelmox-" + Widen(g_expected) + L".exe";
    std::wstring copy = folder + L"\\" + name;
    if (!CopyFileW(g_program.c_str(), copy.c_str(), FALSE)) {
        return L"";
    }
    HKEY key;
    std::wstring key_path = L"Software\\Wine\\AppDefaults\\" + name;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key_path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return L"";
    }
    std::wstring version = Widen(g_windows);
    RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                   static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return copy;
}

struct Outcome {
    DWORD exit_code = 0xFFFFFFFF;
    std::string out, err;
};

// Appends what the pipe holds now, without waiting for more.
void ReadAvailable(HANDLE pipe, std::string& data) {
    DWORD available = 0;
    while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available != 0) {
        char buffer[4096];
        DWORD read = 0;
        DWORD wanted = available < sizeof buffer ? available : sizeof buffer;
        if (!ReadFile(pipe, buffer, wanted, &read, nullptr) || read == 0) {
            return;
        }
        data.append(buffer, read);
    }
}

// Runs the program; without a usable standard output when `with_output` is false.
Outcome RunProgram(const std::wstring& program, bool with_output) {
    Outcome outcome;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE out_read, out_write, err_read, err_write;
    if (!CreatePipe(&out_read, &out_write, &inherit, 0) ||
        !CreatePipe(&err_read, &err_write, &inherit, 0)) {
        return outcome;
    }
    SetHandleInformation(out_read, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(err_read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    startup.hStdOutput = with_output ? out_write : INVALID_HANDLE_VALUE;
    startup.hStdError = err_write;
    std::wstring command = L"\"" + program + L"\"";
    PROCESS_INFORMATION process;
    BOOL started = CreateProcessW(program.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                  nullptr, &startup, &process);
    CloseHandle(out_write);
    CloseHandle(err_write);
    if (started) {
        // The pipes are read until the program ends, not until they close:
        // wine-differs: the desktop process that Wine starts for a program's
        // first window call may keep a copy of its standard handles for as
        // long as it lives.
        while (WaitForSingleObject(process.hProcess, 10) == WAIT_TIMEOUT) {
            ReadAvailable(out_read, outcome.out);
            ReadAvailable(err_read, outcome.err);
        }
        ReadAvailable(out_read, outcome.out);
        ReadAvailable(err_read, outcome.err);
        GetExitCodeProcess(process.hProcess, &outcome.exit_code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(out_read);
    CloseHandle(err_read);
    return outcome;
}

// The account the program runs as, asked of the system directly.
std::wstring UserName() {
    wchar_t name[256];
    DWORD size = 256;
    return GetUserNameW(name, &size) ? std::wstring(name) : std::wstring();
}

std::string ExpectedReport(const std::wstring& program) {
    const expected::OsText* os_text = expected::FindOsText(g_expected);
    std::string user = Ansi(UserName());
    return Ansi(program) + " ver." BRELMOX_VERSION " UNICODEver\n" + "\n\nAll OSName Pattern\n" +
           brelmox::kAllOsNames + "\n\n" + "username = " + user + "\n" +
           "ComputerName = " + Ansi(Environment(L"COMPUTERNAME")) + "\n" +
           "OSName = " + (os_text != nullptr ? expected::OsName(*os_text) : "?") + "\n" +
           "------- OSEtcInfo --------\n" + expected::MachineFacts() + "\n" +
           "DomainName\\UserName = " + Ansi(Environment(L"USERDOMAIN")) + "\\" + user + "\n" +
           "sid=" + Ansi(system_facts::TokenSidString()) + "\n";
}

TEST(ConsoleReport, WritesTheWholeReportAndExitsWithZero) {
    SCOPED_TRACE(g_expected);
    ASSERT_NE(expected::FindOsText(g_expected), nullptr) << "no expectation for " << g_expected;
    std::wstring program = VersionedCopy();
    ASSERT_FALSE(program.empty());
    Outcome outcome = RunProgram(program, true);
    EXPECT_EQ(outcome.exit_code, 0u);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out, ExpectedReport(program));
}

TEST(ConsoleReport, FailsToStartWithoutAStandardOutput) {
    Outcome outcome = RunProgram(g_program, false);
    EXPECT_EQ(outcome.exit_code, 1u);
    EXPECT_EQ(outcome.err, "Fatal Error: MFC initialization failed\r\n");
    EXPECT_EQ(outcome.out, "");
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc == 3) {
        g_expected = argv[1];
        g_windows = g_expected.substr(0, g_expected.find('-'));
        g_program = WindowsPath(argv[2]);
    } else if (!GTEST_FLAG_GET(list_tests)) {  // CTest lists the cases without arguments
        fprintf(stderr, "usage: %s <expected texts> <Brelmox.exe>\n", argv[0]);
        return 2;
    }
    return RUN_ALL_TESTS();
}
