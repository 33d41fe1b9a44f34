#include "check/product_package.h"

#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "check/product_folder.h"
#include "check/product_reading.h"
#include "check/script_source.h"
#include "package/package_format.h"
#include "package/version_info.h"
#include "resources/resource_ids.h"
#include "system/system_libraries.h"
#include "system/text.h"
#include "system/win_handles.h"

extern "C" {
#include <LzmaEnc.h>
}

namespace {
void* LzmaAlloc(void*, size_t size) {
    return malloc(size);
}
void LzmaFree(void*, void* block) {
    free(block);
}
ISzAlloc lzmaAllocator = {LzmaAlloc, LzmaFree};

struct Buffer {
    Buffer() = default;
    ~Buffer() { free(bytes); }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    bool Allocate(size_t bytesWanted) {
        bytes = static_cast<uint8_t*>(malloc(bytesWanted ? bytesWanted : 1));
        size = bytesWanted;
        return bytes != nullptr;
    }
    uint8_t* bytes = nullptr;
    size_t size = 0;
};

// Resource writing is missing from Windows 95, 98 and Me: bound here, not imported.
bool WriteAll(HANDLE file, const void* bytes, size_t size) {
    const uint8_t* at = static_cast<const uint8_t*>(bytes);
    while (size) {
        DWORD chunk = size > (1u << 20) ? (1u << 20) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, at, chunk, &written, nullptr) || written != chunk)
            return false;
        at += chunk;
        size -= chunk;
    }
    return true;
}

bool ReadAll(HANDLE file, uint8_t* out, DWORD size) {
    DWORD got = 0;
    return ReadFile(file, out, size, &got, nullptr) && got == size;
}

class PackageWriter {
  public:
    PackageWriter(const char* folder, const PackageFiles& files, char* error, size_t errorSize)
        : folder_(folder), files_(files), error_(error), errorSize_(errorSize) {}

    bool ReadFiles(PackageEntry* entries, uint32_t* total);
    bool Compress(uint32_t total, uint8_t props[PACKAGE_PROPS_SIZE]);
    bool WriteStarter(const char* path, const ProductVersionInfo& info);
    bool AppendData(const char* path, const PackageHeader& header, const uint8_t* table);

    Buffer content;
    Buffer stream;

  private:
    bool Fail(const char* format, const char* name) {
        FormatText(error_, errorSize_, format, name);
        return false;
    }
    const char* folder_;
    const PackageFiles& files_;
    char* error_;
    size_t errorSize_;
};

bool PackageWriter::ReadFiles(PackageEntry* entries, uint32_t* total) {
    unsigned long long sum = 0;
    for (int i = 0; i < files_.Count(); ++i) {
        char path[MAX_PATH];
        FormatText(path, sizeof(path), "%s\\%s", folder_, files_.Name(i));
        unsigned long long bytes = 0;
        if (!FileExists(path, &bytes))
            return Fail("cannot read \"%s\"", path);
        sum += bytes;
        if (sum > PACKAGE_MAX_UNPACKED)
            return Fail("%s", "the files come to more than 2 GB, more than a package holds");
        CopyText(entries[i].name, sizeof(entries[i].name), files_.Name(i));
        entries[i].size = static_cast<uint32_t>(bytes);
    }
    *total = static_cast<uint32_t>(sum);
    if (!content.Allocate(sum))
        return Fail("%s", "not enough memory for the files");
    uint8_t* at = content.bytes;
    for (int i = 0; i < files_.Count(); ++i) {
        char path[MAX_PATH];
        FormatText(path, sizeof(path), "%s\\%s", folder_, files_.Name(i));
        FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid() || !ReadAll(file.Get(), at, entries[i].size))
            return Fail("cannot read \"%s\"", path);
        entries[i].crc = Crc32(0, at, entries[i].size);
        at += entries[i].size;
    }
    return true;
}

