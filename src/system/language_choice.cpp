#include "system/language_choice.h"

#include <string.h>

#include "system/exit_codes.h"
#include "system/language.h"
#include "system/module_path.h"
#include "system/run_record.h"
#include "system/system_libraries.h"
#include "system/text.h"
#include "system/win_handles.h"

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

// The record's line for a file that was or was not taken.
void Why(char* why, size_t size, const char* file, const LanguageHeader& header, UINT codePage,
         LanguageUse use, const char* reason) {
    if (use == LANGUAGE_FILE_READ)
        FormatText(why, size, "Language: %s (%s)", LanguageTag(), reason);
    else if (header.Usable() && header.codePage != codePage)
        FormatText(why, size, "Language: en (%s is written for code page %u, this system uses %u)",
                   file, header.codePage, codePage);
    else if (use == LANGUAGE_FILE_UNUSABLE)
        FormatText(why, size, "Language: en (%s is no usable language file)", file);
    else
        FormatText(why, size, "Language: en (%s)", reason);
}

size_t FindOffers(const char* folder) {
    char path[MAX_PATH];
    FormatText(path, sizeof(path), "%s\\Setup.*.lng", folder);
    WIN32_FIND_DATAA found;
    FindHandle search(FindFirstFileA(path, &found));
    size_t count = 0;
    while (search.IsValid() && count < OFFER_SLOTS) {
        // "Setup." and ".lng" around the tag; a search also matches short names.
        size_t length = strlen(found.cFileName);
        LanguageOffer& offer = offers[count];
        if (length > 10 && length - 10 < sizeof(offer.tag) &&
            EqualNoCase(found.cFileName + length - 4, ".lng")) {
            CopyTextN(offer.tag, sizeof(offer.tag), found.cFileName + 6, length - 10);
            FormatText(path, sizeof(path), "%s\\%s", folder, found.cFileName);
            // Code page 0 takes no file: only its header is read.
            UseLanguageFile(path, nullptr, 0, &offer.header);
            ++count;
        }
        if (!FindNextFileA(search.Get(), &found))
            break;
    }
    return count;
}

LANGID InterfaceLanguage() {
    if (Kernel32().GetUserDefaultUILanguage)
        return Kernel32().GetUserDefaultUILanguage();
    return GetUserDefaultLangID();
}
} // namespace

int ChooseInstallLanguageIn(const char* folder, const char* tag, LANGID language, UINT codePage,
                            char* why, size_t size) {
    char reason[64];
    FormatText(reason, sizeof(reason), "interface language 0x%04X", language);
    if (tag[0]) {
        FormatText(reason, sizeof(reason), "/LANG=%s", tag);
    } else {
        int unfit = -1;
        int chosen = ChooseLanguage(offers, FindOffers(folder), language, codePage, &unfit);
        tag = chosen >= 0 ? offers[chosen].tag : unfit >= 0 ? offers[unfit].tag : "en";
    }
    char file[64];
    FormatText(file, sizeof(file), "Setup.%s.lng", tag);
    LanguageHeader header = {};
    LanguageUse use = LANGUAGE_FILE_ABSENT;
    // English is built in: "en" names no file.
    if (!EqualNoCase(tag, "en")) {
        char path[MAX_PATH];
        FormatText(path, sizeof(path), "%s\\%s", folder, file);
        if (PlainTag(tag))
            use = UseLanguageFile(path, tag, codePage, &header);
        if (use == LANGUAGE_FILE_ABSENT) {
            FormatText(why, size, "Language: no %s for %s", file, reason);
            return EXIT_WRONG_COMMAND;
        }
    }
    Why(why, size, file, header, codePage, use, reason);
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
    char path[MAX_PATH];
    CopyText(path, sizeof(path), logPath);
    char* slash = FindLastChar(path, '\\');
    CopyText(slash ? slash + 1 : path, sizeof(path) - (slash ? slash + 1 - path : 0), INSTALL_COPY);
    char reason[96] = "the installation's language";
    UINT codePage = GetACP();
    LanguageHeader header = {};
    LanguageUse use = LANGUAGE_FILE_ABSENT;
    if (EqualNoCase(tag, "en")) {
        CopyText(reason, sizeof(reason), "/LANG=en");
    } else if ((use = UseLanguageFile(path, nullptr, codePage, &header)) == LANGUAGE_FILE_ABSENT) {
        FormatText(reason, sizeof(reason), "no %s", INSTALL_COPY);
    } else if (use == LANGUAGE_FILE_READ && tag[0] && !EqualNoCase(tag, LanguageTag())) {
        FormatText(reason, sizeof(reason), "/LANG=%s is not the installation's language", tag);
        UseEnglish();
        use = LANGUAGE_FILE_ABSENT;
    }
    char why[256];
    Why(why, sizeof(why), INSTALL_COPY, header, codePage, use, reason);
    WriteRunRecord(why);
}
