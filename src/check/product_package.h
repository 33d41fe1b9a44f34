#pragma once
// SetupCheck.exe --pack: a checked product folder as one program file, the starter followed by
// the files the script needs.
#include "check/product_check.h"

// The names the check hands over (CheckOptions' needed sink with this as context).
class PackageFiles {
  public:
    PackageFiles() = default;
    ~PackageFiles();
    PackageFiles(const PackageFiles&) = delete;
    PackageFiles& operator=(const PackageFiles&) = delete;

    static void Take(const char* name, bool inFolder, void* self);

    int Count() const { return count_; }
    const char* Name(int index) const { return names_[index]; }
    // A needed file that lies in a subfolder, or the empty text.
    const char* Outside() const { return outside_; }
    bool Full() const { return full_; }

  private:
    typedef char Name_[128];
    Name_* names_ = nullptr;
    int count_ = 0;
    char outside_[260] = {};
    bool full_ = false;
};

// Writes the package of folder's files to output through a temporary file beside it, which
// replaces output only when it is complete. False, with the reason in error, on any failure;
// output is then as it was.
bool WriteProductPackage(const char* folder, const PackageFiles& files, const CheckOptions& options,
                         const char* output, char* error, size_t errorSize);
