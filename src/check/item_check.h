#pragma once
// Checks of the item lines of one reading, and of the paths and names in them.
#include <stdint.h>

#include "check/folder_inventory.h"
#include "check/product_reading.h"
#include "script/ptr_array.h"

class ItemCheck {
  public:
    ItemCheck(ProductReading& reading, FolderInventory& inventory);

    // Notes what the file items of every section read install, before anything points at them.
    void CollectInstalled();
    void CheckItems(int block);

    // False, reported, when text has a macro the installer cannot expand as meant.
    bool CheckMacros(int line, const char* what, const char* text);
    void CheckPathLength(int line, const char* what, const char* path);
    // A folder or file the install makes: names Windows forbids are errors.
    void CheckNames(int line, const char* what, const char* path, bool oneName);
    // Files of the system (under %WINDOWS% or %SYSTEM%) are there without an item.
    void CheckInstalledTarget(int line, const char* what, const char* path);

  private:
    void CheckFileItem(const IniLine& line, uint32_t kind);
    // False, reported, when regsvr32 cannot register the file.
    bool CheckServerFile(int line, const char* option, const char* source, const char* path);
    void CheckSharedFile(int line, const char* itemPath, const char* source, const char* path);
    void CheckShortcut(const IniLine& line);
    void CheckOption(int line, const char* option, uint32_t kind);
    void TakeItemLine(const IniLine& line, char* value, size_t size);
    bool IsInstalled(const char* expanded) const;

    ProductReading& reading_;
    FolderInventory& inventory_;
    PtrArray installed_; // owning: expanded destinations of file items
};
