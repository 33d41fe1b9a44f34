// The built programs' manifests and version resources, read through the functions Windows itself
// uses: the loader's activation context, and the version functions behind a file's Properties.
// The activation context queries are declared for Windows 7 and later only.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0601
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "orvex_version.h"
#include "resources/resource_ids.h"
#include "support/package_support.h"
#include "support/test_support.h"
#include "support/wizard_driver.h"

namespace {
struct Program {
    const char* file;
    ACTCTX_REQUESTED_RUN_LEVEL runLevel;
};
const Program PROGRAMS[] = {{"Setup.exe", ACTCTX_RUN_LEVEL_REQUIRE_ADMIN},
                            {"SetupCheck.exe", ACTCTX_RUN_LEVEL_AS_INVOKER}};

// The layout of Windows 10 and later (and Wine): each element ends in the highest tested version.
struct CompatibilityElement {
    GUID id;
    ACTCTX_COMPATIBILITY_ELEMENT_TYPE type;
    ULONGLONG maxVersionTested;
};
struct CompatibilityInformation {
    DWORD count;
    CompatibilityElement elements[8];
};

int CountOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

std::string ManifestText(const std::string& path) {
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return "";
    std::string text;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    if (found)
        text.assign(static_cast<const char*>(LockResource(LoadResource(module, found))),
                    SizeofResource(module, found));
    FreeLibrary(module);
    return text;
}
// A program's version resource, as Explorer's Properties read it; empty when it has none.
std::string VersionData(const std::string& path) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    std::string data(size, '\0');
    if (!size || !GetFileVersionInfoA(path.c_str(), 0, size, &data[0]))
        data.clear();
    return data;
}

const VS_FIXEDFILEINFO* FixedVersion(std::string& data) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    return VerQueryValueA(&data[0], "\\", reinterpret_cast<void**>(&fixed), &length) ? fixed
                                                                                     : nullptr;
}

// A value of the first translation's strings, where Explorer finds them; null when absent.
const char* VersionString(std::string& data, const char* name) {
    WORD* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(&data[0], "\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &length))
        return nullptr;
    char query[128];
    wsprintfA(query, "\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], name);
    char* value = nullptr;
    return VerQueryValueA(&data[0], query, reinterpret_cast<void**>(&value), &length) ? value
                                                                                      : nullptr;
}

// The activation context Windows makes from the program's manifest.
HANDLE ManifestContext(const std::string& path) {
    ACTCTXA request = {};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = path.c_str();
    request.lpResourceName = MAKEINTRESOURCEA(1);
    return CreateActCtxA(&request);
}
} // namespace

TEST(ProgramResources, ManifestAsksForItsRightsControlsDpiAndWindowsVersions) {
    const GUID expectedOs[] = {
        {0xe2011457, 0x1546, 0x43c5, {0xa5, 0xfe, 0x00, 0x8d, 0xee, 0xe3, 0xd3, 0xf0}},  // Vista
        {0x35138b9a, 0x5d96, 0x4fbd, {0x8e, 0x2d, 0xa2, 0x44, 0x02, 0x25, 0xf9, 0x3a}},  // 7
        {0x4a2f28e3, 0x53b9, 0x4441, {0xba, 0x9c, 0xd6, 0x9d, 0x4a, 0x4a, 0x6e, 0x38}},  // 8
        {0x1f676c76, 0x80e1, 0x4239, {0x95, 0xbb, 0x83, 0xd0, 0xf6, 0xd0, 0xda, 0x78}},  // 8.1
        {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}}}; // 10, 11
    for (const Program& program : PROGRAMS) {
        SCOPED_TRACE(program.file);
        std::string path = BinPath(program.file);
        std::string text = ManifestText(path);
        ASSERT_FALSE(text.empty());
        // Windows XP SP2 restarts on a namespace declared twice.
        for (const char* space : {"\"urn:schemas-microsoft-com:asm.v3\"",
                                  "\"urn:schemas-microsoft-com:compatibility.v1\"",
                                  "\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\""})
            EXPECT_EQ(1, CountOf(text, space)) << space;

        HANDLE context = ManifestContext(path);
        ASSERT_NE(INVALID_HANDLE_VALUE, context) << GetLastError();

        ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
        ASSERT_TRUE(QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext,
                                 &level, sizeof(level), nullptr));
        EXPECT_EQ(program.runLevel, level.RunLevel);
        EXPECT_EQ(0u, level.UiAccess);

        CompatibilityInformation compatibility = {};
        ASSERT_TRUE(QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext,
                                 &compatibility, sizeof(compatibility), nullptr));
        ASSERT_EQ(5u, compatibility.count);
        for (DWORD i = 0; i < compatibility.count; ++i) {
            EXPECT_EQ(ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS, compatibility.elements[i].type);
            EXPECT_TRUE(IsEqualGUID(expectedOs[i], compatibility.elements[i].id)) << i;
        }

        WCHAR dpiAware[16] = L"";
        EXPECT_TRUE(QueryActCtxSettingsW(0, context,
                                         L"http://schemas.microsoft.com/SMI/2005/WindowsSettings",
                                         L"dpiAware", dpiAware, 16, nullptr));
        EXPECT_STREQ(L"true", dpiAware);

        // Inside the program's context the common controls library comes from the side-by-side
        // assembly of version 6 (Wine's copy reports 5.81 through DllGetVersion).
        ULONG_PTR cookie = 0;
        ASSERT_TRUE(ActivateActCtx(context, &cookie));
        HMODULE controls = LoadLibraryA("comctl32.dll");
        DeactivateActCtx(0, cookie);
        ReleaseActCtx(context);
        ASSERT_NE(nullptr, controls);
        char controlsPath[MAX_PATH] = "";
        GetModuleFileNameA(controls, controlsPath, sizeof(controlsPath));
        FreeLibrary(controls);
        CharLowerA(controlsPath);
        EXPECT_NE(nullptr,
                  strstr(controlsPath, "microsoft.windows.common-controls_6595b64144ccf1df_6."))
            << controlsPath;
    }
}

