#pragma once
// The parts of path expansion that need no Windows state: finding and replacing the first
// %TOKEN%, the token and shell-folder tables, and the Program Files guesses built from other
// paths.
#include <stddef.h>

// Room for an expansion that may exceed a path buffer, so that an over-long result is seen and
// refused (or, by the checker, measured) instead of being cut into the name of some other file.
const size_t MACRO_EXPANSION_ROOM = 2048;

enum MacroToken {
    TOKEN_UNKNOWN,
    TOKEN_DEST_PATH,
    TOKEN_WINDOWS,
    TOKEN_SYSTEM,
    TOKEN_PROGRAM_FILES,
    TOKEN_DESKTOP,
    TOKEN_DOCUMENTS,
    TOKEN_STARTMENU,
    TOKEN_SENDTO,
};

// The names of the macros, without percent signs, in the order of their tokens.
const int MACRO_COUNT = TOKEN_SENDTO - TOKEN_DEST_PATH + 1;
extern const char* const macroNames[MACRO_COUNT];
// Case-sensitive: only the upper-case names are macros.
MacroToken FindMacroToken(const char* name);

struct ShellFolderRow {
    MacroToken token;
    const char* valueName; // under the current user's "Shell Folders" key
    int folderNumber;      // CSIDL_...
    // The folder shared by all users: its value under the machine's "Shell Folders" key and its
    // CSIDL_COMMON_...; null and -1 where Windows has none.
    const char* commonValueName;
    int commonFolderNumber;
};
extern const ShellFolderRow shellFolderRows[4];
extern const char SHELL_FOLDERS_KEY[];
// Null for a token that is not a shell folder.
const ShellFolderRow* FindShellFolderRow(MacroToken token);

// Writes the token's value for name (without percent signs) into out, cut at outSize - 1 bytes.
typedef void (*TokenResolver)(const void* owner, const char* name, char* out, size_t outSize);

// Writes source with its first %TOKEN% replaced by the resolver's value into out (at most
// outSize - 1 bytes, always terminated). A value's trailing backslash is dropped so that
// "%X%\file" never doubles it, except behind a drive root that no backslash follows ("C:\" alone
// stays "C:\", not the drive-relative "C:"). Text after the macro is copied literally; a "%"
// without a closing one is not a macro. out may be the source buffer itself.
void ExpandFirstMacro(const char* source, char* out, size_t outSize, TokenResolver resolve,
                      const void* owner);

// Cuts an executable's path to its drive and first folder (D:\Tools\Setup\setup.exe gives
// D:\Tools). Returns false, leaving the path empty, when the path has no drive letter or no
// folder below the drive root: the guess then names nothing usable.
bool CutToFirstFolder(char* path);

// The drive of the Windows folder followed by "Program files" (C:\Program files).
void ProgramFilesBesideWindows(const char* windowsFolder, char* out, size_t outSize);

// Where a shell folder lies when neither the shell nor the registry names it: the places a
// single-user Windows without profiles uses (below the Windows folder; documents at the root of
// its drive).
void DefaultShellFolder(MacroToken token, const char* windowsFolder, char* out, size_t outSize);
