#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/install_context.h"
#include "app/installer_path_hook.h"
#include "app/uninstall_entry.h"
#include "script/setup_script.h"
#include "support/desktop_support.h"
#include "support/system_standins.h"
#include "system/registry_hook.h"
#include "system/text.h"

namespace {

const char UNINSTALL_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

class UninstallEntryTest : public ::testing::Test {
  protected:
    void TearDown() override {
        installerPathOverride = nullptr;
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, key);
        for (const std::string& path : {copy, numbered(1), numbered(2)}) {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
    }
    std::string numbered(int number) const {
        return WindowsFolder() + "\\OrvexSetupTest" + std::to_string(number) + ".exe";
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
    std::unique_ptr<SetupScript, void (*)(SetupScript*)> script{NewSetupScript(),
                                                                DestroySetupScript};
};

DWORD NumberValue(const std::string& key, const char* name) {
    DWORD number = 0;
    DWORD size = sizeof(number);
    RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &number, &size);
    return number;
}

// The value named here is refused, as a registry without rights would refuse it.
const char* refusedValue = nullptr;
LONG WINAPI RefuseOneValue(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                           DWORD size) {
    if (name && refusedValue && strcmp(name, refusedValue) == 0)
        return ERROR_ACCESS_DENIED;
    return RegSetValueExA(key, name, reserved, type, data, size);
}

TEST_F(UninstallEntryTest, CopiesInstallerAndWritesEveryValueOfTheEntry) {
    ASSERT_EQ(127u, title.size());
    ASSERT_TRUE(
        CopyFileA(BinPath("Setup.exe").c_str(), setup.File("OrvexSetupTest.exe").c_str(), FALSE));
    UseInstaller(setup.File("OrvexSetupTest.exe"));
    // An earlier copy of the same version, made from read-only media.
    ASSERT_TRUE(CopyFileA(BinPath("Setup.exe").c_str(), copy.c_str(), FALSE));
    SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_READONLY);
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, key);
    CopyText(script->company, sizeof(script->company), "Orvex Ltd");
    CopyText(script->webPage, sizeof(script->webPage), "http://example.com/orvex");
    CopyText(script->version, sizeof(script->version), "2.1.0");

    InstallContext context(setup.Path().c_str(), dest.Path().c_str(), title.c_str(), nullptr);
    context.script = script.get();
    EXPECT_TRUE(WriteUninstallEntry(context));

    EXPECT_TRUE(ReadFileBytes(BinPath("Setup.exe")) == ReadFileBytes(copy)) << "contents differ";
    EXPECT_EQ(0u, GetFileAttributesA(copy.c_str()) & FILE_ATTRIBUTE_READONLY);
    std::string log = dest.Path() + "\\_Install.log";
    const struct {
        const char* name;
        std::string text;
    } values[] = {
        {"DisplayName", title},
        {"DisplayIcon", copy + ",-102"},
        {"UninstallString", copy + " -uninst" + log},
        {"QuietUninstallString", copy + " /S -uninst" + log},
        {"Publisher", "Orvex Ltd"},
        {"InstallLocation", dest.Path()},
        {"URLInfoAbout", "http://example.com/orvex"},
        {"DisplayVersion", "2.1.0"},
    };
    for (const auto& value : values)
        EXPECT_EQ(value.text, Value(value.name)) << value.name;
    EXPECT_EQ(1u, NumberValue(key, "NoModify"));
    EXPECT_EQ(1u, NumberValue(key, "NoRepair"));
    EXPECT_EQ(0u, NumberValue(key, "ShortcutsForAllUsers"));
    // Nothing of this goes into the install log.
    EXPECT_FALSE(FileExists(log));

    // Without a web page or a version those values are left out.
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, key);
    script->webPage[0] = '\0';
    script->version[0] = '\0';
    EXPECT_TRUE(WriteUninstallEntry(context));
    std::string text;
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key, "URLInfoAbout", &text));
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key, "DisplayVersion", &text));
    // A reinstall reads the choice of all users back from here.
    SetShortcutsForAllUsers(true);
    bool written = WriteUninstallEntry(context);
    SetShortcutsForAllUsers(false);
    EXPECT_TRUE(written);
    EXPECT_EQ(1u, NumberValue(key, "ShortcutsForAllUsers"));

    // Any value that cannot be written fails the entry.
    SeamGuard refused(setRegistryValue, RefuseOneValue);
    for (const char* name : {"DisplayName", "QuietUninstallString", "Publisher", "NoRepair"}) {
        refusedValue = name;
        EXPECT_FALSE(WriteUninstallEntry(context)) << name;
    }
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
        untitled.script = script.get();
        EXPECT_FALSE(WriteUninstallEntry(untitled));
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
        unlogged.script = script.get();
        EXPECT_FALSE(WriteUninstallEntry(unlogged));
    }
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key, "DisplayName", &value));
    EXPECT_FALSE(FileExists(copy));

    // An installer that cannot be copied leaves no entry.
    UseInstaller(setup.File("Missing\\OrvexSetupTest.exe"));
    InstallContext context(setup.Path().c_str(), dest.Path().c_str(), title.c_str(), nullptr);
    context.script = script.get();
    EXPECT_FALSE(WriteUninstallEntry(context));
    EXPECT_FALSE(ReadRegistryValue(HKEY_LOCAL_MACHINE, key, "DisplayName", &value));
    EXPECT_FALSE(FileExists(copy));
}

