#pragma once
// What an install of the sample leaves, read back to compare two installs, and the run record
// (/LOG) without its times.
#include <map>
#include <string>
#include <vector>

#include "support/sample_machine.h"

extern const char* const PALM_FILES[3];

// The values of a key under HKEY_LOCAL_MACHINE, by name.
std::map<std::string, std::string> KeyValues(const std::string& key);

// What an install of the sample leaves, as far as it can differ between two installs.
struct Outcome {
    std::vector<std::string> logLines; // without the first, which carries the time
    std::vector<std::string> missing;  // logged paths that are not there
    std::map<std::string, std::string> entry;
    std::vector<std::string> queued; // user\file
    std::vector<std::string> registered;
};

Outcome ReadOutcome(const SampleMachine& machine, const std::string& log);
void ClearPalmQueue(const SampleMachine& machine);

// The record's lines without their times, after checking that each starts with one.
std::vector<std::string> RecordEvents(const std::string& path);
// The record's language line of a run with no language file: English, for the user's language.
std::string EnglishLine();
