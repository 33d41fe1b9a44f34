#pragma once
// The checks of a product folder that SetupCheck.exe runs: the script's meaning comes from the
// installer's own reader and item parsers, its line numbers from a plain scan of the file.
#include "check/findings.h"

// Checks folder (its Setup.ini, the files beside it) and adds what it finds.
void CheckProduct(const char* folder, Findings* findings);

// Calls emit with every file item line of the sections the installer reads, its size field set to
// the real size in K of the file it names (the line as written when the file is missing), under
// the section's header. False, with nothing emitted, when Setup.ini can't be read.
using LineSink = void (*)(const char* line, void* context);
bool ListCorrectedSizes(const char* folder, LineSink emit, void* context);

// The size in K that a size field should give for a file of this many bytes (rounded up).
long SizeInK(unsigned long long bytes);
