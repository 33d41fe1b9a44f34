#include "log/log_format.h"

#include <string.h>

#include "system/text.h"

const LogKeyword logKeywords[8] = {
    {LOG_FILE_COPY, "File Copy:"},
    {LOG_FILE_DEL, "File Del:"},
    {LOG_MADE_DIR, "Made Dir:"},
    {LOG_DEL_DIR, "Del Dir:"},
    {LOG_STOP_ACTIVESYNC, "StopActiveSync:"},
    {LOG_REGSVR32, "RegSvr32:"},
    {LOG_UNREGSVR32, "UnregSvr32:"},
    {LOG_SHELL_LINK, "Shell Link:"},
};

const char* LogKeywordText(int32_t code) {
    for (const LogKeyword& keyword : logKeywords) {
        if (keyword.code == code)
            return keyword.text;
    }
    return nullptr;
}

const char LOG_HEADER_STARTED[] = "***  Installation Started ";
const char LOG_HEADER_TITLE[] = "Title: ";
const char LOG_HEADER_SOURCE[] = "Source: ";
const char LOG_HEADER_INSTALLATION[] = " Installation";
const char LOG_FILE_NAME[] = "_Install.log";

bool FormLogPath(const char* destPath, char* out, size_t size) {
    // A destination such as C:\ already ends in the separator.
    size_t length = strlen(destPath);
    const char* separator =
        length && FindLastChar(destPath, '\\') == destPath + length - 1 ? "" : "\\";
    size_t written = FormatText(out, size, "%s%s%s", destPath, separator, LOG_FILE_NAME);
    if (written == length + strlen(separator) + strlen(LOG_FILE_NAME))
        return true;
    if (size)
        out[0] = '\0';
    return false;
}
