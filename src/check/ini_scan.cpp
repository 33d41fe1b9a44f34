#include "check/ini_scan.h"

#include <stdlib.h>
#include <string.h>

#include "script/profile_section.h"
#include "script/trim_field.h"
#include "system/text.h"

namespace {
// The text from start to end, its outer blanks cut as the profile functions cut them.
char* Trim(char* start, char* end) {
    *end = '\0';
    return TrimField(start);
}
} // namespace

IniScan::~IniScan() {
    free(text_);
    free(lines_);
    free(blocks_);
}

bool IniScan::Load(const char* text, size_t length) {
    free(text_);
    free(lines_);
    free(blocks_);
    lineCount_ = blockCount_ = 0;
    text_ = static_cast<char*>(malloc(length + 1));
    size_t rows = 1;
    for (size_t i = 0; i < length; ++i)
        rows += text[i] == '\n';
    lines_ = static_cast<IniLine*>(calloc(rows, sizeof(IniLine)));
    blocks_ = static_cast<IniBlock*>(calloc(rows + 1, sizeof(IniBlock)));
    if (!text_ || !lines_ || !blocks_)
        return false;
    memcpy(text_, text, length);
    text_[length] = '\0';

    blocks_[0].name = "";
    blockCount_ = 1;
    char* cursor = text_;
    char* end = text_ + length;
    for (int number = 1; cursor < end; ++number) {
        char* lineEnd = static_cast<char*>(memchr(cursor, '\n', static_cast<size_t>(end - cursor)));
        if (!lineEnd)
            lineEnd = end;
        char* next = lineEnd < end ? lineEnd + 1 : end;
        char* body = Trim(cursor, lineEnd);
        cursor = next;
        if (*body == '\0' || *body == ';')
            continue;
        IniLine& line = lines_[lineCount_];
        line.number = number;
        if (*body == '[') {
            char* close = strrchr(body, ']');
            line.kind = INI_SECTION;
            line.name = Trim(body + 1, close ? close : body + strlen(body));
            blocks_[blockCount_ - 1].endLine = lineCount_;
            IniBlock& block = blocks_[blockCount_];
            block.line = number;
            block.name = line.name;
            block.firstLine = lineCount_ + 1;
            block.firstBlock = blockCount_;
            for (int earlier = 1; earlier < blockCount_; ++earlier) {
                if (EqualNoCase(blocks_[earlier].name, line.name)) {
                    block.firstBlock = earlier;
                    break;
                }
            }
            line.block = blockCount_++;
        } else {
            line.block = blockCount_ - 1;
            char* equals = strchr(body, '=');
            if (equals) {
                line.kind = INI_KEY;
                line.value = ProfileValue(equals + 1);
                line.name = Trim(body, equals);
            } else {
                line.kind = INI_BARE;
                line.name = body;
            }
        }
        ++lineCount_;
    }
    blocks_[blockCount_ - 1].endLine = lineCount_;
    return true;
}

int IniScan::FindSection(const char* name) const {
    for (int block = 1; block < blockCount_; ++block) {
        if (EqualNoCase(blocks_[block].name, name))
            return block;
    }
    return -1;
}

const IniLine* IniScan::FindKey(int block, const char* key) const {
    if (block < 0 || block >= blockCount_)
        return nullptr;
    for (int index = blocks_[block].firstLine; index < blocks_[block].endLine; ++index) {
        if (lines_[index].kind == INI_KEY && EqualNoCase(lines_[index].name, key))
            return &lines_[index];
    }
    return nullptr;
}
