#include "system/language_choice.h"

#include <string.h>

#include <memory>

#include "system/exit_codes.h"
#include "system/language.h"
#include "system/library_binding.h"
#include "system/module_path.h"
#include "system/run_record.h"
#include "system/text.h"
#include "system/whole_file.h"

namespace {
const size_t OFFER_SLOTS = 64;
LanguageOffer offers[OFFER_SLOTS];
const char INSTALL_COPY[] = "_Install.lng";

// A tag names a file beside the program: letters, digits and "-" only.
bool PlainTag(const char* tag) {
    for (const char* p = tag; *p; ++p) {
        if (!((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9') ||
              *p == '-'))
            return false;
    }
    return *tag != '\0';
}

void OtherCodePage(const char* file, const LanguageHeader& header, UINT codePage, char* why,
                   size_t size) {
    FormatText(why, size, "Language: en (%s is written for code page %u, this system uses %u)",
               file, header.codePage, codePage);
}

size_t FindOffers(const char* folder) {
    char pattern[MAX_PATH];
    FormatText(pattern, sizeof(pattern), "%s\\Setup.*.lng", folder);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    size_t count = 0;
    do {
        // "Setup." and ".lng" around the tag; a search also matches short names.
        size_t length = strlen(found.cFileName);
        if (length <= 10 || length - 10 >= sizeof(offers[0].tag) ||
            !EqualNoCase(found.cFileName + length - 4, ".lng") ||
            (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || count == OFFER_SLOTS)
            continue;
        LanguageOffer offer;
        CopyTextN(offer.tag, sizeof(offer.tag), found.cFileName + 6, length - 10);
        char path[MAX_PATH];
        FormatText(path, sizeof(path), "%s\\%s", folder, found.cFileName);
        std::unique_ptr<char[]> bytes;
        DWORD fileSize = 0;
        memset(&offer.header, 0, sizeof(offer.header));
        if (found.nFileSizeHigh == 0 && found.nFileSizeLow <= LANGUAGE_FILE_LIMIT &&
            ReadWholeFile(path, 0, &bytes, &fileSize) == WHOLE_FILE_READ)
            ReadLanguageHeader(bytes.get(), fileSize, &offer.header);
        // In the order of the tags.
        size_t at = count++;
        for (; at > 0 && CompareNoCase(offers[at - 1].tag, offer.tag) > 0; --at)
            offers[at] = offers[at - 1];
        offers[at] = offer;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

LANGID InterfaceLanguage() {
    LANGID(WINAPI * query)() = nullptr;
    if (BindProc(GetModuleHandleA("kernel32.dll"), "GetUserDefaultUILanguage", query))
        return query();
    return GetUserDefaultLangID();
}
} // namespace

int ChooseInstallLanguageIn(const char* folder, const char* tag, LANGID language, UINT codePage,
                            char* why, size_t size) {
    char file[64];
    char path[MAX_PATH];
    LanguageHeader header;
    if (tag[0]) {
        if (EqualNoCase(tag, "en")) {
            CopyText(why, size, "Language: en (/LANG=en)");
            return 0;
        }
        FormatText(file, sizeof(file), "Setup.%s.lng", tag);
        FormatText(path, sizeof(path), "%s\\%s", folder, file);
        LanguageUse use =
            PlainTag(tag) ? UseLanguageFile(path, tag, codePage, &header) : LANGUAGE_FILE_ABSENT;
        if (use == LANGUAGE_FILE_ABSENT) {
            FormatText(why, size, "Language: no %s for /LANG=%s", file, tag);
            return EXIT_WRONG_COMMAND;
        }
        if (use == LANGUAGE_FILE_READ)
            FormatText(why, size, "Language: %s (/LANG=%s)", tag, tag);
        else if (header.Usable())
            OtherCodePage(file, header, codePage, why, size);
        else
            FormatText(why, size, "Language: en (%s is no usable language file)", file);
        return 0;
    }
    size_t count = FindOffers(folder);
    int unfit = -1;
    int chosen = ChooseLanguage(offers, count, language, codePage, &unfit);
    if (chosen >= 0) {
        tag = offers[chosen].tag;
        FormatText(path, sizeof(path), "%s\\Setup.%s.lng", folder, tag);
        if (UseLanguageFile(path, tag, codePage, &header) == LANGUAGE_FILE_READ) {
            FormatText(why, size, "Language: %s (interface language 0x%04X)", tag, language);
            return 0;
        }
    }
    if (unfit >= 0) {
        FormatText(file, sizeof(file), "Setup.%s.lng", offers[unfit].tag);
        OtherCodePage(file, offers[unfit].header, codePage, why, size);
    } else {
        FormatText(why, size, "Language: en (interface language 0x%04X)", language);
    }
    return 0;
}

int ChooseInstallLanguage(const char* tag) {
    char folder[MAX_PATH];
    char why[256];
    GetExecutableFolder(folder, sizeof(folder));
    int result =
        ChooseInstallLanguageIn(folder, tag, InterfaceLanguage(), GetACP(), why, sizeof(why));
    WriteRunRecord(why);
    return result;
}

void ChooseRemovalLanguage(const char* logPath, const char* tag) {
    char why[256];
    char path[MAX_PATH];
    CopyText(path, sizeof(path), logPath);
    char* slash = FindLastChar(path, '\\');
    if (slash)
        slash[1] = '\0';
    AppendText(path, sizeof(path), INSTALL_COPY);
    UINT codePage = GetACP();
    LanguageHeader header;
    LanguageUse use = LANGUAGE_FILE_ABSENT;
    if (EqualNoCase(tag, "en"))
        CopyText(why, sizeof(why), "Language: en (/LANG=en)");
    else if ((use = UseLanguageFile(path, nullptr, codePage, &header)) == LANGUAGE_FILE_ABSENT)
        FormatText(why, sizeof(why), "Language: en (no %s)", INSTALL_COPY);
    else if (use == LANGUAGE_FILE_UNUSABLE && header.Usable())
        OtherCodePage(INSTALL_COPY, header, codePage, why, sizeof(why));
    else if (use == LANGUAGE_FILE_UNUSABLE)
        FormatText(why, sizeof(why), "Language: en (%s is no usable language file)", INSTALL_COPY);
    else if (tag[0] && !EqualNoCase(tag, LanguageTag())) {
        FormatText(why, sizeof(why), "Language: en (/LANG=%s is not the installation's language)",
                   tag);
        UseEnglish();
    } else {
        FormatText(why, sizeof(why), "Language: %s (the installation's language)", LanguageTag());
    }
    WriteRunRecord(why);
}
