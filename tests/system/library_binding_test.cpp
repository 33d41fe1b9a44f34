#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "support/system_standins.h"
#include "support/test_support.h"
#include "system/file_protection.h"
#include "system/file_version.h"
#include "system/library_binding.h"
#include "system/system_libraries.h"
#include "system/win_handles.h"

namespace {
std::string ModulePath(HMODULE module) {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(module, path, sizeof(path));
    return path;
}
} // namespace

// A DLL planted beside the program under a system library's name must not be the one loaded.
// (Wine's own libraries are built in and ignore plants, so a library of ours plays the system's.)
TEST(LibraryBindingTest, SystemLibraryComesFromTheSystemFolderNotBesideTheProgram) {
    char systemFolder[MAX_PATH];
    GetSystemDirectoryA(systemFolder, sizeof(systemFolder));
    const FixedPlace systemCopy(std::string(systemFolder) + "\\OrvexSys.dll");
    const FixedPlace plantedCopy(BinPath("OrvexSys.dll"));
    const std::string& inSystem = systemCopy.Path();
    const std::string& planted = plantedCopy.Path();
    ASSERT_TRUE(CopyFileA(TestComServerPath().c_str(), inSystem.c_str(), TRUE));
    ASSERT_TRUE(CopyFileA(TestComServerPath().c_str(), planted.c_str(), TRUE));

    HMODULE bare = LoadLibraryA("OrvexSys.dll");
    EXPECT_EQ(0, lstrcmpiA(planted.c_str(), ModulePath(bare).c_str())) << ModulePath(bare);
    FreeLibrary(bare);

    HMODULE system = LoadSystemLibrary("OrvexSys.dll");
    ASSERT_NE(nullptr, system);
    EXPECT_NE(0, lstrcmpiA(planted.c_str(), ModulePath(system).c_str())) << ModulePath(system);
    FreeLibrary(system);
}

namespace {
// Whether every name of a table's list is an export of the library, asked one by one.
bool ExportsAll(const char* library, const char* names) {
    Library module(LoadSystemLibrary(library));
    for (; *names; names += strlen(names) + 1) {
        if (!module || !GetProcAddress(module.Get(), names))
            return false;
    }
    return true;
}

template <typename Functions> void ExpectBoundWhereExported(SystemTable<Functions>* table) {
    const TableBinding& binding = table->binding;
    bool exported = ExportsAll(binding.library->fileName, binding.names);
    FunctionsUse<Functions> use(table);
    EXPECT_EQ(exported, static_cast<bool>(use)) << binding.names;
    // Wine has every library and export the tables name.
    EXPECT_TRUE(exported) << binding.library->fileName << ": " << binding.names;
}
} // namespace

TEST(SystemLibrariesTest, EveryTableBindsWhereItsLibraryExportsAllItsNames) {
    ExpectBoundWhereExported(&tokenTable);
    ExpectBoundWhereExported(&membershipTable);
    ExpectBoundWhereExported(&cryptTable);
    ExpectBoundWhereExported(&versionTable);
    ExpectBoundWhereExported(&sfcTable);
    ExpectBoundWhereExported(&restartManagerTable);
    ExpectBoundWhereExported(&user32Table);
    ExpectBoundWhereExported(&ole32Table);
    ExpectBoundWhereExported(&shellExecuteTable);
    ExpectBoundWhereExported(&commonControlsTable);
    ExpectBoundWhereExported(&specialFolderTable);
    ExpectBoundWhereExported(&shell32FolderPathTable);
    ExpectBoundWhereExported(&shfolderFolderPathTable);

    // kernel32's optional functions each on its own, as the process's kernel32 has them.
    const Kernel32Functions& kernel = Kernel32();
    const FARPROC* bound = reinterpret_cast<const FARPROC*>(&kernel);
    const char* name = ORVEX_TABLE_NAMES(ORVEX_KERNEL32_FUNCTIONS);
    for (size_t i = 0; *name; ++i, name += strlen(name) + 1)
        EXPECT_EQ(GetProcAddress(GetModuleHandleA("kernel32.dll"), name), bound[i]) << name;
    EXPECT_EQ(&kernel, &Kernel32());
}

TEST(SystemLibrariesTest, AMissingExportLeavesTheWholeTableUnbound) {
    Library version(LoadSystemLibrary("version.dll"));
    ASSERT_TRUE(version.IsValid());
    VersionFunctions functions;
    memset(&functions, 0x5A, sizeof(functions));
    EXPECT_FALSE(BindFunctions(version.Get(),
                               "GetFileVersionInfoSizeA\0OrvexNoSuchExport\0VerQueryValueA\0",
                               &functions, 3));
    EXPECT_EQ(nullptr, functions.GetFileVersionInfoSizeA);
    EXPECT_EQ(nullptr, functions.GetFileVersionInfoA);
    EXPECT_EQ(nullptr, functions.VerQueryValueA);
    // The same through a table of the library, and a library that is not there at all.
    SystemLibrary library = {"version.dll", nullptr, 0, false, 0};
    SystemTable<VersionFunctions> table = {
        {&library, "GetFileVersionInfoSizeA\0GetFileVersionInfoA\0OrvexNoSuchExport\0", 0, false},
        {}};
    EXPECT_FALSE(FunctionsUse<VersionFunctions>(&table));
    EXPECT_EQ(nullptr, table.functions.GetFileVersionInfoSizeA);
    SystemLibrary absent = {"orvex-no-such-library.dll", nullptr, 0, false, 0};
    SystemTable<VersionFunctions> absentTable = {{&absent, versionTable.binding.names, 0, false},
                                                 {}};
    LibraryUse use(&absent);
    EXPECT_FALSE(FunctionsUse<VersionFunctions>(&absentTable));
    EXPECT_FALSE(FunctionsUse<VersionFunctions>(&absentTable));
    EXPECT_EQ(0u, absent.loads);
}

TEST(SystemLibrariesTest, AWholeUseLoadsTheLibraryOnceAndFreesItAfter) {
    const std::string program = TestComServerPath();
    FileVersionInfo info;
    unsigned versionLoads = versionLibrary.loads;
    unsigned sfcLoads = sfcLibrary.loads;
    {
        // As a run holds one across its shared-file decisions.
        SharedFileUse sharedFiles;
        EXPECT_EQ(versionLoads, versionLibrary.loads); // nothing loaded before a question
        for (int i = 0; i < 3; ++i) {
            ReadFileVersion(program.c_str(), &info);
            IsProtectedFile(program.c_str());
        }
        EXPECT_EQ(versionLoads + 1, versionLibrary.loads);
        EXPECT_EQ(sfcLoads + 1, sfcLibrary.loads);
        EXPECT_NE(nullptr, versionLibrary.module);
    }
    EXPECT_EQ(nullptr, versionLibrary.module);
    EXPECT_EQ(nullptr, sfcLibrary.module);
    EXPECT_EQ(0, versionLibrary.users);
    // Without the longer use every question is a use of its own.
    for (int i = 0; i < 3; ++i)
        ReadFileVersion(program.c_str(), &info);
    EXPECT_EQ(versionLoads + 4, versionLibrary.loads);
}
