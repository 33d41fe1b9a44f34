#include "generated_inputs.h"

#include <stdio.h>

#include <vector>

#include "package/package_format.h"
#include "system/text.h"

namespace {

const char* const tokens[] = {"DEST_PATH", "WINDOWS",   "SYSTEM",    "PROGRAM_FILES",
                              "DESKTOP",   "DOCUMENTS", "STARTMENU", "SENDTO"};
const char* const options[] = {"ACTIVESYNC", "REGSERVICE", "SENDTO", "DESKTOP"};
const char* const numbers[] = {"0",
                               "1",
                               "-1",
                               "120",
                               "2147483647",
                               "2147483648",
                               "-2147483648",
                               "-2147483649",
                               "99999999999999999999999999",
                               "  12K  ",
                               "+7",
                               "-",
                               "0x10",
                               ""};
// Lead bytes of code page 932 (and in range for 936, 949 and 950), also lone at a field's end.
const char leadBytes[] = {'\x81', '\x95', '\x9F', '\xE0', '\xFC'};

std::string Pick(Rng& rng, const char* const* list, size_t count) {
    return list[rng.Below(static_cast<uint32_t>(count))];
}
#define PICK(rng, list) Pick(rng, list, sizeof(list) / sizeof(list[0]))

std::string Misspelt(Rng& rng, std::string word) {
    if (word.empty())
        return word;
    size_t at = rng.Below(static_cast<uint32_t>(word.size()));
    switch (rng.Below(4)) {
    case 0:
        word.erase(at, 1);
        break;
    case 1:
        word.insert(at, 1, static_cast<char>('A' + rng.Below(26)));
        break;
    case 2:
        word[at] = static_cast<char>(word[at] ^ 0x20);
        break;
    default:
        word += word.substr(at);
        break;
    }
    return word;
}

std::string Filler(Rng& rng, size_t length) {
    std::string text;
    const char* const parts[] = {"a", "Z", " ", "\\", "9", ".", "_", "\xE9", "%"};
    while (text.size() < length)
        text += PICK(rng, parts);
    text.resize(length);
    return text;
}

std::string Macro(Rng& rng) {
    std::string token = PICK(rng, tokens);
    switch (rng.Below(6)) {
    case 0:
        return "%" + Misspelt(rng, token) + "%";
    case 1:
        return "%" + token; // unterminated
    case 2: {
        for (char& c : token)
            c = static_cast<char>(c | 0x20);
        return "%" + token + "%";
    }
    case 3:
        return "%%";
    default:
        return "%" + token + "%";
    }
}

// A value of one field: ordinary, at or around a limit, with a macro, or ending in a lead byte.
std::string Field(Rng& rng) {
    std::string value;
    switch (rng.Below(7)) {
    case 0:
        value = Filler(rng, fieldLimits[rng.Below(7)] + rng.Below(3) - 1);
        break;
    case 1:
        value = Macro(rng) + "\\" + Filler(rng, rng.Below(12));
        break;
    case 2:
        value = Macro(rng) + "\\" + Filler(rng, fieldLimits[rng.Below(7)]);
        break;
    case 3:
        value = PICK(rng, numbers);
        break;
    default:
        value = Filler(rng, rng.Below(20));
        break;
    }
    if (rng.Percent(15))
        value += leadBytes[rng.Below(sizeof(leadBytes))];
    return value;
}

std::string Option(Rng& rng) {
    std::string option = PICK(rng, options);
    if (rng.Percent(30))
        option = Misspelt(rng, option);
    else if (rng.Percent(30))
        for (char& c : option)
            c = static_cast<char>(c | 0x20);
    return option;
}

std::string FileItem(Rng& rng) {
    std::string value = PICK(rng, numbers);
    if (rng.Percent(90))
        value += ";" + Field(rng);
    if (rng.Percent(50))
        value += ";" + Option(rng);
    return value;
}

std::string ShortcutItem(Rng& rng) {
    std::string value = Field(rng);
    for (int field = 0; field < 4 && rng.Percent(85); ++field)
        value += ";" + (field == 0   ? std::string(PICK(rng, numbers))
                        : field == 3 ? Option(rng)
                                     : Field(rng));
    return value;
}

std::string List(Rng& rng, const std::vector<std::string>& names, size_t count) {
    std::string list;
    for (size_t i = 0; i < count; ++i) {
        if (i > 0)
            list += rng.Percent(10) ? ";;" : ";";
        list += names[rng.Below(static_cast<uint32_t>(names.size()))];
    }
    return list;
}

std::string Section(Rng& rng, const std::string& name, const std::string& components) {
    std::string text = "[" + name + "]\r\nName=" + Field(rng) + "\r\nDescription=" + Field(rng) +
                       "\r\nSelected=" + PICK(rng, numbers) + "\r\n";
    const char* const kinds[] = {"CopyFile%u", "CopyFile%uU", "CopyPalmFile%u", "Shortcut%u",
                                 "Shortcut%uU"};
    for (const char* kind : kinds) {
        uint32_t count = rng.Below(4);
        for (uint32_t n = 1; n <= count; ++n) {
            char key[32];
            snprintf(key, sizeof(key), kind, n + (rng.Percent(10) ? 1 : 0));
            bool shortcut = kind[0] == 'S';
            text +=
                std::string(key) + "=" + (shortcut ? ShortcutItem(rng) : FileItem(rng)) + "\r\n";
        }
    }
    if (!components.empty())
        text += "Components=" + components + "\r\n";
    return text;
}

std::string General(Rng& rng, const std::string& components) {
    std::string text = "[General]\r\n";
    const char* const keys[] = {"Company", "Application", "DestFolder", "StartMenu",
                                "Licence", "Logo",        "WebPage",    "ByeLink"};
    for (const char* key : keys) {
        if (rng.Percent(80))
            text += std::string(key) + "=" + Field(rng) + "\r\n";
    }
    if (rng.Percent(70))
        text += "ReadMe=" + Field(rng) + (rng.Percent(80) ? ";" + Field(rng) : "") + "\r\n";
    return text + "Components=" + components + "\r\n";
}

void AppendUnit(std::string* out, uint32_t unit, bool bigEndian) {
    char low = static_cast<char>(unit & 0xFF);
    char high = static_cast<char>(unit >> 8);
    *out += bigEndian ? high : low;
    *out += bigEndian ? low : high;
}

std::string Little32(uint32_t value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>(value >> (8 * i));
    return bytes;
}
std::string Little16(uint32_t value) {
    return Little32(value).substr(0, 2);
}
#define PICK_NUMBER(rng, list) list[rng.Below(sizeof(list) / sizeof(list[0]))]

// A bitmap file header and info header of any size, bit count and compression, now and then not
// a bitmap at all or cut short.
std::string Logo(Rng& rng) {
    if (rng.Percent(10))
        return "\x89PNG\r\n\x1A\n" + Filler(rng, rng.Below(64));
    const uint32_t headers[] = {12, 40, 108, 124, 64, 0, 0xFFFFFFFF};
    const uint32_t bits[] = {1, 4, 8, 16, 24, 32, 0, 7, 48};
    const uint32_t compressions[] = {0, 1, 2, 3, 4, 5, 0xFFFFFFFF};
    const uint32_t extents[] = {1, 100, 0, 0xFFFFFFFF, 0x7FFFFFFF};
    uint32_t header = PICK_NUMBER(rng, headers);
    std::string info = Little32(header);
    if (header == 12)
        info += Little16(PICK_NUMBER(rng, extents)) + Little16(PICK_NUMBER(rng, extents)) +
                Little16(1) + Little16(PICK_NUMBER(rng, bits));
    else
        info += Little32(PICK_NUMBER(rng, extents)) + Little32(PICK_NUMBER(rng, extents)) +
                Little16(1) + Little16(PICK_NUMBER(rng, bits)) +
                Little32(PICK_NUMBER(rng, compressions));
    if (header < 256 && info.size() < header)
        info.resize(header, '\0');
    std::string pixels(16, '\x7F');
    std::string bmp = "BM" + Little32(static_cast<uint32_t>(14 + info.size() + pixels.size())) +
                      Little32(0) + Little32(static_cast<uint32_t>(14 + info.size())) + info +
                      pixels;
    if (rng.Percent(20))
        bmp.resize(rng.Below(static_cast<uint32_t>(bmp.size())));
    return bmp;
}

// A COM server as shipped, or damaged where a reader of its headers and exports looks.
std::string Server(Rng& rng, const std::string& dll) {
    uint32_t size = static_cast<uint32_t>(dll.size());
    if (size < 1024 || rng.Percent(10))
        return rng.Percent(50) ? "not a library\r\n" : "MZ";
    std::string out = dll;
    const uint32_t values[] = {0, 0xFFFFFFFF, 0x7FFFFFFF, 0x80000000, size, size - 1};
    switch (rng.Below(5)) {
    case 0: // cut short, most often inside the headers
        out.resize(rng.Below(rng.Percent(50) ? 1024 : size));
        break;
    case 1: // flipped bits in the headers
        for (uint32_t i = 0, n = 1 + rng.Below(8); i < n; ++i)
            out[rng.Below(1024)] ^= static_cast<char>(1 << rng.Below(8));
        break;
    case 2: // sizes, offsets and counts out of range, in the headers or in the export table
        for (uint32_t i = 0, n = 1 + rng.Below(4); i < n; ++i) {
            uint32_t at = rng.Below(rng.Percent(50) ? 1024 : size - 4) & ~3u;
            out.replace(at, 4, Little32(PICK_NUMBER(rng, values)));
        }
        break;
    case 3:
        break;
    default: // flipped bits anywhere
        for (uint32_t i = 0, n = 1 + rng.Below(32); i < n; ++i)
            out[rng.Below(size)] ^= static_cast<char>(1 << rng.Below(8));
        break;
    }
    return out;
}

std::string Trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The files and folders a relative path needs inside the product folder, or none for a path
// that would lead out of it or that no file may have.
void AddPath(std::vector<ProductFile>* files, const std::string& path, const std::string& bytes,
             bool folder) {
    if (path.empty() || path.size() > 200 || path.find("..") != std::string::npos ||
        path[0] == '\\' || path.find_first_of(":*?\"<>|/") != std::string::npos)
        return;
    for (char c : path) {
        if (static_cast<unsigned char>(c) < 32)
            return;
    }
    for (size_t slash = path.find('\\'); slash != std::string::npos;
         slash = path.find('\\', slash + 1))
        files->push_back({path.substr(0, slash), "", true});
    files->push_back({path, bytes, folder});
}

} // namespace

