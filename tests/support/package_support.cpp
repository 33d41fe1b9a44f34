#include "support/package_support.h"

#include <windows.h>

#include "package/package_format.h"
#include "support/test_support.h"

long MakePackage(const std::string& folder, const std::string& package) {
    return RunAndWait("\"" + BinPath("SetupCheck.exe") + "\" --pack \"" + package + "\" \"" +
                          folder + "\"",
                      300000);
}

unsigned long PackageDataOffset(const std::string& package) {
    std::string bytes = ReadFileBytes(package);
    uint32_t end = 0;
    if (!ProgramImageEnd(reinterpret_cast<const uint8_t*>(bytes.data()),
                         bytes.size() < 4096 ? bytes.size() : 4096, &end) ||
        end > bytes.size())
        return 0;
    return end;
}

std::string PackageTitle(const std::string& package) {
    std::string bytes = ReadFileBytes(package);
    unsigned long at = PackageDataOffset(package);
    PackageHeader header;
    if (!at || !ReadPackageHeader(reinterpret_cast<const uint8_t*>(bytes.data()) + at,
                                  bytes.size() - at, &header))
        return "";
    return header.title;
}
