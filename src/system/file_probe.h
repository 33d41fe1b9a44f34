#pragma once
#include <windows.h>

// True when a file or folder matches the path; found receives its attributes, size and times.
bool ProbeFile(const char* path, WIN32_FIND_DATAA* found);
