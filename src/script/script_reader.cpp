#include "script/setup_script.h"

#include <new>
#include <stdlib.h>
#include <string.h>

#include "script/field_text.h"
#include "script/item_parser.h"
#include "script/trim_field.h"
#include "system/message_box.h"
#include "system/module_path.h"
#include "system/text.h"

namespace {
const char GENERAL_SECTION[] = "General";

// A component whose own section has yet to be read, or has been read and may still be the
// ancestor of one that hasn't. Records form a chain towards "General" for the cycle test.
struct ReadNode {
    ReadNode* parent;
    Component* component;  // null for "General"
    ReadNode* nextCreated; // every record, freed when reading ends
    ReadNode* nextPending; // the stack of components still to read
    char section[1];       // the section name, allocated to its length
};

class ScriptReader {
  public:
    explicit ScriptReader(const char* scriptPath)
        : path_(scriptPath && *scriptPath ? scriptPath : nullptr) {}
    ~ScriptReader();
    ScriptReader(const ScriptReader&) = delete;
    ScriptReader& operator=(const ScriptReader&) = delete;

    void ReadGeneral(SetupScript* script);
    void ReadComponentTree(SetupScript* script);
    bool LeftOut() const { return leftOut_; }

  private:
    DWORD ReadString(const char* section, const char* key, const char* fallback, char* buffer,
                     DWORD size) const;
    int ReadInt(const char* section, const char* key, int fallback) const;
    ReadNode* NewNode(ReadNode* parent, Component* component, const char* section);
    bool NamesSelfOrAncestor(const ReadNode* node, const char* section) const;
    void ReadComponentList(ReadNode* owner, PtrArray* list);
    void ReadComponent(ReadNode* node);
    bool AddItem(Component* component, InstallItem* item);
    void ReadFileItems(const char* section, Component* component, const char* pattern,
                       const char* widePattern, uint32_t kind);
    void ReadShortcutItems(const char* section, Component* component);

