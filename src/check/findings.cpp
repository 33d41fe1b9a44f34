#include "check/findings.h"

#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

#include "system/text.h"

namespace {
const char BYTE_ORDER_MARK[] = "\xEF\xBB\xBF";
} // namespace

// A message shows what it quotes; a byte that a console shows as nothing is named instead.
void NameInvisibleBytes(const char* text, char* out, size_t size) {
    size_t used = 0;
    out[0] = '\0';
    for (const char* c = text; *c && used + 1 < size; ++c) {
        unsigned char byte = static_cast<unsigned char>(*c);
        if (strncmp(c, BYTE_ORDER_MARK, 3) == 0) {
            used += CopyText(out + used, size - used, "<UTF-8 byte-order mark>");
            c += 2;
        } else if (byte < 32 || byte == 127) {
            used += FormatText(out + used, size - used, "<byte 0x%02X>", byte);
        } else {
            out[used++] = *c;
            out[used] = '\0';
        }
    }
}

void Findings::Release(void** slot) {
    free(*slot);
    *slot = nullptr;
}

void Findings::AddInV(int line, const char* file, int fileLine, FindingLevel level,
                      const char* format, va_list args) {
    Finding* finding = static_cast<Finding*>(malloc(sizeof(Finding)));
    if (!finding)
        return;
    finding->line = line;
    finding->level = level;
    CopyText(finding->file, sizeof(finding->file), file);
    finding->fileLine = fileLine;
    char text[sizeof(finding->text)];
    FormatTextV(text, sizeof(text), format, args);
    NameInvisibleBytes(text, finding->text, sizeof(finding->text));
    if (!list_.Add(finding))
        free(finding);
}

void Findings::Add(int line, FindingLevel level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    AddInV(line, "", 0, level, format, args);
    va_end(args);
}

void Findings::AddIn(int line, const char* file, int fileLine, FindingLevel level,
                     const char* format, ...) {
    va_list args;
    va_start(args, format);
    AddInV(line, file, fileLine, level, format, args);
    va_end(args);
}

void Findings::AddLike(const Finding& model, const char* prefix) {
    AddIn(model.line, model.file, model.fileLine, model.level, "%s%s", prefix, model.text);
}

void Findings::Sort() {
    // Insertion sort keeps findings of one line in the order they were made.
    for (int i = 1; i < list_.count; ++i) {
        void* moving = list_.data[i];
        int line = static_cast<Finding*>(moving)->line;
        int j = i;
        for (; j > 0 && static_cast<Finding*>(list_.data[j - 1])->line > line; --j)
            list_.data[j] = list_.data[j - 1];
        list_.data[j] = moving;
    }
}

int Findings::Errors() const {
    int errors = 0;
    for (int i = 0; i < Count(); ++i)
        errors += At(i).level == FINDING_ERROR;
    return errors;
}

int Findings::ExitCode() const {
    if (Errors() > 0)
        return 2;
    return Count() > 0 ? 1 : 0;
}

void Findings::Format(int index, char* out, size_t size) const {
    const Finding& finding = At(index);
    const char* level = finding.level == FINDING_ERROR ? "error" : "warning";
    const char* file = finding.file[0] ? finding.file : "Setup.ini";
    int line = finding.file[0] ? finding.fileLine : finding.line;
    if (line > 0)
        FormatText(out, size, "%s:%d: %s: %s", file, line, level, finding.text);
    else
        FormatText(out, size, "%s: %s: %s", file, level, finding.text);
}
