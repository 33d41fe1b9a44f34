#include "ui/components_page.h"

#include <new>

#include "resources/text_ids.h"
#include "script/component_walk.h"
#include "script/setup_script.h"
#include "system/language.h"
#include "system/text.h"

namespace {
bool NodeChecked(void* context, const Component* component) {
    return static_cast<ComponentsPage*>(context)->tree.IsChecked(component->treeItem);
}

void SetNodeCheck(void* context, Component* component, bool checked) {
    static_cast<ComponentsPage*>(context)->SetCheck(component->treeItem, checked);
}

Component* ParentComponent(void* context, const Component* component) {
    const TreeView& tree = static_cast<ComponentsPage*>(context)->tree;
    HTREEITEM parentNode = tree.Parent(component->treeItem);
    LPARAM data = 0;
    if (!parentNode || !tree.GetItem(parentNode, nullptr, &data))
        return nullptr;
    return reinterpret_cast<Component*>(data);
}

Component* ComponentOf(const TreeView& tree, HTREEITEM node) {
    LPARAM data = 0;
    if (!tree.GetItem(node, nullptr, &data))
        return nullptr;
    return reinterpret_cast<Component*>(data);
}

POINT MessagePosition() {
    DWORD position = GetMessagePos();
    POINT point;
    point.x = static_cast<short>(LOWORD(position));
    point.y = static_cast<short>(HIWORD(position));
    return point;
}
} // namespace

ComponentsPage::ComponentsPage(SetupScript* script, HWND parentWindow, HINSTANCE instanceHandle)
    : DialogWindow(instanceHandle, parentWindow, IDD_COMPONENTS_PAGE, script), totals{0, 0},
      watchedNode(nullptr), watchedChecked(false) {
    usesCommonControls = true;
}

LRESULT ComponentsPage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SHOWWINDOW && wParam)
        ReportInstallable();
    if (message == WM_TAKE_UP_CHECK) {
        TakeUpWatchedNode();
        return 0;
    }
    return TooltipWindowProc(message, wParam, lParam);
}

bool ComponentsPage::OnNotify(int, NMHDR* header, LRESULT*) {
    if (!header || header->hwndFrom != tree.Handle())
        return false;
    switch (header->code) {
    case NM_CLICK:
    case NM_DBLCLK: {
        UINT flags = 0;
        HTREEITEM node = tree.HitTest(MessagePosition(), &flags);
        if (node && (flags & TVHT_ONITEMSTATEICON)) {
            if (header->code == NM_CLICK)
                ToggleComponent(node);
            else
                WatchNode(node);
        }
        break;
    }
    case TVN_KEYDOWN:
        if (reinterpret_cast<NMTVKEYDOWN*>(header)->wVKey == VK_SPACE) {
            HTREEITEM node = tree.Selection();
            if (node)
                WatchNode(node);
        }
        break;
    case TVN_SELCHANGEDA: {
        const NMTREEVIEWA* change = reinterpret_cast<NMTREEVIEWA*>(header);
        const Component* component = reinterpret_cast<Component*>(change->itemNew.lParam);
        if (change->itemNew.hItem && component)
            SetDlgItemTextA(hwnd, IDC_DESCRIPTION, component->description);
        break;
    }
    }
    // Not handled: the tree view goes on with its own processing (and flips a clicked box).
    return false;
}

LRESULT ComponentsPage::OnInitDialog() {
    totals.deviceTotal = 0;
    totals.desktopTotal = 0;
    tree = TreeView(GetDlgItem(hwnd, IDC_COMPONENT_TREE));
    // The tree view builds its check box images only when the style arrives after creation.
    SetWindowLongA(tree.Handle(), GWL_STYLE,
                   GetWindowLongA(tree.Handle(), GWL_STYLE) | TVS_CHECKBOXES);
    const SetupScript* script = static_cast<const SetupScript*>(appData);
    HTREEITEM first = nullptr;
    // Without redraw the tree view leaves its scroll bars and layout until the end: kept up to
    // date on every insertion they make building a large tree many times slower.
    tree.Send(WM_SETREDRAW, FALSE);
    for (int32_t i = 0; i < script->components.Count(); ++i) {
        Component* component = static_cast<Component*>(script->components.At(i));
        InsertComponent(component, TVI_ROOT);
        if (!first)
            first = component->treeItem;
    }
    tree.Send(WM_SETREDRAW, TRUE);
    UpdateTotals();
    if (first)
        tree.Select(first);
    return TRUE;
}

