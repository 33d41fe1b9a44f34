#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/install_context.h"
#include "app/installer_path_hook.h"
#include "app/uninstall_entry.h"
#include "support/desktop_support.h"
#include "support/system_standins.h"

namespace {

const char UNINSTALL_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

class UninstallEntryTest : public ::testing::Test {
  protected:
    void TearDown() override {
        installerPathOverride = nullptr;
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, key);
        SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(copy.c_str());
    }
    void UseInstaller(const std::string& path) {
        installer = path;
        installerPathOverride = installer.c_str();
    }
    std::string Value(const char* name) {
        std::string value;
        EXPECT_TRUE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key, name, &value)) << name;
        return value;
    }

    // The installer lies in a folder whose path holds blanks.
    TempFolder setup{"orvex setup folder"};
    TempFolder dest{"orvex dest"};
    std::string title = "Orvex " + std::string(121, 'T');
    std::string key = UNINSTALL_KEY + title;
    std::string copy = WindowsFolder() + "\\OrvexSetupTest.exe";
    std::string installer;
};

TEST_F(UninstallEntryTest, CopiesInstallerAndWritesTheThreeValuesByteForByte) {
    ASSERT_EQ(127u, title.size());
    ASSERT_TRUE(
        CopyFileA(BinPath("Setup.exe").c_str(), setup.File("OrvexSetupTest.exe").c_str(), FALSE));
    UseInstaller(setup.File("OrvexSetupTest.exe"));
    // An earlier copy made from read-only media.
    ASSERT_TRUE(WriteFileBytes(copy, "older installer"));
    SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_READONLY);
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, key);

    InstallContext context(setup.Path().c_str(), dest.Path().c_str(), title.c_str(), nullptr);
    WriteUninstallEntry(context);

    EXPECT_TRUE(ReadFileBytes(BinPath("Setup.exe")) == ReadFileBytes(copy)) << "contents differ";
    EXPECT_EQ(0u, GetFileAttributesA(copy.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(title, Value("DisplayName"));
    EXPECT_EQ(copy + ";-102", Value("DisplayIcon"));
    EXPECT_EQ(copy + " -uninst" + dest.Path() + "\\_Install.log", Value("UninstallString"));
    // Nothing of this goes into the install log.
    EXPECT_FALSE(FileExists(dest.File("_Install.log")));
}

TEST_F(UninstallEntryTest, NothingIsWrittenWithoutTitleLogOrCopy) {
    // Without a title the values would land on the Uninstall key itself; the guards put back
    // whatever was there.
    std::string uninstallKey(UNINSTALL_KEY, sizeof(UNINSTALL_KEY) - 2);
    RegistryValueGuard name(HKEY_LOCAL_MACHINE, uninstallKey, "DisplayName");
    RegistryValueGuard icon(HKEY_LOCAL_MACHINE, uninstallKey, "DisplayIcon");
    RegistryValueGuard command(HKEY_LOCAL_MACHINE, uninstallKey, "UninstallString");
    name.Remove();
    icon.Remove();
    command.Remove();
    ASSERT_TRUE(
        CopyFileA(BinPath("Setup.exe").c_str(), setup.File("OrvexSetupTest.exe").c_str(), FALSE));
    UseInstaller(setup.File("OrvexSetupTest.exe"));
    {
        InstallContext untitled(setup.Path().c_str(), dest.Path().c_str(), nullptr, nullptr);
        WriteUninstallEntry(untitled);
    }
    std::string value;
    for (const char* valueName : {"DisplayName", "DisplayIcon", "UninstallString"})
        EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, uninstallKey, valueName, &value))
            << valueName;
    EXPECT_FALSE(FileExists(copy));

    // A destination that expands to nothing gives the run no log: an entry could remove nothing.
    {
        InstallContext unlogged(setup.Path().c_str(), "%NO_SUCH_FOLDER%", title.c_str(), nullptr);
        ASSERT_EQ('\0', unlogged.fileName[0]);
        WriteUninstallEntry(unlogged);
    }
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key, "DisplayName", &value));
    EXPECT_FALSE(FileExists(copy));

    // An installer that cannot be copied leaves no entry.
    UseInstaller(setup.File("Missing\\OrvexSetupTest.exe"));
    InstallContext context(setup.Path().c_str(), dest.Path().c_str(), title.c_str(), nullptr);
    WriteUninstallEntry(context);
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key, "DisplayName", &value));
    EXPECT_FALSE(FileExists(copy));
}

TEST_F(UninstallEntryTest, InstallerStartedFromWindowsFolderKeepsItself) {
    ASSERT_TRUE(CopyFileA(BinPath("Setup.exe").c_str(), copy.c_str(), FALSE));
    UseInstaller(copy);

    InstallContext context(setup.Path().c_str(), dest.Path().c_str(), title.c_str(), nullptr);
    WriteUninstallEntry(context);

    EXPECT_TRUE(ReadFileBytes(BinPath("Setup.exe")) == ReadFileBytes(copy)) << "contents differ";
    EXPECT_EQ(copy + " -uninst" + dest.Path() + "\\_Install.log", Value("UninstallString"));
}

} // namespace
