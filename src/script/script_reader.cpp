#include "script/setup_script.h"

#include <new>
#include <stdlib.h>
#include <string.h>

#include "script/field_text.h"
#include "script/item_parser.h"
#include "script/numbered_keys.h"
#include "script/profile_section.h"
#include "script/trim_field.h"
#include "system/language.h"
#include "system/message_box.h"
#include "system/module_path.h"
#include "system/text.h"

namespace {
const char GENERAL_SECTION[] = "General";

// A section named by a "Components" list. It is read once, however often it is named; each
// further use in the tree is a copy of its model.
struct Section {
    Section() : entries(nullptr) {}
    ~Section() {
        if (!modelPlaced)
            delete model;
        free(name);
    }
    Section(const Section&) = delete;
    Section& operator=(const Section&) = delete;

    Section* nextInBucket = nullptr;
    Component* model = nullptr; // its texts, selection and items; no children
    PtrArray entries;           // borrowed: the sections its own "Components" list names
    bool modelPlaced = false;   // the tree holds the model itself
    bool onPath = false;        // it is the section of the component being built or an ancestor's
    char* name = nullptr;
};

void ReleaseSection(void** slot) {
    delete static_cast<Section*>(*slot);
    *slot = nullptr;
}

// A component of the tree being built, and how far its section's list has been taken.
struct Frame {
    Section* section;
    Component* component; // null for "General"
    int32_t next;
};

// Takes the section onto the path of the component being built; false when memory ran out.
bool PushFrame(PtrArray* frames, Section* section, Component* component) {
    Frame* frame = new (std::nothrow) Frame{section, component, 0};
    if (!frame || !frames->Add(frame)) {
        delete frame;
        return false;
    }
    section->onPath = true;
    return true;
}

int32_t Budget(int32_t written, int32_t floor, int32_t ceiling) {
    int64_t budget = static_cast<int64_t>(written) * SCRIPT_REPEAT_FACTOR;
    if (budget < floor)
        budget = floor;
    return budget > ceiling ? ceiling : static_cast<int32_t>(budget);
}

void CountItemSizes(Component* component) {
    component->desktopSizeK = 0;
    component->palmSizeK = 0;
    for (int32_t i = 0; i < component->items.Count(); ++i) {
        const InstallItem* item = static_cast<const InstallItem*>(component->items.At(i));
        if (item->flags & ITEM_COPYFILE)
            component->desktopSizeK = AddSizes(component->desktopSizeK, item->sizeK);
        else if (item->flags & ITEM_PALMFILE)
            component->palmSizeK = AddSizes(component->palmSizeK, item->sizeK);
    }
}

InstallItem* CopyItem(const InstallItem* item) {
    if (item->flags & ITEM_SHORTCUT)
        return new (std::nothrow) ShortcutItem(*static_cast<const ShortcutItem*>(item));
    return new (std::nothrow) InstallItem(*item);
}

// A component like the model with its first itemCount items; null when memory ran out.
Component* CopyComponent(const Component* model, int32_t itemCount) {
    Component* copy = NewComponent();
    if (!copy)
        return nullptr;
    CopyText(copy->name, sizeof(copy->name), model->name);
    CopyText(copy->section, sizeof(copy->section), model->section);
    CopyText(copy->description, sizeof(copy->description), model->description);
    copy->selected = model->selected;
    for (int32_t i = 0; i < itemCount; ++i) {
        InstallItem* item = CopyItem(static_cast<const InstallItem*>(model->items.At(i)));
        if (!item || !copy->items.Add(item)) {
            delete item;
            delete copy;
            return nullptr;
        }
    }
    if (itemCount == model->items.Count()) {
        copy->desktopSizeK = model->desktopSizeK;
        copy->palmSizeK = model->palmSizeK;
    } else {
        CountItemSizes(copy);
    }
    return copy;
}

void KeepFirstItems(Component* component, int32_t itemCount) {
    for (int32_t i = itemCount; i < component->items.Count(); ++i)
        ReleaseItem(&component->items.data[i]);
    component->items.count = itemCount;
    CountItemSizes(component);
}

class ScriptReader {
  public:
    ScriptReader(const char* scriptPath, bool wide)
        : path_(scriptPath && *scriptPath ? scriptPath : nullptr), wide_(wide),
          sections_(ReleaseSection) {}
    ~ScriptReader() { free(buckets_); }
    ScriptReader(const ScriptReader&) = delete;
    ScriptReader& operator=(const ScriptReader&) = delete;

