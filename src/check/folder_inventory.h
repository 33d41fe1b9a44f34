#pragma once
// The files of a product folder and whether some reading of the script names each.
#include "check/findings.h"

class FolderInventory {
  public:
    FolderInventory() = default;
    ~FolderInventory();
    FolderInventory(const FolderInventory&) = delete;
    FolderInventory& operator=(const FolderInventory&) = delete;

    void List(const char* folder);
    // Marks the file of that name as named; false when the folder has none.
    bool MarkNamed(const char* name);
    void NotePalmLine(int line);
    // The files that need one another or (with unnamed) that nothing names, for every reading at
    // once.
    void Report(Findings* findings, bool unnamed);

  private:
    struct File {
        char name[260];
        bool named;
    };
    File* files_ = nullptr;
    int count_ = 0;
    int firstPalmLine_ = 0;
};

// The log the installer writes into the destination folder.
extern const char INSTALL_LOG_FILE[];

// A file (not a folder) at path, with its size.
bool FileExists(const char* path, unsigned long long* bytes);