bool PackageWriter::Compress(uint32_t total, uint8_t props[PACKAGE_PROPS_SIZE]) {
    CLzmaEncProps settings;
    LzmaEncProps_Init(&settings);
    settings.level = 9;
    settings.dictSize = PackageDictionarySize(total);
    settings.fb = 273;
    settings.mc = 512;
    settings.numThreads = 1;
    // Data that does not compress grows by a few bytes in a thousand.
    size_t room = total + total / 16 + 65536;
    if (!stream.Allocate(room))
        return Fail("%s", "not enough memory to compress the files");
    SizeT propsSize = PACKAGE_PROPS_SIZE;
    SizeT streamSize = room;
    if (LzmaEncode(stream.bytes, &streamSize, content.bytes, total, &settings, props, &propsSize, 0,
                   nullptr, &lzmaAllocator, &lzmaAllocator) != SZ_OK ||
        propsSize != PACKAGE_PROPS_SIZE)
        return Fail("%s", "compressing the files failed (not enough memory?)");
    stream.size = streamSize;
    return true;
}

bool PackageWriter::WriteStarter(const char* path, const ProductVersionInfo& info) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(IDR_PACKAGE_STARTER), RT_RCDATA);
    const void* starter = found ? LockResource(LoadResource(nullptr, found)) : nullptr;
    if (!starter)
        return Fail("%s", "SetupCheck.exe carries no starter program");
    {
        FileHandle file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid() || !WriteAll(file.Get(), starter, SizeofResource(nullptr, found)))
            return Fail("cannot write \"%s\"", path);
    }
    const Kernel32Functions& kernel = Kernel32();
    uint8_t version[2048];
    size_t versionSize = BuildVersionInfo(info, version, sizeof(version));
    if (!kernel.BeginUpdateResourceA || !kernel.UpdateResourceA || !kernel.EndUpdateResourceA)
        return Fail("%s", "this Windows cannot write program resources (use Windows NT or later)");
    HANDLE update = kernel.BeginUpdateResourceA(path, FALSE);
    if (!update)
        return Fail("cannot write the resources of \"%s\"", path);
    bool written =
        versionSize && kernel.UpdateResourceA(update, RT_VERSION, MAKEINTRESOURCEA(VS_VERSION_INFO),
                                              MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), version,
                                              static_cast<DWORD>(versionSize));
    if (!kernel.EndUpdateResourceA(update, !written) || !written)
        return Fail("cannot write the version resource of \"%s\"", path);
    return true;
}

bool PackageWriter::AppendData(const char* path, const PackageHeader& header,
                               const uint8_t* table) {
    FileHandle file(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    uint8_t headers[4096];
    DWORD got = 0;
    uint32_t end = 0;
    if (!file.IsValid() || !ReadFile(file.Get(), headers, sizeof(headers), &got, nullptr) ||
        !ProgramImageEnd(headers, got, &end))
        return Fail("cannot read back \"%s\"", path);
    uint8_t bytes[PACKAGE_HEADER_SIZE];
    WritePackageHeader(header, bytes);
    if (SetFilePointer(file.Get(), static_cast<LONG>(end), nullptr, FILE_BEGIN) != end ||
        !WriteAll(file.Get(), bytes, sizeof(bytes)) ||
        !WriteAll(file.Get(), table, header.tableSize) ||
        !WriteAll(file.Get(), stream.bytes, stream.size) || !SetEndOfFile(file.Get()) ||
        !FlushFileBuffers(file.Get()))
        return Fail("cannot write \"%s\"", path);
    return true;
}

bool ReplaceFile(const char* from, const char* to) {
    // Windows 95, 98 and Me have no replacing move: the old package goes first there.
    if (Kernel32().MoveFileExA && Kernel32().MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING))
        return true;
    DeleteFileA(to);
    return MoveFileA(from, to) != 0;
}

bool ReadProductInfo(const char* folder, const CheckOptions& options, char* title, char* company,
                     char* version) {
    Findings ignored;
    ScriptSource source;
    if (!source.Load(folder, options.codePage, &ignored))
        return false;
    ProductReading reading(folder, source, FAMILY_WINDOWS_NT, &ignored);
    if (!reading.Load())
        return false;
    const SetupScript& script = reading.Script();
    CopyText(title, PACKAGE_TITLE_SIZE, script.productTitle);
    CopyText(company, sizeof(script.company), script.company);
    CopyText(version, sizeof(script.version), script.version);
    return true;
}
} // namespace

PackageFiles::~PackageFiles() {
    free(names_);
}

