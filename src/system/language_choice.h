#pragma once
// Which language a run shows, named in the run's record as "Language: <tag> (<why>)".
#include <windows.h>

// The install's: the file /LANG names (tag, empty when not given), else the one for the
// interface language among Setup.*.lng in folder. EXIT_WRONG_COMMAND when /LANG names a file
// that is not there, else 0. The line for the record goes to why.
int ChooseInstallLanguageIn(const char* folder, const char* tag, LANGID language, UINT codePage,
                            char* why, size_t size);
int ChooseInstallLanguage(const char* tag);
// The removal's: the install's _Install.lng beside the log; /LANG=en keeps English, another tag
// takes the file only when it names the install's language.
void ChooseRemovalLanguage(const char* logPath, const char* tag);
