#include "ui/hotsync_user_page.h"

#include <new>
#include <string.h>

#include "palm/hotsync_users.h"
#include "resources/text_ids.h"
#include "script/setup_script.h"
#include "system/language.h"
#include "system/text.h"

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
    AddUsers();
    PresetChoice();
}

void HotSyncUserPage::AddUsers() {
    userCombo.Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LocalText(IDT_ALL_USERS, ALL_USERS)));
    HotSyncUserList users;
    if (!users.Read())
        return;
    for (const char* name = users.Next(nullptr); name; name = users.Next(name))
        userCombo.Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
}

// A user named on the command line is chosen when HotSync lists it; otherwise the page offers
// "All Users" as usual.
void HotSyncUserPage::PresetChoice() {
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
    if (index == 0 || strcmp(name, ALL_USERS) == 0)
        script->hotSyncUser[0] = '\0';
    else
        CopyText(script->hotSyncUser, sizeof(script->hotSyncUser), name);
}

DialogWindow* CreateHotSyncUserPage(SetupScript* script, HWND parent, HINSTANCE instance) {
    return new (std::nothrow) HotSyncUserPage(script, parent, instance);
}
