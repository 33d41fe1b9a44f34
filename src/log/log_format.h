#pragma once
#include <stddef.h>
#include <stdint.h>

// The _Install.log format, shared by the writer and the uninstaller's reader.

enum LogKeywordCode : int32_t {
    LOG_NONE = 0,
    LOG_FILE_COPY = 1,
    LOG_FILE_DEL = 2,
    LOG_MADE_DIR = 3,
    LOG_DEL_DIR = 4,
    LOG_STOP_ACTIVESYNC = 5,
    LOG_REGSVR32 = 6,
    LOG_UNREGSVR32 = 7,
    LOG_SHELL_LINK = 8,
};

struct LogKeyword {
    int32_t code;
    const char* text;
};

// In the order the reader tries them.
extern const LogKeyword logKeywords[8];
const char* LogKeywordText(int32_t code);

// Header lines: the writer formats them, the reader recognises and cuts them.
extern const char LOG_HEADER_STARTED[];      // "***  Installation Started "
extern const char LOG_HEADER_TITLE[];        // "Title: "
extern const char LOG_HEADER_SOURCE[];       // "Source: "
extern const char LOG_HEADER_INSTALLATION[]; // " Installation"

extern const char LOG_FILE_NAME[]; // "_Install.log"
// The keyword of the uninstall mode, as the uninstall entry's commands carry it in front of the
// log's path; in the header, so that programs reading only the command line need nothing else.
const char UNINSTALL_KEYWORD[] = "-uninst";
// The log's path in the folder destPath. False, with out emptied, when it does not fit in size:
// a cut name would be some other file.
bool FormLogPath(const char* destPath, char* out, size_t size);
