#include "palm/palm_error_texts.h"

#include <string.h>

#include "resources/text_ids.h"
#include "system/language.h"
#include "system/text.h"

namespace {

// The texts one after another, each ended by its zero, and their ids in the same order: a table
// of pointers would cost each text a pointer and a relocation besides its id.
const char statusTexts[] =
#define PALM_TEXT(id, english) english "\0"
#include "resources/text_ids.h"
#undef PALM_TEXT
    ;
const WORD statusIds[] = {
#define PALM_TEXT(id, english) id,
#include "resources/text_ids.h"
#undef PALM_TEXT
};

const char* EnglishText(unsigned id) {
    const char* text = statusTexts;
    for (WORD entry : statusIds) {
        if (entry == id)
            return text;
        text += strlen(text) + 1;
    }
    return nullptr;
}

// A library's statuses have the ids base - status up to the next thousand.
const char* LookUp(unsigned base, unsigned lowest, unsigned fallback, long status, char* text,
                   size_t size) {
    if (status >= 0) {
        CopyText(text, size, "");
        return text;
    }
    unsigned id = base + static_cast<unsigned>(-status);
    const char* english = id >= lowest && id < lowest + 1000 ? EnglishText(id) : nullptr;
    if (english) {
        CopyLocalText(text, size, id, english);
        return text;
    }
    FormatText(text, size, LocalText(fallback, EnglishText(fallback)), status);
    return text;
}

const char* WithHint(unsigned id, char* text, size_t size) {
    char shortText[128];
    CopyLocalText(shortText, sizeof(shortText), id, EnglishText(id));
    FormatText(text, size, LocalText(IDT_PALM_HINT, EnglishText(IDT_PALM_HINT)), shortText);
    return text;
}

} // namespace

const char* UserDataErrorText(long status, char* text, size_t size) {
    return LookUp(IDT_PALM_USERDATA, 2500, IDT_PALM_UNKNOWN_USERDATA, status, text, size);
}

const char* CondMgrErrorText(long status, char* text, size_t size) {
    return LookUp(IDT_PALM_CONDMGR, 3000, IDT_PALM_UNKNOWN_CONDMGR, status, text, size);
}

const char* InstAideErrorText(long status, char* text, size_t size) {
    return LookUp(IDT_PALM_INSTAIDE, 4500, IDT_PALM_UNKNOWN_INSTAIDE, status, text, size);
}

const char* FormatPalmStatus(long status, char* text, size_t size) {
    // CmGetHotSyncExecPath is the only CondMgr call whose status comes here, and CondMgr's
    // statuses are the negative values -1000 to -1023. (A test of bits 8 to 15 for 0x10 would
    // match none of them: -1000 is 0xFFFFFC18.)
    if (status <= -1000 && status >= -1023)
        return CondMgrErrorText(status, text, size);
    FormatText(text, size, LocalText(IDT_PALM_UNKNOWN, EnglishText(IDT_PALM_UNKNOWN)),
               static_cast<unsigned long>(status));
    return text;
}

const char* LoaderErrorText(long code, char* text, size_t size) {
    unsigned id = IDT_PALM_LOADER + static_cast<unsigned>(-code);
    switch (code) {
    case PALM_LOAD_OK:
        CopyText(text, size, "");
        return text;
    case PALM_LOAD_NO_PACKAGED_CONDMGR:
        CopyLocalText(text, size, id, EnglishText(id));
        return text;
    case PALM_LOAD_INVALID_CONDMGR:
    case PALM_LOAD_INVALID_USERDATA:
    case PALM_LOAD_INVALID_INSTAIDE:
    case PALM_LOAD_NO_USERDATA:
    case PALM_LOAD_NO_INSTAIDE:
        return WithHint(id, text, size);
    default:
        return FormatPalmStatus(code, text, size);
    }
}
