// The wizard and the uninstall window at the display's DPI, hosted in the test process; the
// ui_tests_dpi* entries run these again on displays of 144 and 192 DPI. The banner grows with the
// DPI, the titles stay bold, and every text fits the control that shows it.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <set>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "resources/text_ids.h"
#include "support/test_support.h"
#include "support/wizard_driver.h"
#include "support/wizard_memory_script.h"
#include "system/language.h"
#include "system/module.h"
#include "system/text.h"
#include "ui/banner_bitmap.h"
#include "ui/page_table.h"
#include "ui/wizard_frame.h"
#include "uninstall/log_replay.h"
#include "uninstall/uninstall_log.h"
#include "uninstall/uninstall_progress.h"

namespace {
int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// The room a text needs in the control's font, wrapped at the control's width where its style
// wraps; zero for a control that shows no text of its own.
SIZE Needed(HWND control, UINT flags, int width) {
    SIZE needed = {0, 0};
    std::string text = WindowText(control);
    if (text.empty())
        return needed;
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT rect = {0, 0, width, 0};
    DrawTextA(dc, text.c_str(), -1, &rect, flags | DT_CALCRECT | DT_EXPANDTABS);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    needed.cx = rect.right;
    needed.cy = rect.bottom;
    return needed;
}

// Every static text, button and drop-down list below window (pages included) whose text is cut,
// with the room it needs and has; the texts measured go to measured.
std::string CutTexts(HWND window, std::set<std::string>* measured = nullptr) {
    std::string cut;
    for (HWND control = GetWindow(window, GW_CHILD); control;
         control = GetWindow(control, GW_HWNDNEXT)) {
        cut += CutTexts(control, measured);
        char className[32];
        GetClassNameA(control, className, sizeof(className));
        LONG style = GetWindowLongA(control, GWL_STYLE);
        RECT room;
        GetClientRect(control, &room);
        UINT prefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
        SIZE needed = {0, 0};
        if (lstrcmpiA(className, "Static") == 0) {
            LONG kind = style & SS_TYPEMASK;
            if (kind == SS_LEFT || kind == SS_CENTER || kind == SS_RIGHT)
                needed = Needed(control, DT_WORDBREAK | prefix, room.right);
            else if (kind == SS_LEFTNOWORDWRAP || kind == SS_SIMPLE)
                needed = Needed(control, DT_SINGLELINE | prefix, room.right);
        } else if (lstrcmpiA(className, "Button") == 0) {
            LONG kind = style & BS_TYPEMASK;
            needed = Needed(control, DT_SINGLELINE, room.right);
            if (needed.cx == 0)
                continue;
            // Room taken by the frame of a push button, the box before a check box or radio
            // button, and the line ends either side of a group box's caption.
            if (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON)
                needed.cx += 4 * GetSystemMetrics(SM_CXEDGE);
            else if (kind == BS_GROUPBOX)
                needed.cx += 2 * GetSystemMetrics(SM_CXMENUCHECK);
            else
                needed.cx += GetSystemMetrics(SM_CXMENUCHECK) + GetSystemMetrics(SM_CXEDGE);
        } else if (lstrcmpiA(className, "ComboBox") == 0) {
            // The chosen item beside the drop-down arrow.
            needed = Needed(control, DT_SINGLELINE | DT_NOPREFIX, room.right);
            needed.cy = 0;
            if (needed.cx)
                needed.cx += GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE);
        }
        if (measured && needed.cx)
            measured->insert(WindowText(control));
        if (needed.cx > room.right || needed.cy > room.bottom)
            cut += "\"" + WindowText(control) + "\" needs " + std::to_string(needed.cx) + "x" +
                   std::to_string(needed.cy) + ", has " + std::to_string(room.right) + "x" +
                   std::to_string(room.bottom) + "\n";
    }
    return cut;
}

TEXTMETRICA MetricsOf(HWND window) {
    TEXTMETRICA metrics = {};
    HDC dc = GetDC(window);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(window, WM_GETFONT, 0, 0)));
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return metrics;
}
} // namespace

TEST(DpiLayout, RunsAtTheDisplayTheEntryAsksFor) {
    const char* expected = getenv("ORVEX_EXPECT_DPI");
    EXPECT_EQ(expected ? atoi(expected) : 96, ScreenDpi());
}