TEST(ProgramResources, PropertiesShowDescriptionProductVersionAndCopyright) {
    for (const Program& program : PROGRAMS) {
        SCOPED_TRACE(program.file);
        std::string data = VersionData(BinPath(program.file));
        ASSERT_FALSE(data.empty());
        const VS_FIXEDFILEINFO* fixed = FixedVersion(data);
        ASSERT_NE(nullptr, fixed);
        char numbers[32];
        wsprintfA(numbers, "%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
                  LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS));
        EXPECT_STREQ(ORVEX_VERSION_TEXT, numbers);
        EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);

        struct Expected {
            const char* name;
            std::string value;
        };
        const Expected strings[] = {{"ProductName", "Orvex Install Wizard"},
                                    {"CompanyName", "Orvex"},
                                    {"FileVersion", ORVEX_VERSION_TEXT},
                                    {"ProductVersion", ORVEX_VERSION_TEXT},
                                    {"OriginalFilename", program.file},
                                    {"LegalCopyright", "Copyright (C) 2026 Orvex"}};
        for (const Expected& expected : strings) {
            const char* value = VersionString(data, expected.name);
            ASSERT_NE(nullptr, value) << expected.name;
            EXPECT_EQ(expected.value, value) << expected.name;
        }
        const char* description = VersionString(data, "FileDescription");
        ASSERT_NE(nullptr, description);
        EXPECT_NE(nullptr, strstr(description, "Orvex Install Wizard"));
    }
}

TEST(ProgramResources, CheckerPrintsItsNameAndVersion) {
    std::string output = TestBinFolder() + "\\version-output.txt";
    DeleteFileA(output.c_str());
    std::string command =
        "cmd.exe /c \"\"" + BinPath("SetupCheck.exe") + "\" --version > \"" + output + "\"\"";
    EXPECT_EQ(0, RunAndWait(command));
    EXPECT_EQ(std::string("SetupCheck.exe (Orvex Install Wizard) ") + ORVEX_VERSION_TEXT + "\r\n",
              ReadFileBytes(output));
    DeleteFileA(output.c_str());
}

// A package's starter asks for administrator rights for the file the user downloaded and shows
// Setup.exe's icon and the product's own name, maker and version in Explorer's Properties.
TEST(ProgramResources, PackageCarriesTheProductsVersionTheIconAndTheElevationRequest) {
    ProductFolder product;
    ASSERT_TRUE(WriteSmallProduct(product));
    TempFolder out("package resources");
    std::string package = out.File("AcmeReader.exe");
    ASSERT_EQ(0, MakePackage(product.Path(), package));

    HANDLE context = ManifestContext(package);
    ASSERT_NE(INVALID_HANDLE_VALUE, context) << GetLastError();
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
    EXPECT_TRUE(QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level,
                             sizeof(level), nullptr));
    EXPECT_EQ(ACTCTX_RUN_LEVEL_REQUIRE_ADMIN, level.RunLevel);
    ReleaseActCtx(context);

    HMODULE module = LoadLibraryExA(package.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    EXPECT_NE(nullptr, FindResourceA(module, MAKEINTRESOURCEA(IDI_SETUP), RT_GROUP_ICON));
    FreeLibrary(module);

    std::string data = VersionData(package);
    ASSERT_FALSE(data.empty());
    const VS_FIXEDFILEINFO* fixed = FixedVersion(data);
    ASSERT_NE(nullptr, fixed);
    EXPECT_EQ(MAKELONG(1, 2), fixed->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(0, 3), fixed->dwFileVersionLS);
    const char* const strings[][2] = {{"ProductName", "Acme Reader"},
                                      {"CompanyName", "Acme"},
                                      {"ProductVersion", "2.1.3 beta"},
                                      {"FileDescription", "Acme Reader Setup"}};
    for (const auto& expected : strings) {
        const char* value = VersionString(data, expected[0]);
        ASSERT_NE(nullptr, value) << expected[0];
        EXPECT_STREQ(expected[1], value) << expected[0];
    }
}