const size_t fieldLimits[7] = {31, 127, 255, 259, 1023, 4095, 8192};

uint32_t Rng::Next() {
    // xorshift32
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
}

std::string MakeScript(Rng& rng) {
    std::vector<std::string> names;
    uint32_t sections = 1 + rng.Below(6);
    for (uint32_t i = 0; i < sections; ++i)
        names.push_back("C" + std::to_string(i));
    std::string text;
    uint32_t shape = rng.Below(100);
    if (shape < 2) // deeper than any product's tree
        return MakeWideOrDeepScript(true, 20 + rng.Below(130));
    if (shape < 4) // one section listed a hundred times
        return MakeWideOrDeepScript(false, 20 + rng.Below(130));
    if (shape < 20) { // cycles: sections that list themselves or an ancestor
        text = General(rng, List(rng, names, 1 + rng.Below(2)));
        for (const std::string& name : names)
            text += Section(rng, name, List(rng, names, 1 + rng.Below(2)));
        return text;
    }
    if (shape < 60) { // duplicate sections and listed sections that do not exist
        names.push_back("Missing");
        text = General(rng, List(rng, names, 1 + rng.Below(8)));
        for (size_t i = 0; i + 1 < names.size(); ++i) {
            text += Section(rng, names[i], "");
            if (rng.Percent(50))
                text += Section(rng, names[i], List(rng, names, 2));
        }
        if (rng.Percent(50))
            text += General(rng, "C0");
        return text;
    }
    // a small tree
    text = General(rng, List(rng, names, 1 + rng.Below(3)));
    for (size_t i = 0; i < names.size(); ++i) {
        std::vector<std::string> below(names.begin() + i + 1, names.end());
        text += Section(rng, names[i], below.empty() ? "" : List(rng, below, rng.Below(3)));
    }
    return text;
}

