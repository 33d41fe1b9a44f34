// The dialog framework and the wizard's windows hosted in the test process: binding and
// detaching, tooltips, styles, texts and fonts, the page area under a mirrored layout, the end of
// RunWizard, and a component tree as deep as a script can nest.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "resources/resource_ids.h"
#include "support/test_support.h"
#include "support/wizard_memory_script.h"
#include "system/language.h"
#include "system/module.h"
#include "ui/components_page.h"
#include "ui/dialog_window.h"
#include "ui/wizard_frame.h"
#include "ui/wizard_run.h"

namespace {
// A top-level dialog that records what reaches its handlers.
class RecordingDialog : public DialogWindow {
  public:
    RecordingDialog() : DialogWindow(moduleInstance, nullptr, IDD_UNINSTALL_PROGRESS, nullptr) {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (finalMessages > 0)
            ++messagesAfterFinal;
        if (message == WM_ENABLE_NEXT)
            lastEnableNext = static_cast<int>(wParam);
        return TooltipWindowProc(message, wParam, lParam);
    }
    bool OnNotify(int controlId, NMHDR* header, LRESULT* result) override {
        return OnTooltipNotify(controlId, header, result);
    }
    LRESULT OnInitDialog() override {
        ++initCalls;
        return TRUE;
    }
    void OnFinalMessage() override {
        ++finalMessages;
        userDataAtFinal = GetWindowLongPtrA(lastWindow, GWLP_USERDATA);
    }

    HWND lastWindow = nullptr;
    int initCalls = 0;
    int finalMessages = 0;
    int messagesAfterFinal = 0;
    int lastEnableNext = -1;
    LONG_PTR userDataAtFinal = -1;
};

NMTTDISPINFOA TextRequest(HWND tool, UINT flags) {
    NMTTDISPINFOA info;
    memset(&info, 0, sizeof(info));
    info.hdr.code = TTN_NEEDTEXTA;
    info.hdr.idFrom = reinterpret_cast<UINT_PTR>(tool);
    info.uFlags = flags;
    return info;
}
} // namespace

TEST(DialogWindow, ObjectIsBoundFromInitDialogToNcDestroy) {
    HWND unbound = CreateWindowA("STATIC", "abc", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 moduleInstance, nullptr);
    ASSERT_NE(nullptr, unbound);
    // Before an object is bound, a dialog gets the system's default answer.
    EXPECT_EQ(3, DialogWindow::DialogProc(unbound, WM_GETTEXTLENGTH, 0, 0));
    DestroyWindow(unbound);

    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create());
    HWND window = dialog.hwnd;
    dialog.lastWindow = window;
    EXPECT_EQ(1, dialog.initCalls);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&dialog), GetWindowLongPtrA(window, GWLP_USERDATA));
    // Bound, it answers as a dialog procedure: unhandled messages give 0.
    EXPECT_EQ(0, DialogWindow::DialogProc(window, WM_GETTEXTLENGTH, 0, 0));
    ASSERT_TRUE(dialog.CreateTooltip());
    HWND tooltip = dialog.tooltip;

    DestroyWindow(window);
    EXPECT_EQ(1, dialog.finalMessages);
    EXPECT_EQ(0, dialog.userDataAtFinal);
    EXPECT_EQ(0, dialog.messagesAfterFinal) << "a message reached the detached object";
    EXPECT_EQ(nullptr, dialog.hwnd);
    EXPECT_EQ(nullptr, dialog.tooltip);
    EXPECT_FALSE(IsWindow(tooltip)) << "the tooltip outlived its dialog";
}

