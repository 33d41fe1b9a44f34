#include "system/language.h"

#include <stdlib.h>
#include <string.h>

#include "system/text.h"
#include "system/win_handles.h"

namespace {
// The file in use: its bytes as read (copied beside the install log) and its unescaped texts.
char fileBytes[LANGUAGE_FILE_LIMIT + 2];
char textStore[LANGUAGE_FILE_LIMIT + 1];
DWORD fileSize;
LanguageFile active;
char activeTag[32];
bool inUse;

struct Line {
    const char* start;
    size_t length;
    unsigned number;
};

// Lines end in LF, CR LF or the end of the bytes.
bool NextLine(const char* bytes, size_t size, size_t* at, Line* line) {
    if (*at >= size)
        return false;
    const char* start = bytes + *at;
    const char* end = static_cast<const char*>(memchr(start, '\n', size - *at));
    size_t length = end ? static_cast<size_t>(end - start) : size - *at;
    *at += length + 1;
    line->start = start;
    line->length = length > 0 && start[length - 1] == '\r' ? length - 1 : length;
    ++line->number;
    return true;
}

bool IsSection(const Line& line, const char* name) {
    size_t length = strlen(name);
    return line.length == length + 2 && line.start[0] == '[' && line.start[length + 1] == ']' &&
           StartsWithNoCase(line.start + 1, name);
}

// The value of "key=" on the line, else null; *length its length.
const char* KeyValue(const Line& line, const char* key, size_t* length) {
    size_t keyLength = strlen(key);
    if (line.length <= keyLength || line.start[keyLength] != '=' ||
        !StartsWithNoCase(line.start, key))
        return nullptr;
    *length = line.length - keyLength - 1;
    return line.start + keyLength + 1;
}

// A number (0x: hexadecimal) up to a comma or the end; false when there is none. The bytes
// go on to a line end or a zero byte, where the number stops at the latest.
bool ReadNumber(const char** cursor, const char* end, unsigned* value) {
    char* stop = nullptr;
    unsigned long number = strtoul(*cursor, &stop, 0);
    while (stop < end && *stop == ' ')
        ++stop;
    if (stop == *cursor || stop > end || (stop < end && *stop != ',') || number > 0xFFFF)
        return false;
    *cursor = stop < end ? stop + 1 : stop;
    *value = static_cast<unsigned>(number);
    return true;
}

bool ValidLine(const Line& line, unsigned codePage) {
    for (size_t i = 0; i < line.length; ++i) {
        unsigned char c = static_cast<unsigned char>(line.start[i]);
        if (c < 0x20 && c != '\t')
            return false;
        if (LanguageLeadByte(codePage, c) &&
            (++i == line.length || static_cast<unsigned char>(line.start[i]) < 0x40))
            return false;
    }
    return true;
}

// From '%' through its type letter (or a second '%'); null when no '%' is left.
const char* NextConversion(const char* text, size_t* length) {
    const char* start = strchr(text, '%');
    if (!start)
        return nullptr;
    const char* p = start + 1;
    while (*p && !strchr("%diouxXeEfFgGaAcspnCS", *p))
        ++p;
    if (*p)
        ++p;
    *length = static_cast<size_t>(p - start);
    return start;
}
} // namespace

bool LanguageLeadByte(unsigned codePage, unsigned char c) {
    if (c < 0x81)
        return false;
    switch (codePage) {
    case 932:
        return c <= 0x9F || (c >= 0xE0 && c <= 0xFC);
    case 936:
    case 949:
    case 950:
        return c <= 0xFE;
    default:
        return codePage > 1258 && IsDBCSLeadByteEx(codePage, c);
    }
}

bool SameConversions(const char* text, const char* english) {
    for (;;) {
        size_t length = 0;
        size_t englishLength = 0;
        const char* conversion = NextConversion(text, &length);
        const char* englishConversion = NextConversion(english, &englishLength);
        if (!conversion || !englishConversion)
            return conversion == englishConversion;
        if (length != englishLength || memcmp(conversion, englishConversion, length) != 0 ||
            memchr(conversion, '*', length) || conversion[length - 1] == 'n')
            return false;
        text = conversion + length;
        english = englishConversion + englishLength;
    }
}

void ReadLanguageHeader(const char* bytes, size_t size, LanguageHeader* header) {
    memset(header, 0, sizeof(*header));
    size_t at = 0;
    Line line = {};
    bool inSection = false;
    while (NextLine(bytes, size, &at, &line)) {
        if (line.length > 0 && line.start[0] == '[') {
            inSection = IsSection(line, "Language");
            header->hasSection = header->hasSection || inSection;
            continue;
        }
        size_t length = 0;
        const char* value = nullptr;
        if (!inSection)
            continue;
        if ((value = KeyValue(line, "Name", &length)))
            CopyTextN(header->name, sizeof(header->name), value, length);
        else if ((value = KeyValue(line, "CodePage", &length)))
            ReadNumber(&value, value + length, &header->codePage);
        else if ((value = KeyValue(line, "LangID", &length))) {
            const char* end = value + length;
            unsigned id = 0;
            header->langIdCount = 0;
            while (header->langIdCount < LANGUAGE_ID_SLOTS && ReadNumber(&value, end, &id))
                header->langIds[header->langIdCount++] = static_cast<WORD>(id);
        }
    }
}

