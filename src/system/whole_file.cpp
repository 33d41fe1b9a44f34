#include "system/whole_file.h"

#include <new>

#include "system/file_probe.h"
#include "system/win_handles.h"

WholeFileResult ReadWholeFile(const char* path, DWORD padding, std::unique_ptr<char[]>* text,
                              DWORD* size) {
    text->reset();
    *size = 0;
    WIN32_FIND_DATAA found;
    if (!ProbeFile(path, &found) || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return WHOLE_FILE_ABSENT;
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return WHOLE_FILE_ABSENT;
    return ReadWholeHandle(file.Get(), padding, text, size);
}

WholeFileResult ReadWholeHandle(HANDLE file, DWORD padding, std::unique_ptr<char[]>* text,
                                DWORD* size) {
    text->reset();
    *size = 0;
    DWORD high = 0;
    DWORD length = GetFileSize(file, &high);
    if (length == INVALID_FILE_SIZE || high != 0 || length > MAXDWORD - padding ||
        SetFilePointer(file, 0, nullptr, FILE_BEGIN) != 0)
        return WHOLE_FILE_FAILED;
    // Zero-filled, so the padding is in place whatever the reads bring.
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[length + padding]());
    if (!buffer)
        return WHOLE_FILE_FAILED;
    DWORD got = 0;
    while (got < length) {
        DWORD part = 0;
        if (!ReadFile(file, buffer.get() + got, length - got, &part, nullptr))
            return WHOLE_FILE_FAILED;
        if (part == 0)
            break;
        got += part;
    }
    *text = std::move(buffer);
    *size = got;
    return WHOLE_FILE_READ;
}
