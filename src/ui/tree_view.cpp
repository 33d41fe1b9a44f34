#include "ui/tree_view.h"

#include <string.h>

namespace {
// Check boxes are the state images 1 (unchecked) and 2 (checked).
const UINT STATE_IMAGE_UNCHECKED = 1;
const UINT STATE_IMAGE_CHECKED = 2;
// A node counts as checked when this bit of its state is set.
const UINT CHECKED_STATE_BIT = INDEXTOSTATEIMAGEMASK(STATE_IMAGE_CHECKED);
} // namespace

HTREEITEM TreeView::Insert(HTREEITEM parent, const char* text, LPARAM data,
                           bool hasChildren) const {
    TVINSERTSTRUCTA insert;
    memset(&insert, 0, sizeof(insert));
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<char*>(text);
    insert.item.lParam = data;
    if (hasChildren) {
        insert.item.mask |= TVIF_CHILDREN;
        insert.item.cChildren = 1;
    }
    return reinterpret_cast<HTREEITEM>(Send(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

bool TreeView::GetItem(HTREEITEM node, UINT* state, LPARAM* data) const {
    TVITEMA item;
    memset(&item, 0, sizeof(item));
    item.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM;
    item.hItem = node;
    item.stateMask = TVIS_STATEIMAGEMASK;
    if (!node || !Send(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return false;
    if (state)
        *state = item.state;
    if (data)
        *data = item.lParam;
    return true;
}

bool TreeView::IsChecked(HTREEITEM node) const {
    UINT state = 0;
    return GetItem(node, &state, nullptr) && (state & CHECKED_STATE_BIT) != 0;
}

void TreeView::SetCheck(HTREEITEM node, bool checked) const {
    TVITEMA item;
    memset(&item, 0, sizeof(item));
    item.mask = TVIF_HANDLE | TVIF_STATE;
    item.hItem = node;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? STATE_IMAGE_CHECKED : STATE_IMAGE_UNCHECKED);
    item.stateMask = TVIS_STATEIMAGEMASK;
    Send(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

HTREEITEM TreeView::Next(HTREEITEM node, UINT relation) const {
    return reinterpret_cast<HTREEITEM>(
        Send(TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(node)));
}

void TreeView::Expand(HTREEITEM node) const {
    Send(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node));
}

void TreeView::Select(HTREEITEM node) const {
    Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node));
}

HTREEITEM TreeView::HitTest(POINT screenPoint, UINT* flags) const {
    TVHITTESTINFO hit;
    memset(&hit, 0, sizeof(hit));
    hit.pt = screenPoint;
    ScreenToClient(Handle(), &hit.pt);
    HTREEITEM node =
        reinterpret_cast<HTREEITEM>(Send(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (flags)
        *flags = hit.flags;
    return node;
}
