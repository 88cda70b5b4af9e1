// Console output shared by the C++ examples: one line, written as cscript
// writes it, so that the examples and the scripts print the same bytes.
#pragma once

#include <windows.h>

#include <string>

// Writes a line as cscript does: any character to a console window, the
// console's code page when the output is redirected, and the OEM code page a
// console would have when there is none.
inline void WriteLine(std::wstring line) {
    line += L"\r\n";
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(output, &mode)) {
        WriteConsoleW(output, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        return;
    }
    UINT code_page = GetConsoleOutputCP();
    if (code_page == 0) {
        code_page = GetOEMCP();
    }
    int size = WideCharToMultiByte(code_page, 0, line.data(), static_cast<int>(line.size()),
                                   nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    WideCharToMultiByte(code_page, 0, line.data(), static_cast<int>(line.size()), &bytes[0], size,
                        nullptr, nullptr);
    WriteFile(output, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
