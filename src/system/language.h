#pragma once
// Language files (Setup.<tag>.lng): the texts of one language by the ids of the English ones,
// read by the program's own parser, and the language a run shows.
#include <stddef.h>
#include <windows.h>

const DWORD LANGUAGE_FILE_LIMIT = 262144;
const size_t LANGUAGE_TEXT_SLOTS = 512;
const size_t LANGUAGE_ID_SLOTS = 16;

struct LanguageHeader {
    char name[64];
    WORD langIds[LANGUAGE_ID_SLOTS]; // the first is the language's own
    size_t langIdCount;
    UINT codePage; // 0: none given
    bool hasSection;

    bool Usable() const { return hasSection && codePage != 0; }
};

struct LanguageText {
    unsigned id;
    unsigned line;
    const char* text;
};

// A line the reader passed by, for the checker's findings.
enum LanguageProblem {
    LANGUAGE_BAD_BYTES, // a byte the code page does not allow there
    LANGUAGE_BAD_LINE,  // a text line without a decimal id and "="
    LANGUAGE_REPEATED,  // an id given again (the first stands)
    LANGUAGE_TOO_MANY,  // more texts than the reader keeps
};
struct LanguageProblemSink {
    virtual void Problem(unsigned line, LanguageProblem problem) = 0;
};

struct LanguageFile {
    LanguageHeader header;
    LanguageText texts[LANGUAGE_TEXT_SLOTS];
    size_t textCount;

    const char* Find(unsigned id) const;
};

// Reads the [Language] section of bytes (size bytes, then a zero byte).
void ReadLanguageHeader(const char* bytes, size_t size, LanguageHeader* header);
// Reads the whole file (size bytes, then a zero byte); its texts are unescaped into store
// (size + 1 bytes) and point there.
void ReadLanguageFile(const char* bytes, size_t size, char* store, LanguageFile* file,
                      LanguageProblemSink* sink = nullptr);
// True when text carries the same printf conversions as english, whole and in order, none with
// "*" or "n".
bool SameConversions(const char* text, const char* english);
// True when c opens a double-byte character in the code page.
bool LanguageLeadByte(unsigned codePage, unsigned char c);

// The language a run shows: English until one is taken.
// The text of the id in that language when its conversions are english's, else english.
const char* LocalText(unsigned id, const char* english);
// LocalText cut to size, never inside a double-byte character.
size_t CopyLocalText(char* out, size_t size, unsigned id, const char* english);
// The tag of the language shown ("de"), empty for English.
const char* LanguageTag();

// A language file that may be read from outside: the offers a run chooses among.
struct LanguageOffer {
    char tag[32];
    LanguageHeader header;
};
// The offer for the interface language among those of the code page, the first in the order of
// the tags: one listing it exactly, else one whose own language has its primary language; -1 for
// English. *unfit is then an offer of another code page that would have been taken, or -1.
int ChooseLanguage(const LanguageOffer* offers, size_t count, LANGID language, UINT codePage,
                   int* unfit);

enum LanguageUse { LANGUAGE_FILE_READ, LANGUAGE_FILE_ABSENT, LANGUAGE_FILE_UNUSABLE };
// Reads the file at path whole and makes it the run's language, tagged tag, when it is usable
// and written for codePage; English otherwise. *header gets what it declares.
LanguageUse UseLanguageFile(const char* path, const char* tag, UINT codePage,
                            LanguageHeader* header);
// A null tag takes the tag the install's copy names in its first line.
// The bytes of the file in use, as read; null for English.
const char* LanguageBytes(DWORD* size);
// Back to the English texts.
void UseEnglish();
// The first line of the install's copy of the file it used.
const char LANGUAGE_COPY_LINE[] = "; Setup.%s.lng\r\n";
