#include <gtest/gtest.h>

#include <string>

#include "support/system_standins.h"
#include "support/test_support.h"
#include "system/library_binding.h"

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
    const std::string inSystem = std::string(systemFolder) + "\\OrvexSys.dll";
    const std::string planted = BinPath("OrvexSys.dll");
    ASSERT_FALSE(FileExists(planted) || FileExists(inSystem)) << "left over from an earlier run";
    ASSERT_TRUE(CopyFileA(TestComServerPath().c_str(), inSystem.c_str(), TRUE));
    ASSERT_TRUE(CopyFileA(TestComServerPath().c_str(), planted.c_str(), TRUE));

    HMODULE bare = LoadLibraryA("OrvexSys.dll");
    EXPECT_EQ(0, lstrcmpiA(planted.c_str(), ModulePath(bare).c_str())) << ModulePath(bare);
    FreeLibrary(bare);

    HMODULE system = LoadSystemLibrary("OrvexSys.dll");
    ASSERT_NE(nullptr, system);
    EXPECT_NE(0, lstrcmpiA(planted.c_str(), ModulePath(system).c_str())) << ModulePath(system);
    FreeLibrary(system);

    EXPECT_TRUE(DeleteFileA(planted.c_str()));
    EXPECT_TRUE(DeleteFileA(inSystem.c_str()));
}
