#pragma once
// A simulated HotSync installation made of the stand-in libraries (tests/fakes/hotsync), for
// tests of the Palm bridge and for product tests that run Setup.exe against HotSync:
//   <root>\HotSync\     CondMgr.dll, UserData.dll, InstAide.dll, HotSyncFake.ini; HotSync.exe
//                       (an empty file) is what the Conduit Manager reports
//   <installer folder>  CondMgr.dll (the copy a product packages), HotSyncFake.ini
//   <root>\Queue\<user>\  each user's install queue, filled by PltInstallFile
//   <root>\calls.txt    the call record, one "Entry|arg|arg" line per call
// Everything under <root> is removed at destruction; files placed into a given installer folder
// stay with that folder's owner. Unload the libraries (discard the plugin) before destruction.
#include <string>
#include <vector>

#include "support/test_support.h"

class SimulatedHotSync {
  public:
    // installerFolder: an existing folder to serve as the installer's (a product folder beside
    // Setup.exe); empty: <root>\Installer.
    explicit SimulatedHotSync(const std::vector<std::string>& users = {"Ann", "Bob"},
                              const std::string& installerFolder = std::string());
    SimulatedHotSync(const SimulatedHotSync&) = delete;
    SimulatedHotSync& operator=(const SimulatedHotSync&) = delete;

    const std::string& HotSyncFolder() const { return hotSyncFolder_; }
    const std::string& InstallerFolder() const { return installerFolder_; }
    const std::string& QueueFolder() const { return queueFolder_; }
    const std::string& RecordPath() const { return recordPath_; }
    // A scratch folder for the test's own files, removed with the rest.
    std::string ScratchFile(const std::string& name) const { return root_.File(name); }

    // Copies a stand-in library of a variant ("full", "nocorepath", "noslotname", "noversion",
    // "noslotinstall") into a folder, under its own name or as asName.
    bool PlaceLibrary(const std::string& folder, const char* fileName, const char* variant = "full",
                      const char* asName = nullptr);
    bool RemoveLibrary(const std::string& folder, const char* fileName);

    // Writes one configuration value into every HotSyncFake.ini of the installation; an empty
    // value removes the key.
    void Set(const char* section, const char* key, const std::string& value);
    void SetUsers(const std::vector<std::string>& users);

    std::vector<std::string> Calls() const;
    // Number of recorded calls of an entry point.
    int CountCalls(const char* entry) const;
    void ClearCalls();
    // Path of a file in a user's install queue.
    std::string QueuedFile(const std::string& user, const std::string& fileName) const;

  private:
    TempFolder root_;
    std::string hotSyncFolder_;
    std::string installerFolder_;
    std::string queueFolder_;
    std::string recordPath_;
};
