#include "system/macro_expansion.h"

#include <string.h>
#include <windows.h>
#include <shlobj.h>

#include "system/text.h"

namespace {
// Longer than any token: a longer name is unknown anyway.
const size_t TOKEN_NAME_SIZE = 32;
const size_t VALUE_SIZE = 260;

bool IsDriveRoot(const char* text) {
    return text[0] != '\0' && text[1] == ':' && text[2] == '\\' && text[3] == '\0';
}

size_t Smaller(size_t a, size_t b) {
    return a < b ? a : b;
}
} // namespace

const ShellFolderRow shellFolderRows[4] = {
    {TOKEN_DESKTOP, "Desktop", CSIDL_DESKTOP, "Common Desktop", CSIDL_COMMON_DESKTOPDIRECTORY},
    {TOKEN_DOCUMENTS, "Personal", CSIDL_PERSONAL, nullptr, -1},
    {TOKEN_STARTMENU, "Start Menu", CSIDL_PROGRAMS, "Common Programs", CSIDL_COMMON_PROGRAMS},
    // Windows has no SendTo folder shared by all users.
    {TOKEN_SENDTO, "SendTo", CSIDL_SENDTO, nullptr, -1},
};
const char* const macroNames[MACRO_COUNT] = {
    "DEST_PATH", "WINDOWS",   "SYSTEM",    "PROGRAM_FILES",
    "DESKTOP",   "DOCUMENTS", "STARTMENU", "SENDTO",
};

const char SHELL_FOLDERS_KEY[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

MacroToken FindMacroToken(const char* name) {
    if (!name)
        return TOKEN_UNKNOWN;
    for (int i = 0; i < MACRO_COUNT; ++i) {
        if (strcmp(macroNames[i], name) == 0)
            return static_cast<MacroToken>(TOKEN_DEST_PATH + i);
    }
    return TOKEN_UNKNOWN;
}

const ShellFolderRow* FindShellFolderRow(MacroToken token) {
    for (const ShellFolderRow& row : shellFolderRows) {
        if (row.token == token)
            return &row;
    }
    return nullptr;
}

void ExpandFirstMacro(const char* source, char* out, size_t outSize, TokenResolver resolve,
                      const void* owner) {
    if (!out || outSize == 0)
        return;
    if (!source) {
        out[0] = '\0';
        return;
    }
    const char* open = FindChar(source, '%');
    const char* close = open ? FindChar(open + 1, '%') : nullptr;
    if (!close) {
        if (out != source)
            CopyText(out, outSize, source);
        else
            out[Smaller(strlen(out), outSize - 1)] = '\0';
        return;
    }

    char name[TOKEN_NAME_SIZE];
    name[0] = '\0';
    size_t nameLength = static_cast<size_t>(close - open - 1);
    if (nameLength < sizeof(name))
        CopyTextN(name, sizeof(name), open + 1, nameLength);
    char value[VALUE_SIZE];
    value[0] = '\0';
    if (name[0] != '\0' && resolve)
        resolve(owner, name, value, sizeof(value));

    const char* rest = close + 1;
    size_t valueLength = strlen(value);
    const char* lastSlash = FindLastChar(value, '\\');
    if (valueLength > 0 && lastSlash == value + valueLength - 1 &&
        !(IsDriveRoot(value) && *rest != '\\'))
        value[--valueLength] = '\0';

    // Placed back to front with memmove so that out may be the source buffer itself.
    size_t room = outSize - 1;
    size_t prefixLength = Smaller(static_cast<size_t>(open - source), room);
    valueLength = Smaller(valueLength, room - prefixLength);
    size_t restLength = Smaller(strlen(rest), room - prefixLength - valueLength);
    memmove(out + prefixLength + valueLength, rest, restLength);
    memcpy(out + prefixLength, value, valueLength);
    if (out != source)
        memmove(out, source, prefixLength);
    out[prefixLength + valueLength + restLength] = '\0';
}

bool CutToFirstFolder(char* path) {
    if (!path)
        return false;
    char* firstSlash = path[0] != '\0' && path[1] == ':' ? FindChar(path, '\\') : nullptr;
    char* secondSlash = firstSlash == path + 2 ? FindChar(firstSlash + 1, '\\') : nullptr;
    if (!secondSlash || secondSlash == firstSlash + 1) {
        path[0] = '\0';
        return false;
    }
    *secondSlash = '\0';
    return true;
}

void ProgramFilesBesideWindows(const char* windowsFolder, char* out, size_t outSize) {
    CopyTextN(out, outSize, windowsFolder, 3);
    AppendText(out, outSize, "Program files");
}

void DefaultShellFolder(MacroToken token, const char* windowsFolder, char* out, size_t outSize) {
    const char* below = nullptr;
    switch (token) {
    case TOKEN_DESKTOP:
        below = "Desktop";
        break;
    case TOKEN_SENDTO:
        below = "SendTo";
        break;
    case TOKEN_STARTMENU:
        below = "Start Menu\\Programs";
        break;
    case TOKEN_DOCUMENTS:
        CopyTextN(out, outSize, windowsFolder, 3);
        AppendText(out, outSize, "My documents");
        return;
    default:
        CopyText(out, outSize, "");
        return;
    }
    CopyText(out, outSize, windowsFolder);
    size_t length = strlen(out);
    if (length > 0 && FindLastChar(out, '\\') != out + length - 1)
        AppendText(out, outSize, "\\");
    AppendText(out, outSize, below);
}
