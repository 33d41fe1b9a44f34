#include "ui/hotsync_user_page.h"

#include <new>
#include <stdlib.h>
#include <string.h>

#include "palm/palm_bridge.h"
#include "resources/resource_ids.h"
#include "script/setup_script.h"
#include "system/text.h"

namespace {
const char ALL_USERS[] = "All Users";
const size_t USER_LIST_SIZE = 8096;
} // namespace

HotSyncUserPage::HotSyncUserPage(SetupScript* script, HWND parentWindow, HINSTANCE instanceHandle)
    : DialogWindow(instanceHandle, parentWindow, IDD_HOTSYNC_USER_PAGE, script) {}

LRESULT HotSyncUserPage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SHOWWINDOW && wParam)
        FillUserList();
    else if (message == WM_COMMAND && HIWORD(wParam) == CBN_SELCHANGE &&
             reinterpret_cast<HWND>(lParam) == userCombo.Handle() && userCombo)
        RecordChoice();
    return TooltipWindowProc(message, wParam, lParam);
}

bool HotSyncUserPage::OnNotify(int controlId, NMHDR* header, LRESULT* result) {
    return OnTooltipNotify(controlId, header, result);
}

LRESULT HotSyncUserPage::OnInitDialog() {
    titleFont.Reset(CreateTitleFont(hwnd, IDC_PAGE_TITLE));
    userCombo = Window(GetDlgItem(hwnd, IDC_USER_COMBO));
    return TRUE;
}

void HotSyncUserPage::FillUserList() {
    if (!userCombo || userCombo.Send(CB_GETCOUNT) != 0)
        return;
    char* names = static_cast<char*>(malloc(USER_LIST_SIZE));
    userCombo.Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ALL_USERS));
    if (names) {
        memset(names, 0, USER_LIST_SIZE);
        if (GetHotSyncUsers(names, USER_LIST_SIZE)) {
            // The list is walked within the buffer even if the bridge left it unterminated.
            names[USER_LIST_SIZE - 1] = '\0';
            for (const char* name = names; *name; name += strlen(name) + 1) {
                userCombo.Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
                if (name + strlen(name) + 1 >= names + USER_LIST_SIZE)
                    break;
            }
        }
    }
    free(names);
    // A user named on the command line is chosen when HotSync lists it; otherwise the page
    // offers "All Users" as usual.
    SetupScript* script = static_cast<SetupScript*>(appData);
    LRESULT preset =
        script->hotSyncUser[0]
            ? userCombo.Send(CB_FINDSTRINGEXACT, 0, reinterpret_cast<LPARAM>(script->hotSyncUser))
            : CB_ERR;
    userCombo.Send(CB_SETCURSEL, preset == CB_ERR ? 0 : preset);
    if (preset == CB_ERR || preset == 0)
        script->hotSyncUser[0] = '\0';
    else
        RecordChoice();
}

void HotSyncUserPage::RecordChoice() {
    char name[256];
    memset(name, 0, sizeof(name));
    LRESULT index = userCombo.Send(CB_GETCURSEL);
    if (index == CB_ERR)
        return;
    // CB_GETLBTEXT takes no buffer size: an entry that would not fit is not read at all.
    LRESULT length = userCombo.Send(CB_GETLBTEXTLEN, index);
    if (length == CB_ERR || length <= 0 || length >= static_cast<LRESULT>(sizeof(name)))
        return;
    if (userCombo.Send(CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(name)) == CB_ERR ||
        name[0] == '\0')
        return;
    SetupScript* script = static_cast<SetupScript*>(appData);
    if (strcmp(name, ALL_USERS) == 0)
        script->hotSyncUser[0] = '\0';
    else
        CopyText(script->hotSyncUser, sizeof(script->hotSyncUser), name);
}

DialogWindow* CreateHotSyncUserPage(SetupScript* script, HWND parent, HINSTANCE instance) {
    return new (std::nothrow) HotSyncUserPage(script, parent, instance);
}
