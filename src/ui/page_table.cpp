#include "ui/page_table.h"

int32_t NextPageRow(DialogWindow* const pages[PAGE_COUNT], int32_t current) {
    for (int32_t row = current + 1; row < PAGE_COUNT; ++row) {
        if (row >= 0 && pages[row])
            return row;
    }
    return PAGE_FINISH;
}

int32_t PreviousPageRow(DialogWindow* const pages[PAGE_COUNT], int32_t current) {
    for (int32_t row = current - 1; row >= 0; --row) {
        if (row < PAGE_COUNT && pages[row])
            return row;
    }
    return PAGE_LICENCE;
}
