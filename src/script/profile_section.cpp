#include "script/profile_section.h"

#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "script/profile_section_testing.h"
#include "script/trim_field.h"
#include "system/text.h"

namespace {
SectionReader sectionReader = nullptr;

const size_t FIRST_SIZE = 16 * 1024;
const size_t LARGEST_SIZE = 16 * 1024 * 1024;
// Lengths that Windows 95 may return for a section it cut at its limit.
const DWORD CAP = 32767;
const DWORD CAP_ZONE = CAP - 1024;

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
} // namespace

char* ProfileValue(char* text) {
    char* value = TrimField(text);
    size_t length = strlen(value);
    if (length >= 2 && (value[0] == '"' || value[0] == '\'') && value[length - 1] == value[0]) {
        value[length - 1] = '\0';
        return value + 1;
    }
    return value;
}

void SetSectionReader(SectionReader reader) {
    sectionReader = reader;
}

uint32_t HashNoCase(const char* text) {
    uint32_t hash = 2166136261u;
    for (; *text; ++text) {
        hash ^= static_cast<unsigned char>(FoldAscii(*text));
        hash *= 16777619u;
    }
    return hash;
}

ProfileSection::~ProfileSection() {
    free(text_);
    free(slots_);
}

bool ProfileSection::Read(const char* path, const char* section) {
    if (Fetch(path, section) && Index())
        return true;
    // Nothing of an earlier section may be found.
    free(slots_);
    slots_ = nullptr;
    slotCount_ = 0;
    return false;
}

// A section that does not fit is cut and reported as the buffer size less 2; the buffer then
// grows. Windows 95 returns no more than 32 KB whatever the buffer, so a length close to that is
// no proof of a whole section: a larger buffer must bring more text, or the keys are read one by
// one (right in either case).
bool ProfileSection::Fetch(const char* path, const char* section) {
    size_t size = FIRST_SIZE;
    DWORD cutAt = 0;
    for (;;) {
        if (size_ < size) {
            char* grown = static_cast<char*>(realloc(text_, size));
            if (!grown)
                return false;
            text_ = grown;
            size_ = size;
        }
        DWORD length = (sectionReader ? sectionReader : GetPrivateProfileSectionA)(
            section, text_, static_cast<DWORD>(size), path);
        if (cutAt > 0 && length <= cutAt)
            return false;
        bool capped = length >= CAP_ZONE && length <= CAP;
        if (length + 2 < size && !capped) {
            text_[length] = '\0';
            text_[length + 1] = '\0';
            return true;
        }
        cutAt = length;
        if (size >= LARGEST_SIZE)
            return false;
        size *= 2;
    }
}

bool ProfileSection::Index() {
    uint32_t lines = 0;
    for (char* line = text_; *line; line += strlen(line) + 1)
        ++lines;
    uint32_t wanted = 8;
    while (wanted < lines * 2)
        wanted *= 2;
    // Sized to each section: a table left large by an earlier section would be cleared in vain.
    if (slotCount_ != wanted) {
        Slot* grown = static_cast<Slot*>(realloc(slots_, wanted * sizeof(Slot)));
        if (!grown)
            return false;
        slots_ = grown;
        slotCount_ = wanted;
    }
    memset(slots_, 0, slotCount_ * sizeof(Slot));
    for (char* line = text_; *line;) {
        char* next = line + strlen(line) + 1;
        char* separator = strchr(line, '=');
        if (separator)
            *separator = '\0';
        const char* key = TrimField(line);
        const char* value = separator ? ProfileValue(separator + 1) : nullptr;
        uint32_t index = HashNoCase(key) & (slotCount_ - 1);
        while (slots_[index].key && !EqualNoCase(slots_[index].key, key))
            index = (index + 1) & (slotCount_ - 1);
        // The first line of a key wins, as with the profile functions.
        if (!slots_[index].key) {
            slots_[index].key = key;
            slots_[index].value = value;
        }
        line = next;
    }
    return true;
}

const char* ProfileSection::Find(const char* key) const {
    if (slotCount_ == 0)
        return nullptr;
    uint32_t index = HashNoCase(key) & (slotCount_ - 1);
    while (slots_[index].key) {
        if (EqualNoCase(slots_[index].key, key))
            return slots_[index].value;
        index = (index + 1) & (slotCount_ - 1);
    }
    return nullptr;
}
