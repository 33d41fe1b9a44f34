#pragma once
// Where the package's starter unpacks, and the access list of the folder it makes there.
#include <stddef.h>
#include <windows.h>

// The folder a package unpacks under, with its trailing backslash. A run with administrator rights
// takes the Windows folder's Temp, which users without them can neither rename nor empty; others
// take %TEMP%, in its short form when its ANSI form cannot name it, or the Windows folder's Temp
// when even the short form cannot. False when the path does not fit in size - 1 bytes.
bool UnpackParent(bool administrator, char* out, size_t size);

// The unpacking folder's security descriptor on the NT family (self-relative): a protected
// access list that admits Administrators and SYSTEM alone, so that no process without
// administrator rights puts a file beside the Setup.exe that runs with them. The files and
// folders made in it inherit the entries.
extern const BYTE UNPACK_FOLDER_DESCRIPTOR[72];

// Makes the folder at path with the descriptor above and opens it in the same step, held for
// reading without delete sharing, so that no other process renames it between its making and its
// hold (the NT family only). INVALID_HANDLE_VALUE on failure, with ERROR_ALREADY_EXISTS when the
// name is taken.
HANDLE CreateHeldFolder(const char* path);

// Whether the process runs with the Administrators group enabled in its token: a token filtered
// by User Account Control holds it for denying only. False where Windows cannot tell (before
// Windows 2000).
bool RunsAsAdministrator();
