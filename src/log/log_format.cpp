#include "log/log_format.h"

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
