#pragma once
// A tree view control of a dialog, not owned. Check boxes are state images: 1 unchecked,
// 2 checked.
#include <windows.h>
#include <commctrl.h>

#include "ui/window.h"

class TreeView : public Window {
  public:
    TreeView(HWND handle = nullptr) : Window(handle) {}

    HTREEITEM Insert(HTREEITEM parent, const char* text, LPARAM data, bool hasChildren) const;
    // Reads state and item data; false when the node cannot be read.
    bool GetItem(HTREEITEM node, UINT* state, LPARAM* data) const;
    bool IsChecked(HTREEITEM node) const;
    void SetCheck(HTREEITEM node, bool checked) const;
    HTREEITEM Parent(HTREEITEM node) const { return Next(node, TVGN_PARENT); }
    HTREEITEM Selection() const { return Next(nullptr, TVGN_CARET); }
    HTREEITEM Next(HTREEITEM node, UINT relation) const;
    void Expand(HTREEITEM node) const;
    void Select(HTREEITEM node) const;
    // Hit-tests a point in screen coordinates; flags receives the TVHT_ bits.
    HTREEITEM HitTest(POINT screenPoint, UINT* flags) const;
};
