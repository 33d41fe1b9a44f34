#include <gtest/gtest.h>

#include <string>

#include "palm/palm_error_texts.h"
#include "palm/palm_plugin.h"

namespace {

const std::string HINT = "\n(Make sure Palm HotSync is installed and functioning.\n Without "
                         "HotSync no Palm application can be installed.";

std::string UserData(long status) {
    char text[256];
    return UserDataErrorText(status, text, sizeof(text));
}
std::string CondMgr(long status) {
    char text[256];
    return CondMgrErrorText(status, text, sizeof(text));
}
std::string InstAide(long status) {
    char text[256];
    return InstAideErrorText(status, text, sizeof(text));
}

} // namespace

TEST(PalmErrorTextsTest, LoaderCodesAndCondMgrStatuses) {
    PalmInstallPlugin plugin;
    const struct {
        long code;
        std::string text;
    } cases[] = {
        {0, ""},
        {-1201, "Invalid installation: CondMgr.dll is not included"},
        {-1202, "    Invalid CondMgr.dll" + HINT},
        {-1203, "    Invalid UserData.dll" + HINT},
        {-1204, "    Invalid InstAide.dll" + HINT},
        {-1207, "    UserData.dll not found" + HINT},
        {-1208, "    InstAide.dll not found" + HINT},
        // Statuses of CmGetHotSyncExecPath: CondMgr's own range gets its texts.
        {-1000, "An otherwise nonspecific Conduit Manager error occurred."},
        {-1006, "Unable to access the conduit configuration entries."},
        {-1023, "Invalid unique ID for an install conduit."},
        {-1024, "Unknown Palm error: 0xFFFFFC00"},
        {-999, "Unknown Palm error: 0xFFFFFC19"},
        {-1205, "Unknown Palm error: 0xFFFFFB4B"},
        {7, "Unknown Palm error: 0x7"},
        {-1, "Unknown Palm error: 0xFFFFFFFF"},
    };
    for (const auto& c : cases) {
        plugin.FormatLoaderError(c.code);
        EXPECT_EQ(c.text, plugin.ErrorText()) << c.code;
    }
}

TEST(PalmErrorTextsTest, LibraryStatusTables) {
    EXPECT_EQ(CondMgr(-1006), CondMgr(-1020));
    EXPECT_EQ("Unable to access the conduit configuration entries.", CondMgr(-1020));
    EXPECT_EQ("Index out of range.", CondMgr(-1001));
    EXPECT_EQ("Unknown Palm CondMgr error: -1024", CondMgr(-1024));

    EXPECT_EQ("", UserData(3));
    EXPECT_EQ("", UserData(0));
    EXPECT_EQ("Unknown Palm UserData error: -502", UserData(-502));
    EXPECT_EQ("Unknown Palm UserData error: -517", UserData(-517));
    EXPECT_EQ("No users data store was found. Try to define new Palm Desktop user.",
              UserData(-500));
    EXPECT_EQ("A value for the Core\\Path config entry does not exist.", UserData(-521));
    EXPECT_EQ("The requested handheld information is not available. Try to HotSync specified "
              "user or select another one.",
              UserData(-529));

    // The same numbers mean different things in InstAide.
    EXPECT_EQ("The buffer supplied as a parameter is either too small or invalid.", InstAide(-502));
    EXPECT_EQ("The filename parameter supplied to to an install function is NULL.", InstAide(-506));
    EXPECT_EQ("Unknown Palm InstAide error: -508", InstAide(-508));
    EXPECT_EQ("Core\\Path configuration entry does not exist - user data cannot be retrieved.",
              InstAide(-518));
    EXPECT_EQ("InstAide failed to remove the specified install file (f.e., the file does not "
              "exist.)",
              InstAide(-523));
    EXPECT_EQ("InstAide does not recognize the file type.", InstAide(-701));
    EXPECT_EQ("", InstAide(1));

    char small[10];
    EXPECT_STREQ("No users ", UserDataErrorText(-500, small, sizeof(small)));
}
