#include "app/staging_path.h"

#include <string.h>

#include "system/text.h"

bool FormStagingPath(const char* targetPath, char* out, size_t outSize) {
    if (!out || outSize == 0)
        return false;
    out[0] = '\0';
    if (!targetPath || !*targetPath)
        return false;
    size_t length = strlen(targetPath);
    if (length >= outSize)
        return false;
    // The last character may be a double-byte one; both of its bytes give way to the "_".
    size_t last = 0;
    for (size_t i = 0; i < length;) {
        last = i;
        i += (IsLeadByte(targetPath[i]) && i + 1 < length) ? 2 : 1;
    }
    if (targetPath[last] == '_' && last + 1 == length)
        return false;
    CopyTextN(out, outSize, targetPath, last);
    AppendText(out, outSize, "_");
    return true;
}