TEST(DpiLayout, WizardScalesItsBannerAndShowsEveryTextWholeWithBoldTitles) {
    const int dpi = ScreenDpi();
    ProductFolder product;
    ASSERT_TRUE(product.WriteLogo("Logo.bmp", 495, 88));
    MemoryScript script = NewMemoryScript();
    CopyText(script->installerFolder, sizeof(script->installerFolder), product.Path().c_str());
    CopyText(script->logoFile, sizeof(script->logoFile), "Logo.bmp");
    CopyText(script->productTitle, sizeof(script->productTitle), "Acme Reader Deluxe Edition");
    CopyText(script->webPage, sizeof(script->webPage), "http://example.com/");
    CopyText(script->byeLink, sizeof(script->byeLink), "http://example.com/buy");
    AddComponent(script.get(), nullptr, "Main", 1, 1, true);
    AddComponent(script.get(), nullptr, "More", 1, 1, true);
    script->restartNeeded = 1;
    script->palmFilesQueued = 1;
    WizardFrame frame(script.get(), moduleInstance, nullptr);
    ASSERT_TRUE(frame.Create());
    // Every page made, each shown once (the finish page fills its texts when shown).
    SendMessageA(frame.hwnd, WM_COMMAND, IDOK, 0);

    // A 495x88 bitmap made for the banner at 96 DPI, scaled as a whole, with its control.
    HWND logo = GetDlgItem(frame.hwnd, IDC_LOGO);
    RECT shown;
    GetWindowRect(logo, &shown);
    const int width = MulDiv(495, dpi, 96), height = MulDiv(88, dpi, 96);
    EXPECT_EQ(width, shown.right - shown.left);
    EXPECT_EQ(height, shown.bottom - shown.top);
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(SendMessageA(logo, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP size = {};
    ASSERT_TRUE(GetObjectA(bitmap, sizeof(size), &size));
    EXPECT_EQ(width, size.bmWidth);
    EXPECT_EQ(height, size.bmHeight);
    // The gradient's red rises from left to right: three quarters across it is three quarters
    // up, so the picture was stretched, not cut or left blank.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF pixel = GetPixel(dc, width * 3 / 4, height / 2);
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_NEAR(191, GetRValue(pixel), 16) << std::hex << pixel;

    for (int row = 0; row < PAGE_COUNT; ++row) {
        SCOPED_TRACE(row);
        ASSERT_NE(nullptr, frame.pages[row]);
        frame.ShowPage(row, false);
        // The frame's button labels change with the page.
        EXPECT_EQ("", CutTexts(frame.hwnd));
    }
    for (int row : {PAGE_HOTSYNC_USER, PAGE_FINISH}) {
        SCOPED_TRACE(row);
        HWND title = GetDlgItem(frame.pages[row]->hwnd, IDC_PAGE_TITLE);
        TEXTMETRICA titleMetrics = MetricsOf(title);
        EXPECT_GE(titleMetrics.tmWeight, FW_BOLD);
        // A bold face is at least as wide as the page's regular one.
        EXPECT_GE(titleMetrics.tmAveCharWidth, MetricsOf(frame.pages[row]->hwnd).tmAveCharWidth);
    }
}

TEST(DpiLayout, UninstallWindowShowsItsTextsWholeAndAnIconOfTheSystemSize) {
    UninstallLog log;
    CopyText(log.title, sizeof(log.title), "Acme Reader Deluxe Edition");
    UninstallProgressDialog dialog(&log, moduleInstance);
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ("", CutTexts(dialog.hwnd));
    HICON icon = reinterpret_cast<HICON>(
        SendDlgItemMessageA(dialog.hwnd, IDC_UNINSTALL_ICON, STM_GETICON, 0, 0));
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP image = {};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(image), &image);
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), image.bmWidth);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

TEST(DpiLayout, BannerIsSmoothedOnlyWhereWindowsCanSmooth) {
    EXPECT_EQ(HALFTONE, BannerStretchMode(0x0A280105));     // GetVersion of Windows XP
    EXPECT_EQ(COLORONCOLOR, BannerStretchMode(0xC0000A04)); // of Windows 98
}