bool ComponentsPage::AddNode(Component* component, HTREEITEM parentNode) {
    bool hasChildren = component->children && component->children->Count() > 0;
    HTREEITEM node =
        tree.Insert(parentNode, component->name, reinterpret_cast<LPARAM>(component), hasChildren);
    component->treeItem = node;
    if (!node)
        return false;
    if (component->selected)
        CountSizes(&totals, component, true);
    SetCheck(node, component->selected != 0);
    return true;
}

void ComponentsPage::InsertComponent(Component* component, HTREEITEM parentNode) {
    if (AddNode(component, parentNode))
        WalkComponents(component->children, component, AddChildNode, this);
}

bool ComponentsPage::AddChildNode(void* page, Component* component, Component* parent) {
    ComponentsPage* self = static_cast<ComponentsPage*>(page);
    bool added = self->AddNode(component, parent->treeItem);
    // A parent opens once all of its sub-components have been offered to the tree.
    const PtrArray& siblings = *parent->children;
    if (siblings.At(siblings.Count() - 1) == component)
        self->tree.Expand(parent->treeItem);
    return added;
}

void ComponentsPage::SetCheck(HTREEITEM node, bool checked) {
    tree.SetCheck(node, checked);
}

void ComponentsPage::SetSelected(Component* component, bool selected) {
    ::SetSelected(component, selected, &totals, Marks());
}

void ComponentsPage::ToggleComponent(HTREEITEM node) {
    Component* component = ComponentOf(tree, node);
    if (!component)
        return;
    ::ToggleComponent(component, &totals, Marks());
    UpdateTotals();
}

void ComponentsPage::UpdateTotals() {
    char text[32];
    const char* format = LocalText(IDT_SIZE_K, "%d K");
    FormatText(text, sizeof(text), format, static_cast<int>(totals.deviceTotal));
    SetDlgItemTextA(hwnd, IDC_DEVICE_TOTAL, text);
    FormatText(text, sizeof(text), format, static_cast<int>(totals.desktopTotal));
    SetDlgItemTextA(hwnd, IDC_DESKTOP_TOTAL, text);
    if (IsWindowVisible(hwnd))
        ReportInstallable();
}

void ComponentsPage::ReportInstallable() {
    SendMessageA(parent, WM_ENABLE_NEXT, IsInstallable(totals) ? 1 : 0, 0);
}

CheckMarks ComponentsPage::Marks() {
    CheckMarks marks = {this, NodeChecked, SetNodeCheck, ParentComponent};
    return marks;
}

void ComponentsPage::WatchNode(HTREEITEM node) {
    watchedNode = node;
    watchedChecked = tree.IsChecked(node);
    // Posted behind the input being handled (and the character it produces), so it is taken
    // up after the tree view has flipped the box, whichever message it flips it on.
    PostMessageA(hwnd, WM_TAKE_UP_CHECK, 0, 0);
}

void ComponentsPage::TakeUpWatchedNode() {
    HTREEITEM node = watchedNode;
    watchedNode = nullptr;
    Component* component = node ? ComponentOf(tree, node) : nullptr;
    if (!component)
        return;
    bool checked = tree.IsChecked(node);
    if (checked == watchedChecked || (component->selected != 0) == checked)
        return;
    ApplyCheck(component, checked, &totals, Marks());
    UpdateTotals();
}

DialogWindow* CreateComponentsPage(SetupScript* script, HWND parent, HINSTANCE instance) {
    return new (std::nothrow) ComponentsPage(script, parent, instance);
}