    const char* path_; // null when there is no script to read
    bool wide_ = false;
    bool outOfMemory_ = false;
    bool leftOut_ = false;
    int32_t componentCount_ = 0;
    int32_t itemCount_ = 0;
    ReadNode* created_ = nullptr;
    ReadNode* pending_ = nullptr;
};

ScriptReader::~ScriptReader() {
    while (created_) {
        ReadNode* next = created_->nextCreated;
        free(created_);
        created_ = next;
    }
}

DWORD ScriptReader::ReadString(const char* section, const char* key, const char* fallback,
                               char* buffer, DWORD size) const {
    if (!path_)
        return static_cast<DWORD>(CopyText(buffer, size, fallback));
    return GetPrivateProfileStringA(section, key, fallback, buffer, size, path_);
}

int ScriptReader::ReadInt(const char* section, const char* key, int fallback) const {
    if (!path_)
        return fallback;
    return static_cast<int>(GetPrivateProfileIntA(section, key, fallback, path_));
}

ReadNode* ScriptReader::NewNode(ReadNode* parent, Component* component, const char* section) {
    size_t length = strlen(section);
    ReadNode* node = static_cast<ReadNode*>(malloc(sizeof(ReadNode) + length));
    if (!node) {
        outOfMemory_ = true;
        return nullptr;
    }
    node->parent = parent;
    node->component = component;
    node->nextPending = nullptr;
    memcpy(node->section, section, length + 1);
    node->nextCreated = created_;
    created_ = node;
    return node;
}

// Section names compare as the profile functions compare them: without regard to case.
bool ScriptReader::NamesSelfOrAncestor(const ReadNode* node, const char* section) const {
    for (; node; node = node->parent) {
        if (EqualNoCase(node->section, section))
            return true;
    }
    return false;
}

void ScriptReader::ReadComponentList(ReadNode* owner, PtrArray* list) {
    char value[4096];
    if (ReadString(owner->section, "Components", "", value, sizeof(value)) == 0)
        return;
    ReadNode* firstNew = nullptr;
    ReadNode* lastNew = nullptr;
    char* cursor = value;
    while (cursor && !outOfMemory_) {
        if (componentCount_ >= SCRIPT_MAX_COMPONENTS) {
            leftOut_ = true;
            break;
        }
        char* separator = FindChar(cursor, ';');
        if (separator)
            *separator = '\0';
        char* entry = TrimField(cursor);
        cursor = separator ? separator + 1 : nullptr;
        // A list that names its own section or an ancestor's would describe an endless tree.
        if (*entry == '\0' || NamesSelfOrAncestor(owner, entry))
            continue;
        Component* component = NewComponent();
        ReadNode* node = component ? NewNode(owner, component, entry) : nullptr;
        if (!node) {
            delete component;
            outOfMemory_ = true;
            break;
        }
        if (!list->Add(component)) {
            // The failed append has released the whole list, so none of it may be read; the
            // new component never reached it.
            delete component;
            outOfMemory_ = true;
            return;
        }
        ++componentCount_;
        if (lastNew)
            lastNew->nextPending = node;
        else
            firstNew = node;
        lastNew = node;
    }
    // The new components go on the stack as a block, the first of them on top.
    if (lastNew) {
        lastNew->nextPending = pending_;
        pending_ = firstNew;
    }
}

bool ScriptReader::AddItem(Component* component, InstallItem* item) {
    if (!component->items.Add(item)) {
        outOfMemory_ = true;
        component->desktopSizeK = 0;
        component->palmSizeK = 0;
        return false;
    }
    ++itemCount_;
    return true;
}

void ScriptReader::ReadFileItems(const char* section, Component* component, const char* pattern,
                                 const char* widePattern, uint32_t kind) {
    char key[32];
    char value[1024];
    for (int n = 1; !outOfMemory_; ++n) {
        DWORD length = 0;
        if (widePattern) {
            FormatText(key, sizeof(key), widePattern, n);
            length = ReadString(section, key, "", value, sizeof(value));
        }
        if (length == 0) {
            FormatText(key, sizeof(key), pattern, n);
            length = ReadString(section, key, "", value, sizeof(value));
        }
        if (length == 0)
            return;
        if (itemCount_ >= SCRIPT_MAX_ITEMS) {
            leftOut_ = true;
            return;
        }
        InstallItem* item = NewInstallItem(kind);
        if (!item) {
            outOfMemory_ = true;
            return;
        }
        ParseFileItem(value, kind, item);
        if (!AddItem(component, item)) {
            delete item;
            return;
        }
        if (kind == ITEM_PALMFILE)
            component->palmSizeK = AddSizes(component->palmSizeK, item->sizeK);
        else
            component->desktopSizeK = AddSizes(component->desktopSizeK, item->sizeK);
    }
}

void ScriptReader::ReadShortcutItems(const char* section, Component* component) {
    char key[32];
    char value[1024];
    for (int n = 1; !outOfMemory_; ++n) {
        DWORD length = 0;
        if (wide_) {
            FormatText(key, sizeof(key), "Shortcut%dU", n);
            length = ReadString(section, key, "", value, sizeof(value));
        }
        if (length == 0) {
            FormatText(key, sizeof(key), "Shortcut%d", n);
            length = ReadString(section, key, "", value, sizeof(value));
        }
        if (length == 0)
            return;
        if (itemCount_ >= SCRIPT_MAX_ITEMS) {
            leftOut_ = true;
            return;
        }
        ShortcutItem* item = NewShortcutItem();
        if (!item) {
            outOfMemory_ = true;
            return;
        }
        ParseShortcutItem(value, item);
        if (!AddItem(component, item)) {
            delete item;
            return;
        }
    }
}

void ScriptReader::ReadComponent(ReadNode* node) {
    Component* component = node->component;
    const char* section = node->section;
    ReadString(section, "Name", "", component->name, sizeof(component->name));
    ReadString(section, "Description", "", component->description, sizeof(component->description));
    component->selected = ReadInt(section, "Selected", 1);
    ReadFileItems(section, component, "CopyFile%d", wide_ ? "CopyFile%dU" : nullptr, ITEM_COPYFILE);
    ReadFileItems(section, component, "CopyPalmFile%d", nullptr, ITEM_PALMFILE);
    ReadShortcutItems(section, component);

    PtrArray* children = new (std::nothrow) PtrArray(ReleaseComponent);
    if (!children) {
        outOfMemory_ = true;
        return;
    }
    ReadComponentList(node, children);
    if (children->Count() > 0)
        component->children = children;
    else
        delete children;
}

// The tree is read depth first through an explicit stack, so the depth of the nesting doesn't
// reach the machine stack; the order of reading is that of the lists.
void ScriptReader::ReadComponentTree(SetupScript* script) {
    wide_ = HasWideApi();
    ReadNode* root = NewNode(nullptr, nullptr, GENERAL_SECTION);
    if (!root)
        return;
    ReadComponentList(root, &script->components);
    while (pending_ && !outOfMemory_) {
        ReadNode* node = pending_;
        pending_ = node->nextPending;
        ReadComponent(node);
    }
}

void ScriptReader::ReadGeneral(SetupScript* script) {
    char readMe[MAX_PATH];
    if (ReadString(GENERAL_SECTION, "ReadMe", "", readMe, sizeof(readMe)) > 0) {
        if (char* separator = FindChar(readMe, ';')) {
            *separator = '\0';
            CopyField(script->readMePath, sizeof(script->readMePath), TrimField(readMe));
            CopyField(script->readMeCaption, sizeof(script->readMeCaption),
                      TrimField(separator + 1));
        }
    }
    char application[256];
    ReadString(GENERAL_SECTION, "Company", "", script->company, sizeof(script->company));
    ReadString(GENERAL_SECTION, "Application", "", application, sizeof(application));
    ReadString(GENERAL_SECTION, "Logo", "Logo.bmp", script->logoFile, sizeof(script->logoFile));
    ReadString(GENERAL_SECTION, "Licence", "Licence.txt", script->licenceFile,
               sizeof(script->licenceFile));
    ReadString(GENERAL_SECTION, "StartMenu", script->company, script->startMenuFolder,
               sizeof(script->startMenuFolder));
    char destFolder[MAX_PATH];
    ReadString(GENERAL_SECTION, "DestFolder", "", destFolder, sizeof(destFolder));
    ReadString(GENERAL_SECTION, "ByeLink", "", script->byeLink, sizeof(script->byeLink));
    ReadString(GENERAL_SECTION, "WebPage", "", script->webPage, sizeof(script->webPage));

    // Formed in room enough for both parts, then cut to the field.
    char joined[512];
    FormatText(joined, sizeof(joined), "%s %s", script->company, application);
    CopyField(script->productTitle, sizeof(script->productTitle), joined);
    captionTitle = script->productTitle;

    if (destFolder[0] == '\0') {
        FormatText(joined, sizeof(joined), "%%PROGRAM_FILES%%\\%s\\%s", script->company,
                   application);
        CopyField(script->destFolder, sizeof(script->destFolder), joined);
    } else {
        CopyText(script->destFolder, sizeof(script->destFolder), destFolder);
    }
    GetExecutableFolder(script->installerFolder, sizeof(script->installerFolder));
}
} // namespace

SetupScript* ReadSetupScript(const char* scriptPath) {
    SetupScript* script = NewSetupScript();
    if (!script)
        return nullptr;
    ScriptReader reader(scriptPath);
    reader.ReadComponentTree(script);
    reader.ReadGeneral(script);
    script->readIncomplete = reader.LeftOut();
    const PtrArray& top = script->components;
    if (top.Count() > 1)
        script->offerComponentChoice = 1;
    else if (top.Count() == 1) {
        const Component* only = static_cast<const Component*>(top.At(0));
        script->offerComponentChoice = only->children && only->children->Count() > 0;
    }
    return script;
}