namespace {
struct ShownText {
    unsigned id;
    const char* english;
};
// The texts the language files replace in the wizard's and the uninstall window's controls.
const ShownText shownTexts[] = {
#define DIALOG_TEXT(dialog, control, id, english) {id, english},
#include "resources/text_ids.h"
#undef DIALOG_TEXT
    {IDS_LABEL_INSTALL, "&Install"},
    {IDS_LABEL_CANCEL, "&Cancel"},
    {IDS_LABEL_FINISH, "&Finish"},
    {IDS_LABEL_NEXT, "&Next >"},
    {IDS_LABEL_YES, "&Yes"},
    {IDS_LABEL_NO, "&No"},
    {IDS_LABEL_BACK, "< &Back"},
    {IDT_ALL_USERS, "All Users"},
    {IDT_STAGE_SERVICES, REPLAY_STAGE_SERVICES},
    {IDT_STAGE_FILES, REPLAY_STAGE_FILES},
    {IDT_STAGE_FOLDERS, REPLAY_STAGE_FOLDERS},
    {IDT_STAGE_FINISHING, REPLAY_STAGE_FINISHING},
};
const char PRODUCT_TITLE[] = "Acme Reader Deluxe Edition";

// Every page of a wizard with a restart to offer or without, and the uninstall window at each
// of its stages: the cut texts, each once, and the texts measured into measured.
std::string CutTextsOfEveryWindow(std::set<std::string>* measured) {
    std::set<std::string> cut;
    for (int restart = 0; restart < 2; ++restart) {
        MemoryScript script = NewMemoryScript();
        CopyText(script->productTitle, sizeof(script->productTitle), PRODUCT_TITLE);
        CopyText(script->webPage, sizeof(script->webPage), "http://example.com/");
        CopyText(script->byeLink, sizeof(script->byeLink), "http://example.com/buy");
        AddComponent(script.get(), nullptr, "Main", 45000, 45000, true);
        AddComponent(script.get(), nullptr, "More", 45000, 45000, true);
        script->restartNeeded = restart;
        script->palmFilesQueued = 1;
        WizardFrame frame(script.get(), moduleInstance, nullptr);
        if (!frame.Create())
            return "no wizard\n";
        SendMessageA(frame.hwnd, WM_COMMAND, IDOK, 0);
        for (int row = 0; row < PAGE_COUNT; ++row) {
            frame.ShowPage(row, false);
            cut.insert(CutTexts(frame.hwnd, measured));
        }
    }
    UninstallLog log;
    CopyText(log.title, sizeof(log.title), PRODUCT_TITLE);
    UninstallProgressDialog dialog(&log, moduleInstance);
    if (!dialog.Create())
        return "no uninstall window\n";
    cut.insert(CutTexts(dialog.hwnd, measured));
    ProgressControls controls(dialog.stageLabel, dialog.progressBar, 1);
    for (const char* stage : {REPLAY_STAGE_SERVICES, REPLAY_STAGE_FILES, REPLAY_STAGE_FOLDERS,
                              REPLAY_STAGE_FINISHING}) {
        controls.ShowStage(stage);
        cut.insert(CutTexts(dialog.hwnd, measured));
    }
    std::string all;
    for (const std::string& texts : cut)
        all += texts;
    return all;
}

UINT CharsetOf(HWND window) {
    HDC dc = GetDC(window);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(window, WM_GETFONT, 0, 0)));
    UINT charset = GetTextCharset(dc);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return charset;
}
} // namespace

// The shipped languages written for the system's code page, in the dialog font at 96 DPI: each
// control shows the language's text, whole. The uninstall_tests_cp* entries run this on a
// Polish, a Russian and a German Windows.
TEST(LanguageLayout, ShippedLanguagesOfTheCodePageFitTheirControls) {
    const UINT codePage = GetACP();
    const char* expected = getenv("ORVEX_EXPECT_CODE_PAGE");
    if (expected) {
        EXPECT_EQ(static_cast<UINT>(atoi(expected)), codePage);
    }
    ASSERT_EQ(96, ScreenDpi());
    // The dialog font must be one of the code page's script, or the measure means nothing.
    CHARSETINFO script = {};
    ASSERT_TRUE(TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<ULONG_PTR>(codePage)),
                                     &script, TCI_SRCCODEPAGE));
    {
        UninstallLog log;
        UninstallProgressDialog dialog(&log, moduleInstance);
        ASSERT_TRUE(dialog.Create());
        EXPECT_EQ(script.ciCharset, CharsetOf(dialog.hwnd));
    }

    std::vector<std::string> measuredFiles;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(ORVEX_LANGUAGES_DIR "\\Setup.*.lng", &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        std::string name = found.cFileName;
        std::string path = std::string(ORVEX_LANGUAGES_DIR) + "\\" + name;
        std::string bytes = ReadFileBytes(path);
        LanguageHeader header;
        ReadLanguageHeader(bytes.c_str(), bytes.size(), &header);
        if (header.codePage != codePage)
            continue;
        SCOPED_TRACE(name);
        measuredFiles.push_back(name);
        std::string tag = name.substr(6, name.size() - 10);
        ASSERT_EQ(LANGUAGE_FILE_READ,
                  UseLanguageFile(path.c_str(), tag.c_str(), codePage, &header));
        std::set<std::string> measured;
        EXPECT_EQ("", CutTextsOfEveryWindow(&measured));
        for (const ShownText& text : shownTexts) {
            char local[256];
            CopyLocalText(local, sizeof(local), text.id, text.english);
            EXPECT_EQ(1u, measured.count(local)) << "text " << text.id << " not shown: " << local;
        }
        for (unsigned id : {IDS_FINISHED, IDS_FINISHED_RESTART}) {
            char format[512], local[512];
            LoadModuleString(id, format, sizeof(format));
            FormatText(local, sizeof(local), format, PRODUCT_TITLE);
            EXPECT_EQ(1u, measured.count(local)) << "text " << id << " not shown: " << local;
        }
        UseEnglish();
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    UseEnglish();
    // Polish, Czech and Hungarian; Russian; ten Western languages.
    const size_t shipped = codePage == 1250 ? 3 : codePage == 1251 ? 1 : codePage == 1252 ? 10 : 0;
    EXPECT_EQ(shipped, measuredFiles.size());
}
