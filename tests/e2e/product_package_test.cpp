// SetupCheck.exe --pack: exactly the files the script needs as either Windows family reads it go
// into the package, and a check error or an unusable folder leaves the output path as it was.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/package_support.h"
#include "support/test_support.h"
#include "support/wizard_driver.h"

namespace {
const char GENERAL[] = "[General]\r\nCompany=Acme\r\nApplication=Reader\r\nVersion=2.1.3 beta\r\n"
                       "Components=Main\r\n";

std::vector<std::string> Sorted(std::vector<std::string> names) {
    for (std::string& name : names)
        CharLowerA(&name[0]);
    std::sort(names.begin(), names.end());
    return names;
}
} // namespace

TEST(ProductPackage, PacksExactlyWhatTheScriptNeedsOrLeavesTheOutputAsItWas) {
    struct PackCase {
        const char* what;
        const char* extraGeneral;
        const char* main;
        long exitCode;
        std::vector<std::string> names; // empty: the old output stays
    };
    const PackCase cases[] = {
        // The "U" key is read only by the NT family, the plain one only by Windows 95, 98 and Me:
        // both files are needed. Palm files bring CondMgr.dll.
        {"both families",
         "",
         "CopyFile1U=1;%DEST_PATH%\\Wide.txt\r\nCopyFile1=1;%DEST_PATH%\\Narrow.txt\r\n"
         "CopyPalmFile1=1;Reader.prc\r\n",
         1, // Unused.txt lies unnamed
         {"condmgr.dll", "licence.txt", "logo.bmp", "narrow.txt", "reader.prc", "setup.exe",
          "setup.ini", "wide.txt"}},
        {"named licence and logo",
         "Licence=Terms.txt\r\nLogo=Banner.bmp\r\n",
         "CopyFile1=1;%DEST_PATH%\\Narrow.txt\r\n",
         1, // the default licence and logo now lie unnamed
         {"banner.bmp", "narrow.txt", "setup.exe", "setup.ini", "terms.txt"}},
        {"missing file", "", "CopyFile1=1;%DEST_PATH%\\Absent.txt\r\n", 2, {}},
        {"file in a subfolder",
         "Licence=Docs\\Licence.txt\r\n",
         "CopyFile1=1;%DEST_PATH%\\Narrow.txt\r\n",
         2,
         {}},
    };
    for (const PackCase& c : cases) {
        SCOPED_TRACE(c.what);
        ProductFolder product;
        ASSERT_TRUE(product.WriteScript(std::string(GENERAL) + c.extraGeneral +
                                        "[Main]\r\nName=Main\r\n" + c.main));
        for (const char* name : {"Licence.txt", "Terms.txt", "Wide.txt", "Narrow.txt", "Reader.prc",
                                 "CondMgr.dll", "Unused.txt", "SetupCheck.exe"})
            ASSERT_TRUE(product.Write(name, std::string(1000, 'x')));
        ASSERT_TRUE(product.WriteLogo("Logo.bmp", 32, 32));
        ASSERT_TRUE(product.WriteLogo("Banner.bmp", 32, 32));
        CreateDirectoryA(product.File("Docs").c_str(), nullptr);
        ASSERT_TRUE(product.Write("Docs\\Licence.txt", "terms"));

        TempFolder out("packages");
        std::string package = out.File("Acme Reader.exe");
        ASSERT_TRUE(WriteFileBytes(package, "the old package"));
        EXPECT_EQ(c.exitCode, MakePackage(product.Path(), package));
        if (c.names.empty()) {
            EXPECT_EQ("the old package", ReadFileBytes(package));
        } else {
            EXPECT_EQ(c.names, Sorted(PackageNames(package)));
            EXPECT_EQ("Acme Reader", PackageTitle(package));
        }
        // The temporary file beside the output never stays.
        std::vector<std::string> left;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(out.File("*").c_str(), &found);
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                left.push_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        EXPECT_EQ(std::vector<std::string>{"Acme Reader.exe"}, left);
    }
}
