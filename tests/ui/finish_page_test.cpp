// The finish page of the real Setup.exe and what the program does after the wizard: the restart
// offered after a deferred registration, and the read-me opened through the shell.
#include <gtest/gtest.h>

#include <string>

#include "resources/resource_ids.h"
#include "support/desktop_support.h"
#include "support/system_standins.h"
#include "support/wizard_driver.h"
#include "ui/page_table.h"

namespace {
const char RUN_ONCE_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

std::string Script(const std::string& dest, const std::string& readMe, const std::string& items) {
    return "[General]\r\nCompany=Orvex Tests\r\nApplication=Finish\r\nDestFolder=" + dest +
           "\r\nReadMe=" + readMe + "\r\nComponents=Main\r\n[Main]\r\nName=Main\r\n" + items;
}

class FinishPage : public ::testing::Test {
  protected:
    FinishPage() : traces_("Orvex Tests Finish") {
        product_.Write("ReadMe.txt", "read me");
        product_.Write("Service.dll", "new server");
    }
    std::string Dest() const { return product_.File("dest"); }

    // Runs the three-page wizard up to its finish page.
    void RunToFinishPage(WizardDriver* wizard, const std::string& script,
                         const char* arguments = "") {
        product_.WriteScript(script);
        ASSERT_TRUE(wizard->StartIn(product_.Path(), 30000, arguments))
            << "no wizard frame appeared";
        ASSERT_TRUE(wizard->PressFrameButton(IDOK));
        ASSERT_TRUE(wizard->WaitForPage(PAGE_HOTSYNC_USER));
        ASSERT_TRUE(wizard->PressFrameButton(IDOK));
        ASSERT_TRUE(wizard->WaitForPage(PAGE_FINISH, 30000)) << "the finish page did not appear";
    }

    void Finish(WizardDriver* wizard) {
        ASSERT_TRUE(wizard->PressFrameButton(IDCANCEL));
        ASSERT_TRUE(wizard->WaitForExit(30000)) << "Setup.exe did not end after Finish";
    }

    ProductFolder product_;
    InstallTraces traces_;
};

// A run whose service file is held open by another process: its registration is deferred to
// the next start of Windows, and the run needs a restart.
class DeferredRegistration : public FinishPage {
  protected:
    DeferredRegistration()
        : runOnce_(HKEY_LOCAL_MACHINE, RUN_ONCE_KEY, "Install Service.dll"),
          record_(watchFolder_.File("session.txt")) {}

    void SetUp() override {
        CreateDirectoryA(Dest().c_str(), nullptr);
        ASSERT_TRUE(WriteFileBytes(Dest() + "\\Service.dll", "old server"));
        ASSERT_TRUE(held_.Hold(Dest() + "\\Service.dll")) << "holdfile.exe did not take the file";
        // A windowed process that records and vetoes the end of the session, so that a restart
        // that is asked for shows up without restarting the prefix.
        ASSERT_TRUE(watcher_.Start("\"" + BinPath("fakes\\wizardaids\\sessionwatch.exe") + "\" " +
                                   record_ + " 120"));
        ASSERT_TRUE(WaitUntil([&] { return ReadFileBytes(record_) == "ready\n"; }, 15000));
    }

    void RunToRestartOffer(WizardDriver* wizard, const char* arguments = "") {
        RunToFinishPage(wizard,
                        Script(Dest(), "%DEST_PATH%\\ReadMe.txt;Show the read-me",
                               "CopyFile1=1;%DEST_PATH%\\ReadMe.txt\r\n"
                               "CopyFile2=4;%DEST_PATH%\\Service.dll;REGSERVICE\r\n"),
                        arguments);
    }

    bool RestartAsked() const { return ReadFileBytes(record_).find("query") != std::string::npos; }

    RegistryValueGuard runOnce_;
    TempFolder watchFolder_;
    std::string record_;
    ChildProcess watcher_;
    HeldFile held_;
};
} // namespace

TEST_F(DeferredRegistration, RestartIsOfferedAndAskedForOnFinish) {
    WizardDriver wizard;
    RunToRestartOffer(&wizard);
    EXPECT_EQ("The Orvex Install Wizard has successfully installed Orvex Tests Finish. Before you "
              "can use desktop add-ins, you must restart your computer.",
              wizard.PageText(PAGE_FINISH, IDC_FINISH_MESSAGE));
    EXPECT_TRUE(wizard.PageControlVisible(PAGE_FINISH, IDC_RESTART_NOW));
    EXPECT_TRUE(wizard.PageControlVisible(PAGE_FINISH, IDC_RESTART_LATER));
    EXPECT_TRUE(wizard.PageButtonChecked(PAGE_FINISH, IDC_RESTART_NOW));
    EXPECT_FALSE(wizard.PageButtonChecked(PAGE_FINISH, IDC_RESTART_LATER));
    // The read-me is installed, but a restart leaves no room for it.
    EXPECT_TRUE(FileExists(Dest() + "\\ReadMe.txt"));
    EXPECT_FALSE(wizard.PageControlVisible(PAGE_FINISH, IDC_OPEN_README));
    EXPECT_TRUE(wizard.Screenshot("finish_page_restart"));

    Finish(&wizard);
    EXPECT_TRUE(WaitUntil([&] { return RestartAsked(); }, 20000))
        << "no restart was asked for: " << ReadFileBytes(record_);
}

