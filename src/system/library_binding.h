#pragma once
// Run-time binding of functions that not every Windows version (or every vendor library) has.
#include <windows.h>

// The one cast from an export's address to its typed pointer; null when the export is missing.
template <typename Fn> bool BindProc(HMODULE library, const char* name, Fn& target) {
    FARPROC address = library ? GetProcAddress(library, name) : nullptr;
    target = reinterpret_cast<Fn>(reinterpret_cast<void*>(address));
    return target != nullptr;
}

// Loads a system DLL by its full path in the system folder. A bare name would search the
// installer's own folder first, where a planted DLL would run with the installer's rights.
HMODULE LoadSystemLibrary(const char* fileName);

// Where a library named without a path is looked for: the system folder alone, never the folder
// the program was started from or the current folder, where a download may lie beside it. The
// first thing each program does.
void RestrictLibrarySearch();
// Loads a library by its full path with the libraries it imports looked for in its own folder
// first (vendor libraries bring theirs along).
HMODULE LoadLibraryWithItsFolder(const char* path);