    void ReadGeneral(SetupScript* script);
    void ReadComponentTree(SetupScript* script);
    bool LeftOut() const { return leftOut_; }

  private:
    DWORD ReadString(const char* section, const char* key, const char* fallback, char* buffer,
                     DWORD size) const;
    int ReadInt(const char* section, const char* key, int fallback) const;
    DWORD ReadValue(const char* section, const char* key, char* buffer, DWORD size) const;
    DWORD ReadPlainValue(const char* section, const char* key, char* buffer, DWORD size) const;
    int ReadSelected(const char* section) const;
    Section* SectionNamed(const char* name);
    bool Rehash();
    bool ReadList(Section* owner, char* value);
    bool ReadSection(Section* section);
    bool ReadItems(const char* section, Component* component, const NumberedKeyKind& keys);
    void BuildTree(SetupScript* script, Section* root);
    Component* Place(Section* section, int32_t itemBudget);

    const char* path_; // null when there is no script to read
    bool wide_ = false;
    bool leftOut_ = false;
    ProfileSection values_;
    bool valuesWhole_ = false; // values_ holds the section being read
    PtrArray sections_;        // owning, in the order they were first named
    Section** buckets_ = nullptr;
    uint32_t bucketCount_ = 0; // a power of two, or 0
    int32_t listEntries_ = 0;  // entries of the lists of every section named, "General" too
    int32_t itemLines_ = 0;    // items of every section named
    int32_t componentsPlaced_ = 0;
    int32_t itemsPlaced_ = 0;
    bool itemsSpent_ = false;
};

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

// The key with the run's language as its suffix ("Name.de"); false for English.
bool LocalKey(const char* key, char* local, size_t size) {
    return LanguageTag()[0] && FormatText(local, size, "%s.%s", key, LanguageTag()) < size - 1;
}

// A value of the section being read, empty when absent, cut to the buffer like a profile read.
// The variant of the run's language stands in for the key where there is one.
DWORD ScriptReader::ReadValue(const char* section, const char* key, char* buffer,
                              DWORD size) const {
    char local[64];
    if (LocalKey(key, local, sizeof(local))) {
        DWORD length = ReadPlainValue(section, local, buffer, size);
        if (length > 0)
            return length;
    }
    return ReadPlainValue(section, key, buffer, size);
}

DWORD ScriptReader::ReadPlainValue(const char* section, const char* key, char* buffer,
                                   DWORD size) const {
    if (!valuesWhole_)
        return ReadString(section, key, "", buffer, size);
    return static_cast<DWORD>(CopyField(buffer, size, values_.Find(key)));
}

int ScriptReader::ReadSelected(const char* section) const {
    if (!valuesWhole_)
        return ReadInt(section, "Selected", 1);
    const char* value = values_.Find("Selected");
    int number = 1;
    if (!value || !*value || ReadPlainNumber(value, &number))
        return number;
    return ReadInt(section, "Selected", 1);
}

// Sections compare as the profile functions compare them: without regard to case.
Section* ScriptReader::SectionNamed(const char* name) {
    uint32_t hash = HashNoCase(name);
    if (bucketCount_ > 0) {
        for (Section* known = buckets_[hash & (bucketCount_ - 1)]; known;
             known = known->nextInBucket) {
            if (EqualNoCase(known->name, name))
                return known;
        }
    }
    if (static_cast<uint32_t>(sections_.Count()) >= bucketCount_ && !Rehash())
        return nullptr;
    Section* section = new (std::nothrow) Section();
    size_t length = strlen(name);
    char* copy = static_cast<char*>(malloc(length + 1));
    if (!section || !copy || !sections_.Add(section)) {
        // A failed append has released the sections already named; reading stops.
        delete section;
        free(copy);
        return nullptr;
    }
    memcpy(copy, name, length + 1);
    section->name = copy;
    Section** bucket = &buckets_[hash & (bucketCount_ - 1)];
    section->nextInBucket = *bucket;
    *bucket = section;
    return section;
}

bool ScriptReader::Rehash() {
    uint32_t count = bucketCount_ ? bucketCount_ * 2 : 64;
    Section** buckets = static_cast<Section**>(calloc(count, sizeof(Section*)));
    if (!buckets)
        return false;
    for (int32_t i = 0; i < sections_.Count(); ++i) {
        Section* section = static_cast<Section*>(sections_.At(i));
        Section** bucket = &buckets[HashNoCase(section->name) & (count - 1)];
        section->nextInBucket = *bucket;
        *bucket = section;
    }
    free(buckets_);
    buckets_ = buckets;
    bucketCount_ = count;
    return true;
}

bool ScriptReader::ReadList(Section* owner, char* value) {
    char* cursor = value;
    while (cursor) {
        char* entry = NextField(&cursor);
        if (*entry == '\0')
            continue;
        Section* section = SectionNamed(entry);
        if (!section || !owner->entries.Add(section))
            return false;
        ++listEntries_;
    }
    return true;
}

// The items of one kind, numbered from 1 up to the first number without a value.
bool ScriptReader::ReadItems(const char* section, Component* component,
                             const NumberedKeyKind& keys) {
    char value[SCRIPT_ITEM_LINE_SIZE];
    bool failed = false;
    uint32_t kind = keys.kind;
    WalkNumberedKeys(keys, wide_, [&](const char* key) {
        if (ReadValue(section, key, value, sizeof(value)) == 0)
            return KEY_ABSENT;
        if (itemLines_ >= SCRIPT_MAX_ITEMS) {
            // Every section named is placed unless the tree is cut anyway.
            leftOut_ = true;
            return KEY_STOP;
        }
        InstallItem* item;
        if (kind == ITEM_SHORTCUT) {
            ShortcutItem* shortcut = NewShortcutItem();
            if (shortcut)
                ParseShortcutItem(value, shortcut);
            item = shortcut;
        } else {
            item = NewInstallItem(kind);
            if (item)
                ParseFileItem(value, kind, item);
        }
        if (!item || !component->items.Add(item)) {
            delete item;
            failed = true;
            return KEY_STOP;
        }
        ++itemLines_;
        if (kind == ITEM_PALMFILE)
            component->palmSizeK = AddSizes(component->palmSizeK, item->sizeK);
        else if (kind == ITEM_COPYFILE)
            component->desktopSizeK = AddSizes(component->desktopSizeK, item->sizeK);
        return KEY_TAKEN;
    });
    return !failed;
}

bool ScriptReader::ReadSection(Section* section) {
    const char* name = section->name;
    valuesWhole_ = values_.Read(path_, name);
    Component* component = NewComponent();
    if (!component)
        return false;
    section->model = component;
    if (strlen(name) < sizeof(component->section))
        CopyText(component->section, sizeof(component->section), name);
    ReadValue(name, "Name", component->name, sizeof(component->name));
    ReadValue(name, "Description", component->description, sizeof(component->description));
    component->selected = ReadSelected(name);
    for (const NumberedKeyKind& keys : numberedKeyKinds) {
        if (!ReadItems(name, component, keys))
            return false;
    }
    char list[SCRIPT_LIST_SIZE];
    if (ReadPlainValue(name, "Components", list, sizeof(list)) == 0)
        return true;
    return ReadList(section, list);
}

// The section's model goes into the tree at its first use, a copy at every further use. Null
// when memory ran out or no item fits the budget any more.
Component* ScriptReader::Place(Section* section, int32_t itemBudget) {
    Component* model = section->model;
    int32_t count = model->items.Count();
    int32_t room = itemBudget - itemsPlaced_;
    if (count > room) {
        leftOut_ = true;
        itemsSpent_ = true;
        if (room == 0)
            return nullptr;
        count = room;
    }
    Component* component = model;
    if (section->modelPlaced)
        component = CopyComponent(model, count);
    else if (count < model->items.Count())
        KeepFirstItems(model, count);
    if (component)
        itemsPlaced_ += count;
    return component;
}

// Depth first in list order, so that a cut keeps the components that come first. A list entry
// that names its own section or an ancestor's is skipped: it would describe an endless tree.
void ScriptReader::BuildTree(SetupScript* script, Section* root) {
    const int32_t componentBudget =
        Budget(listEntries_, SCRIPT_MIN_COMPONENT_BUDGET, SCRIPT_MAX_COMPONENTS);
    const int32_t itemBudget = Budget(itemLines_, SCRIPT_MIN_ITEM_BUDGET, SCRIPT_MAX_ITEMS);
    PtrArray frames(nullptr);
    if (!PushFrame(&frames, root, nullptr)) {
        leftOut_ = true;
        return;
    }
    while (frames.Count() > 0) {
        Frame* top = static_cast<Frame*>(frames.At(frames.Count() - 1));
        if (top->next >= top->section->entries.Count()) {
            top->section->onPath = false;
            --frames.count;
            delete top;
            continue;
        }
        Section* section = static_cast<Section*>(top->section->entries.At(top->next++));
        if (section->onPath)
            continue;
        if (componentsPlaced_ >= componentBudget) {
            leftOut_ = true;
            break;
        }
        Component* component = Place(section, itemBudget);
        if (!component) {
            leftOut_ = true;
            break;
        }
        PtrArray* list = &script->components;
        if (top->component) {
            if (!top->component->children)
                top->component->children = new (std::nothrow) PtrArray(ReleaseComponent);
            list = top->component->children;
        }
        // A failed append has released the list, placed models among them.
        if (!list || !list->Add(component)) {
            if (component != section->model)
                delete component;
            leftOut_ = true;
            break;
        }
        ++componentsPlaced_;
        section->modelPlaced = true;
        if (itemsSpent_)
            break;
        if (!PushFrame(&frames, section, component)) {
            leftOut_ = true;
            break;
        }
    }
    for (int32_t i = 0; i < frames.Count(); ++i)
        delete static_cast<Frame*>(frames.At(i));
}

// Every section is read once, the first time a list names it, before the tree is built: the tree
// then costs no profile reads however often a section is used.
void ScriptReader::ReadComponentTree(SetupScript* script) {
    if (!path_)
        return;
    Section* root = SectionNamed(GENERAL_SECTION);
    char list[SCRIPT_LIST_SIZE];
    if (!root) {
        leftOut_ = true;
        return;
    }
    if (ReadString(GENERAL_SECTION, "Components", "", list, sizeof(list)) > 0 &&
        !ReadList(root, list)) {
        leftOut_ = true;
        return;
    }
    // The list grows while it is read; "General" itself is read key by key elsewhere.
    for (int32_t next = 1; next < sections_.Count(); ++next) {
        if (!ReadSection(static_cast<Section*>(sections_.At(next)))) {
            leftOut_ = true;
            return;
        }
    }
    BuildTree(script, root);
}

void ScriptReader::ReadGeneral(SetupScript* script) {
    char readMe[MAX_PATH];
    valuesWhole_ = false;
    if (ReadValue(GENERAL_SECTION, "ReadMe", readMe, sizeof(readMe)) > 0) {
        if (char* separator = FindChar(readMe, ';')) {
            *separator = '\0';
            CopyField(script->readMePath, sizeof(script->readMePath), TrimField(readMe));
            CopyField(script->readMeCaption, sizeof(script->readMeCaption),
                      TrimField(separator + 1));
        }
    }
    char application[SCRIPT_APPLICATION_SIZE];
    ReadString(GENERAL_SECTION, "Company", "", script->company, sizeof(script->company));
    ReadString(GENERAL_SECTION, "Application", "", application, sizeof(application));
    ReadString(GENERAL_SECTION, "Logo", "Logo.bmp", script->logoFile, sizeof(script->logoFile));
    if (ReadValue(GENERAL_SECTION, "Licence", script->licenceFile, sizeof(script->licenceFile)) ==
        0)
        CopyText(script->licenceFile, sizeof(script->licenceFile), "Licence.txt");
    ReadString(GENERAL_SECTION, "StartMenu", script->company, script->startMenuFolder,
               sizeof(script->startMenuFolder));
    char destFolder[MAX_PATH];
    ReadString(GENERAL_SECTION, "DestFolder", "", destFolder, sizeof(destFolder));
    ReadString(GENERAL_SECTION, "ByeLink", "", script->byeLink, sizeof(script->byeLink));
    ReadString(GENERAL_SECTION, "WebPage", "", script->webPage, sizeof(script->webPage));
    ReadString(GENERAL_SECTION, "Version", "", script->version, sizeof(script->version));

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
    return ReadSetupScript(scriptPath, HasWideApi() ? FAMILY_WINDOWS_NT : FAMILY_WINDOWS_95);
}

SetupScript* ReadSetupScript(const char* scriptPath, ScriptFamily family) {
    SetupScript* script = NewSetupScript();
    if (!script)
        return nullptr;
    ScriptReader reader(scriptPath, family == FAMILY_WINDOWS_NT);
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
