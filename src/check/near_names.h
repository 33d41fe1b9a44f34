#pragma once
// Suggestions for a misspelt key or option: the known name within two edits.
#include <stddef.h>

// Edits (insert, delete, replace, swap of two neighbours) between a and b without regard to
// case, counted up to 3.
int EditsApart(const char* a, const char* b);

// The first candidate nearest to name within two edits, or null.
const char* NearestName(const char* name, const char* const* candidates, size_t count);
