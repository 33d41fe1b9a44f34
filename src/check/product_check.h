#pragma once
// The checks of a product folder that SetupCheck.exe runs: the script is read as Windows 95, 98
// and Me read it and as the NT family reads it, each time by the installer's own reader; its line
// numbers come from a plain scan of the text those systems see.
#include "check/findings.h"
#include "check/folder_inventory.h"

struct CheckOptions {
    unsigned codePage = 0; // the ANSI code page a UTF-16 script is read through; 0: this machine's
    // When set, takes the files the script needs as either family reads it (FolderInventory's
    // ListNeeded), after the check.
    NeededSink needed = nullptr;
    void* neededContext = nullptr;
};

// A finding of only one family's reading starts with its family.
extern const char FAMILY_95_PREFIX[];
extern const char FAMILY_NT_PREFIX[];

// Checks folder (its Setup.ini, the files beside it) and adds what it finds.
void CheckProduct(const char* folder, Findings* findings);
void CheckProduct(const char* folder, const CheckOptions& options, Findings* findings);

// Calls emit with every file item line of the sections the installer reads, its size field set to
// the real size in K of the file it names (the line as written when the file is missing), under
// the section's header. A UTF-16 Setup.ini is read through codePage as CheckProduct reads it.
// False, with nothing emitted, when Setup.ini can't be read.
using LineSink = void (*)(const char* line, void* context);
bool ListCorrectedSizes(const char* folder, unsigned codePage, LineSink emit, void* context);

// The size in K that a size field should give for a file of this many bytes (rounded up).
long SizeInK(unsigned long long bytes);
