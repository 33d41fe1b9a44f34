#include "support/palm_fakes.h"

#include <windows.h>

namespace {
const char CONFIG_FILE[] = "\\HotSyncFake.ini";
const char* const LIBRARIES[] = {"CondMgr.dll", "UserData.dll", "InstAide.dll"};
} // namespace

SimulatedHotSync::SimulatedHotSync(const std::vector<std::string>& users,
                                   const std::string& installerFolder)
    : root_("hotsync") {
    hotSyncFolder_ = root_.File("HotSync");
    installerFolder_ = installerFolder.empty() ? root_.File("Installer") : installerFolder;
    queueFolder_ = root_.File("Queue");
    recordPath_ = root_.File("calls.txt");
    CreateDirectoryA(hotSyncFolder_.c_str(), nullptr);
    CreateDirectoryA(installerFolder_.c_str(), nullptr);
    WriteFileBytes(hotSyncFolder_ + "\\HotSync.exe", std::string());
    for (const char* library : LIBRARIES)
        PlaceLibrary(hotSyncFolder_, library);
    PlaceLibrary(installerFolder_, "CondMgr.dll");
    Set("HotSync", "ExecPath", hotSyncFolder_ + "\\HotSync.exe");
    Set("HotSync", "Queue", queueFolder_);
    Set("HotSync", "Record", recordPath_);
    SetUsers(users);
}

bool SimulatedHotSync::PlaceLibrary(const std::string& folder, const char* fileName,
                                    const char* variant, const char* asName) {
    std::string source = BinPath("fakes\\hotsync\\") + variant + "\\" + fileName;
    std::string target = folder + "\\" + (asName ? asName : fileName);
    return CopyFileA(source.c_str(), target.c_str(), FALSE) != FALSE;
}

bool SimulatedHotSync::RemoveLibrary(const std::string& folder, const char* fileName) {
    return DeleteFileA((folder + "\\" + fileName).c_str()) != FALSE;
}

void SimulatedHotSync::Set(const char* section, const char* key, const std::string& value) {
    // Through the profile API, so that the libraries (which read it the same way, in this or a
    // later process) never see a stale cached copy.
    for (const std::string* folder : {&hotSyncFolder_, &installerFolder_}) {
        std::string config = *folder + CONFIG_FILE;
        WritePrivateProfileStringA(section, key, value.empty() ? nullptr : value.c_str(),
                                   config.c_str());
    }
}

void SimulatedHotSync::SetUsers(const std::vector<std::string>& users) {
    Set("HotSync", "UserCount", std::to_string(users.size()));
    for (size_t i = 0; i < users.size(); ++i)
        Set("HotSync", ("User" + std::to_string(i)).c_str(), users[i]);
}

std::vector<std::string> SimulatedHotSync::Calls() const {
    return SplitLines(ReadFileBytes(recordPath_), "\r\n");
}

int SimulatedHotSync::CountCalls(const char* entry) const {
    std::string bare = entry;
    std::string withArguments = bare + "|";
    int count = 0;
    for (const std::string& line : Calls()) {
        if (line == bare || line.compare(0, withArguments.size(), withArguments) == 0)
            ++count;
    }
    return count;
}

void SimulatedHotSync::ClearCalls() {
    DeleteFileA(recordPath_.c_str());
}

std::string SimulatedHotSync::QueuedFile(const std::string& user,
                                         const std::string& fileName) const {
    return queueFolder_ + "\\" + user + "\\" + fileName;
}
