#include "package/version_info.h"

#include <string.h>
#include <windows.h>

namespace {
// Writes the nested blocks of a version resource: each a length, a value length, a type, a
// UTF-16 key, then the value and the children, each part starting on a 4-byte boundary.
class VersionWriter {
  public:
    VersionWriter(uint8_t* out, size_t room) : out_(out), room_(room) {}
    bool Failed() const { return failed_; }
    size_t Size() const { return at_; }

    // Opens a block; valueLength counts bytes for binary values and characters for texts.
    void Open(const char* key, bool text, const void* value, size_t valueBytes,
              size_t valueLength) {
        Align();
        if (depth_ == MAX_DEPTH) {
            failed_ = true;
            return;
        }
        starts_[depth_++] = at_;
        Put16(0);
        Put16(static_cast<uint16_t>(valueLength));
        Put16(text ? 1 : 0);
        PutText(key);
        Align();
        Put(value, valueBytes);
    }
    void OpenText(const char* key, const char* value) {
        wchar_t wide[260];
        int length = MultiByteToWideChar(CP_ACP, 0, value, -1, wide, 260);
        if (length <= 0) {
            wide[0] = 0;
            length = 1;
        }
        Open(key, true, wide, static_cast<size_t>(length) * 2, static_cast<size_t>(length));
    }
    void Close() {
        size_t start = starts_[--depth_];
        if (!failed_) {
            size_t length = at_ - start;
            out_[start] = static_cast<uint8_t>(length);
            out_[start + 1] = static_cast<uint8_t>(length >> 8);
        }
    }

  private:
    static const int MAX_DEPTH = 4;
    void Put(const void* bytes, size_t size) {
        if (failed_ || room_ - at_ < size) {
            failed_ = true;
            return;
        }
        memcpy(out_ + at_, bytes, size);
        at_ += size;
    }
    void Put16(uint16_t value) {
        uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
        Put(bytes, 2);
    }
    void PutText(const char* ascii) {
        for (const char* c = ascii; *c; ++c)
            Put16(static_cast<uint8_t>(*c));
        Put16(0);
    }
    void Align() {
        static const uint8_t zeros[3] = {0, 0, 0};
        Put(zeros, (4 - at_ % 4) % 4);
    }

    uint8_t* out_;
    size_t room_;
    size_t at_ = 0;
    size_t starts_[MAX_DEPTH] = {};
    int depth_ = 0;
    bool failed_ = false;
};
} // namespace

void ParseVersionNumbers(const char* text, uint16_t numbers[4]) {
    memset(numbers, 0, 4 * sizeof(uint16_t));
    const char* c = text;
    for (int i = 0; i < 4 && *c >= '0' && *c <= '9'; ++i) {
        unsigned long value = 0;
        for (; *c >= '0' && *c <= '9'; ++c)
            value = value > 65535 ? value : value * 10 + static_cast<unsigned>(*c - '0');
        numbers[i] = static_cast<uint16_t>(value > 65535 ? 65535 : value);
        if (*c != '.')
            break;
        ++c;
    }
}

size_t BuildVersionInfo(const ProductVersionInfo& info, uint8_t* out, size_t room) {
    uint16_t numbers[4];
    ParseVersionNumbers(info.version, numbers);
    VS_FIXEDFILEINFO fixed;
    memset(&fixed, 0, sizeof(fixed));
    fixed.dwSignature = VS_FFI_SIGNATURE;
    fixed.dwStrucVersion = VS_FFI_STRUCVERSION;
    fixed.dwFileVersionMS = fixed.dwProductVersionMS =
        (static_cast<DWORD>(numbers[0]) << 16) | numbers[1];
    fixed.dwFileVersionLS = fixed.dwProductVersionLS =
        (static_cast<DWORD>(numbers[2]) << 16) | numbers[3];
    fixed.dwFileFlagsMask = VS_FFI_FILEFLAGSMASK;
    fixed.dwFileOS = VOS__WINDOWS32;
    fixed.dwFileType = VFT_APP;

    char description[160];
    size_t titleLength = strnlen(info.title, 128);
    memcpy(description, info.title, titleLength);
    memcpy(description + titleLength, " Setup", 7);

    VersionWriter writer(out, room);
    writer.Open("VS_VERSION_INFO", false, &fixed, sizeof(fixed), sizeof(fixed));
    writer.Open("StringFileInfo", true, nullptr, 0, 0);
    // US English, Unicode: the values are UTF-16 whatever the code page of the script.
    writer.Open("040904B0", true, nullptr, 0, 0);
    const char* const values[][2] = {{"CompanyName", info.company},
                                     {"FileDescription", description},
                                     {"FileVersion", info.version},
                                     {"ProductName", info.title},
                                     {"ProductVersion", info.version}};
    for (const auto& value : values) {
        writer.OpenText(value[0], value[1]);
        writer.Close();
    }
    writer.Close();
    writer.Close();
    const uint16_t translation[2] = {0x0409, 0x04b0};
    writer.Open("VarFileInfo", true, nullptr, 0, 0);
    writer.Open("Translation", false, translation, sizeof(translation), sizeof(translation));
    writer.Close();
    writer.Close();
    writer.Close();
    return writer.Failed() ? 0 : writer.Size();
}
