#include "uninstall/uninstall_log.h"

#include <new>
#include <stdint.h>
#include <string.h>

#include <memory>
#include <utility>

#include "log/log_format.h"
#include "script/trim_field.h"
#include "system/digest.h"
#include "system/message_box.h"
#include "system/text.h"
#include "system/whole_file.h"

UninstallLog::UninstallLog() {
    logPath[0] = '\0';
    sourceFolder[0] = '\0';
    title[0] = '\0';
    entryKey[0] = '\0';
}

UninstallLog::~UninstallLog() {
    // The caption would otherwise point into freed memory.
    if (captionTitle == title)
        captionTitle = nullptr;
}

void UninstallLog::Clear() {
    entries.reset();
    entryCount = 0;
    sharedCounts.reset();
    sharedCountCount = 0;
    text.reset();
    sourceFolder[0] = '\0';
    title[0] = '\0';
    deleteFailed = false;
    incomplete = false;
    changed = false;
    entryKey[0] = '\0';
}

void ParseLogEntry(char* line, LogEntry* entry) {
    static const char NO_PATH[] = "";
    entry->kind = LOG_NONE;
    entry->path = NO_PATH;
    for (const LogKeyword& keyword : logKeywords) {
        if (StartsWithNoCase(line, keyword.text)) {
            char* value = TrimField(line + strlen(keyword.text));
            if (strlen(value) >= MAX_PATH)
                return;
            entry->kind = keyword.code;
            entry->path = value;
            return;
        }
    }
}

// The writer formats the title line as "Title: <title> Installation", so a line ending in the
// suffix yields the title exactly as written, outer blanks included: those name the uninstall key
// ("Acme" with an empty Application is "Acme "), and trimming would delete another product's
// key. Other lines are trimmed and cut at the last occurrence, so a product whose own name holds
// the word keeps it.
static void TakeTitle(char* text, char* title, size_t size) {
    size_t length = strlen(text);
    while (length > 0 && static_cast<unsigned char>(text[length - 1]) <= 32)
        text[--length] = '\0';
    size_t suffixLength = strlen(LOG_HEADER_INSTALLATION);
    if (length >= suffixLength &&
        strcmp(text + length - suffixLength, LOG_HEADER_INSTALLATION) == 0) {
        text[length - suffixLength] = '\0';
        CopyText(title, size, text);
        return;
    }
    text = TrimField(text);
    char* last = nullptr;
    for (char* found = FindText(text, LOG_HEADER_INSTALLATION); found;
         found = FindText(found + 1, LOG_HEADER_INSTALLATION))
        last = found;
    if (last)
        *last = '\0';
    CopyText(title, size, text);
}

namespace {
// Zero bytes behind the bytes read: the text ends there even when the last line has no feed.
const DWORD TEXT_PADDING = 4;

// The next line from *cursor on, cut at its line feed. The text ends after the last byte read,
// not on it: a file whose last line has no line feed keeps that line's last character.
char* TakeLine(char** cursor, char* end) {
    char* line = *cursor;
    char* feed = static_cast<char*>(memchr(line, '\n', end - line));
    if (feed) {
        *feed = '\0';
        *cursor = feed + 1;
    } else {
        *cursor = end;
    }
    return line;
}

// The lines from cursor on that become entries: those whose first byte is neither a line feed
// nor a zero.
size_t CountEntryLines(const char* cursor, const char* end) {
    size_t count = 0;
    while (cursor < end) {
        if (*cursor != '\n' && *cursor != '\0')
            ++count;
        const char* feed = static_cast<const char*>(memchr(cursor, '\n', end - cursor));
        cursor = feed ? feed + 1 : end;
    }
    return count;
}

// The three header lines; false at the first one that is missing or does not match.
bool ReadHeader(char** cursor, char* end, UninstallLog* log) {
    if (*cursor >= end || !StartsWith(TakeLine(cursor, end), LOG_HEADER_STARTED))
        return false;
    if (*cursor >= end)
        return false;
    char* line = TakeLine(cursor, end);
    if (!StartsWith(line, LOG_HEADER_TITLE))
        return false;
    TakeTitle(line + strlen(LOG_HEADER_TITLE), log->title, sizeof(log->title));
    captionTitle = log->title;
    if (*cursor >= end)
        return false;
    line = TakeLine(cursor, end);
    if (!StartsWith(line, LOG_HEADER_SOURCE))
        return false;
    CopyText(log->sourceFolder, sizeof(log->sourceFolder),
             TrimField(line + strlen(LOG_HEADER_SOURCE)));
    return true;
}

} // namespace

void ReadUninstallLog(const char* path, UninstallLog* log, const char* digest, HANDLE file) {
    log->Clear();
    log->logPath[0] = '\0';
    // A cut path would name some other file, which the finishing step would then delete.
    if (!path || strlen(path) >= sizeof(log->logPath))
        return;
    CopyText(log->logPath, sizeof(log->logPath), path);

    std::unique_ptr<char[]> text;
    DWORD got = 0;
    switch (file != INVALID_HANDLE_VALUE ? ReadWholeHandle(file, TEXT_PADDING, &text, &got)
                                         : ReadWholeFile(path, TEXT_PADDING, &text, &got)) {
    case WHOLE_FILE_READ:
        break;
    case WHOLE_FILE_ABSENT:
        return;
    case WHOLE_FILE_FAILED:
        log->incomplete = true;
        return;
    }

    if (digest && digest[0] != '\0') {
        char found[DIGEST_TEXT_SIZE];
        size_t digits = strlen(digest);
        if (digits != SHA256_DIGITS && digits != SHA1_DIGITS)
            digits = SHA256_DIGITS;
        if (!DigestText(text.get(), got, digits, found, sizeof(found)) || strcmp(found, digest)) {
            log->changed = true;
            return;
        }
    }
    char* cursor = text.get();
    // A last line without its line feed was cut while it was written: it names no file that
    // may be trusted.
    char* end = cursor + got;
    while (end > cursor && end[-1] != '\n')
        *--end = '\0';
    if (!ReadHeader(&cursor, end, log))
        return;
    size_t count = CountEntryLines(cursor, end);
    if (count > 0) {
        if (count > INT32_MAX || count > SIZE_MAX / sizeof(LogEntry))
            log->entries.reset();
        else
            log->entries.reset(new (std::nothrow) LogEntry[count]);
        if (!log->entries) {
            log->incomplete = true;
            return;
        }
    }
    while (cursor < end && static_cast<size_t>(log->entryCount) < count) {
        char* line = TakeLine(&cursor, end);
        if (line[0] != '\0')
            ParseLogEntry(line, &log->entries[log->entryCount++]);
    }
    log->text = std::move(text);
}
