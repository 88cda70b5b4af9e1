// Prints what CBrelmoxLib tells about this machine: the seven facts that
// BrelmoxCOM also gives scripts (among them today's product name and the JSON
// report), then the account's domain and SID.
//
// CBrelmoxLib gathers the Windows facts when it is constructed and keeps them
// as three texts, read in place; each getter asks the system anew and hands
// back a string from the heap of msvcrt.dll, which CPellwick::Sfree releases
// whatever C run-time this program uses (Visual C++ programs have their own).
// BrelmoxLib.dll and Pellwick.dll must lie beside the program (or on PATH).
#include <windows.h>

#include <string>

#include "CBrelmoxLib.h"
#include "CPellwick.h"
#include "write_line.h"

namespace {

// A string that a getter of CBrelmoxLib allocated, released by Pellwick.
template <typename Char>
class HeapString {
public:
    HeapString() = default;
    HeapString(const HeapString&) = delete;
    HeapString& operator=(const HeapString&) = delete;
    ~HeapString() {
        unsigned char* bytes = reinterpret_cast<unsigned char*>(text_);
        CPellwick().Sfree(&bytes);
    }

    // The getters' out-parameter: they expect it null.
    Char** out() { return &text_; }
    const Char* get() const { return text_; }

private:
    Char* text_ = nullptr;
};

// The library's narrow texts are in the ANSI code page.
std::wstring FromAnsi(const char* text) {
    if (text == nullptr || *text == '\0') {
        return std::wstring();
    }
    int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(units, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], units);
    wide.resize(units - 1);
    return wide;
}

// The wide getters hand out UTF-16 as unsigned short.
std::wstring FromWide(const unsigned short* text) {
    return text != nullptr ? std::wstring(reinterpret_cast<const wchar_t*>(text)) : std::wstring();
}

}  // namespace

int main() {
    CBrelmoxLib library;

    HeapString<unsigned short> user_name;
    HeapString<unsigned short> computer_name;
    library.GetUserNameW(user_name.out());
    library.GetComputerNameW(computer_name.out());
    WriteLine(L"User name: " + FromWide(user_name.get()));
    WriteLine(L"Computer name: " + FromWide(computer_name.get()));

    // m_pOSName is null when Windows did not tell its version: an empty line.
    WriteLine(L"OS name:");
    WriteLine(FromAnsi(library.m_pOSName));
    WriteLine(L"All OS names:");
    WriteLine(FromAnsi(library.m_pOSNameAllPattern));
    WriteLine(L"Machine facts:");
    WriteLine(FromAnsi(library.m_pOSEtcInfo));

    HeapString<unsigned short> product_name;
    HeapString<unsigned short> report;
    library.GetOSProductNameW(product_name.out());
    library.GetReportJsonW(report.out());
    WriteLine(L"Product name: " + FromWide(product_name.get()));
    WriteLine(L"JSON report:");
    WriteLine(FromWide(report.get()));

    HeapString<unsigned short> user;
    HeapString<unsigned short> domain;
    HeapString<unsigned short> sid;
    if (!library.GetUserNameAndDomainNameAndSidW(user.out(), domain.out(), sid.out())) {
        WriteLine(L"The account's domain and SID are not available.");
        return 1;
    }
    WriteLine(L"Account: " + FromWide(domain.get()) + L"\\" + FromWide(user.get()));
    // The SID text comes labelled: "sid=S-1-5-...".
    WriteLine(FromWide(sid.get()));
    return 0;
}
