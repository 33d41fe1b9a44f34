#include <gtest/gtest.h>

#include <shlobj.h>
#include <string.h>

#include <memory>
#include <string>

#include "support/system_standins.h"
#include "support/test_support.h"
#include "system/macro_expansion.h"
#include "system/path_macros.h"
#include "system/path_macros_testing.h"
#include "system/text.h"

namespace {
std::string Expand(const PathMacros& macros, const char* source) {
    char out[MAX_PATH];
    macros.Expand(source, out, sizeof(out));
    return out;
}

std::string Resolve(const PathMacros& macros, const char* name) {
    char out[MAX_PATH];
    macros.ResolveToken(name, out, sizeof(out));
    return out;
}

const char PROGRAM_FILES_KEY[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

bool IsWow64() {
    typedef BOOL(WINAPI * IsWow64ProcessFn)(HANDLE, BOOL*);
    IsWow64ProcessFn isWow64 = reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    return isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

// Each test starts and ends with an empty Program Files cache.
class PathMacrosTest : public ::testing::Test {
  protected:
    void SetUp() override { ForgetProgramFilesFolder(); }
    void TearDown() override { ForgetProgramFilesFolder(); }
};
} // namespace

TEST_F(PathMacrosTest, ExpandsTheFirstMacroToTheFoldersWindowsReports) {
    PathMacros macros("C:\\Program Files\\Acme\\Viewer");
    const std::string windows = WindowsFolder();
    EXPECT_EQ(windows + "\\setup.exe", Expand(macros, "%WINDOWS%\\setup.exe"));
    EXPECT_EQ("C:\\plain\\path.txt", Expand(macros, "C:\\plain\\path.txt"));
    EXPECT_EQ("x" + windows, Expand(macros, "x%WINDOWS%"));
    EXPECT_EQ("\\setup.exe", Expand(macros, "%windows%\\setup.exe"));
    EXPECT_EQ(ShellFolder(CSIDL_DESKTOP) + "\\a%SENDTO%", Expand(macros, "%DESKTOP%\\a%SENDTO%"));
    EXPECT_EQ("C:\\Program Files\\Acme\\Viewer\\Data\\file.txt",
              Expand(macros, "%DEST_PATH%\\Data\\file.txt"));
    EXPECT_EQ(SystemFolder() + "\\x.dll", Expand(macros, "%SYSTEM%\\x.dll"));
    EXPECT_EQ(std::string(PathMacros::ProgramFilesFolder()) + "\\Acme",
              Expand(macros, "%PROGRAM_FILES%\\Acme"));
    EXPECT_EQ(ShellFolder(CSIDL_PERSONAL), Resolve(macros, "DOCUMENTS"));
    EXPECT_EQ(ShellFolder(CSIDL_PROGRAMS), Resolve(macros, "STARTMENU"));
    EXPECT_EQ(ShellFolder(CSIDL_SENDTO), Resolve(macros, "SENDTO"));
    EXPECT_EQ("", Resolve(macros, "Desktop"));
    EXPECT_EQ("", Resolve(macros, "TEMP"));
    EXPECT_FALSE(Resolve(macros, "DESKTOP").empty());

    // A lone "%" opens no macro: the text is taken as it stands.
    EXPECT_EQ("C:\\100%\\file.txt", Expand(macros, "C:\\100%\\file.txt"));
    EXPECT_EQ("%WINDOWS\\setup.exe", Expand(macros, "%WINDOWS\\setup.exe"));
    EXPECT_EQ("\\a", Expand(macros, "%%\\a"));
}

TEST_F(PathMacrosTest, DestinationIsExpandedOnceAndDriveRootsKeepTheirBackslash) {
    EXPECT_STREQ((WindowsFolder() + "\\Acme").c_str(), PathMacros("%WINDOWS%\\Acme").destPath);
    // While the destination is expanded it is still empty.
    EXPECT_STREQ("\\Sub", PathMacros("%DEST_PATH%\\Sub").destPath);
    EXPECT_STREQ("", PathMacros(nullptr).destPath);

    PathMacros root("C:\\");
    EXPECT_EQ("C:\\Data\\file.txt", Expand(root, "%DEST_PATH%\\Data\\file.txt"));
    // "C:" alone would name the current folder of drive C, not its root.
    EXPECT_EQ("C:\\", Expand(root, "%DEST_PATH%"));
    EXPECT_EQ("C:\\Data", Expand(root, "%DEST_PATH%Data"));

    PathMacros trailing("D:\\Apps\\");
    EXPECT_EQ("D:\\Apps\\x.txt", Expand(trailing, "%DEST_PATH%\\x.txt"));
    EXPECT_EQ("D:\\Apps", Expand(trailing, "%DEST_PATH%"));
}

TEST_F(PathMacrosTest, ResultsAreCutAtTheCallersBuffer) {
    std::string longFolder = "C:\\" + std::string(300, 'a');
    PathMacros macros(longFolder.c_str());
    EXPECT_EQ(std::string(longFolder, 0, MAX_PATH - 1), macros.destPath);

    char out[MAX_PATH + 8];
    memset(out, '#', sizeof(out));
    macros.Expand("%DEST_PATH%\\more\\file.txt", out, MAX_PATH);
    EXPECT_EQ(std::string(longFolder, 0, MAX_PATH - 1), out);
    EXPECT_EQ(std::string(8, '#'), std::string(out + MAX_PATH, 8));

    char small[8];
    memset(small, '#', sizeof(small));
    macros.Expand("xy%WINDOWS%\\setup.exe", small, 6);
    EXPECT_EQ("xy" + WindowsFolder().substr(0, 3), small);
    EXPECT_EQ("##", std::string(small + 6, 2));
    macros.ResolveToken("SYSTEM", small, 4);
    EXPECT_EQ(SystemFolder().substr(0, 3), small);
    macros.Expand("no macro here", small, 4);
    EXPECT_STREQ("no ", small);
}

namespace {
void FakeResolver(const void*, const char* name, char* out, size_t outSize) {
    const char* value = strcmp(name, "LONG") == 0   ? "C:\\A rather long folder\\"
                        : strcmp(name, "S") == 0    ? "D:"
                        : strcmp(name, "ROOT") == 0 ? "E:\\"
                                                    : "";
    CopyText(out, outSize, value);
}
} // namespace

TEST(MacroExpansionTest, ReplacesInPlaceAndKeepsTheRestLiterally) {
    char buffer[MAX_PATH];
    CopyText(buffer, sizeof(buffer), "pre%LONG%\\rest%S%");
    ExpandFirstMacro(buffer, buffer, sizeof(buffer), FakeResolver, nullptr);
    EXPECT_STREQ("preC:\\A rather long folder\\rest%S%", buffer);

    CopyText(buffer, sizeof(buffer), "%SOMETHING_LONGER%\\after\\%S%");
    ExpandFirstMacro(buffer, buffer, sizeof(buffer), FakeResolver, nullptr);
    EXPECT_STREQ("\\after\\%S%", buffer);
    CopyText(buffer, sizeof(buffer), "x%S%\\y");
    ExpandFirstMacro(buffer, buffer, sizeof(buffer), FakeResolver, nullptr);
    EXPECT_STREQ("xD:\\y", buffer);

    // Cut in place: the rest that no longer fits is dropped, never written past the buffer.
    char small[12];
    memset(small, '#', sizeof(small));
    CopyText(small, 10, "%LONG%\\ab");
    ExpandFirstMacro(small, small, 10, FakeResolver, nullptr);
    EXPECT_STREQ("C:\\A rath", small);
    EXPECT_EQ("##", std::string(small + 10, 2));

    ExpandFirstMacro("%ROOT%", buffer, sizeof(buffer), FakeResolver, nullptr);
    EXPECT_STREQ("E:\\", buffer);
    ExpandFirstMacro("%ROOT%\\x", buffer, sizeof(buffer), FakeResolver, nullptr);
    EXPECT_STREQ("E:\\x", buffer);
    ExpandFirstMacro(nullptr, buffer, sizeof(buffer), FakeResolver, nullptr);
    EXPECT_STREQ("", buffer);

    EXPECT_EQ(TOKEN_STARTMENU, FindMacroToken("STARTMENU"));
    EXPECT_EQ(TOKEN_UNKNOWN, FindMacroToken("StartMenu"));
    EXPECT_EQ(TOKEN_UNKNOWN, FindMacroToken("DEST_PATH "));
}

TEST(MacroExpansionTest, ProgramFilesGuessesFromOtherPaths) {
    char path[MAX_PATH];
    CopyText(path, sizeof(path), "D:\\Tools\\Setup\\setup.exe");
    EXPECT_TRUE(CutToFirstFolder(path));
    EXPECT_STREQ("D:\\Tools", path);
    // In a drive's root or on a network path the guess names nothing usable.
    for (const char* unusable : {"D:\\setup.exe", "\\\\server\\share\\Setup\\setup.exe",
                                 "D:setup.exe", "D:\\\\x\\setup.exe", ""}) {
        CopyText(path, sizeof(path), unusable);
        EXPECT_FALSE(CutToFirstFolder(path)) << unusable;
        EXPECT_STREQ("", path) << unusable;
    }

    ProgramFilesBesideWindows("E:\\WINNT", path, sizeof(path));
    EXPECT_STREQ("E:\\Program files", path);

    DefaultShellFolder(TOKEN_DESKTOP, "C:\\WINDOWS", path, sizeof(path));
    EXPECT_STREQ("C:\\WINDOWS\\Desktop", path);
    DefaultShellFolder(TOKEN_SENDTO, "C:\\WINDOWS\\", path, sizeof(path));
    EXPECT_STREQ("C:\\WINDOWS\\SendTo", path);
    DefaultShellFolder(TOKEN_STARTMENU, "C:\\WINDOWS", path, sizeof(path));
    EXPECT_STREQ("C:\\WINDOWS\\Start Menu\\Programs", path);
    DefaultShellFolder(TOKEN_DOCUMENTS, "C:\\WINDOWS", path, sizeof(path));
    EXPECT_STREQ("C:\\My documents", path);
}

TEST_F(PathMacrosTest, LiveObjectsShareOneLoadOfTheShellLibrary) {
    ShellFolderBindingState before = InspectShellFolderBinding();
    ASSERT_EQ(0, before.liveObjects);
    EXPECT_EQ(nullptr, before.library);
    {
        std::unique_ptr<PathMacros> first(new PathMacros(""));
        ShellFolderBindingState one = InspectShellFolderBinding();
        EXPECT_EQ(1, one.liveObjects);
        EXPECT_EQ(before.libraryLoads + 1, one.libraryLoads);
        ASSERT_NE(nullptr, one.library);
        EXPECT_TRUE(one.hasSpecialFolderPath);
        char loaded[MAX_PATH] = "";
        GetModuleFileNameA(one.library, loaded, sizeof(loaded));
        EXPECT_EQ(0, lstrcmpiA((SystemFolder() + "\\shell32.dll").c_str(), loaded)) << loaded;
        {
            PathMacros second("");
            ShellFolderBindingState two = InspectShellFolderBinding();
            EXPECT_EQ(2, two.liveObjects);
            EXPECT_EQ(one.libraryLoads, two.libraryLoads);
            EXPECT_EQ(one.library, two.library);
        }
        ShellFolderBindingState stillOne = InspectShellFolderBinding();
        EXPECT_EQ(1, stillOne.liveObjects);
        EXPECT_EQ(before.libraryFrees, stillOne.libraryFrees);
        EXPECT_EQ(one.library, stillOne.library);
        EXPECT_FALSE(Expand(*first, "%DESKTOP%").empty());
    }
    ShellFolderBindingState after = InspectShellFolderBinding();
    EXPECT_EQ(0, after.liveObjects);
    EXPECT_EQ(before.libraryFrees + 1, after.libraryFrees);
    EXPECT_EQ(nullptr, after.library);
    EXPECT_FALSE(after.hasSpecialFolderPath || after.hasFolderPath);

    PathMacros again("");
    EXPECT_EQ(before.libraryLoads + 2, InspectShellFolderBinding().libraryLoads);
}

TEST_F(PathMacrosTest, FolderTokensWithoutShellFunctionsUseTheUsersRegistryThenDefaults) {
    TempFolder desktop("orvex desktop");
    RegistryValueGuard desktopValue(HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, "Desktop");
    RegistryValueGuard sendToValue(HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, "SendTo");
    RegistryValueGuard personalValue(HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, "Personal");
    RegistryValueGuard startMenuValue(HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, "Start Menu");

    PathMacros macros("");
    DropShellFolderFunctions();
    ASSERT_TRUE(desktopValue.Set(desktop.Path()));
    ASSERT_TRUE(startMenuValue.Set("C:\\Menu Of The User"));
    EXPECT_EQ(desktop.Path() + "\\x.lnk", Expand(macros, "%DESKTOP%\\x.lnk"));
    EXPECT_EQ("C:\\Menu Of The User", Resolve(macros, "STARTMENU"));

    // Never a folder below the user's own one such as "...\All users\Desktop".
    ASSERT_TRUE(desktopValue.Remove());
    ASSERT_TRUE(sendToValue.Remove());
    ASSERT_TRUE(personalValue.Remove());
    const std::string windows = WindowsFolder();
    EXPECT_EQ(windows + "\\Desktop", Resolve(macros, "DESKTOP"));
    EXPECT_EQ(windows + "\\SendTo", Resolve(macros, "SENDTO"));
    EXPECT_EQ(windows.substr(0, 3) + "My documents", Resolve(macros, "DOCUMENTS"));
}

TEST_F(PathMacrosTest, ProgramFilesIsFoundOnceAndIsThe32BitFolder) {
    PathMacros macros("");
    std::string found = PathMacros::ProgramFilesFolder();
    DWORD attributes = GetFileAttributesA(found.c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes) << found;
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    std::string registered;
    ASSERT_TRUE(
        ReadRegistryValue(HKEY_LOCAL_MACHINE, PROGRAM_FILES_KEY, "ProgramFilesDir", &registered));
    EXPECT_EQ(registered, found);
    if (IsWow64()) {
        EXPECT_NE(std::string::npos, found.find("(x86)")) << found;
    }

    // Not looked for again once found.
    TempFolder other("orvexpf");
    RegistryValueGuard value(HKEY_LOCAL_MACHINE, PROGRAM_FILES_KEY, "ProgramFilesDir");
    ASSERT_TRUE(value.Set(other.Path()));
    EXPECT_EQ(found, PathMacros::ProgramFilesFolder());
    ForgetProgramFilesFolder();
    EXPECT_EQ(other.Path(), PathMacros::ProgramFilesFolder());
}

namespace {
// Sets PROGRAMFILES for this process and puts it back afterwards.
class EnvironmentGuard {
  public:
    explicit EnvironmentGuard(const char* name) : name_(name) {
        char value[4096];
        DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
        existed_ = length > 0 && length < sizeof(value);
        if (existed_)
            saved_ = value;
    }
    ~EnvironmentGuard() { SetEnvironmentVariableA(name_, existed_ ? saved_.c_str() : nullptr); }
    void Set(const std::string& value) { SetEnvironmentVariableA(name_, value.c_str()); }

  private:
    const char* name_;
    bool existed_;
    std::string saved_;
};

std::string ExecutableDriveAndFirstFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string text = path;
    return text.substr(0, text.find('\\', 3));
}
} // namespace

TEST_F(PathMacrosTest, ProgramFilesFallsThroughGuessesThatNameNoFolder) {
    TempFolder environmentFolder("orvexenv");
    TempFolder longParent("orvexlong");
    std::string longFolder = longParent.Path() + "\\" + std::string(100, 'p');
    ASSERT_TRUE(CreateDirectoryA(longFolder.c_str(), nullptr));
    ASSERT_GE(longFolder.size(), 128u);
    RegistryValueGuard value(HKEY_LOCAL_MACHINE, PROGRAM_FILES_KEY, "ProgramFilesDir");
    EnvironmentGuard environment("PROGRAMFILES");
    ASSERT_TRUE(value.Set("C:\\No Such Folder Of Orvex"));

    // No PathMacros lives, so no shell function is bound: registry, then environment.
    ASSERT_EQ(0, InspectShellFolderBinding().liveObjects);
    environment.Set(environmentFolder.Path());
    EXPECT_EQ(environmentFolder.Path(), PathMacros::ProgramFilesFolder());

    // A value longer than the cache is passed over rather than cut.
    ForgetProgramFilesFolder();
    ASSERT_TRUE(value.Set(longFolder));
    EXPECT_EQ(environmentFolder.Path(), PathMacros::ProgramFilesFolder());

    // A file is no folder; after the environment comes the executable's drive and first folder.
    ForgetProgramFilesFolder();
    ASSERT_TRUE(WriteFileBytes(environmentFolder.File("file"), "x"));
    environment.Set(environmentFolder.File("file"));
    EXPECT_EQ(ExecutableDriveAndFirstFolder(), PathMacros::ProgramFilesFolder());

    // With the shell bound: Wine's shell derives its answer from the same registry value, so it
    // names nothing either and is passed over too.
    ForgetProgramFilesFolder();
    ASSERT_TRUE(value.Set("C:\\No Such Folder Of Orvex"));
    environment.Set(environmentFolder.Path());
    PathMacros macros("");
    EXPECT_EQ(environmentFolder.Path(), PathMacros::ProgramFilesFolder());
    EXPECT_FALSE(FileExists("C:\\No Such Folder Of Orvex"));
}

TEST_F(PathMacrosTest, AllUsersNameTheSharedStartMenuAndDesktopWhereWindowsHasThem) {
    struct Restore {
        ~Restore() { SetShortcutsForAllUsers(false); }
    } restore;
    ASSERT_NE(ShellFolder(CSIDL_PROGRAMS), ShellFolder(CSIDL_COMMON_PROGRAMS));
    SetShortcutsForAllUsers(true);
    RegistryValueGuard common(HKEY_LOCAL_MACHINE, SHELL_FOLDERS_KEY, "Common Programs");
    RegistryValueGuard own(HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, "Start Menu");
    PathMacros macros("");
    const struct {
        const char* token;
        int folder;
    } rows[] = {
        {"STARTMENU", CSIDL_COMMON_PROGRAMS},
        {"DESKTOP", CSIDL_COMMON_DESKTOPDIRECTORY},
        {"SENDTO", CSIDL_SENDTO},
        {"DOCUMENTS", CSIDL_PERSONAL},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ShellFolder(row.folder), Resolve(macros, row.token)) << row.token;

    // Without the shell functions the machine's "Shell Folders" names them; where it names none
    // (Windows 95 and 98 without profiles) the current user's folders are everyone's.
    DropShellFolderFunctions();
    ASSERT_TRUE(common.Set("C:\\Menu Of Everyone"));
    ASSERT_TRUE(own.Set("C:\\Menu Of The User"));
    EXPECT_EQ("C:\\Menu Of Everyone", Resolve(macros, "STARTMENU"));
    ASSERT_TRUE(common.Remove());
    EXPECT_EQ("C:\\Menu Of The User", Resolve(macros, "STARTMENU"));
}
