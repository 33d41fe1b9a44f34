#include <gtest/gtest.h>

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
// Wine has every library and export the tables name: a name that is no export, or a table bound
// from the wrong library, leaves the table unbound.
template <typename Functions> void ExpectBound(SystemTable<Functions>* table) {
    FunctionsUse<Functions> use(table);
    EXPECT_TRUE(use) << table->binding.library->fileName << ": " << table->binding.names;
}
} // namespace

TEST(SystemLibrariesTest, EveryTableBindsFromItsLibrary) {
    ExpectBound(&tokenTable);
    ExpectBound(&membershipTable);
    ExpectBound(&cryptTable);
    ExpectBound(&versionTable);
    ExpectBound(&sfcTable);
    ExpectBound(&restartManagerTable);
    ExpectBound(&user32Table);
    ExpectBound(&ole32Table);
    ExpectBound(&shellExecuteTable);
    ExpectBound(&commonControlsTable);
    ExpectBound(&specialFolderTable);
    ExpectBound(&shell32FolderPathTable);
    ExpectBound(&shfolderFolderPathTable);
    ExpectBound(&ntdllTable);
}

TEST(SystemLibrariesTest, AMissingExportLeavesTheWholeTableUnbound) {
    SystemLibrary library = {"version.dll", nullptr, 0, false, 0};
    SystemTable<VersionFunctions> table = {
        {&library, "GetFileVersionInfoSizeA\0GetFileVersionInfoA\0OrvexNoSuchExport\0", 0, false},
        {}};
    EXPECT_FALSE(FunctionsUse<VersionFunctions>(&table));
    // All or none: the names before the missing one are not left bound either.
    EXPECT_EQ(nullptr, table.functions.GetFileVersionInfoSizeA);
    EXPECT_EQ(nullptr, table.functions.GetFileVersionInfoA);
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
