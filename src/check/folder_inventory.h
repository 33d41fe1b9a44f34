#pragma once
// The files of a product folder and whether some reading of the script names each.
#include "check/findings.h"

// Takes a file the script needs: a name of the folder (inFolder) or a path into a subfolder.
using NeededSink = void (*)(const char* name, bool inFolder, void* context);

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
    // After Report: every file of the folder that some reading needs, Setup.exe and Setup.ini
    // included. A name into a subfolder is given alone instead, and the result is false.
    bool ListNeeded(NeededSink sink, void* context) const;

  private:
    void Add(const char* name);

    struct File {
        char name[260];
        bool named;
    };
    File* files_ = nullptr;
    int count_ = 0;
    int capacity_ = 0;
    int firstPalmLine_ = 0;
    char outside_[260] = {};
};

// The log the installer writes into the destination folder.
extern const char INSTALL_LOG_FILE[];

// Calls visit with the name of every file (not folder) of folder that pattern ("*", "Setup.*.lng")
// matches.
void ForEachFileOf(const char* folder, const char* pattern, void (*visit)(const char*, void*),
                   void* context);

// A file (not a folder) at path, with its size.
bool FileExists(const char* path, unsigned long long* bytes);
