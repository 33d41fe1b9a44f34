#include "check/server_file.h"

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
    uint16_t Word(uint32_t offset, bool* good) const {
        uint16_t value = 0;
        *good = *good && Read(offset, &value, sizeof(value));
        return value;
    }
    uint32_t Long(uint32_t offset, bool* good) const {
        uint32_t value = 0;
        *good = *good && Read(offset, &value, sizeof(value));
        return value;
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
        bool good = true;
        uint32_t header = sections.table + i * 40;
        uint32_t virtualSize = image.Long(header + 8, &good);
        uint32_t address = image.Long(header + 12, &good);
        uint32_t rawSize = image.Long(header + 16, &good);
        uint32_t rawOffset = image.Long(header + 20, &good);
        uint32_t extent = virtualSize > rawSize ? virtualSize : rawSize;
        if (good && rva >= address && rva - address < extent && rva - address < rawSize)
            return rawOffset + (rva - address);
    }
    return 0;
}
} // namespace

ServerFileKind InspectServerFile(const char* path) {
    ImageFile image(path);
    bool good = true;
    uint32_t pe = image.Long(0x3C, &good);
    uint16_t mz = image.Word(0, &good);
    uint32_t signature = image.Long(pe, &good);
    uint16_t machine = image.Word(pe + 4, &good);
    uint16_t sectionCount = image.Word(pe + 6, &good);
    uint16_t optionalSize = image.Word(pe + 20, &good);
    uint16_t characteristics = image.Word(pe + 22, &good);
    uint32_t optional = pe + 24;
    uint16_t magic = image.Word(optional, &good);
    if (!good || mz != 0x5A4D || signature != 0x00004550 || machine != IMAGE_FILE_MACHINE_I386 ||
        magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC || !(characteristics & IMAGE_FILE_DLL))
        return SERVER_FILE_NOT_DLL;

    uint32_t directoryCount = image.Long(optional + 92, &good);
    uint32_t exportRva = image.Long(optional + 96, &good);
    Sections sections = {optional + optionalSize,
                         sectionCount < MAX_SECTIONS ? sectionCount : MAX_SECTIONS};
    uint32_t directory = FileOffset(image, sections, exportRva);
    if (!good || directoryCount == 0 || exportRva == 0 || directory == 0)
        return SERVER_FILE_NO_EXPORTS;
    uint32_t nameCount = image.Long(directory + 24, &good);
    uint32_t names = FileOffset(image, sections, image.Long(directory + 32, &good));
    bool hasRegister = false;
    bool hasUnregister = false;
    for (uint32_t i = 0; good && names && i < nameCount && i < MAX_NAMES; ++i) {
        uint32_t name = FileOffset(image, sections, image.Long(names + i * 4, &good));
        char text[24] = {};
        // A short name near the end of the file reads fewer bytes; try the exact lengths.
        if (name && image.Read(name, text, 18) && memcmp(text, "DllRegisterServer", 18) == 0)
            hasRegister = true;
        if (name && image.Read(name, text, 20) && memcmp(text, "DllUnregisterServer", 20) == 0)
            hasUnregister = true;
    }
    return hasRegister && hasUnregister ? SERVER_FILE_COM_SERVER : SERVER_FILE_NO_EXPORTS;
}
