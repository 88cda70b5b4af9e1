// Registering and unregistering in every order a setup program or an admin
// might: each step reports success and the registry ends as it began.
//
// Runs in a prefix of its own, where nobody else registers the server.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>

#include "classes_registry.h"

namespace {

using robustness::KeyExists;
using robustness::OwnedKeys;
using robustness::Subkeys;

typedef HRESULT(STDAPICALLTYPE* ServerFunction)();

// Everything under HKEY_CLASSES_ROOT where a COM server leaves keys.
std::set<std::wstring> ClassesSnapshot() {
    std::set<std::wstring> snapshot;
    for (const wchar_t* area : {L"", L"CLSID", L"AppID", L"TypeLib", L"Interface"}) {
        for (const std::wstring& name : Subkeys(area)) {
            snapshot.insert(std::wstring(area) + L"\\" + name);
        }
    }
    return snapshot;
}

void ExpectRegistered(bool registered) {
    for (const std::wstring& key : OwnedKeys()) {
        EXPECT_EQ(KeyExists(key), registered) << std::string(key.begin(), key.end());
    }
    EXPECT_TRUE(KeyExists(L"CLSID"));
}

TEST(Registration, AnyOrderEndsWhereItBegan) {
    HMODULE server = LoadLibraryW(L"BrelmoxCOM.dll");
    ASSERT_NE(server, nullptr);
    auto register_server = reinterpret_cast<ServerFunction>(
        reinterpret_cast<void*>(GetProcAddress(server, "DllRegisterServer")));
    auto unregister_server = reinterpret_cast<ServerFunction>(
        reinterpret_cast<void*>(GetProcAddress(server, "DllUnregisterServer")));
    ASSERT_NE(register_server, nullptr);
    ASSERT_NE(unregister_server, nullptr);

    ExpectRegistered(false);
    const std::set<std::wstring> before = ClassesSnapshot();

    struct Step {
        const char* what;
        ServerFunction function;
        bool registered_after;
    } const steps[] = {
        {"unregister without registering", unregister_server, false},
        {"register", register_server, true},
        {"register again", register_server, true},
        {"unregister", unregister_server, false},
        {"unregister again", unregister_server, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        EXPECT_EQ(step.function(), S_OK);
        ExpectRegistered(step.registered_after);
        if (!step.registered_after) {
            EXPECT_EQ(ClassesSnapshot(), before) << "keys left behind or taken away";
        }
    }
    FreeLibrary(server);
}

}  // namespace
