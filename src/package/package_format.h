#pragma once
// The data of a one-file package, shared by the packer and the starter. The package is the starter
// program followed, right after its last section, by a header, a table of the files and one LZMA
// stream of their bytes in table order. The data is found through the program's own section table
// and never through the end of the file, where an Authenticode signature added later lies.
// Numbers are little-endian.
#include <stddef.h>
#include <stdint.h>

const char PACKAGE_MAGIC[8] = {'O', 'r', 'v', 'e', 'x', 'P', 'k', 'g'};
const uint32_t PACKAGE_FORMAT = 1;
// The header: magic, format, file count, table size, stream size, unpacked size, the five LZMA
// property bytes (three bytes pad), the product title (128 bytes, zero-padded) and the CRC-32 of
// the header before it, the table and the stream.
const size_t PACKAGE_TITLE_SIZE = 128;
const size_t PACKAGE_TITLE_AT = 36;
const size_t PACKAGE_CRC_AT = PACKAGE_TITLE_AT + PACKAGE_TITLE_SIZE;
const size_t PACKAGE_HEADER_SIZE = PACKAGE_CRC_AT + 4;
const size_t PACKAGE_PROPS_SIZE = 5;
// Windows 95 era machines: the starter needs the dictionary and less than 1 MB besides.
const uint32_t PACKAGE_MAX_DICTIONARY = 16u << 20;
const uint32_t PACKAGE_MAX_FILES = 4096;
const uint32_t PACKAGE_MAX_UNPACKED = 0x7fffffffu;
const size_t PACKAGE_MAX_NAME = 127;
// A table entry: size, CRC-32, name length (one byte), name.
const size_t PACKAGE_ENTRY_FIXED = 9;
const uint32_t PACKAGE_MAX_TABLE = PACKAGE_MAX_FILES * (PACKAGE_ENTRY_FIXED + PACKAGE_MAX_NAME);
extern const char PACKAGE_PROGRAM[]; // "Setup.exe", the file the starter runs

struct PackageHeader {
    uint32_t fileCount;
    uint32_t tableSize;
    uint32_t streamSize;
    uint32_t unpackedSize;
    uint8_t props[PACKAGE_PROPS_SIZE];
    char title[PACKAGE_TITLE_SIZE]; // always terminated
    uint32_t crc;
};

struct PackageEntry {
    uint32_t size;
    uint32_t crc;
    char name[PACKAGE_MAX_NAME + 1];
};

uint32_t Crc32(uint32_t crc, const void* data, size_t size);

uint32_t ReadLe32(const uint8_t* at);
void WriteLe32(uint8_t* at, uint32_t value);

// Where the sections of the program whose first bytes (headers) are given end in its file: the
// package data starts there. False when the bytes are no PE program.
bool ProgramImageEnd(const uint8_t* headers, size_t size, uint32_t* end);

// Header bytes to and from the record. Reading checks the magic, the format, the title and the
// limits above (sizes against one another are the table's to check); the CRC is checked later
// over the whole data.
void WritePackageHeader(const PackageHeader& header, uint8_t* out);
bool ReadPackageHeader(const uint8_t* bytes, size_t size, PackageHeader* header);

// A file name a package may carry: a plain name of the folder itself, nothing a path, a stream or
// a device (CON, LPT1.txt) could make of it.
bool PackageNameUsable(const char* name);

// Appends one entry to a table being built; the number of bytes it took (0: the name is unusable
// or out is too small).
size_t WritePackageEntry(const PackageEntry& entry, uint8_t* out, size_t room);
// Reads the whole table: exactly header.fileCount entries filling header.tableSize bytes, usable
// names without repeats (letter case aside), one of them the program, sizes adding up to
// header.unpackedSize. entries has room for header.fileCount.
bool ReadPackageTable(const PackageHeader& header, const uint8_t* table, PackageEntry* entries);

// The LZMA dictionary for this much data.
uint32_t PackageDictionarySize(uint32_t unpackedSize);
