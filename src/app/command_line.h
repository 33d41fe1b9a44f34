#pragma once
// The command line of Setup.exe: unattended-run switches in front, then the mode keyword
// ("-uninst", "-register") with its argument verbatim.
#include <stdint.h>
#include <windows.h>

#include "app/mode_dispatch.h"
#include "script/setup_script.h"

enum SwitchBit : uint32_t {
    SWITCH_SILENT = 1,     // /S
    SWITCH_DEST = 2,       // /D=<folder>
    SWITCH_COMPONENTS = 4, // /COMPONENTS=<Section;Section...>
    SWITCH_USER = 8,       // /USER=<name>
    SWITCH_LOG = 16,       // /LOG=<file>
};

struct CommandLine {
    RunMode mode;
    const char* argument; // the text behind the mode keyword; null for the install mode
    uint32_t given;       // the switches that were given in a usable form
    // The first token that is no usable switch (unknown, repeated, without its value, badly
    // quoted) or stray text before the mode keyword; null when there is none.
    const char* wrongAt;
    char destFolder[MAX_PATH];
    char components[SCRIPT_LIST_SIZE];
    char user[128];
    char logPath[MAX_PATH];

    bool Silent() const { return (given & SWITCH_SILENT) != 0; }
};

// A command line whose leading "/" words name none of the switches keeps its old meaning exactly
// (ChooseMode over the whole text), so that existing uninstall entries and RunOnce values work
// as before. Once one of them is a switch, an unknown one beside it is wrong: "/X /S" must not
// open the wizard on a machine nobody watches.
void ParseCommandLine(const char* text, CommandLine* line);
