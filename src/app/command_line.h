#pragma once
// The command line of Setup.exe: switches in front, split into arguments as the C runtime splits
// them, then the mode keyword ("-uninst", "-register") with its argument verbatim.
#include <stddef.h>
#include <stdint.h>
#include <windows.h>

#include "app/mode_dispatch.h"
#include "script/setup_script.h"

enum SwitchBit : uint32_t {
    SWITCH_SILENT = 1,
    SWITCH_DEST = 2,
    SWITCH_COMPONENTS = 4,
    SWITCH_USER = 8,
    SWITCH_LOG = 16,
    SWITCH_NORESTART = 32,
    SWITCH_ALLUSERS = 64,
    SWITCH_CURRENTUSER = 128,
    SWITCH_HELP = 256,
    SWITCH_LANG = 512,
};

struct CommandLine {
    RunMode mode;
    const char* argument; // the text behind the mode keyword; null for the install mode
    // The switches that were given in a usable form (a switch that does not go with the mode
    // counts here too, and is named in wrong).
    uint32_t given;
    // The arguments that are no usable switch (unknown, repeated, without its value, in conflict
    // with one before it, not for this mode) or stray text, as they stand in the text, and why;
    // wrongCount counts those past the named ones too.
    static const int WRONG_NAMED = 8;
    struct Wrong {
        const char* at;
        size_t length;
        const char* why;
    } wrong[WRONG_NAMED];
    int wrongCount;
    char destFolder[MAX_PATH];
    char components[SCRIPT_LIST_SIZE];
    char user[128];
    char logPath[MAX_PATH];
    char language[32];
    char keywordArgument[MAX_PATH]; // holds the argument of a keyword quoted whole

    bool Silent() const { return (given & SWITCH_SILENT) != 0; }
};

// A command line whose switch-like words name none of the switches keeps its old meaning exactly
// (ChooseMode over the whole text), so that existing uninstall entries and RunOnce values work
// as before. Once one of them is a switch, an unknown one beside it is wrong: "/X /S" must not
// open the wizard on a machine nobody watches. Every argument is read, so that a /LOG behind a
// wrong one is still found.
// codePage 0 means the active ANSI code page.
void ParseCommandLine(const char* text, CommandLine* line, unsigned codePage = 0);

// The switches with the modes they go with, and the exit codes, for the help box.
size_t FormatCommandLineHelp(char* out, size_t size);

// Whether %STARTMENU% and %DESKTOP% lead to the all-users folders: as /ALLUSERS or /CURRENTUSER
// says; without either as the earlier installation chose, so that a reinstall does not show
// every link twice; and always for a run as LocalSystem, whose own folders no user ever sees.
bool ShortcutsForAllUsers(const CommandLine& line, bool (*runsAsLocalSystem)(),
                          bool earlierForAllUsers);