void PackageFiles::Take(const char* name, bool inFolder, void* self) {
    PackageFiles& files = *static_cast<PackageFiles*>(self);
    if (!inFolder) {
        CopyText(files.outside_, sizeof(files.outside_), name);
        return;
    }
    if (!files.names_)
        files.names_ = static_cast<Name_*>(malloc(sizeof(Name_) * PACKAGE_MAX_FILES));
    if (!files.names_ || files.count_ == static_cast<int>(PACKAGE_MAX_FILES) ||
        strlen(name) >= sizeof(Name_)) {
        files.full_ = true;
        return;
    }
    CopyText(files.names_[files.count_++], sizeof(Name_), name);
}

bool WriteProductPackage(const char* folder, const PackageFiles& files, const CheckOptions& options,
                         const char* output, char* error, size_t errorSize) {
    char root[MAX_PATH];
    NormalFolder(folder, root, sizeof(root));
    if (*files.Outside()) {
        FormatText(error, errorSize,
                   "\"%s\" lies in a subfolder: a package holds only the files of the product "
                   "folder itself",
                   files.Outside());
        return false;
    }
    bool program = false;
    for (int i = 0; i < files.Count(); ++i) {
        program = program || EqualNoCase(files.Name(i), PACKAGE_PROGRAM);
        if (!PackageNameUsable(files.Name(i))) {
            FormatText(error, errorSize, "\"%s\" cannot be the name of a file in a package",
                       files.Name(i));
            return false;
        }
    }
    if (files.Full() || !program) {
        FormatText(error, errorSize, "%s",
                   files.Full()
                       ? "the product has more files, or longer names, than a package holds"
                       : "the product folder has no Setup.exe");
        return false;
    }
    char title[PACKAGE_TITLE_SIZE];
    char company[32];
    char version[64];
    if (!ReadProductInfo(root, options, title, company, version)) {
        FormatText(error, errorSize, "cannot read \"%s\\Setup.ini\"", root);
        return false;
    }

    PackageWriter writer(root, files, error, errorSize);
    PackageHeader header;
    memset(&header, 0, sizeof(header));
    header.fileCount = static_cast<uint32_t>(files.Count());
    Buffer entries;
    Buffer table;
    if (!entries.Allocate(sizeof(PackageEntry) * header.fileCount) ||
        !table.Allocate(PACKAGE_MAX_TABLE)) {
        FormatText(error, errorSize, "%s", "not enough memory");
        return false;
    }
    PackageEntry* entry = reinterpret_cast<PackageEntry*>(entries.bytes);
    if (!writer.ReadFiles(entry, &header.unpackedSize) ||
        !writer.Compress(header.unpackedSize, header.props))
        return false;
    for (uint32_t i = 0; i < header.fileCount; ++i)
        header.tableSize += static_cast<uint32_t>(WritePackageEntry(
            entry[i], table.bytes + header.tableSize, PACKAGE_MAX_TABLE - header.tableSize));
    header.streamSize = static_cast<uint32_t>(writer.stream.size);
    CopyText(header.title, sizeof(header.title), title);
    uint8_t bytes[PACKAGE_HEADER_SIZE];
    WritePackageHeader(header, bytes);
    header.crc = Crc32(Crc32(Crc32(0, bytes, PACKAGE_CRC_AT), table.bytes, header.tableSize),
                       writer.stream.bytes, writer.stream.size);

    // The temporary file lies beside the output, on the same drive, so that the last step is a
    // rename.
    char outputFolder[MAX_PATH];
    CopyText(outputFolder, sizeof(outputFolder), output);
    char* slash = FindLastChar(outputFolder, '\\');
    char* forward = FindLastChar(outputFolder, '/');
    if (forward > slash)
        slash = forward;
    if (slash)
        slash[slash == outputFolder ? 1 : 0] = '\0';
    else
        CopyText(outputFolder, sizeof(outputFolder), ".");
    char temporary[MAX_PATH];
    if (!GetTempFileNameA(outputFolder, "pkg", 0, temporary)) {
        FormatText(error, errorSize, "cannot write into the folder \"%s\"", outputFolder);
        return false;
    }
    ProductVersionInfo info = {company, title, version};
    bool done =
        writer.WriteStarter(temporary, info) && writer.AppendData(temporary, header, table.bytes);
    if (done && !ReplaceFile(temporary, output)) {
        FormatText(error, errorSize, "cannot write \"%s\"", output);
        done = false;
    }
    if (!done)
        DeleteFileA(temporary);
    return done;
}