TEST_F(UninstallEntryTest, InstallerStartedFromWindowsFolderKeepsItself) {
    ASSERT_TRUE(CopyFileA(BinPath("Setup.exe").c_str(), copy.c_str(), FALSE));
    UseInstaller(copy);

    InstallContext context(setup.Path().c_str(), dest.Path().c_str(), title.c_str(), nullptr);
    context.script = script.get();
    EXPECT_TRUE(WriteUninstallEntry(context));

    EXPECT_TRUE(ReadFileBytes(BinPath("Setup.exe")) == ReadFileBytes(copy)) << "contents differ";
    EXPECT_EQ(copy + " -uninst" + dest.Path() + "\\_Install.log", Value("UninstallString"));
}

TEST_F(UninstallEntryTest, AnotherProgramOfTheSameNameIsNeverOverwrittenANewerCopyIsKept) {
    ASSERT_TRUE(
        CopyFileA(BinPath("Setup.exe").c_str(), setup.File("OrvexSetupTest.exe").c_str(), FALSE));
    UseInstaller(setup.File("OrvexSetupTest.exe"));
    const std::string ours = ReadFileBytes(BinPath("Setup.exe"));
    const std::string newer = ReadFileBytes(StandInPath("newersetup\\NewerSetup.exe"));
    const std::string foreign = ReadFileBytes(StandInPath("sample\\Reader.exe"));
    const struct {
        std::string atName, atFirst; // what lies at the copy's name and at <name>1.exe
        std::string named;           // the copy the entry names
        std::string namedBytes;
    } cases[] = {
        {foreign, "", numbered(1), ours},
        {foreign, foreign, numbered(2), ours},
        {foreign, newer, numbered(1), newer},
        {newer, "", copy, newer},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.named);
        for (const std::string& path : {copy, numbered(1), numbered(2)})
            DeleteFileA(path.c_str());
        ASSERT_TRUE(WriteFileBytes(copy, row.atName));
        if (!row.atFirst.empty()) {
            ASSERT_TRUE(WriteFileBytes(numbered(1), row.atFirst));
        }

        InstallContext context(setup.Path().c_str(), dest.Path().c_str(), title.c_str(), nullptr);
        context.script = script.get();
        EXPECT_TRUE(WriteUninstallEntry(context));

        EXPECT_TRUE(row.atName == ReadFileBytes(copy)) << "the file of that name changed";
        EXPECT_TRUE(row.namedBytes == ReadFileBytes(row.named)) << "contents differ";
        EXPECT_EQ(row.named + " -uninst" + dest.Path() + "\\_Install.log",
                  Value("UninstallString"));
        EXPECT_STREQ(row.named.c_str(), context.installerCopy);
    }
}

} // namespace
