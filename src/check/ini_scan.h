#pragma once
// A plain line scan of a profile (INI) file that keeps what the profile functions hide: line
// numbers, duplicate sections and keys, lines they ignore. Names match as the profile functions
// match them: without regard to case, the first occurrence winning.
#include <stddef.h>

enum IniLineKind {
    INI_SECTION, // [name]
    INI_KEY,     // name=value
    INI_BARE,    // text without "=" inside a section: never a value
};

struct IniLine {
    int number; // 1-based line of the file
    IniLineKind kind;
    int block;         // the section block the line belongs to (0: before any section)
    const char* name;  // section or key name, trimmed
    const char* value; // INI_KEY only: trimmed, one pair of matching outer quotes removed
};

// A run of lines under one "[name]" header. Block 0 holds the lines before the first header.
struct IniBlock {
    int line;         // the header's line (0 for block 0)
    const char* name; // empty for block 0
    int firstLine;    // index of the first line of the block in Lines()
    int endLine;      // one past its last
    int firstBlock;   // the first block of the same name: the only one the profile functions read
};

class IniScan {
  public:
    IniScan() = default;
    ~IniScan();
    IniScan(const IniScan&) = delete;
    IniScan& operator=(const IniScan&) = delete;

    // Scans a copy of text; false when memory ran out.
    bool Load(const char* text, size_t length);

    int LineCount() const { return lineCount_; }
    const IniLine& Line(int index) const { return lines_[index]; }
    int BlockCount() const { return blockCount_; }
    const IniBlock& Block(int index) const { return blocks_[index]; }

    // The block the profile functions read for a section name, or -1.
    int FindSection(const char* name) const;
    // The line whose value the profile functions return for key in that block, or null.
    const IniLine* FindKey(int block, const char* key) const;

  private:
    char* text_ = nullptr;
    IniLine* lines_ = nullptr;
    int lineCount_ = 0;
    IniBlock* blocks_ = nullptr;
    int blockCount_ = 0;
};
