#pragma once
// Setup.ini files written into a scratch folder and read through the real profile functions.
#include <memory>
#include <string>

#include "script/setup_script.h"
#include "support/test_support.h"

using ScriptPtr = std::unique_ptr<SetupScript, void (*)(SetupScript*)>;

class ScriptFile {
  public:
    explicit ScriptFile(const std::string& text);
    const std::string& Path() const { return path_; }
    ScriptPtr Read() const;

  private:
    TempFolder folder_;
    std::string path_;
};

const Component* ComponentAt(const PtrArray& list, int index);
const Component* ChildAt(const Component* parent, int index);
int ChildCount(const Component* component);
const InstallItem* ItemAt(const Component* component, int index);
const ShortcutItem* ShortcutAt(const Component* component, int index);
// The paths of the items in an array, joined with "|".
std::string ItemPaths(const PtrArray& items);

// Forces HasWideApi's answer for the life of the object.
class WideApiOverride {
  public:
    explicit WideApiOverride(bool present);
    ~WideApiOverride();
};
