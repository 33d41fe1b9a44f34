#include "system/whole_line.h"

bool WriteWholeLine(HANDLE file, const char* line, size_t length, FileWriter write) {
    DWORD written = 0;
    if (write(file, line, static_cast<DWORD>(length), &written, nullptr) && written == length)
        return true;
    SetFilePointer(file, -static_cast<LONG>(written), nullptr, FILE_CURRENT);
    SetEndOfFile(file);
    return false;
}
