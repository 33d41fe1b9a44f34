#include "check/near_names.h"

#include <string.h>

namespace {
const int FAR_APART = 3;
const size_t LONGEST = 64;

char Fold(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
} // namespace

int EditsApart(const char* a, const char* b) {
    size_t n = strlen(a);
    size_t m = strlen(b);
    if (n > LONGEST || m > LONGEST || (n > m ? n - m : m - n) >= FAR_APART)
        return FAR_APART;
    // Three rows of the optimal-string-alignment table.
    int rows[3][LONGEST + 1];
    for (size_t j = 0; j <= m; ++j)
        rows[0][j] = static_cast<int>(j);
    for (size_t i = 1; i <= n; ++i) {
        int* row = rows[i % 3];
        const int* above = rows[(i - 1) % 3];
        const int* twoAbove = rows[(i + 1) % 3];
        row[0] = static_cast<int>(i);
        for (size_t j = 1; j <= m; ++j) {
            int cost = Fold(a[i - 1]) == Fold(b[j - 1]) ? 0 : 1;
            int best = above[j - 1] + cost;
            if (above[j] + 1 < best)
                best = above[j] + 1;
            if (row[j - 1] + 1 < best)
                best = row[j - 1] + 1;
            if (i > 1 && j > 1 && Fold(a[i - 1]) == Fold(b[j - 2]) &&
                Fold(a[i - 2]) == Fold(b[j - 1]) && twoAbove[j - 2] + 1 < best)
                best = twoAbove[j - 2] + 1;
            row[j] = best;
        }
    }
    int edits = rows[n % 3][m];
    return edits < FAR_APART ? edits : FAR_APART;
}

const char* NearestName(const char* name, const char* const* candidates, size_t count) {
    const char* nearest = nullptr;
    int best = FAR_APART;
    for (size_t i = 0; i < count; ++i) {
        int edits = EditsApart(name, candidates[i]);
        if (edits < best) {
            best = edits;
            nearest = candidates[i];
        }
    }
    return nearest;
}
