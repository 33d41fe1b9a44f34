#pragma once
// What a file's version resource says, read through version.dll (bound at run time: the
// programs import only the libraries every 32-bit Windows loads for them).
#include <stdint.h>

struct FileVersionInfo {
    // The fixed file version (VS_FIXEDFILEINFO): the most significant part in the high word.
    uint64_t version;
    // The first ProductName the resource's translations give; empty when it names none.
    char productName[128];
};

// False when the file has no readable version resource with a fixed part (or version.dll is
// missing); info is then zeroed.
bool ReadFileVersion(const char* path, FileVersionInfo* info);
