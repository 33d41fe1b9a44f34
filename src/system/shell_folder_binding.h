#pragma once
// The shell folder functions, bound at run time because Windows 95 without the desktop update
// has neither: shared by all live PathMacros objects, loaded with the first and freed with the
// last.
#include <stddef.h>
#include <windows.h>

void AcquireShellFolderBinding();
void ReleaseShellFolderBinding();

// Asks the bound shell function for folder number folderNumber (CSIDL_...). out is left as it
// was when no function is bound or the call fails; otherwise it receives the folder, cut at
// outSize - 1 bytes. Returns whether out was written.
bool GetShellFolder(int folderNumber, char* out, size_t outSize);