// The tip is handed its text, so that a translated one can stand in.
TEST(DialogWindow, TooltipTextsComeFromTheStringsOfTheControlIds) {
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create());
    HWND stage = CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 5, 5, dialog.hwnd,
                               reinterpret_cast<HMENU>(IDC_WEB_PAGE), moduleInstance, nullptr);
    HWND unnumbered = CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 5, 5, dialog.hwnd, nullptr,
                                    moduleInstance, nullptr);
    LRESULT result = 0;
    NMTTDISPINFOA request = TextRequest(stage, TTF_IDISHWND);
    EXPECT_FALSE(dialog.OnTooltipNotify(0, &request.hdr, &result)) << "answered without tooltip";

    ASSERT_TRUE(dialog.CreateTooltip());
    EXPECT_TRUE(dialog.OnTooltipNotify(0, &request.hdr, &result));
    EXPECT_STREQ("View product web page", request.lpszText);
    TempFolder folder("tooltip");
    std::string path = folder.File("Setup.de.lng");
    ASSERT_TRUE(WriteFileBytes(path, "[Language]\nCodePage=" + std::to_string(GetACP()) +
                                         "\n[Texts]\n1011=Webseite des Produkts\n"));
    LanguageHeader header;
    ASSERT_EQ(LANGUAGE_FILE_READ, UseLanguageFile(path.c_str(), "de", GetACP(), &header));
    EXPECT_TRUE(dialog.OnTooltipNotify(0, &request.hdr, &result));
    UseEnglish();
    EXPECT_STREQ("Webseite des Produkts", request.lpszText);

    NMTTDISPINFOA byId = TextRequest(stage, 0);
    EXPECT_FALSE(dialog.OnTooltipNotify(0, &byId.hdr, &result));
    NMTTDISPINFOA noId = TextRequest(unnumbered, TTF_IDISHWND);
    EXPECT_FALSE(dialog.OnTooltipNotify(0, &noId.hdr, &result));
    EXPECT_EQ(nullptr, noId.lpszText);
    DestroyWindow(dialog.hwnd);
}

TEST(DialogWindow, StylesTextsAndTitleFonts) {
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create());
    HWND window = dialog.hwnd;
    EXPECT_TRUE(dialog.ModifyStyle(GWL_STYLE, 0, WS_TABSTOP, SWP_FRAMECHANGED));
    EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_TABSTOP);
    EXPECT_FALSE(dialog.ModifyStyle(GWL_STYLE, 0, WS_TABSTOP, 0)) << "nothing was to change";
    EXPECT_FALSE(dialog.ModifyStyle(GWL_STYLE, WS_THICKFRAME, 0, 0));
    EXPECT_TRUE(dialog.ModifyStyle(GWL_STYLE, WS_TABSTOP, 0, 0));
    EXPECT_FALSE(GetWindowLongA(window, GWL_STYLE) & WS_TABSTOP);

    HWND label = GetDlgItem(window, IDC_STAGE_LABEL);
    SetFormattedText(moduleInstance, label, IDS_FINISHED, "Acme Viewer");
    EXPECT_EQ("The Orvex Install Wizard has successfully installed Acme Viewer.\nClick Finish to "
              "exit the Wizard.",
              WindowText(label));
    SetFormattedText(moduleInstance, label, IDS_INSTALLATION, "Acme Viewer");
    EXPECT_EQ("Installation", WindowText(label));
    std::string longTitle(400, 'x');
    SetFormattedText(moduleInstance, label, IDS_FINISHED, longTitle.c_str());
    EXPECT_EQ(255u, WindowText(label).size());

    HFONT font = CreateTitleFont(window, IDC_STAGE_LABEL);
    ASSERT_NE(nullptr, font);
    LOGFONTA described = {};
    ASSERT_NE(0, GetObjectA(font, sizeof(described), &described));
    EXPECT_EQ(FW_BOLD, described.lfWeight);
    EXPECT_EQ(reinterpret_cast<LRESULT>(font), SendMessageA(label, WM_GETFONT, 0, 0));
    DestroyWindow(window);
    DeleteObject(font);
}

