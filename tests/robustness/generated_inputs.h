#pragma once
// Inputs made from a fixed seed: valid setup scripts and install logs, their mutations, and path
// values with macros. The same seed always gives the same inputs.
#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

class Rng {
  public:
    explicit Rng(uint32_t seed) : state_(seed ? seed : 1) {}
    uint32_t Next();
    // 0 .. n - 1; 0 when n is 0.
    uint32_t Below(uint32_t n) { return n ? Next() % n : 0; }
    bool Percent(uint32_t p) { return Below(100) < p; }

  private:
    uint32_t state_;
};

// The longest values the script's fields keep, and one past each: values are made at, below and
// above every one of them.
extern const size_t fieldLimits[7];

// A setup script in one of several shapes: plain, deep, wide, with cycles, with duplicate and
// missing sections; values of every kind (sizes around the limits, huge and negative numbers,
// options and macros right, misspelt and unterminated, double-byte lead bytes at field ends).
std::string MakeScript(Rng& rng);
// A chain of size nested sections, or a list naming one section size times (a section that lists
// itself twice).
std::string MakeWideOrDeepScript(bool deep, uint32_t size);
// An install log: a header (sometimes broken) and entries of every keyword, values around a
// path's size.
std::string MakeLog(Rng& rng);
// A value for path expansion: macros right, misspelt, unterminated, in small letters, long.
std::string MakePathValue(Rng& rng);

// Flipped and truncated bytes, binary garbage, NUL bytes, CR-only or missing line ends, very long
// lines, double-byte lead bytes; or the text as UTF-16 with a byte-order mark.
std::string Mutate(Rng& rng, const std::string& text);

// The text as an editor may have saved it: as it is, behind a UTF-8 byte-order mark, or as UTF-16
// little-endian or big-endian, with or without a mark (bytes 128 to 255 taken as the characters of
// the same number, now and then a character beyond them, a lone surrogate or an odd last byte).
std::string Encode(Rng& rng, const std::string& text);

// A file or folder of a product folder, by its path relative to the folder.
struct ProductFile {
    std::string name;
    std::string bytes;
    bool folder;
};
// What lies around a script: the licence, a logo (a BMP of any header, a PNG, cut short), the
// files its items name (now and then missing or a folder of that name), COM servers (comServer
// as it is, cut short or with damaged headers, or a text), and now and then CondMgr.dll, a shipped
// _Install.log and a file no item names.
std::vector<ProductFile> MakeProductFiles(Rng& rng, const std::string& script,
                                          const std::string& comServer);

// Writes the bytes as a C string literal that reproduces them exactly, so that a failing input
// can become a plain test. Allocates nothing: it also serves after a crash.
void WriteEscaped(FILE* out, const std::string& bytes);

// A package damaged as downloads and forgers damage them: changed bytes and cut lengths in its
// data, or a header or table forged (names that reach out of the folder or name devices, sizes,
// counts, dictionary, stream) with its CRC made to match again. good is a whole package whose
// data starts at dataAt. Never a package that unpacks whole.
std::string MakeDamagedPackage(Rng& rng, const std::string& good, size_t dataAt);
