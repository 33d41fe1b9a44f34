#pragma once
#include <stdint.h>
#include <windows.h>
#include <commctrl.h>

#include "script/ptr_array.h"

// Item kind and option bits.
enum : uint32_t {
    ITEM_COPYFILE = 0x00000001,
    ITEM_PALMFILE = 0x00000002,
    ITEM_SHORTCUT = 0x20000000,
    ITEM_ACTIVESYNC = 0x04000000,
    ITEM_REGSERVICE = 0x08000000,
    ITEM_SENDTO = 0x40000000,
    ITEM_DESKTOP = 0x80000000,
};

struct InstallItem {
    uint32_t flags;
    int32_t sizeK;
    char path[MAX_PATH];
};

struct ShortcutItem : InstallItem {
    char linkName[128];
    char arguments[MAX_PATH];
    int32_t iconIndex;
};

struct Component {
    PtrArray items;     // owning: InstallItem / ShortcutItem
    PtrArray* children; // owning; null when there are none
    char name[128];
    char section[128]; // the section it was read from; empty when that name does not fit
    char description[1024];
    int32_t palmSizeK;
    int32_t desktopSizeK;
    int32_t selected;
    HTREEITEM treeItem;
};

struct SetupScript {
    PtrArray components; // owning: Component
    char installerFolder[MAX_PATH];
    char company[32];
    char productTitle[128];
    char licenceFile[128];
    char destFolder[MAX_PATH];
    char readMePath[MAX_PATH];
    char readMeCaption[128];
    char hotSyncUser[128];
    char startMenuFolder[256];
    char logoFile[128];
    char byeLink[256];
    char webPage[256];
    char version[64];
    int32_t restartNeeded;
    int32_t offerComponentChoice;
    int32_t palmFilesQueued;
    int32_t readIncomplete; // 1 when the reader left components or items out
    int32_t restartLater;   // 1: the finish page starts with the restart left for later
    int32_t destGiven;      // 1 when the command line chose destFolder
};

// What one script yields; what lies beyond is left out and readIncomplete set. Every component is
// a row of the expanded components tree, and Windows 95's scroll bars reach no further than row
// 32,767. Items are bounded only to keep a generated script within memory.
// A script whose lists share sections can describe a tree far larger than the file itself, so the
// components and items it yields are also bounded by SCRIPT_REPEAT_FACTOR times the list entries
// and item lines of the sections it names (never less than the floors): a tree that uses each
// section once is read whole.
enum : int32_t {
    SCRIPT_MAX_COMPONENTS = 32767,
    SCRIPT_MAX_ITEMS = 250000,
    SCRIPT_REPEAT_FACTOR = 4,
    SCRIPT_MIN_COMPONENT_BUDGET = 1000,
    SCRIPT_MIN_ITEM_BUDGET = 10000,
};

// Buffers the reader reads values into that no record field matches: the "Application" value,
// a "Components" list and one item line. A longer value is cut to the size less one byte.
enum : int32_t {
    SCRIPT_APPLICATION_SIZE = 256,
    SCRIPT_LIST_SIZE = 4096,
    SCRIPT_ITEM_LINE_SIZE = 1024,
};

// Records of the model, for the reader and for code that assembles a script by hand. Each
// returns null when memory ran out.
SetupScript* NewSetupScript(); // empty texts and flags, no components
Component* NewComponent();     // selected, no items, no children
InstallItem* NewInstallItem(uint32_t kind);
ShortcutItem* NewShortcutItem();
// Release functions of owning arrays: a component with its whole subtree, or one item.
void ReleaseComponent(void** slot);
void ReleaseItem(void** slot);

// The Windows a script is read for: the NT family takes a "U" item key in place of the plain key
// of the same number; Windows 95, 98 and Me read no "U" keys.
enum ScriptFamily {
    FAMILY_WINDOWS_95,
    FAMILY_WINDOWS_NT,
};

// Never fails for a missing file (the script then has no components); null only when memory ran
// out. Publishes the product title for message-box captions.
SetupScript* ReadSetupScript(const char* scriptPath, ScriptFamily family);
// Read for the Windows this program runs on.
SetupScript* ReadSetupScript(const char* scriptPath);
void DestroySetupScript(SetupScript* script);
// Appends the items of the selected components in install order; the items stay the script's.
// False when memory ran out (the list is then empty).
bool CollectSelectedItems(const SetupScript* script, PtrArray* items);
bool HasWideApi();