void ReadLanguageFile(const char* bytes, size_t size, char* store, LanguageFile* file,
                      LanguageProblemSink* sink) {
    ReadLanguageHeader(bytes, size, &file->header);
    file->textCount = 0;
    UINT codePage = file->header.codePage;
    size_t at = 0;
    Line line = {};
    bool inTexts = false;
    while (NextLine(bytes, size, &at, &line)) {
        if (line.length == 0 || line.start[0] == ';')
            continue;
        if (line.start[0] == '[') {
            inTexts = IsSection(line, "Texts");
            continue;
        }
        if (!inTexts)
            continue;
        const char* equals = static_cast<const char*>(memchr(line.start, '=', line.length));
        const char* cursor = line.start;
        unsigned id = 0;
        LanguageProblem problem = LANGUAGE_BAD_LINE;
        bool taken = false;
        if (!ValidLine(line, codePage))
            problem = LANGUAGE_BAD_BYTES;
        else if (equals && ReadNumber(&cursor, equals, &id) && cursor == equals && id != 0) {
            problem = file->Find(id)                           ? LANGUAGE_REPEATED
                      : file->textCount == LANGUAGE_TEXT_SLOTS ? LANGUAGE_TOO_MANY
                                                               : LANGUAGE_BAD_LINE;
            taken = problem == LANGUAGE_BAD_LINE;
        }
        if (!taken) {
            if (sink)
                sink->Problem(line.number, problem);
            continue;
        }
        char* out = store;
        LanguageText& text = file->texts[file->textCount++];
        text = {id, line.number, store};
        for (const char* p = equals + 1; p < line.start + line.length; ++p) {
            if (LanguageLeadByte(codePage, static_cast<unsigned char>(*p))) {
                *out++ = *p++;
            } else if (*p == '\\' && p + 1 < line.start + line.length) {
                char next = p[1];
                char escaped = next == 'n' ? '\n' : next == 't' ? '\t' : next;
                if (next == 'n' || next == 't' || next == '\\') {
                    *out++ = escaped;
                    ++p;
                    continue;
                }
            }
            *out++ = *p;
        }
        *out++ = '\0';
        store = out;
    }
}

const char* LanguageFile::Find(unsigned id) const {
    for (size_t i = 0; i < textCount; ++i) {
        if (texts[i].id == id)
            return texts[i].text;
    }
    return nullptr;
}

const char* LocalText(unsigned id, const char* english) {
    const char* text = active.Find(id);
    return text && SameConversions(text, english) ? text : english;
}

size_t CopyLocalText(char* out, size_t size, unsigned id, const char* english) {
    const char* text = LocalText(id, english);
    size_t length = CopyText(out, size, text);
    if (text == english)
        return length;
    size_t whole = 0;
    while (whole < length) {
        size_t step =
            LanguageLeadByte(active.header.codePage, static_cast<unsigned char>(out[whole])) ? 2
                                                                                             : 1;
        if (whole + step > length)
            break;
        whole += step;
    }
    out[whole] = '\0';
    return whole;
}

const char* LanguageTag() {
    return activeTag;
}

int ChooseLanguage(const LanguageOffer* offers, size_t count, LANGID language, UINT codePage,
                   int* unfit) {
    // Exact matches before primary-language ones.
    *unfit = -1;
    for (int pass = 0; pass < 2; ++pass) {
        int best[2] = {-1, -1}; // of the code page, of another
        for (size_t i = 0; i < count; ++i) {
            const LanguageHeader& header = offers[i].header;
            bool matches = false;
            for (size_t j = 0; j < header.langIdCount && !matches; ++j)
                matches = pass == 0 ? header.langIds[j] == language
                                    : j == 0 && PRIMARYLANGID(header.langIds[0]) ==
                                                    PRIMARYLANGID(language);
            int& slot = best[header.codePage != codePage];
            if (matches && header.Usable() &&
                (slot < 0 || CompareNoCase(offers[i].tag, offers[slot].tag) < 0))
                slot = static_cast<int>(i);
        }
        if (best[0] >= 0)
            return best[0];
        if (*unfit < 0)
            *unfit = best[1];
    }
    return -1;
}

LanguageUse UseLanguageFile(const char* path, const char* tag, UINT codePage,
                            LanguageHeader* header) {
    UseEnglish();
    memset(header, 0, sizeof(*header));
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return LANGUAGE_FILE_ABSENT;
    // A byte beyond the limit tells a file too large.
    DWORD size = 0;
    if (!ReadFile(file.Get(), fileBytes, sizeof(fileBytes), &size, nullptr) ||
        size > LANGUAGE_FILE_LIMIT)
        return LANGUAGE_FILE_UNUSABLE;
    fileBytes[size] = '\0';
    ReadLanguageHeader(fileBytes, size, header);
    if (!header->Usable() || header->codePage != codePage)
        return LANGUAGE_FILE_UNUSABLE;
    fileSize = size;
    ReadLanguageFile(fileBytes, size, textStore, &active);
    inUse = true;
    if (tag)
        CopyText(activeTag, sizeof(activeTag), tag);
    else if (StartsWith(fileBytes, "; Setup.")) {
        // The copy's first line names the tag: "; Setup.<tag>.lng".
        const char* start = fileBytes + 8;
        const char* end = strstr(start, ".lng\r\n");
        if (end && static_cast<size_t>(end - start) < sizeof(activeTag))
            CopyTextN(activeTag, sizeof(activeTag), start, static_cast<size_t>(end - start));
    }
    return LANGUAGE_FILE_READ;
}

const char* LanguageBytes(DWORD* size) {
    *size = fileSize;
    return inUse ? fileBytes : nullptr;
}

void UseEnglish() {
    inUse = false;
    activeTag[0] = '\0';
    active.textCount = 0;
}
