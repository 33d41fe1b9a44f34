#pragma once
// Splits a command line into arguments as msvcrt.dll, the C runtime these programs link, splits
// its argv, with one exception for the paths administrators type (see SplitArgument).
#include <stddef.h>

bool IsArgumentBlank(char c);
const char* SkipArgumentBlanks(const char* p);

// Reads the argument at p (not a blank) into out (size bytes, always terminated) and returns where
// it ends in the text. *fits turns false when a byte had to be left out.
// Quotes switch a quoted part on and off anywhere in the argument; "" inside one is a quote and
// ends the quoted part, as msvcrt.dll has it (the runtimes since Visual C++ 2008 stay inside);
// 2n backslashes before a quote give n and the quote acts, 2n+1 give n and a literal quote.
// Where that literal quote could only be a slip in a path, the last backslash stays one and the
// quote acts instead: outside quotes (/D=C:\"Program Files"\Acme), and inside quotes where it
// would open a quote within the value right at the value's end (the old form /D="C:\Acme\" /S).
// Windows paths hold no quotes; quotes inside a quoted value come in pairs, as tools escape them.
// The second byte of a double-byte character (codePage 0: the active ANSI code page) may be a
// backslash, never a quote or a blank.
const char* SplitArgument(const char* p, char* out, size_t size, bool* fits, unsigned codePage = 0);
