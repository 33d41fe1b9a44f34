#pragma once
// The wizard's page table: which pages exist, in which order, and the labels of the navigation
// buttons on each.
#include <stdint.h>
#include <windows.h>

class DialogWindow;
struct SetupScript;

enum : int32_t {
    PAGE_LICENCE = 0,
    PAGE_HOTSYNC_USER = 1,
    PAGE_COMPONENTS = 2,
    PAGE_FINISH = 3,
    PAGE_COUNT = 4,
};

// Makes a page object without its window; null when memory ran out.
using PageFactory = DialogWindow* (*)(SetupScript* script, HWND parent, HINSTANCE instance);

struct PageRow {
    PageFactory create;
    // String ids of the labels of buttons 3, 1 and 2 on this page; 0 hides the button.
    UINT backLabel;
    UINT nextLabel;
    UINT closeLabel;
    int32_t kind;
};

extern const PageRow pageTable[PAGE_COUNT];

// The first row after current that has a page; PAGE_FINISH when there is none.
int32_t NextPageRow(DialogWindow* const pages[PAGE_COUNT], int32_t current);
// The nearest row before current that has a page; PAGE_LICENCE when there is none.
int32_t PreviousPageRow(DialogWindow* const pages[PAGE_COUNT], int32_t current);
