#include "package/package_format.h"

#include <string.h>
#include <windows.h>

#include "system/text.h"

const char PACKAGE_PROGRAM[] = "Setup.exe";

namespace {
// CRC-32 (the polynomial of zip and PNG) eight bytes a step, from eight tables built on first use
// in the heap: the byte-at-a-time loop waits on each table load before the next, where the eight
// loads of a step are independent, and the starter checks every byte it unpacks twice (packed and
// unpacked). Built, the tables cost a few bytes of code and none of the starter's file or image.
const uint32_t* crcTables;

uint32_t CrcOfByte(uint32_t crc) {
    for (int bit = 0; bit < 8; ++bit)
        crc = (crc >> 1) ^ (0xEDB88320u & (0 - (crc & 1)));
    return crc;
}

// Table k gives the CRC of a byte followed by k zero bytes.
void BuildCrcTables() {
    uint32_t* tables = static_cast<uint32_t*>(HeapAlloc(GetProcessHeap(), 0, 8 * 256 * 4));
    if (!tables)
        return;
    for (uint32_t i = 0; i < 256; ++i)
        tables[i] = CrcOfByte(i);
    for (uint32_t i = 256; i < 8 * 256; ++i)
        tables[i] = (tables[i - 256] >> 8) ^ tables[tables[i - 256] & 0xFF];
    crcTables = tables;
}

// Names Windows takes for devices in every folder, with any extension.
bool DeviceName(const char* name) {
    static const char* const devices[] = {"CON",    "PRN",     "AUX",   "NUL",
                                          "CONIN$", "CONOUT$", "CLOCK$"};
    char base[8];
    size_t length = 0;
    while (name[length] && name[length] != '.' && length < sizeof(base) - 1) {
        base[length] = name[length];
        ++length;
    }
    if (name[length] && name[length] != '.')
        return false;
    while (length && base[length - 1] == ' ')
        --length;
    base[length] = '\0';
    // Windows also takes the superscript digits of code page 1252 for COM and LPT ports.
    uint8_t digit = static_cast<uint8_t>(base[3]);
    if (length == 4 &&
        ((digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3) &&
        (StartsWithNoCase(base, "COM") || StartsWithNoCase(base, "LPT")))
        return true;
    for (const char* device : devices) {
        if (EqualNoCase(base, device))
            return true;
    }
    return false;
}
} // namespace

uint32_t Crc32(uint32_t crc, const void* data, size_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    if (!crcTables)
        BuildCrcTables();
    const uint32_t* t = crcTables;
    crc = ~crc;
    // Without memory for the tables the bits are shifted one by one: slow, never wrong.
    for (; t && size >= 8; size -= 8, p += 8) {
        // Every Windows this runs on is little-endian.
        uint32_t low, high;
        memcpy(&low, p, 4);
        memcpy(&high, p + 4, 4);
        low ^= crc;
        crc = t[7 * 256 + (low & 0xFF)] ^ t[6 * 256 + ((low >> 8) & 0xFF)] ^
              t[5 * 256 + ((low >> 16) & 0xFF)] ^ t[4 * 256 + (low >> 24)] ^
              t[3 * 256 + (high & 0xFF)] ^ t[2 * 256 + ((high >> 8) & 0xFF)] ^
              t[256 + ((high >> 16) & 0xFF)] ^ t[high >> 24];
    }
    for (; size; --size, ++p)
        crc = t ? t[(crc ^ *p) & 0xFF] ^ (crc >> 8) : CrcOfByte(crc ^ *p);
    return ~crc;
}

uint32_t ReadLe32(const uint8_t* at) {
    return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

void WriteLe32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

bool ProgramImageEnd(const uint8_t* headers, size_t size, uint32_t* end) {
    // Copied out rather than cast: the bytes come from a file and need not be aligned.
    IMAGE_DOS_HEADER dos;
    if (size < sizeof(dos))
        return false;
    memcpy(&dos, headers, sizeof(dos));
    uint32_t pe = static_cast<uint32_t>(dos.e_lfanew);
    DWORD signature;
    IMAGE_FILE_HEADER file;
    if (dos.e_magic != IMAGE_DOS_SIGNATURE || pe > size ||
        size - pe < sizeof(signature) + sizeof(file))
        return false;
    memcpy(&signature, headers + pe, sizeof(signature));
    memcpy(&file, headers + pe + sizeof(signature), sizeof(file));
    uint32_t table = pe + sizeof(signature) + sizeof(file) + file.SizeOfOptionalHeader;
    if (signature != IMAGE_NT_SIGNATURE || file.NumberOfSections == 0 || table > size ||
        (size - table) / sizeof(IMAGE_SECTION_HEADER) < file.NumberOfSections)
        return false;
    uint64_t last = 0;
    for (uint32_t i = 0; i < file.NumberOfSections; ++i) {
        IMAGE_SECTION_HEADER section;
        memcpy(&section, headers + table + i * sizeof(section), sizeof(section));
        uint64_t sectionEnd =
            static_cast<uint64_t>(section.PointerToRawData) + section.SizeOfRawData;
        if (section.SizeOfRawData && sectionEnd > last)
            last = sectionEnd;
    }
    *end = static_cast<uint32_t>(last);
    return last != 0 && last < 0x80000000u;
}

void WritePackageHeader(const PackageHeader& header, uint8_t* out) {
    memset(out, 0, PACKAGE_HEADER_SIZE);
    memcpy(out, PACKAGE_MAGIC, sizeof(PACKAGE_MAGIC));
    WriteLe32(out + 8, PACKAGE_FORMAT);
    WriteLe32(out + 12, header.fileCount);
    WriteLe32(out + 16, header.tableSize);
    WriteLe32(out + 20, header.streamSize);
    WriteLe32(out + 24, header.unpackedSize);
    memcpy(out + 28, header.props, PACKAGE_PROPS_SIZE);
    CopyText(reinterpret_cast<char*>(out + PACKAGE_TITLE_AT), PACKAGE_TITLE_SIZE, header.title);
    WriteLe32(out + PACKAGE_CRC_AT, header.crc);
}

bool ReadPackageHeader(const uint8_t* bytes, size_t size, PackageHeader* header) {
    if (size < PACKAGE_HEADER_SIZE || memcmp(bytes, PACKAGE_MAGIC, sizeof(PACKAGE_MAGIC)) != 0 ||
        ReadLe32(bytes + 8) != PACKAGE_FORMAT)
        return false;
    header->fileCount = ReadLe32(bytes + 12);
    header->tableSize = ReadLe32(bytes + 16);
    header->streamSize = ReadLe32(bytes + 20);
    header->unpackedSize = ReadLe32(bytes + 24);
    memcpy(header->props, bytes + 28, PACKAGE_PROPS_SIZE);
    const char* title = reinterpret_cast<const char*>(bytes + PACKAGE_TITLE_AT);
    // A title is shown in captions: it must end inside its field and hold no control bytes.
    size_t length = strnlen(title, PACKAGE_TITLE_SIZE);
    if (length == PACKAGE_TITLE_SIZE)
        return false;
    for (size_t i = 0; i < length; ++i) {
        if (static_cast<uint8_t>(title[i]) < 0x20)
            return false;
    }
    CopyText(header->title, sizeof(header->title), title);
    header->crc = ReadLe32(bytes + PACKAGE_CRC_AT);
    return header->fileCount >= 1 && header->fileCount <= PACKAGE_MAX_FILES &&
           header->tableSize <= PACKAGE_MAX_TABLE && header->unpackedSize <= PACKAGE_MAX_UNPACKED;
}

bool PackageNameUsable(const char* name) {
    size_t length = strlen(name);
    if (length == 0 || length > PACKAGE_MAX_NAME || name[length - 1] == '.' ||
        name[length - 1] == ' ' || DeviceName(name))
        return false;
    for (size_t i = 0; i < length; ++i) {
        if (static_cast<uint8_t>(name[i]) < 0x20)
            return false;
    }
    // The searches follow this machine's code page, as the file functions that get the name do.
    for (const char* c = "\\/:*?\"<>|"; *c; ++c) {
        if (FindChar(name, *c))
            return false;
    }
    return true;
}

size_t WritePackageEntry(const PackageEntry& entry, uint8_t* out, size_t room) {
    size_t length = strlen(entry.name);
    if (!PackageNameUsable(entry.name) || room < PACKAGE_ENTRY_FIXED + length)
        return 0;
    WriteLe32(out, entry.size);
    WriteLe32(out + 4, entry.crc);
    out[8] = static_cast<uint8_t>(length);
    memcpy(out + PACKAGE_ENTRY_FIXED, entry.name, length);
    return PACKAGE_ENTRY_FIXED + length;
}

bool ReadPackageTable(const PackageHeader& header, const uint8_t* table, PackageEntry* entries) {
    size_t at = 0;
    uint32_t total = 0;
    bool program = false;
    for (uint32_t i = 0; i < header.fileCount; ++i) {
        if (header.tableSize - at < PACKAGE_ENTRY_FIXED)
            return false;
        PackageEntry& entry = entries[i];
        entry.size = ReadLe32(table + at);
        entry.crc = ReadLe32(table + at + 4);
        size_t length = table[at + 8];
        at += PACKAGE_ENTRY_FIXED;
        if (length > PACKAGE_MAX_NAME || header.tableSize - at < length)
            return false;
        memcpy(entry.name, table + at, length);
        entry.name[length] = '\0';
        at += length;
        if (strlen(entry.name) != length || !PackageNameUsable(entry.name) ||
            entry.size > header.unpackedSize - total)
            return false;
        total += entry.size;
        for (uint32_t j = 0; j < i; ++j) {
            if (EqualNoCase(entries[j].name, entry.name))
                return false;
        }
        program = program || EqualNoCase(entry.name, PACKAGE_PROGRAM);
    }
    return at == header.tableSize && total == header.unpackedSize && program;
}

uint32_t PackageDictionarySize(uint32_t unpackedSize) {
    // The format's smallest dictionary is 4 KB.
    if (unpackedSize < 4096)
        return 4096;
    return unpackedSize < PACKAGE_MAX_DICTIONARY ? unpackedSize : PACKAGE_MAX_DICTIONARY;
}