std::string MakeWideOrDeepScript(bool deep, uint32_t size) {
    std::string text = "[General]\r\nCompany=Acme\r\nApplication=Deep\r\nComponents=";
    if (deep) {
        text += "D0\r\n";
        for (uint32_t i = 0; i < size; ++i)
            text += "[D" + std::to_string(i) + "]\r\nName=d\r\nCopyFile1=1;%DEST_PATH%\\f\r\n" +
                    "Components=D" + std::to_string(i + 1) + "\r\n";
        return text;
    }
    for (uint32_t i = 0; i < size; ++i)
        text += i ? ";W" : "W";
    return text + "\r\n[W]\r\nName=w\r\nCopyFile1=1;%DEST_PATH%\\f\r\nComponents=W;W\r\n";
}

std::string MakeLog(Rng& rng) {
    static const char* const keywords[] = {
        "File Copy:",      "File Del:", "Made Dir:",   "Del Dir:",
        "StopActiveSync:", "RegSvr32:", "UnregSvr32:", "Shell Link:"};
    std::string text;
    if (rng.Percent(90))
        text += "***  Installation Started 03/09/2004 14:05  ***\n";
    if (rng.Percent(90))
        text += "Title: " + Field(rng) + (rng.Percent(80) ? " Installation" : "") + "\n";
    if (rng.Percent(90))
        text += "Source: " + Field(rng) + "\n";
    uint32_t entries = rng.Below(rng.Percent(5) ? 5000 : 40);
    for (uint32_t i = 0; i < entries; ++i) {
        std::string keyword = PICK(rng, keywords);
        if (rng.Percent(10))
            keyword = Misspelt(rng, keyword);
        std::string value = rng.Percent(50) ? Filler(rng, 257 + rng.Below(5)) : Field(rng);
        text += (rng.Percent(5) ? " " : "") + keyword + " " + value + "\n";
    }
    return text;
}

