#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/after_wizard.h"
#include "script/setup_script.h"
#include "support/system_standins.h"
#include "support/test_support.h"
#include "system/external_programs.h"
#include "system/message_box.h"
#include "system/text.h"

namespace {
std::vector<std::string> calls;

void RecordRestart(UINT flags) {
    // The script is gone before the restart is asked for.
    calls.push_back("restart " + std::to_string(flags) + (captionTitle ? " script" : ""));
}
bool RecordActiveSync(HWND owner, bool start, bool wait) {
    calls.push_back(std::string("activesync ") + (owner ? "owner " : "") +
                    (start ? "start" : "stop") + (wait ? " wait" : ""));
    return true;
}
void RecordReadMe(const SetupScript* script) {
    calls.push_back(std::string("readme ") + script->readMePath);
}
const AfterWizardActions recorder = {RecordRestart, RecordActiveSync, RecordReadMe};

SetupScript* ScriptWithReadMe(const char* readMePath) {
    SetupScript* script = NewSetupScript();
    CopyText(script->productTitle, sizeof(script->productTitle), "Acme Viewer");
    CopyText(script->readMePath, sizeof(script->readMePath), readMePath);
    captionTitle = script->productTitle;
    return script;
}

std::string Joined() {
    std::string text;
    for (const std::string& call : calls)
        text += call + ";";
    return text;
}
} // namespace

TEST(AfterWizardTest, RestartExcludesEverythingElse) {
    calls.clear();
    FinishInstallMode(ScriptWithReadMe("ReadMe.txt"), WizardChoices{1, 1}, 0, recorder);
    EXPECT_EQ("restart 2;", Joined());
    EXPECT_EQ(nullptr, captionTitle);
}

TEST(AfterWizardTest, ActiveSyncStartsAgainBeforeTheReadMe) {
    calls.clear();
    FinishInstallMode(ScriptWithReadMe("%DEST_PATH%\\ReadMe.txt"), WizardChoices{0, 1}, 0,
                      recorder);
    EXPECT_EQ("activesync start;readme %DEST_PATH%\\ReadMe.txt;", Joined());

    calls.clear();
    FinishInstallMode(ScriptWithReadMe("ReadMe.txt"), WizardChoices{0, 0}, 1, recorder);
    EXPECT_EQ("", Joined());
    FinishInstallMode(ScriptWithReadMe("ReadMe.txt"), WizardChoices{0, 1}, 1, recorder);
    EXPECT_EQ("readme ReadMe.txt;", Joined());
    EXPECT_EQ(nullptr, captionTitle);
}

TEST(AfterWizardTest, RealActionsStartWcesmgrAndOpenTheExpandedReadMe) {
    // The ActiveSync stand-ins are registered; a second copy of wcesmgr.exe in the destination
    // folder stands in for the read-me, so that the shell's "Open" runs something that records.
    TempFolder activeSync("activesync");
    TempFolder destination("destination");
    ASSERT_TRUE(CopyActiveSyncStandIns(activeSync.Path()));
    ASSERT_TRUE(CopyFileA(StandInPath("activesync\\wcesmgr.exe").c_str(),
                          destination.File("ReadMe.exe").c_str(), FALSE));
    RegistryValueGuard appPath(HKEY_LOCAL_MACHINE, CEAPPMGR_APP_PATHS_KEY, nullptr);
    ASSERT_TRUE(appPath.Set(activeSync.File("CEAppMgr.exe")));

    SetupScript* script = ScriptWithReadMe("%DEST_PATH%\\ReadMe.exe");
    CopyText(script->destFolder, sizeof(script->destFolder), destination.Path().c_str());
    SeamGuard stopped(activeSyncRunning, 0);
    bool returned = CallWithDeadline(20000, [&] {
        FinishInstallMode(script, WizardChoices{0, 1}, activeSyncRunning, systemAfterWizardActions);
    });
    ASSERT_TRUE(returned) << "the after-wizard actions waited for a program";
    EXPECT_TRUE(WaitForWcesmgrRecord(activeSync.Path(), "end /show", 10000))
        << WcesmgrRecord(activeSync.Path());
    EXPECT_EQ("start /show\nend /show\n", WcesmgrRecord(activeSync.Path()));
    EXPECT_EQ(1, activeSyncRunning);
    EXPECT_TRUE(WaitForWcesmgrRecord(destination.Path(), "end", 10000))
        << "the read-me was not opened";
    EXPECT_EQ("start \nend \n", WcesmgrRecord(destination.Path()));
    EXPECT_TRUE(WaitForChildProcessesGone(10000)) << "the started programs did not end";
}
