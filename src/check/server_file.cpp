#include "check/server_file.h"

#include <stddef.h>
#include <stdint.h>
#include <string.h>
#include <windows.h>

#include "system/win_handles.h"

namespace {
const uint32_t MAX_SECTIONS = 96;
const uint32_t MAX_NAMES = 65536;

class ImageFile {
  public:
    explicit ImageFile(const char* path)
        : file_(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}

    bool Read(uint32_t offset, void* out, uint32_t size) const {
        DWORD read = 0;
        return file_.IsValid() &&
               SetFilePointer(file_.Get(), static_cast<LONG>(offset), nullptr, FILE_BEGIN) ==
                   offset &&
               ReadFile(file_.Get(), out, size, &read, nullptr) && read == size;
    }

  private:
    FileHandle file_;
};

struct Sections {
    uint32_t table; // file offset of the section headers
    uint32_t count;
};

// The file offset of a relative virtual address, or 0 when no section holds it.
uint32_t FileOffset(const ImageFile& image, const Sections& sections, uint32_t rva) {
    for (uint32_t i = 0; i < sections.count; ++i) {
        IMAGE_SECTION_HEADER header;
        if (!image.Read(sections.table + i * sizeof(header), &header, sizeof(header)))
            return 0;
        uint32_t address = header.VirtualAddress;
        uint32_t rawSize = header.SizeOfRawData;
        uint32_t virtualSize = header.Misc.VirtualSize;
        uint32_t extent = virtualSize > rawSize ? virtualSize : rawSize;
        if (rva >= address && rva - address < extent && rva - address < rawSize)
            return header.PointerToRawData + (rva - address);
    }
    return 0;
}

// The export directory's entry. The optional header may stop short of the data directories:
// what it leaves out stays zero.
IMAGE_DATA_DIRECTORY ExportEntry(const ImageFile& image, uint32_t optional, uint16_t size) {
    IMAGE_OPTIONAL_HEADER32 header;
    memset(&header, 0, sizeof(header));
    uint32_t taken = size < sizeof(header) ? size : sizeof(header);
    IMAGE_DATA_DIRECTORY none = {0, 0};
    if (!image.Read(optional, &header, taken) ||
        header.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_EXPORT ||
        taken < offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory) + sizeof(IMAGE_DATA_DIRECTORY))
        return none;
    return header.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
}
} // namespace

ServerFileKind InspectServerFile(const char* path) {
    ImageFile image(path);
    IMAGE_DOS_HEADER dos;
    DWORD signature = 0;
    IMAGE_FILE_HEADER file;
    WORD magic = 0;
    uint32_t pe = 0;
    bool good = image.Read(0, &dos, sizeof(dos)) && dos.e_magic == IMAGE_DOS_SIGNATURE;
    if (good) {
        pe = static_cast<uint32_t>(dos.e_lfanew);
        good = image.Read(pe, &signature, sizeof(signature)) &&
               image.Read(pe + sizeof(signature), &file, sizeof(file)) &&
               image.Read(pe + sizeof(signature) + sizeof(file), &magic, sizeof(magic));
    }
    if (!good || signature != IMAGE_NT_SIGNATURE || file.Machine != IMAGE_FILE_MACHINE_I386 ||
        magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC || !(file.Characteristics & IMAGE_FILE_DLL))
        return SERVER_FILE_NOT_DLL;

    uint32_t optional = pe + sizeof(signature) + sizeof(file);
    IMAGE_DATA_DIRECTORY exports = ExportEntry(image, optional, file.SizeOfOptionalHeader);
    Sections sections = {optional + file.SizeOfOptionalHeader, file.NumberOfSections < MAX_SECTIONS
                                                                   ? file.NumberOfSections
                                                                   : MAX_SECTIONS};
    uint32_t at = exports.VirtualAddress ? FileOffset(image, sections, exports.VirtualAddress) : 0;
    IMAGE_EXPORT_DIRECTORY directory;
    if (at == 0 || !image.Read(at, &directory, sizeof(directory)))
        return SERVER_FILE_NO_EXPORTS;
    uint32_t names = FileOffset(image, sections, directory.AddressOfNames);
    bool hasRegister = false;
    bool hasUnregister = false;
    for (uint32_t i = 0; names && i < directory.NumberOfNames && i < MAX_NAMES; ++i) {
        DWORD nameRva = 0;
        if (!image.Read(names + i * sizeof(nameRva), &nameRva, sizeof(nameRva)))
            break;
        uint32_t name = FileOffset(image, sections, nameRva);
        char text[24] = {};
        // A short name near the end of the file reads fewer bytes; try the exact lengths.
        if (name && image.Read(name, text, 18) && memcmp(text, "DllRegisterServer", 18) == 0)
            hasRegister = true;
        if (name && image.Read(name, text, 20) && memcmp(text, "DllUnregisterServer", 20) == 0)
            hasUnregister = true;
    }
    return hasRegister && hasUnregister ? SERVER_FILE_COM_SERVER : SERVER_FILE_NO_EXPORTS;
}
