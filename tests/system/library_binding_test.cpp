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
