// Prints what the script clients print, but read from CBrelmoxLib directly:
// for each ProgID given, its header line, then for each method a line with
// its name and type and the text (the seven methods of IWarpper2). Lines are written as cscript writes
// WScript.Echo's when its output is not a console: in the console output
// code page (the OEM code page when there is no console), each ended by CR LF.
//
//   com_expected_texts PROGID...
#include <windows.h>
#include <stdlib.h>

#include <string>

#include "CBrelmoxLib.h"

namespace {

void EchoWide(const std::wstring& wide) {
    int units = static_cast<int>(wide.size());
    UINT code_page = GetConsoleOutputCP();
    if (code_page == 0) {
        code_page = GetOEMCP();
    }
    std::string line(
        WideCharToMultiByte(code_page, 0, wide.data(), units, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(code_page, 0, wide.data(), units, &line[0], line.size(), nullptr, nullptr);
    line += "\r\n";
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), line.size(), &written, nullptr);
}

void Echo(const std::string& ansi_text) {
    std::wstring wide(ansi_text.size(), L'\0');
    int units =
        MultiByteToWideChar(CP_ACP, 0, ansi_text.data(), ansi_text.size(), &wide[0], wide.size());
    wide.resize(units > 0 ? units : 0);
    EchoWide(wide);
}

void ShowWide(const char* method, const unsigned short* text) {
    Echo(std::string("-- ") + method + " string");
    EchoWide(text != nullptr ? reinterpret_cast<const wchar_t*>(text) : L"");
}

void Show(const char* method, const char* text) {
    Echo(std::string("-- ") + method + " string");
    Echo(text != nullptr ? text : "");
}

}  // namespace

int main(int argc, char** argv) {
    for (int index = 1; index < argc; ++index) {
        CBrelmoxLib library;
        char* user = nullptr;
        char* computer = nullptr;
        library.GetUserNameA(&user);
        library.GetComputerNameA(&computer);
        Echo(std::string("== ") + argv[index]);
        Show("GetUserName", user);
        Show("GetComputerName", computer);
        Show("GetOSName", library.m_pOSName);
        Show("GetOSNameAllPattern", library.m_pOSNameAllPattern);
        Show("GetOSEtcInfo", library.m_pOSEtcInfo);
        unsigned short* product_name = nullptr;
        unsigned short* report = nullptr;
        library.GetOSProductNameW(&product_name);
        library.GetReportJsonW(&report);
        ShowWide("GetOSProductName", product_name);
        ShowWide("GetReportJson", report);
        free(user);
        free(computer);
        free(product_name);
        free(report);
    }
    return 0;
}
