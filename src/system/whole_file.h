#pragma once
// A whole file read into memory at once: the licence text and the uninstall log.
#include <windows.h>

#include <memory>

enum WholeFileResult {
    WHOLE_FILE_READ,   // the file's bytes, then the padding's zero bytes
    WHOLE_FILE_ABSENT, // no such file, a folder, or one that cannot be opened
    WHOLE_FILE_FAILED, // there, but too large for this computer's memory or unreadable
};

// Reads the file at path into a new buffer with `padding` zero bytes behind its bytes (so that
// a text is terminated); *size is the number of bytes read. A file that shrank meanwhile gives
// what it still holds.
WholeFileResult ReadWholeFile(const char* path, DWORD padding, std::unique_ptr<char[]>* text,
                              DWORD* size);
// The same from offset 0 of a file open for reading, for a file its writer holds.
WholeFileResult ReadWholeHandle(HANDLE file, DWORD padding, std::unique_ptr<char[]>* text,
                                DWORD* size);
