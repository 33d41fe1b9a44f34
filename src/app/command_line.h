#pragma once
// The command line of Setup.exe: unattended-run switches in front, then the mode keyword of the
// design ("-uninst", "-register") with its argument verbatim.
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

// A command line that starts with none of the switches keeps the design's meaning exactly:
// ChooseMode over the whole text.
void ParseCommandLine(const char* text, CommandLine* line);