TEST_F(DeferredRegistration, NoRestartSwitchStartsWithRestartLater) {
    WizardDriver wizard;
    RunToRestartOffer(&wizard, "/NORESTART");
    EXPECT_TRUE(wizard.PageButtonChecked(PAGE_FINISH, IDC_RESTART_LATER));
    EXPECT_FALSE(wizard.PageButtonChecked(PAGE_FINISH, IDC_RESTART_NOW));
    Finish(&wizard);
    SleepPumping(3000);
    EXPECT_FALSE(RestartAsked()) << ReadFileBytes(record_);
}

TEST_F(DeferredRegistration, RestartLaterEndsWithoutRestart) {
    WizardDriver wizard;
    RunToRestartOffer(&wizard);
    ASSERT_TRUE(wizard.PressPageButton(PAGE_FINISH, IDC_RESTART_LATER));
    ASSERT_TRUE(
        WaitUntil([&] { return wizard.PageButtonChecked(PAGE_FINISH, IDC_RESTART_LATER); }, 5000));
    Finish(&wizard);
    SleepPumping(3000);
    EXPECT_FALSE(RestartAsked()) << ReadFileBytes(record_);
}

TEST_F(FinishPage, TickedReadMeIsOpenedAfterTheWizard) {
    OpenRecorder recorder;
    WizardDriver wizard;
    RunToFinishPage(&wizard, Script(Dest(), " %DEST_PATH%\\ReadMe.txt ; Show the read-me ",
                                    "CopyFile1=1;%DEST_PATH%\\ReadMe.txt\r\n"));
    EXPECT_TRUE(wizard.PageControlVisible(PAGE_FINISH, IDC_OPEN_README));
    EXPECT_EQ("Show the read-me", wizard.PageText(PAGE_FINISH, IDC_OPEN_README));
    EXPECT_FALSE(wizard.PageButtonChecked(PAGE_FINISH, IDC_OPEN_README));
    EXPECT_FALSE(wizard.PageControlVisible(PAGE_FINISH, IDC_RESTART_NOW));
    EXPECT_FALSE(wizard.PageControlVisible(PAGE_FINISH, IDC_HOTSYNC_NOTE));
    ASSERT_TRUE(wizard.PressPageButton(PAGE_FINISH, IDC_OPEN_README));
    ASSERT_TRUE(
        WaitUntil([&] { return wizard.PageButtonChecked(PAGE_FINISH, IDC_OPEN_README); }, 5000));
    EXPECT_TRUE(wizard.Screenshot("finish_page_readme"));
    EXPECT_TRUE(recorder.Opened().empty()) << "opened before the wizard ended";

    Finish(&wizard);
    ASSERT_TRUE(recorder.WaitForOpened(1, 20000)) << "the read-me was not opened";
    ASSERT_EQ(1u, recorder.Opened().size());
    EXPECT_NE(std::string::npos, recorder.Opened()[0].find(Dest() + "\\ReadMe.txt"))
        << recorder.Opened()[0];
}

TEST_F(FinishPage, UntickedReadMeIsNotOpened) {
    OpenRecorder recorder;
    WizardDriver wizard;
    RunToFinishPage(&wizard, Script(Dest(), "%DEST_PATH%\\ReadMe.txt;Show the read-me",
                                    "CopyFile1=1;%DEST_PATH%\\ReadMe.txt\r\n"));
    ASSERT_TRUE(wizard.PageControlVisible(PAGE_FINISH, IDC_OPEN_README));
    Finish(&wizard);
    SleepPumping(2000);
    EXPECT_TRUE(recorder.Opened().empty());
}

TEST_F(FinishPage, ReadMeIsOfferedOnlyForAFileThatExists) {
    const char* cases[] = {
        // No caption.
        "%DEST_PATH%\\ReadMe.txt",
        // A file the run did not install.
        "%DEST_PATH%\\Absent.txt;Show the read-me",
        // A path that expands to nothing would open nothing.
        "%NO_SUCH_FOLDER%;Show the read-me",
    };
    for (const char* readMe : cases) {
        SCOPED_TRACE(readMe);
        WizardDriver wizard;
        RunToFinishPage(&wizard, Script(Dest(), readMe, "CopyFile1=1;%DEST_PATH%\\ReadMe.txt\r\n"));
        EXPECT_FALSE(wizard.PageControlVisible(PAGE_FINISH, IDC_OPEN_README));
        Finish(&wizard);
    }
}
