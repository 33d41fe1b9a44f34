#include "system/file_probe.h"

#include "system/win_handles.h"

bool ProbeFile(const char* path, WIN32_FIND_DATAA* found) {
    WIN32_FIND_DATAA scratch;
    FindHandle search(FindFirstFileA(path, found ? found : &scratch));
    return search.IsValid();
}
