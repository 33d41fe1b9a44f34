#pragma once

// A path that names the same place from any current folder: a drive letter with its root
// ("C:\..."), or a UNC name ("\\server\share..."). "C:x", "\x" and "x" depend on where the program
// was started.
bool IsFullPath(const char* path);
