#pragma once
// The product folder as the checks name it: without a trailing backslash, "." when empty.
#include <stddef.h>

void NormalFolder(const char* folder, char* out, size_t size);
