#include "support/package_support.h"

#include <windows.h>

#include "package/package_format.h"
#include "support/test_support.h"
#include "support/wizard_driver.h"

bool WriteSmallProduct(const ProductFolder& product, const std::string& items) {
    return product.WriteScript("[General]\r\nCompany=Acme\r\nApplication=Reader\r\n"
                               "Version=2.1.3 beta\r\nComponents=Main\r\n[Main]\r\n"
                               "CopyFile1=1;%DEST_PATH%\\ReadMe.txt\r\n" +
                               items) &&
           product.Write("ReadMe.txt", "read me") && product.Write("Licence.txt", "terms") &&
           product.WriteLogo("Logo.bmp", 32, 32);
}

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

namespace {
bool ReadHeader(const std::string& bytes, unsigned long at, PackageHeader* header) {
    return at && ReadPackageHeader(reinterpret_cast<const uint8_t*>(bytes.data()) + at,
                                   bytes.size() - at, header);
}
} // namespace

std::string PackageTitle(const std::string& package) {
    PackageHeader header;
    return ReadHeader(ReadFileBytes(package), PackageDataOffset(package), &header) ? header.title
                                                                                   : "";
}

std::vector<std::string> PackageNames(const std::string& package) {
    std::string bytes = ReadFileBytes(package);
    unsigned long at = PackageDataOffset(package);
    PackageHeader header;
    std::vector<std::string> names;
    if (!ReadHeader(bytes, at, &header) ||
        bytes.size() - at < PACKAGE_HEADER_SIZE + header.tableSize)
        return names;
    std::vector<PackageEntry> entries(header.fileCount);
    if (!ReadPackageTable(header,
                          reinterpret_cast<const uint8_t*>(bytes.data()) + at + PACKAGE_HEADER_SIZE,
                          entries.data()))
        return names;
    for (const PackageEntry& entry : entries)
        names.push_back(entry.name);
    return names;
}
