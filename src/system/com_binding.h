#pragma once
// COM and the shell's ShellExecuteExA, bound when first needed. Loading ole32 and shell32 (and
// what they pull in) at start would delay the wizard for the sake of the shortcuts and links
// that come later, if at all. Both libraries stay loaded once bound: COM keeps state in them.
#include <windows.h>

#include <shellapi.h>

// Initialises COM for this thread on the first call; false when ole32 cannot be bound.
bool EnsureComReady();

// CoCreateInstance once COM is ready; E_FAIL when it cannot be.
HRESULT CreateComObject(REFCLSID classId, DWORD context, REFIID interfaceId, void** object);

// ShellExecuteExA with COM initialised, as some shell handlers need; FALSE when shell32 cannot
// be bound.
BOOL RunShellExecute(SHELLEXECUTEINFOA* execute);
