// Where the starter unpacks, with and without administrator rights, and the access list it gives
// the folder: Wine enforces none, so the descriptor itself is read back.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "package/unpack_folder.h"
#include "support/test_support.h"

namespace {
std::wstring Wide(const std::string& text) {
    WCHAR wide[MAX_PATH] = L"";
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, MAX_PATH);
    return wide;
}

// TMP and TEMP, which GetTempPath reads, as a user whose name the code page lacks has them.
struct WideTemp {
    explicit WideTemp(const std::wstring& path) {
        for (int i = 0; i < 2; ++i) {
            GetEnvironmentVariableW(NAMES[i], saved[i], MAX_PATH);
            SetEnvironmentVariableW(NAMES[i], path.c_str());
        }
    }
    ~WideTemp() {
        for (int i = 0; i < 2; ++i)
            SetEnvironmentVariableW(NAMES[i], *saved[i] ? saved[i] : nullptr);
    }
    static constexpr const wchar_t* NAMES[2] = {L"TMP", L"TEMP"};
    WCHAR saved[2][MAX_PATH] = {};
};

// The Windows folder's Temp as its folder lists it, letter case included (Wine's is "temp").
std::string ListedWindowsTemp() {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((WindowsFolder() + "\\*").c_str(), &found);
    std::string name;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        name = lstrcmpiA(found.cFileName, "Temp") == 0 ? found.cFileName : name;
    FindClose(search);
    return WindowsFolder() + "\\" + name + "\\";
}

std::string SidText(PSID sid) {
    std::string text = "S-1-" + std::to_string(GetSidIdentifierAuthority(sid)->Value[5]);
    for (UCHAR i = 0; i < *GetSidSubAuthorityCount(sid); ++i)
        text += "-" + std::to_string(*GetSidSubAuthority(sid, i));
    return text;
}
} // namespace

TEST(UnpackFolder, AdministratorsUnpackInWindowsTempOthersInATempTheCodePageCanName) {
    std::string windowsTemp = ListedWindowsTemp();
    TempFolder base("unpack-parents");
    std::wstring plain = Wide(base.File("plain")) + L"\\";
    // A user name outside the code page (Cyrillic on a Western system), and the same missing.
    std::wstring foreign = Wide(base.Path()) + L"\\\x0414\x043c\x0438\x0442\x0440\x0438\x0439\\";
    std::wstring missing = Wide(base.Path()) + L"\\\x0414\x043c\x0438\\";
    if (GetACP() == 1251 || GetACP() == 65001)
        GTEST_SKIP() << "this code page names Cyrillic folders";
    ASSERT_TRUE(CreateDirectoryW(plain.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(foreign.c_str(), nullptr));
    const struct {
        bool administrator;
        std::wstring temp;
        std::string expected; // empty: the short form of temp
    } cases[] = {
        {true, plain, windowsTemp},
        {true, foreign, windowsTemp},
        {false, plain, base.File("plain") + "\\"},
        {false, foreign, ""},
        {false, missing, windowsTemp},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.administrator) + " " + std::to_string(c.temp.size()));
        WideTemp temp(c.temp);
        char parent[MAX_PATH] = "";
        ASSERT_TRUE(UnpackParent(c.administrator, parent, sizeof(parent)));
        if (!c.expected.empty()) {
            EXPECT_STREQ(c.expected.c_str(), parent);
            continue;
        }
        // The short form names the same folder through the ANSI functions.
        EXPECT_EQ(std::string::npos, std::string(parent).find('?')) << parent;
        EXPECT_NE(windowsTemp, parent);
        WCHAR longForm[MAX_PATH] = L"";
        ASSERT_NE(0u, GetLongPathNameW(Wide(parent).c_str(), longForm, MAX_PATH)) << parent;
        EXPECT_EQ(0, lstrcmpiW(c.temp.c_str(), longForm)) << parent;
    }
    // The ANSI functions that remove the temporary folder cannot name this one.
    RemoveDirectoryW(foreign.c_str());
    char tiny[8];
    EXPECT_FALSE(UnpackParent(true, tiny, sizeof(tiny)));
}

TEST(UnpackFolder, FolderAdmitsAdministratorsAndSystemAloneAndPassesThatOn) {
    PSECURITY_DESCRIPTOR descriptor = const_cast<BYTE*>(UNPACK_FOLDER_DESCRIPTOR);
    ASSERT_TRUE(IsValidSecurityDescriptor(descriptor));
    EXPECT_EQ(sizeof(UNPACK_FOLDER_DESCRIPTOR), GetSecurityDescriptorLength(descriptor));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(descriptor, &control, &revision));
    // Nothing of the parent's inheritable entries joins in.
    EXPECT_TRUE(control & SE_DACL_PROTECTED);
    BOOL present = FALSE, defaulted = TRUE;
    PACL acl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted));
    ASSERT_TRUE(present && acl);
    EXPECT_FALSE(defaulted);
    ASSERT_TRUE(IsValidAcl(acl));
    ACL_SIZE_INFORMATION size = {};
    ASSERT_TRUE(GetAclInformation(acl, &size, sizeof(size), AclSizeInformation));
    std::vector<std::string> admitted;
    for (DWORD i = 0; i < size.AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(GetAce(acl, i, reinterpret_cast<void**>(&ace)));
        EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->Header.AceType);
        EXPECT_EQ(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, ace->Header.AceFlags);
        EXPECT_EQ(static_cast<DWORD>(FILE_ALL_ACCESS), ace->Mask);
        EXPECT_TRUE(IsValidSid(&ace->SidStart));
        admitted.push_back(SidText(&ace->SidStart));
    }
    EXPECT_EQ((std::vector<std::string>{"S-1-5-32-544", "S-1-5-18"}), admitted);
}

// The folder is held from the moment it exists: there is no instant in which another process
// could rename it and put its own in its place.
TEST(UnpackFolder, FolderIsMadeAlreadyHeldAndANameTakenIsSaidSo) {
    TempFolder base("held-folders");
    std::string path = base.File("Orvex0001"), moved = base.File("moved");
    const struct {
        std::string path;
        DWORD error; // 0: made
    } cases[] = {
        {path, 0},
        {path, ERROR_ALREADY_EXISTS},
        {base.File("no such folder\\Orvex0002"), ERROR_ACCESS_DENIED},
    };
    std::vector<HANDLE> held;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        SetLastError(0);
        HANDLE folder = CreateHeldFolder(c.path.c_str());
        EXPECT_EQ(c.error == 0, folder != INVALID_HANDLE_VALUE);
        if (folder == INVALID_HANDLE_VALUE)
            EXPECT_EQ(c.error, GetLastError());
        else
            held.push_back(folder);
    }
    ASSERT_EQ(1u, held.size());
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY),
              GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(MoveFileA(path.c_str(), moved.c_str()));
    // Files can still be made in it while it is held.
    EXPECT_TRUE(WriteFileBytes(path + "\\inside.txt", "x"));
    DeleteFileA((path + "\\inside.txt").c_str());
    CloseHandle(held[0]);
    EXPECT_TRUE(MoveFileA(path.c_str(), moved.c_str()));
    RemoveDirectoryA(moved.c_str());
}