std::string MakePathValue(Rng& rng) {
    std::string value;
    uint32_t parts = 1 + rng.Below(4);
    for (uint32_t i = 0; i < parts; ++i) {
        switch (rng.Below(5)) {
        case 0:
            value += Macro(rng);
            break;
        case 1:
            value += "\\";
            break;
        case 2:
            value += Filler(rng, fieldLimits[rng.Below(7)] + rng.Below(3) - 1);
            break;
        default:
            value += Filler(rng, rng.Below(16));
            break;
        }
    }
    if (rng.Percent(15))
        value += leadBytes[rng.Below(sizeof(leadBytes))];
    return value;
}

std::string Mutate(Rng& rng, const std::string& text) {
    std::string out = text;
    uint32_t rounds = 1 + rng.Below(3);
    for (uint32_t round = 0; round < rounds; ++round) {
        uint32_t at = rng.Below(static_cast<uint32_t>(out.size()) + 1);
        switch (rng.Below(10)) {
        case 0: // flipped bytes
            for (uint32_t i = 0, n = 1 + rng.Below(16); i < n && !out.empty(); ++i)
                out[rng.Below(static_cast<uint32_t>(out.size()))] ^=
                    static_cast<char>(1 << rng.Below(8));
            break;
        case 1: // truncated
            out.resize(at);
            break;
        case 2: { // binary garbage
            std::string garbage;
            for (uint32_t i = 0, n = 1 + rng.Below(512); i < n; ++i)
                garbage += static_cast<char>(rng.Next());
            out.insert(at, garbage);
            break;
        }
        case 3: // NUL bytes
            out.insert(at, std::string(1 + rng.Below(4), '\0'));
            break;
        case 4: { // CR-only line ends, or none
            std::string changed;
            bool none = rng.Percent(30);
            for (char c : out) {
                if (c == '\n')
                    changed += none ? "" : "\r";
                else if (c != '\r')
                    changed += c;
            }
            out = changed;
            break;
        }
        case 5: // a very long line
            out.insert(
                at, std::string(20000 + rng.Below(50000), static_cast<char>('A' + rng.Below(26))));
            break;
        case 6: { // a lead byte before a separator or a line end
            std::string changed;
            for (char c : out) {
                if ((c == ';' || c == '\r' || c == '\n' || c == '%') && rng.Percent(20))
                    changed += leadBytes[rng.Below(sizeof(leadBytes))];
                changed += c;
            }
            out = changed;
            break;
        }
        case 7: // a duplicated stretch
            if (!out.empty()) {
                uint32_t length = rng.Below(static_cast<uint32_t>(out.size() - at) + 1);
                out.insert(at, out.substr(at, length));
            }
            break;
        case 8: { // wide text: UTF-16 little-endian with its byte-order mark
            std::string wide = "\xFF\xFE";
            for (char c : out) {
                wide += c;
                wide += '\0';
            }
            return wide;
        }
        default: // a byte replaced by a separator
            if (!out.empty())
                out[rng.Below(static_cast<uint32_t>(out.size()))] = "\n;=%\\[]"[rng.Below(7)];
            break;
        }
    }
    return out;
}

