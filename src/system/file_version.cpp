#include "system/file_version.h"

#include <string.h>
#include <windows.h>

#include <memory>
#include <new>

#include "system/system_libraries.h"
#include "system/text.h"

namespace {
// A version resource larger than this is no honest one.
const DWORD BLOCK_LIMIT = 1024 * 1024;

void ReadProductName(const VersionFunctions* api, const void* block, FileVersionInfo* info) {
    LPVOID found = nullptr;
    UINT length = 0;
    if (!api->VerQueryValueA(block, "\\VarFileInfo\\Translation", &found, &length) || !found)
        return;
    const WORD* pairs = static_cast<const WORD*>(found);
    // Each translation is a language and a code page.
    UINT count = length / (2 * sizeof(WORD));
    for (UINT i = 0; i < count; ++i) {
        char item[64];
        FormatText(item, sizeof(item), "\\StringFileInfo\\%04x%04x\\ProductName", pairs[2 * i],
                   pairs[2 * i + 1]);
        LPVOID name = nullptr;
        UINT nameLength = 0;
        if (api->VerQueryValueA(block, item, &name, &nameLength) && name && nameLength > 0) {
            CopyTextN(info->productName, sizeof(info->productName), static_cast<const char*>(name),
                      nameLength);
            return;
        }
    }
}
} // namespace

bool ReadFileVersion(const char* path, FileVersionInfo* info) {
    memset(info, 0, sizeof(*info));
    // Within a caller's longer use of version.dll the library is not loaded again.
    FunctionsUse<VersionFunctions> api(&versionTable);
    if (!api || !path || !*path)
        return false;
    DWORD unused = 0;
    DWORD size = api->GetFileVersionInfoSizeA(path, &unused);
    if (size == 0 || size > BLOCK_LIMIT)
        return false;
    std::unique_ptr<char[]> block(new (std::nothrow) char[size]);
    if (!block || !api->GetFileVersionInfoA(path, 0, size, block.get()))
        return false;
    LPVOID found = nullptr;
    UINT length = 0;
    if (!api->VerQueryValueA(block.get(), "\\", &found, &length))
        return false;
    const VS_FIXEDFILEINFO* fixed = static_cast<const VS_FIXEDFILEINFO*>(found);
    if (!fixed || length < sizeof(VS_FIXEDFILEINFO) || fixed->dwSignature != 0xFEEF04BD)
        return false;
    info->version = (static_cast<uint64_t>(fixed->dwFileVersionMS) << 32) | fixed->dwFileVersionLS;
    ReadProductName(api.Get(), block.get(), info);
    return true;
}