TEST(DialogWindow, MirroredWindowsKeepNormalisedRectangles) {
    HWND mirrored = CreateWindowExA(0x00400000 /* WS_EX_LAYOUTRTL */, "STATIC", "", WS_POPUP, 100,
                                    100, 300, 200, nullptr, nullptr, moduleInstance, nullptr);
    ASSERT_NE(nullptr, mirrored);
    RecordingDialog view;
    view.hwnd = mirrored;
    RECT area = {150, 120, 250, 180};
    view.ScreenRectToClient(&area);
    EXPECT_LE(area.left, area.right);
    EXPECT_EQ(100, area.right - area.left);
    EXPECT_EQ(20, area.top);
    view.hwnd = nullptr;
    DestroyWindow(mirrored);

    // The whole frame under a right-to-left layout: the page area stays a proper rectangle and
    // the first page lies inside the frame.
    MemoryScript script = NewMemoryScript();
    AddComponent(script.get(), nullptr, "Main", 0, 1, true);
    script->offerComponentChoice = 0;
    SetProcessDefaultLayout(LAYOUT_RTL);
    WizardFrame* frame = new WizardFrame(script.get(), moduleInstance, nullptr);
    bool created = frame->Create();
    SetProcessDefaultLayout(0);
    ASSERT_TRUE(created);
    EXPECT_TRUE(GetWindowLongA(frame->hwnd, GWL_EXSTYLE) & 0x00400000);
    EXPECT_LT(frame->pageArea.left, frame->pageArea.right);
    EXPECT_LT(frame->pageArea.top, frame->pageArea.bottom);
    ASSERT_NE(nullptr, frame->pages[PAGE_LICENCE]);
    EXPECT_EQ(nullptr, frame->pages[PAGE_COMPONENTS]);
    RECT frameRect, pageRect;
    GetWindowRect(frame->hwnd, &frameRect);
    GetWindowRect(frame->pages[PAGE_LICENCE]->hwnd, &pageRect);
    EXPECT_GE(pageRect.left, frameRect.left);
    EXPECT_LE(pageRect.right, frameRect.right);
    HWND frameWindow = frame->hwnd;
    HWND pageWindow = frame->pages[PAGE_LICENCE]->hwnd;
    delete frame;
    EXPECT_FALSE(IsWindow(frameWindow));
    EXPECT_FALSE(IsWindow(pageWindow));
}

