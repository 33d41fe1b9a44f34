#include "system/file_replace.h"

#include <string.h>

#include <memory>
#include <new>

#include "system/system_libraries.h"
#include "system/text.h"
#include "system/whole_file.h"
#include "system/win_handles.h"

namespace {
// Windows 95 exports the function, but only to fail with ERROR_CALL_NOT_IMPLEMENTED.
bool MoveWithFlags(const char* from, const char* to, DWORD flags, bool* missing) {
    auto moveFileEx = Kernel32().MoveFileExA;
    *missing = !moveFileEx;
    if (*missing)
        return false;
    if (moveFileEx(from, to, flags))
        return true;
    *missing = GetLastError() == ERROR_CALL_NOT_IMPLEMENTED;
    return false;
}

bool WriteWholeFile(const char* path, const char* text, size_t size) {
    FileHandle file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), text, static_cast<DWORD>(size), &written, nullptr) &&
           written == size;
}
} // namespace

bool ReplaceFileNow(const char* newFile, const char* target) {
    bool missing = false;
    if (MoveWithFlags(newFile, target, MOVEFILE_REPLACE_EXISTING, &missing))
        return true;
    if (!missing)
        return false;
    DeleteFileA(target);
    return MoveFileA(newFile, target) != FALSE;
}

bool ReplaceFileAtRestart(const char* newFile, const char* target) {
    bool missing = false;
    if (MoveWithFlags(newFile, target, MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING,
                      &missing))
        return true;
    if (!missing)
        return false;
    char iniPath[MAX_PATH];
    UINT length = GetWindowsDirectoryA(iniPath, sizeof(iniPath));
    if (length == 0 || length >= sizeof(iniPath))
        return false;
    AppendText(iniPath, sizeof(iniPath), iniPath[length - 1] == '\\' ? "" : "\\");
    AppendText(iniPath, sizeof(iniPath), "WININIT.INI");
    return AddWininitRename(iniPath, target, newFile);
}

bool AddWininitRename(const char* iniPath, const char* target, const char* newFile) {
    char shortTarget[MAX_PATH];
    char shortNew[MAX_PATH];
    DWORD targetLength = GetShortPathNameA(target, shortTarget, sizeof(shortTarget));
    DWORD newLength = GetShortPathNameA(newFile, shortNew, sizeof(shortNew));
    if (targetLength == 0 || targetLength >= sizeof(shortTarget) || newLength == 0 ||
        newLength >= sizeof(shortNew))
        return false;
    char line[2 * MAX_PATH + 4];
    FormatText(line, sizeof(line), "%s=%s\r\n", shortTarget, shortNew);

    std::unique_ptr<char[]> text;
    DWORD size = 0;
    WholeFileResult read = ReadWholeFile(iniPath, 1, &text, &size);
    if (read == WHOLE_FILE_FAILED)
        return false;
    const char* old = read == WHOLE_FILE_READ ? text.get() : "";
    if (read != WHOLE_FILE_READ)
        size = 0;
    // The profile functions would drop a second line for the same target: the section is
    // written by hand, its header found at a line's start whatever its case.
    const char* header = nullptr;
    for (const char* at = old; at && *at && !header;) {
        if (_strnicmp(at, "[rename]", 8) == 0)
            header = at;
        at = strchr(at, '\n');
        at = at ? at + 1 : nullptr;
    }
    size_t before = size;
    const char* section = "";
    if (header) {
        const char* end = strchr(header, '\n');
        before = end ? static_cast<size_t>(end + 1 - old) : size;
    } else {
        section = size > 0 && old[size - 1] != '\n' ? "\r\n[rename]\r\n" : "[rename]\r\n";
    }
    size_t total = size + strlen(section) + strlen(line) + 2;
    std::unique_ptr<char[]> out(new (std::nothrow) char[total + 1]);
    if (!out)
        return false;
    memcpy(out.get(), old, before);
    size_t used = before;
    // A header on the file's last line, without its line end, gets one.
    if (header && before > 0 && old[before - 1] != '\n') {
        memcpy(out.get() + used, "\r\n", 2);
        used += 2;
    }
    memcpy(out.get() + used, section, strlen(section));
    used += strlen(section);
    memcpy(out.get() + used, line, strlen(line));
    used += strlen(line);
    memcpy(out.get() + used, old + before, size - before);
    used += size - before;
    return WriteWholeFile(iniPath, out.get(), used);
}

bool FileInUse(const char* path) {
    FileHandle file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file)
        return false;
    DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}
