#pragma once
// The numbered item keys and the order the reader takes them in, for the reader and for the
// checker, which must walk them exactly alike.
#include <stdint.h>

#include "system/text.h"

struct NumberedKeyKind {
    const char* pattern;     // "CopyFile%d"
    const char* widePattern; // "CopyFile%dU", or null when the kind has no "U" variant
    uint32_t kind;           // ITEM_COPYFILE, ITEM_PALMFILE or ITEM_SHORTCUT
};
// Desktop files, Palm files, shortcuts: the order in which a component's items are read.
const int NUMBERED_KEY_KINDS = 3;
extern const NumberedKeyKind numberedKeyKinds[NUMBERED_KEY_KINDS];
// The patterns of all kinds, plain and "U": the names a numbered key of one number can have.
const int NUMBERED_KEY_PATTERNS = 5;

enum KeyTaken {
    KEY_ABSENT, // no value: try the next key or end the list
    KEY_TAKEN,  // its value is the item of this number
    KEY_STOP,   // end the list here
};

// For n = 1, 2, ...: the "U" key when wide and it has a value, else the plain key; the list ends
// at the first n where neither has one. take(key) reads a key. Returns the number it ended at.
template <typename Take> int WalkNumberedKeys(const NumberedKeyKind& kind, bool wide, Take take) {
    char key[32];
    for (int n = 1;; ++n) {
        KeyTaken taken = KEY_ABSENT;
        if (wide && kind.widePattern) {
            FormatText(key, sizeof(key), kind.widePattern, n);
            taken = take(key);
        }
        if (taken == KEY_ABSENT) {
            FormatText(key, sizeof(key), kind.pattern, n);
            taken = take(key);
        }
        if (taken != KEY_TAKEN)
            return n;
    }
}