void WriteEscaped(FILE* out, const std::string& bytes) {
    fputc('"', out);
    bool hexBefore = false;
    for (char c : bytes) {
        unsigned char byte = static_cast<unsigned char>(c);
        bool hexDigit = (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'f') ||
                        (byte >= 'A' && byte <= 'F');
        bool hex = false;
        if (byte == '\\' || byte == '"')
            fprintf(out, "\\%c", c);
        else if (byte == '\n')
            fputs("\\n", out);
        else if (byte == '\r')
            fputs("\\r", out);
        else if (byte < 32 || byte >= 127 || (hexBefore && hexDigit))
            hex = fprintf(out, "\\x%02X", byte) > 0;
        else
            fputc(c, out);
        // A hex escape takes in the hex digits behind it: those are escaped too.
        hexBefore = hex;
    }
    fputs("\"\n", out);
}

std::string Encode(Rng& rng, const std::string& text) {
    uint32_t form = rng.Below(100);
    if (form < 40)
        return text;
    // A blank or comment line first: the mark then hides no section header.
    std::string body = (rng.Percent(30) ? "; saved by an editor\r\n" : "") + text;
    if (form < 55) {
        std::string utf8 = "\xEF\xBB\xBF";
        bool recode = rng.Percent(50);
        for (char c : body) {
            unsigned char byte = static_cast<unsigned char>(c);
            if (recode && byte >= 0x80) {
                utf8 += static_cast<char>(0xC0 | (byte >> 6));
                utf8 += static_cast<char>(0x80 | (byte & 0x3F));
            } else {
                utf8 += c;
            }
        }
        return utf8;
    }
    // 55 to 74: little-endian with its mark, 75 to 84: big-endian with its mark, 85 to 94 and 95
    // to 99: the same without a mark.
    bool bigEndian = (form >= 75 && form < 85) || form >= 95;
    bool marked = form < 85;
    std::string wide;
    if (marked)
        AppendUnit(&wide, 0xFEFF, bigEndian);
    const uint32_t specials[] = {0x20AC, 0x3042, 0xFFFD, 0xFEFF, 0xD800, 0xDC00, 0x0000};
    for (char c : body) {
        if (rng.Percent(1))
            AppendUnit(&wide, PICK_NUMBER(rng, specials), bigEndian);
        AppendUnit(&wide, static_cast<unsigned char>(c), bigEndian);
    }
    if (rng.Percent(10))
        wide += 'x';
    return wide;
}

