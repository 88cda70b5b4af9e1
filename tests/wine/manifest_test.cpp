// Brelmox.exe's application manifest is well-formed and in force.
// wine-differs: Wine starts a program whose manifest is malformed all the
// same, so starting proves
// nothing: an activation context made from the resource, and what it says,
// do.
//
//   manifest_tests <Brelmox.exe>
#include <gtest/gtest.h>
#include <windows.h>
#include <stddef.h>

#include <set>
#include <string>
#include <vector>

namespace {

std::wstring g_program;

std::wstring Widen(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

// A Unix path as Windows programs under Wine see it.
std::wstring WindowsPath(const std::string& path) {
    std::wstring result = path.empty() || path[0] != '/' ? Widen(path) : L"Z:" + Widen(path);
    for (wchar_t& c : result) {
        c = c == L'/' ? L'\\' : c;
    }
    return result;
}

// The activation context of the program's manifest resource 1.
class ProgramContext {
public:
    ProgramContext() {
        ACTCTXW request = {};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = g_program.c_str();
        request.lpResourceName = MAKEINTRESOURCEW(1);
        context_ = CreateActCtxW(&request);
    }
    ~ProgramContext() {
        if (context_ != INVALID_HANDLE_VALUE) {
            ReleaseActCtx(context_);
        }
    }
    ProgramContext(const ProgramContext&) = delete;
    ProgramContext& operator=(const ProgramContext&) = delete;

    HANDLE get() const { return context_; }

    std::vector<BYTE> Query(ULONG info_class) const {
        SIZE_T size = 0;
        QueryActCtxW(0, context_, nullptr, info_class, nullptr, 0, &size);
        std::vector<BYTE> info(size);
        if (size == 0 ||
            !QueryActCtxW(0, context_, nullptr, info_class, info.data(), size, &size)) {
            info.clear();
        }
        return info;
    }

private:
    HANDLE context_ = INVALID_HANDLE_VALUE;
};

TEST(Manifest, IsResourceOneOfTheProgram) {
    HMODULE program = LoadLibraryExW(g_program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    EXPECT_NE(FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)), nullptr);
    FreeLibrary(program);
}

TEST(Manifest, RunsAsItsInvoker) {
    ProgramContext context;
    ASSERT_NE(context.get(), INVALID_HANDLE_VALUE) << "the manifest is malformed";
    std::vector<BYTE> info = context.Query(RunlevelInformationInActivationContext);
    ASSERT_GE(info.size(), sizeof(ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION));
    const auto* run_level =
        reinterpret_cast<ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION*>(info.data());
    EXPECT_EQ(run_level->RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
    EXPECT_EQ(run_level->UiAccess, 0u);
}

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

// The compatibility list as Windows 10 and Wine lay it out: each element ends
// with MaxVersionTested, which MinGW's older declaration lacks.
struct CompatibilityElement {
    GUID id;
    ACTCTX_COMPATIBILITY_ELEMENT_TYPE type;
    ULONGLONG max_version_tested;
};
struct CompatibilityInformation {
    DWORD element_count;
    CompatibilityElement elements[1];
};

TEST(Manifest, SupportsWindowsVistaTo10) {
    ProgramContext context;
    ASSERT_NE(context.get(), INVALID_HANDLE_VALUE) << "the manifest is malformed";
    std::vector<BYTE> info = context.Query(CompatibilityInformationInActivationContext);
    ASSERT_GE(info.size(), offsetof(CompatibilityInformation, elements));
    const auto* compatibility = reinterpret_cast<const CompatibilityInformation*>(info.data());
    ASSERT_GE(info.size(), offsetof(CompatibilityInformation, elements) +
                               compatibility->element_count * sizeof(CompatibilityElement));
    std::set<std::wstring> supported;
    for (DWORD index = 0; index < compatibility->element_count; ++index) {
        const CompatibilityElement& element = compatibility->elements[index];
        EXPECT_EQ(element.type, ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS);
        supported.insert(GuidText(element.id));
    }
    const std::set<std::wstring> expected = {
        L"{E2011457-1546-43C5-A5FE-008DEEE3D3F0}",  // Vista
        L"{35138B9A-5D96-4FBD-8E2D-A2440225F93A}",  // 7
        L"{4A2F28E3-53B9-4441-BA9C-D69D4A4A6E38}",  // 8
        L"{1F676C76-80E1-4239-95BB-83D0F6D0DA78}",  // 8.1
        L"{8E0F7A12-BFB3-4FE8-B9A5-48FD50A15A9A}",  // 10 and 11
    };
    EXPECT_EQ(supported, expected);
}

// What the checks above rest on: a malformed manifest makes no context.
TEST(Manifest, AMalformedManifestMakesNoActivationContext) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + L"malformed.manifest";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const char text[] =
        "<?xml version=\"1.0\"?><assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" "
        "manifestVersion=\"1.0\"><trustInfo>";
    DWORD written = 0;
    WriteFile(file, text, sizeof text - 1, &written, nullptr);
    CloseHandle(file);
    ACTCTXW request = {};
    request.cbSize = sizeof request;
    request.lpSource = path.c_str();
    HANDLE context = CreateActCtxW(&request);
    EXPECT_EQ(context, INVALID_HANDLE_VALUE);
    if (context != INVALID_HANDLE_VALUE) {
        ReleaseActCtx(context);
    }
    DeleteFileW(path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc == 2) {
        g_program = WindowsPath(argv[1]);
    } else if (!GTEST_FLAG_GET(list_tests)) {  // CTest lists the cases without arguments
        fprintf(stderr, "usage: %s <Brelmox.exe>\n", argv[0]);
        return 2;
    }
    return RUN_ALL_TESTS();
}
