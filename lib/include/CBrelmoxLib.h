// CBrelmoxLib: what Windows is installed, the machine's facts, and who runs us.
//
// Constructing an object identifies the operating system and gathers the
// machine facts at once; the three texts stay valid until the object is
// destroyed and are read in place. The getters ask the system on each call and
// hand back a new string on the heap of msvcrt.dll, the C run-time all modules
// share: the caller releases it with free() from msvcrt.dll, or with
// CPellwick::Sfree when it has a run-time of its own (as Visual C++ programs do).
//
// BrelmoxLib.dll exports the class under both g++'s and Visual C++'s names, so
// this header serves either compiler: link libBrelmoxLib.dll.a or BrelmoxLib.lib.
#pragma once

#include <windows.h>
#include <stddef.h>

#if defined(_WIN32) && !defined(BRELMOXLIB_STATIC)
#ifdef BRELMOXLIB_BUILDING_DLL
#define BRELMOXLIB_API __declspec(dllexport)
#else
#define BRELMOXLIB_API __declspec(dllimport)
#endif
#else
#define BRELMOXLIB_API
#endif

class BRELMOXLIB_API CBrelmoxLib {
public:
    CBrelmoxLib();
    ~CBrelmoxLib();
    // Takes the other object's record and deep copies of its texts. When
    // memory runs out, the target keeps the record but none of the texts: all
    // three are null (its previous ones released), which the caller can tell
    // from a source whose texts are there.
    CBrelmoxLib& operator=(const CBrelmoxLib& other);
    // A member-wise copy would leave two owners of the same texts.
    CBrelmoxLib(const CBrelmoxLib&) = delete;

    bool GetComputerNameA(char** name);
    bool GetComputerNameW(unsigned short** name);
    bool GetUserNameA(char** name);
    bool GetUserNameW(unsigned short** name);
    bool GetUserNameAndDomainNameAndSidA(char** user, char** domain, char** sid);
    bool GetUserNameAndDomainNameAndSidW(unsigned short** user, unsigned short** domain,
                                         unsigned short** sid);

    // Today's name of the installed Windows, asked afresh on each call, such as
    // "Windows 11 Pro, version 24H2 (OS Build 26100.2605), 64-bit (x64)".
    bool GetOSProductNameA(char** name);
    bool GetOSProductNameW(unsigned short** name);
    // Every fact the library knows as one JSON text (UTF-16); facts that
    // could not be had are null.
    bool GetReportJsonW(unsigned short** json);

    char* m_pOSName;            // OS text; null when the version could not be queried
    char* m_pOSNameAllPattern;  // every OS name this library knows, one per line
    char* m_pOSEtcInfo;         // machine facts
    OSVERSIONINFOEXA m_OSVersionInfo;

private:
    bool GetComputerNameMain(unsigned char** name, bool wide);
    bool GetUserNameMain(unsigned char** name, bool wide);
    bool GetUserNameAndDomainNameAndSidMain(unsigned char** user, unsigned char** domain,
                                            unsigned char** sid, bool wide);
    int IsWow64();
    void GetSuiteMaskStr(char* text, unsigned long suite_mask, unsigned long major_version,
                         unsigned long minor_version);
    void AddDebugStringDWORD(char* text, char* label, unsigned long value);
    void AddDebugStringStr(char* text, char* label, char* value);
};

// Clients of either compiler allocate the object and read its members in place:
// its size and layout are part of the DLL's binary interface, published as
// they stand (members are never added, removed, reordered or made virtual).
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(CBrelmoxLib) == 168,
              "CBrelmoxLib's size is part of BrelmoxLib.dll's interface");
static_assert(offsetof(CBrelmoxLib, m_OSVersionInfo) == 12, "CBrelmoxLib's layout");
#elif defined(_WIN64)
static_assert(sizeof(CBrelmoxLib) == 184,
              "CBrelmoxLib's size is part of the 64-bit BrelmoxLib.dll's interface");
static_assert(offsetof(CBrelmoxLib, m_pOSEtcInfo) == 16 &&
                  offsetof(CBrelmoxLib, m_OSVersionInfo) == 24,
              "CBrelmoxLib's layout");
#endif
