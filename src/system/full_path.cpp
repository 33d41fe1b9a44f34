#include "system/full_path.h"

bool IsFullPath(const char* path) {
    if (!path)
        return false;
    bool drive =
        ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':' && path[2] == '\\';
    return drive || (path[0] == '\\' && path[1] == '\\');
}
