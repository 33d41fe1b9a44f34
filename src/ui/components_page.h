#pragma once
#include <windows.h>

#include "ui/component_selection.h"
#include "ui/dialog_window.h"
#include "ui/tree_view.h"
#include "ui/window_messages.h"

struct Component;
struct SetupScript;

// The component choice: a check-box tree with the space totals and the description of the
// highlighted component. Keeps each component's selected flag in step with its check mark.
class ComponentsPage : public DialogWindow {
  public:
    ComponentsPage(SetupScript* script, HWND parentWindow, HINSTANCE instanceHandle);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnNotify(int controlId, NMHDR* header, LRESULT* result) override;
    LRESULT OnInitDialog() override;

    // Adds the component and its whole subtree below parentNode.
    void InsertComponent(Component* component, HTREEITEM parentNode);
    void SetCheck(HTREEITEM node, bool checked);
    void SetSelected(Component* component, bool selected);
    void ToggleComponent(HTREEITEM node);
    void UpdateTotals();
    void ReportInstallable();

    TreeView tree;
    SpaceTotals totals;

  private:
    bool AddNode(Component* component, HTREEITEM parentNode);
    // Visitor of the walk below an inserted component.
    static bool AddChildNode(void* page, Component* component, Component* parent);
    CheckMarks Marks();
    // The tree view flips a check box by itself on the space bar and on a double click; those
    // flips are taken up once the control has finished with the input.
    void WatchNode(HTREEITEM node);
    void TakeUpWatchedNode();

    HTREEITEM watchedNode;
    bool watchedChecked;
};

DialogWindow* CreateComponentsPage(SetupScript* script, HWND parent, HINSTANCE instance);