std::vector<ProductFile> MakeProductFiles(Rng& rng, const std::string& script,
                                          const std::string& comServer) {
    std::vector<ProductFile> files;
    if (rng.Percent(90))
        files.push_back({"Licence.txt", "Terms.\r\n", false});
    if (rng.Percent(90))
        files.push_back({"Logo.bmp", Logo(rng), false});
    size_t start = 0;
    while (start < script.size()) {
        size_t end = script.find('\n', start);
        if (end == std::string::npos)
            end = script.size();
        std::string line = script.substr(start, end - start);
        start = end + 1;
        size_t equals = line.find('=');
        if (equals == std::string::npos || rng.Percent(15))
            continue;
        std::string key = Trimmed(line.substr(0, equals));
        std::string value = line.substr(equals + 1);
        std::vector<std::string> fields;
        for (size_t from = 0;;) {
            size_t semicolon = value.find(';', from);
            fields.push_back(Trimmed(value.substr(from, semicolon - from)));
            if (semicolon == std::string::npos)
                break;
            from = semicolon + 1;
        }
        std::string name;
        std::string bytes = Filler(rng, rng.Below(3000));
        if (StartsWithNoCase(key.c_str(), "Licence")) {
            name = fields[0];
        } else if (StartsWithNoCase(key.c_str(), "Logo")) {
            name = fields[0];
            bytes = Logo(rng);
        } else if (StartsWithNoCase(key.c_str(), "CopyPalmFile") && fields.size() > 1) {
            name = fields[1];
        } else if (StartsWithNoCase(key.c_str(), "CopyFile") && fields.size() > 1) {
            name = fields[1].substr(fields[1].rfind('\\') + 1);
            const char* option = fields.size() > 2 ? fields[2].c_str() : "";
            if (EqualNoCase(option, "REGSERVICE") || EqualNoCase(option, "ACTIVESYNC"))
                bytes = Server(rng, comServer);
        }
        // Now and then a folder stands where the file should be.
        AddPath(&files, name, bytes, rng.Percent(5));
    }
    if (rng.Percent(30))
        files.push_back({"CondMgr.dll", Server(rng, comServer), false});
    if (rng.Percent(10))
        files.push_back({"_Install.log", MakeLog(rng), false});
    if (rng.Percent(20))
        files.push_back({"Stray.dat", "x", false});
    return files;
}

namespace {
const char* const forgedNames[] = {
    "..\\evil.dll", "C:\\evil.dll", "\\evil.dll", "sub/evil.dll", "evil.dll:stream", "CON",
    "lpt1.txt",     "NUL .dll",     "",           "trailing.",    "trailing ",       "a\tb",
    "..",           "Setup.exe",    "SETUP.INI"};

// Writes the CRC that makes the forged data whole again.
void Reseal(std::string* package, size_t dataAt) {
    uint8_t* data = reinterpret_cast<uint8_t*>(&(*package)[dataAt]);
    PackageHeader header;
    if (package->size() - dataAt < PACKAGE_HEADER_SIZE ||
        !ReadPackageHeader(data, PACKAGE_HEADER_SIZE, &header))
        return;
    size_t covered = PACKAGE_HEADER_SIZE + header.tableSize + header.streamSize;
    if (covered > package->size() - dataAt)
        return;
    uint32_t crc = Crc32(0, data, PACKAGE_CRC_AT);
    crc = Crc32(crc, data + PACKAGE_HEADER_SIZE, covered - PACKAGE_HEADER_SIZE);
    WriteLe32(data + PACKAGE_CRC_AT, crc);
}
} // namespace

