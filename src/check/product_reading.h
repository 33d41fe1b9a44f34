#pragma once
// One Windows family's reading of a product: the installer's own reader builds the model, the
// scan gives its lines, and the "Components" lists give the sections read and their order.
#include <stddef.h>

#include "check/findings.h"
#include "check/ini_scan.h"
#include "check/script_source.h"
#include "script/numbered_keys.h"
#include "script/setup_script.h"
#include "system/macro_expansion.h"

class ProductReading {
  public:
    ProductReading(const char* folder, const ScriptSource& source, ScriptFamily family,
                   Findings* findings);
    ~ProductReading();
    ProductReading(const ProductReading&) = delete;
    ProductReading& operator=(const ProductReading&) = delete;

    // False, reported, when memory ran out.
    bool Load();

    void Report(int line, FindingLevel level, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    // A finding at fileLine of the file that line of Setup.ini names (0: the file as a whole).
    void ReportIn(int line, const char* file, int fileLine, FindingLevel level, const char* format,
                  ...) __attribute__((format(printf, 6, 7)));

    const char* Folder() const { return folder_; }
    const ScriptSource& Source() const { return source_; }
    const IniScan& Scan() const { return source_.Scan(); }
    const SetupScript& Script() const { return *script_; }
    ScriptFamily Family() const { return family_; }
    bool Wide() const { return family_ == FAMILY_WINDOWS_NT; }
    // The block of [General] as Windows finds it, or -1.
    int General() const { return general_; }
    // The component sections read, in the order their lists name them.
    int ReadCount() const { return readCount_; }
    int ReadBlock(int index) const { return readOrder_[index]; }
    bool IsRead(int block) const { return block >= 0 && readBlocks_[block]; }
    int BlockLine(int block) const { return block > 0 ? Scan().Block(block).line : 0; }
    int KeyLine(const IniLine* key, int block) const {
        return key ? key->number : BlockLine(block);
    }
    const IniLine* FindKey(int block, const char* key) const { return Scan().FindKey(block, key); }

    // The destination folder expanded, as Expand gives %DEST_PATH%.
    const char* DestPath() const { return destPath_; }
    // Expands the first macro as the installer does, with the folders of a typical Windows.
    void Expand(const char* source, char* out, size_t size) const;
    // Calls visit(line) for each key of a numbered list in the order the reader takes them, as
    // this family takes them (wide: the NT family); returns the number the list ends at.
    template <typename Visit>
    int WalkItems(int block, const NumberedKeyKind& kind, bool wide, Visit visit) const {
        return WalkNumberedKeys(kind, wide, [&](const char* key) {
            const IniLine* line = FindKey(block, key);
            if (!line || !*line->value)
                return KEY_ABSENT;
            visit(*line);
            return KEY_TAKEN;
        });
    }

  private:
    // A section on the path of the walk, and how far its "Components" list has been taken.
    struct ListFrame {
        const char* section;
        const IniLine* list;
        char* value;
        char* cursor;
    };
    bool OpenList(ListFrame* frame, int block, const char* section);
    void WalkComponents();
    static void ResolveReference(const void* owner, const char* name, char* out, size_t size);

    const char* folder_;
    const ScriptSource& source_;
    ScriptFamily family_;
    Findings* findings_;
    SetupScript* script_ = nullptr;
    int general_ = -1;
    char destPath_[260] = {};
    bool* readBlocks_ = nullptr; // per block: a section the installer reads
    int* readOrder_ = nullptr;
    int readCount_ = 0;
    ListFrame* frames_ = nullptr; // the walk's path: no section is on it twice
};