TEST(WizardFrameStart, HiddenPagesComeAfterThePaintOrWithTheFirstMoveOn) {
    MemoryScript script = NewMemoryScript();
    AddComponent(script.get(), nullptr, "Main", 0, 1, true);
    AddComponent(script.get(), nullptr, "More", 0, 1, true);
    script->offerComponentChoice = 1;
    auto allMade = [](const WizardFrame& frame) {
        for (DialogWindow* page : frame.pages) {
            if (!page || !IsWindow(page->hwnd))
                return false;
        }
        return frame.tooltip != nullptr;
    };
    {
        // Left alone, the wizard makes the rest by itself.
        WizardFrame frame(script.get(), moduleInstance, nullptr);
        ASSERT_TRUE(frame.Create());
        for (int waited = 0; waited < 5000 && !allMade(frame); waited += 20)
            SleepPumping(20);
        EXPECT_TRUE(allMade(frame));
        EXPECT_EQ(PAGE_LICENCE, frame.currentPage);
    }
    {
        // A click before anything was pumped still moves on to the page that follows.
        WizardFrame frame(script.get(), moduleInstance, nullptr);
        ASSERT_TRUE(frame.Create());
        SendMessageA(frame.hwnd, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(allMade(frame));
        EXPECT_EQ(PAGE_HOTSYNC_USER, frame.currentPage);
        DialogWindow* components = frame.pages[PAGE_COMPONENTS];
        SendMessageA(frame.hwnd, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(PAGE_COMPONENTS, frame.currentPage);
        SleepPumping(100);
        EXPECT_EQ(components, frame.pages[PAGE_COMPONENTS]) << "the pages were made twice";
    }
}

namespace {
HWND closedFrame = nullptr;

void CALLBACK CloseWizard(HWND, UINT, UINT_PTR timer, DWORD) {
    for (HWND window : TopWindowsOf(GetCurrentProcessId(), "#32770")) {
        if (GetDlgItem(window, IDC_BACK)) {
            closedFrame = window;
            KillTimer(nullptr, timer);
            PostMessageA(GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0);
        }
    }
}
void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) {
    PostQuitMessage(99);
}
} // namespace

TEST(RunWizard, EndsOnCloseWithItsWindowsGone) {
    MemoryScript script = NewMemoryScript();
    AddComponent(script.get(), nullptr, "Main", 0, 1, true);
    AddComponent(script.get(), nullptr, "More", 0, 1, true);
    closedFrame = nullptr;
    UINT_PTR timer = SetTimer(nullptr, 0, 200, CloseWizard);
    // A timer of a time limit of its own: should the wizard not close, the test cannot hang.
    UINT_PTR guard = SetTimer(nullptr, 0, 20000, GiveUp);
    int code = RunWizard(script.get(), moduleInstance, nullptr);
    KillTimer(nullptr, timer);
    KillTimer(nullptr, guard);
    EXPECT_EQ(0, code);
    ASSERT_NE(nullptr, closedFrame);
    EXPECT_FALSE(IsWindow(closedFrame));
    EXPECT_TRUE(TopWindowsOf(GetCurrentProcessId(), "#32770").empty());
}

TEST(ComponentsPageWindow, VeryDeepTreeIsBuiltWhole) {
    // Far deeper than recursion could go. Wine's tree view takes milliseconds for each check
    // mark changed while it is shown, so the clearing below keeps to this depth.
    const int DEPTH = 1000;
    MemoryScript script = NewMemoryScript();
    Component* bottom = AddComponent(script.get(), nullptr, "level", 1, 2, true);
    for (int i = 1; i < DEPTH; ++i)
        bottom = AddComponent(script.get(), bottom, "level", 1, 2, true);
    ASSERT_NE(nullptr, bottom);
    RecordingDialog host;
    ASSERT_TRUE(host.Create());
    ComponentsPage page(script.get(), host.hwnd, moduleInstance);
    ASSERT_TRUE(page.Create());
    EXPECT_EQ(-1, host.lastEnableNext) << "reported while hidden";
    // The template's styles and no border, with the check boxes added once the control existed
    // (the scroll bars come and go with the content).
    const LONG treeStyles = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_DISABLEDRAGDROP |
                            TVS_SHOWSELALWAYS | TVS_NOTOOLTIPS | TVS_NONEVENHEIGHT |
                            TVS_CHECKBOXES | WS_TABSTOP | WS_CHILD | WS_VISIBLE;
    const LONG style = GetWindowLongA(page.tree.Handle(), GWL_STYLE);
    EXPECT_EQ(treeStyles, style & ~(WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL));

    int depth = 0;
    for (HTREEITEM node = page.tree.Next(nullptr, TVGN_ROOT); node;
         node = page.tree.Next(node, TVGN_CHILD))
        ++depth;
    EXPECT_EQ(DEPTH, depth);
    EXPECT_NE(nullptr, bottom->treeItem);
    EXPECT_TRUE(page.tree.IsChecked(bottom->treeItem));
    EXPECT_EQ("1000 K", ControlText(page.hwnd, IDC_DEVICE_TOTAL));
    EXPECT_EQ("2000 K", ControlText(page.hwnd, IDC_DESKTOP_TOTAL));
    EXPECT_EQ("About level", ControlText(page.hwnd, IDC_DESCRIPTION));

    ShowWindow(page.hwnd, SW_SHOW);
    EXPECT_EQ(1, host.lastEnableNext);
    Component* top = static_cast<Component*>(script->components.At(0));
    page.SetSelected(top, false);
    page.UpdateTotals();
    EXPECT_EQ("0 K", ControlText(page.hwnd, IDC_DESKTOP_TOTAL));
    EXPECT_FALSE(page.tree.IsChecked(bottom->treeItem));
    EXPECT_EQ(0, host.lastEnableNext);
    DestroyWindow(host.hwnd);
}