std::string MakeDamagedPackage(Rng& rng, const std::string& good, size_t dataAt) {
    std::string out = good;
    uint8_t* data = reinterpret_cast<uint8_t*>(&out[dataAt]);
    size_t dataSize = out.size() - dataAt;
    uint32_t tableSize = ReadLe32(data + 16);
    uint8_t* table = data + PACKAGE_HEADER_SIZE;
    // The table's entries: their offsets, to forge one.
    std::vector<size_t> entries;
    for (size_t at = 0; at + PACKAGE_ENTRY_FIXED <= tableSize;
         at += PACKAGE_ENTRY_FIXED + table[at + 8])
        entries.push_back(at);
    size_t entry = entries.empty() ? 0 : entries[rng.Below(static_cast<uint32_t>(entries.size()))];
    switch (rng.Below(8)) {
    case 0: // changed bytes anywhere in the data
        for (uint32_t i = 0, n = 1 + rng.Below(8); i < n; ++i)
            data[rng.Below(static_cast<uint32_t>(dataSize))] ^=
                static_cast<uint8_t>(1 + rng.Below(255));
        return out;
    case 1: // cut short (cut inside the starter, it is a program Windows itself refuses to load)
        out.resize(dataAt + rng.Below(static_cast<uint32_t>(dataSize)));
        return out;
    case 2: { // a name that reaches outside the folder, names a device or repeats another
        std::string name = PICK(rng, forgedNames);
        // A file renamed to its own name in other letters would still be whole.
        if (EqualNoCase(name.c_str(),
                        std::string(reinterpret_cast<char*>(table) + entry + PACKAGE_ENTRY_FIXED,
                                    table[entry + 8])
                            .c_str()))
            name = "..";
        std::string rebuilt(reinterpret_cast<char*>(table), entry + 8);
        rebuilt += static_cast<char>(name.size());
        rebuilt += name;
        size_t next = entry + PACKAGE_ENTRY_FIXED + table[entry + 8];
        rebuilt.append(reinterpret_cast<char*>(table) + next, tableSize - next);
        std::string tail = out.substr(dataAt + PACKAGE_HEADER_SIZE + tableSize);
        out.resize(dataAt + PACKAGE_HEADER_SIZE);
        out += rebuilt + tail;
        WriteLe32(reinterpret_cast<uint8_t*>(&out[dataAt + 16]),
                  static_cast<uint32_t>(rebuilt.size()));
        break;
    }
    case 3: { // a file's size against the total, or both moved together
        uint32_t size = ReadLe32(table + entry);
        uint32_t delta = 1 + rng.Below(rng.Percent(50) ? 16 : 0x7fffffff);
        WriteLe32(table + entry, rng.Percent(50) ? size + delta : size - delta);
        if (rng.Percent(50))
            WriteLe32(data + 24, ReadLe32(data + 24) + (ReadLe32(table + entry) - size));
        break;
    }
    case 4: // the count of files
        WriteLe32(data + 12, ReadLe32(data + 12) + (rng.Percent(50) ? 1 : -1));
        break;
    case 5: // a dictionary past the limit, or properties out of range
        if (rng.Percent(50))
            WriteLe32(data + 29, PACKAGE_MAX_DICTIONARY + 1 + rng.Below(0x7fffffff));
        else
            data[28] = static_cast<uint8_t>(225 + rng.Below(31));
        break;
    case 6: // sizes of the table or stream that run past the file, or a huge unpacked size
        WriteLe32(data + 16 + 4 * rng.Below(3), rng.Next());
        break;
    default: { // garbage in the stream, short of its last bytes, which may decide nothing
        size_t streamAt = PACKAGE_HEADER_SIZE + tableSize;
        uint32_t span = static_cast<uint32_t>(dataSize - streamAt - 8);
        for (uint32_t i = 0, n = 1 + rng.Below(64); i < n; ++i)
            data[streamAt + rng.Below(span)] ^= static_cast<uint8_t>(1 + rng.Below(255));
        break;
    }
    }
    Reseal(&out, dataAt);
    return out;
}
