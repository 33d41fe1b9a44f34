#include "e2e/sample_outcome.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "system/digest.h"

const char* const PALM_FILES[3] = {"Reader.prc", "Aesop.pdb", "Grimm.pdb"};

std::map<std::string, std::string> KeyValues(const std::string& key) {
    std::map<std::string, std::string> values;
    HKEY opened;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return values;
    char name[256];
    char data[1024];
    DWORD nameSize = sizeof(name), dataSize = sizeof(data);
    for (DWORD i = 0; RegEnumValueA(opened, i, name, &nameSize, nullptr, nullptr,
                                    reinterpret_cast<BYTE*>(data), &dataSize) == ERROR_SUCCESS;
         ++i, nameSize = sizeof(name), dataSize = sizeof(data))
        values[name] = std::string(data, strnlen(data, dataSize));
    RegCloseKey(opened);
    return values;
}

Outcome ReadOutcome(const SampleMachine& machine, const std::string& log) {
    Outcome outcome;
    outcome.logLines = SplitLines(ReadFileBytes(log), "\n");
    if (!outcome.logLines.empty())
        outcome.logLines.erase(outcome.logLines.begin());
    LoggedPaths logged;
    ReadLoggedPaths(log, &logged);
    for (const auto* list : {&logged.files, &logged.links, &logged.folders}) {
        for (const std::string& path : *list) {
            if (!FileExists(path))
                outcome.missing.push_back(path);
        }
    }
    outcome.entry = KeyValues(machine.traces.UninstallKey());
    // The log's first line holds the time of the run: runs compare by their digest being the
    // log's own.
    auto digest = outcome.entry.find("LogDigest");
    if (digest != outcome.entry.end()) {
        std::string bytes = ReadFileBytes(log);
        char text[DIGEST_TEXT_SIZE];
        if (DigestText(bytes.data(), bytes.size(), digest->second.size(), text, sizeof(text)) &&
            digest->second == text)
            digest->second = "<the log's digest>";
    }
    for (const char* user : {"Ann", "Bob"}) {
        for (const char* file : PALM_FILES) {
            if (FileExists(machine.hotSync.QueuedFile(user, file)))
                outcome.queued.push_back(std::string(user) + "\\" + file);
        }
    }
    for (const std::string& server : logged.servers) {
        if (TestComServerRegistered(server))
            outcome.registered.push_back(server);
    }
    return outcome;
}

void ClearPalmQueue(const SampleMachine& machine) {
    for (const char* user : {"Ann", "Bob"}) {
        for (const char* file : PALM_FILES)
            RemoveTree(machine.hotSync.QueuedFile(user, file));
    }
}

std::vector<std::string> RecordEvents(const std::string& path) {
    std::vector<std::string> events;
    for (const std::string& line : SplitLines(ReadFileBytes(path), "\r\n")) {
        bool timed = line.size() > 20 && line[4] == '-' && line[7] == '-' && line[10] == ' ' &&
                     line[13] == ':' && line[16] == ':' && line[19] == ' ';
        EXPECT_TRUE(timed) << line;
        events.push_back(timed ? line.substr(20) : line);
    }
    return events;
}

std::string EnglishLine() {
    char line[64];
    snprintf(line, sizeof(line), "Language: en (interface language 0x%04X)",
             GetUserDefaultUILanguage());
    return line;
}
