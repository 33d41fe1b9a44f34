#include <gtest/gtest.h>

#include <malloc.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "check/findings.h"
#include "check/product_check.h"
#include "generated_inputs.h"
#include "script/setup_script.h"
#include "script/wide_api.h"
#include "package/package_format.h"
#include "support/package_support.h"
#include "support/sample_walk.h"
#include "support/test_support.h"
#include "support/wizard_driver.h"
#include "system/macro_expansion.h"
#include "system/message_box.h"
#include "system/path_macros.h"
#include "system/text.h"
#include "uninstall/uninstall_log.h"

namespace {

const uint32_t SEED = 0x0C7E2004;
// Far beyond what any input needs; only a reader that no longer ends reaches it.
const DWORD INPUT_LIMIT_MS = 20000;
const int MAX_FAILURES_SHOWN = 3;
// Sized so that the whole program stays within a minute under Wine: a script costs some
// milliseconds of profile calls per component.
const int SCRIPT_INPUTS = 250;
const int LOG_INPUTS = 2000;
const int PATH_INPUTS = 3000;
// A product costs its files besides the script's profile calls.
const int PRODUCT_INPUTS = 200;
// A package costs a run of the starter, a process of its own.
const int PACKAGE_INPUTS = 60;

// The input being fed, for the watchdog and the crash handler to print.
struct {
    const char* kind = "";
    int index = -1;
    const std::string* bytes = nullptr;
    volatile DWORD startedAt = 0;
    volatile LONG busy = 0;
} current;

void PrintCurrent(const char* what) {
    fprintf(stderr, "%s: %s input %d, %u bytes:\n", what, current.kind, current.index,
            current.bytes ? static_cast<unsigned>(current.bytes->size()) : 0u);
    if (current.bytes)
        WriteEscaped(stderr, *current.bytes);
    fflush(stderr);
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
    fprintf(stderr, "exception 0x%08lX\n", info->ExceptionRecord->ExceptionCode);
    PrintCurrent("crashed");
    return EXCEPTION_EXECUTE_HANDLER;
}

DWORD WINAPI Watch(void*) {
    for (;;) {
        Sleep(250);
        if (current.busy && GetTickCount() - current.startedAt > INPUT_LIMIT_MS) {
            PrintCurrent("no end within 20 seconds");
            ExitProcess(3);
        }
    }
}

// Started once for the whole program, before the first input.
struct Guards {
    Guards() {
        SetUnhandledExceptionFilter(OnCrash);
        CloseHandle(CreateThread(nullptr, 0, Watch, nullptr, 0, nullptr));
        // The double-byte run is worth nothing in another code page.
        const char* expected = getenv("ORVEX_EXPECT_ACP");
        if (expected && *expected) {
            EXPECT_EQ(static_cast<UINT>(atoi(expected)), GetACP());
        }
    }
};

std::string HeapFault() {
    if (!HeapValidate(GetProcessHeap(), 0, nullptr))
        return "the process heap is damaged";
    if (_heapchk() != _HEAPOK)
        return "the C runtime's heap is damaged";
    return std::string();
}

// Feeds count inputs, each made from its own seed, to check, which returns the fault it found.
void Feed(const char* kind, int count, const std::function<std::string(Rng&)>& make,
          const std::function<std::string(const std::string&, int)>& check) {
    static Guards guards;
    int failures = 0;
    for (int i = 0; i < count && failures < MAX_FAILURES_SHOWN; ++i) {
        Rng rng(SEED ^ (static_cast<uint32_t>(i + 1) * 2654435761u));
        rng.Next();
        std::string input = make(rng);
        current.kind = kind;
        current.index = i;
        current.bytes = &input;
        current.startedAt = GetTickCount();
        current.busy = 1;
        std::string fault = check(input, i);
        if (fault.empty())
            fault = HeapFault();
        current.busy = 0;
        if (!fault.empty()) {
            ++failures;
            PrintCurrent(fault.c_str());
            ADD_FAILURE() << kind << " input " << i << ": " << fault;
        }
    }
    current.bytes = nullptr;
}

template <size_t N> bool Ends(const char (&field)[N]) {
    return memchr(field, '\0', N) != nullptr;
}
#define CHECK_FIELD(record, field)                                                                 \
    if (!Ends((record)->field))                                                                    \
        return std::string(#field " runs past its size");

std::string ComponentFault(const Component* component) {
    CHECK_FIELD(component, name);
    CHECK_FIELD(component, description);
    for (int32_t i = 0; i < component->items.Count(); ++i) {
        const InstallItem* item = static_cast<const InstallItem*>(component->items.At(i));
        CHECK_FIELD(item, path);
        if (item->flags & ITEM_SHORTCUT) {
            const ShortcutItem* shortcut = static_cast<const ShortcutItem*>(item);
            CHECK_FIELD(shortcut, linkName);
            CHECK_FIELD(shortcut, arguments);
        }
    }
    return std::string();
}

std::string ScriptFault(const SetupScript* script) {
    if (!script)
        return "no script";
    CHECK_FIELD(script, installerFolder);
    CHECK_FIELD(script, company);
    CHECK_FIELD(script, productTitle);
    CHECK_FIELD(script, licenceFile);
    CHECK_FIELD(script, destFolder);
    CHECK_FIELD(script, readMePath);
    CHECK_FIELD(script, readMeCaption);
    CHECK_FIELD(script, hotSyncUser);
    CHECK_FIELD(script, startMenuFolder);
    CHECK_FIELD(script, logoFile);
    CHECK_FIELD(script, byeLink);
    CHECK_FIELD(script, webPage);
    // Walked without recursion: a tree may be as deep as it has components.
    std::vector<const PtrArray*> lists{&script->components};
    int32_t components = 0;
    int32_t items = 0;
    while (!lists.empty()) {
        const PtrArray* list = lists.back();
        lists.pop_back();
        for (int32_t i = 0; i < list->Count(); ++i) {
            const Component* component = static_cast<const Component*>(list->At(i));
            std::string fault = ComponentFault(component);
            if (!fault.empty())
                return fault;
            ++components;
            items += component->items.Count();
            if (component->children)
                lists.push_back(component->children);
        }
    }
    if (components > SCRIPT_MAX_COMPONENTS || items > SCRIPT_MAX_ITEMS)
        return "more components or items than a script may yield";
    PtrArray selected;
    if (CollectSelectedItems(script, &selected) && selected.Count() > items)
        return "more selected items than items";
    return std::string();
}

bool WideApiPresent() {
    return true;
}
bool WideApiAbsent() {
    return false;
}

std::string MakeMutated(Rng& rng, std::string (*make)(Rng&)) {
    std::string text = make(rng);
    return rng.Percent(25) ? text : Mutate(rng, text);
}

// The first input is a tree far deeper than any product's, of depth sections.
std::string MakeScriptInput(Rng& rng, bool* first, uint32_t depth) {
    if (!*first)
        return MakeMutated(rng, MakeScript);
    *first = false;
    return MakeWideOrDeepScript(true, depth);
}

// Sorted by line, each within the file (every CR or LF byte may end a line, whatever the
// encoding), each text ending inside its field.
std::string FindingsFault(const Findings& findings, const std::string& script) {
    int lines = 1 + static_cast<int>(std::count(script.begin(), script.end(), '\n') +
                                     std::count(script.begin(), script.end(), '\r'));
    int previous = 0;
    for (int i = 0; i < findings.Count(); ++i) {
        const Finding* finding = &findings.At(i);
        CHECK_FIELD(finding, text);
        if (finding->line < previous || finding->line > lines)
            return "finding " + std::to_string(i) + " names line " + std::to_string(finding->line) +
                   " after line " + std::to_string(previous) + " of " + std::to_string(lines);
        if (finding->level != FINDING_WARNING && finding->level != FINDING_ERROR)
            return "finding " + std::to_string(i) + " has no level";
        previous = finding->line;
    }
    return std::string();
}

void TakeSizeLine(const char* line, void* context) {
    if (strnlen(line, 4 * SCRIPT_ITEM_LINE_SIZE) >= 4 * SCRIPT_ITEM_LINE_SIZE)
        *static_cast<bool*>(context) = true;
}

} // namespace

TEST(RobustnessTest, ScriptReaderTakesGeneratedScripts) {
    TempFolder folder("orvex-robust");
    bool first = true;
    Feed(
        "script", SCRIPT_INPUTS,
        [&](Rng& rng) { return Encode(rng, MakeScriptInput(rng, &first, 5000)); },
        [&](const std::string& bytes, int index) {
            // The profile functions keep recent files by name: every input has its own.
            std::string path = folder.File("Setup" + std::to_string(index) + ".ini");
            if (!WriteFileBytes(path, bytes))
                return std::string("the script could not be written");
            SetWideApiProbe(index % 2 ? WideApiPresent : WideApiAbsent);
            SetupScript* script = ReadSetupScript(path.c_str());
            std::string fault = ScriptFault(script);
            DestroySetupScript(script);
            captionTitle = nullptr;
            DeleteFileA(path.c_str());
            return fault;
        });
    SetWideApiProbe(nullptr);
}

TEST(RobustnessTest, LogReaderTakesGeneratedLogs) {
    TempFolder folder("orvex-robust");
    std::string path = folder.File("_Install.log");
    Feed(
        "log", LOG_INPUTS, [](Rng& rng) { return MakeMutated(rng, MakeLog); },
        [&](const std::string& bytes, int) {
            if (!WriteFileBytes(path, bytes))
                return std::string("the log could not be written");
            UninstallLog log;
            ReadUninstallLog(path.c_str(), &log);
            CHECK_FIELD(&log, logPath);
            CHECK_FIELD(&log, sourceFolder);
            CHECK_FIELD(&log, title);
            for (int32_t i = 0; i < log.EntryCount(); ++i) {
                const LogEntry* entry = log.Entry(i);
                if (entry->kind < 0 || entry->kind > 8)
                    return "entry " + std::to_string(i) + " has no known kind";
                if (!entry->path || strnlen(entry->path, MAX_PATH) >= MAX_PATH)
                    return "entry " + std::to_string(i) + " names no path that fits";
            }
            return std::string();
        });
}

namespace {
const size_t GUARD = 16;
const char GUARD_BYTE = '\xA5';
const size_t outSizes[] = {1, 2, 3, 4, 8, 31, 32, 128, 259, 260, 261, 1024, 4096};

void ResolveLong(const void* owner, const char*, char* out, size_t outSize) {
    CopyText(out, outSize, static_cast<const std::string*>(owner)->c_str());
}

// Expands value into a buffer of each size between guard bytes, in place too when it fits.
std::string ExpansionFault(const std::string& value,
                           const std::function<void(const char*, char*, size_t)>& expand) {
    for (size_t size : outSizes) {
        std::vector<char> buffer(size + 2 * GUARD, GUARD_BYTE);
        char* out = &buffer[GUARD];
        bool inPlace = value.size() < size;
        if (inPlace)
            memcpy(out, value.c_str(), value.size() + 1);
        expand(inPlace ? out : value.c_str(), out, size);
        for (size_t i = 0; i < GUARD; ++i) {
            if (buffer[i] != GUARD_BYTE || buffer[GUARD + size + i] != GUARD_BYTE)
                return "written outside a buffer of " + std::to_string(size) + " bytes";
        }
        if (!memchr(out, '\0', size))
            return "no end within a buffer of " + std::to_string(size) + " bytes";
    }
    return std::string();
}
} // namespace

TEST(RobustnessTest, PathExpansionStaysWithinItsBuffers) {
    PathMacros macros("%PROGRAM_FILES%\\Acme\\Reader");
    Feed("path", PATH_INPUTS, MakePathValue, [&](const std::string& value, int index) {
        std::string fault = ExpansionFault(value, [&](const char* source, char* out, size_t size) {
            macros.Expand(source, out, size);
        });
        if (!fault.empty())
            return "PathMacros: " + fault;
        // Values of every length stand for the macro, up to far beyond a path.
        Rng rng(static_cast<uint32_t>(index) + 1);
        std::string replacement = MakePathValue(rng) + std::string(rng.Below(5000), 'r');
        fault = ExpansionFault(value, [&](const char* source, char* out, size_t size) {
            ExpandFirstMacro(source, out, size, ResolveLong, &replacement);
        });
        if (!fault.empty())
            return "long macro value: " + fault;
        if (index % 50 == 0) {
            // A generated destination through the constructor's own expansion.
            PathMacros generated(value.c_str());
            CHECK_FIELD(&generated, destPath);
        }
        return std::string();
    });
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0)
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// Each damaged or forged package ends with 1603 and one of the starter's messages in the record,
// shows nothing, and leaves its temporary folder empty and its own folder as it was.
TEST(RobustnessTest, StarterRefusesGeneratedDamagedPackages) {
    ProductFolder product;
    // The installer of this product only records that it ran: no damaged package gets that far.
    ASSERT_TRUE(
        product.Write("Setup.exe", ReadFileBytes(BinPath("fakes\\wizardaids\\openrecorder.exe"))));
    ASSERT_TRUE(WriteSmallProduct(product, "CopyFile2=64;%DEST_PATH%\\Data.bin\r\n"));
    std::string random;
    Rng bytes(SEED);
    for (int i = 0; i < 64 * 1024; ++i)
        random += static_cast<char>(bytes.Next() % (i % 3 ? 256 : 16));
    ASSERT_TRUE(product.Write("Data.bin", random));
    TempFolder folder("orvex-packages");
    std::string good = folder.File("good.exe");
    ASSERT_EQ(0, MakePackage(product.Path(), good));
    std::string goodBytes = ReadFileBytes(good);
    size_t dataAt = PackageDataOffset(good);
    ASSERT_NE(0u, dataAt);
    std::string run = folder.File("run");
    std::string temp = folder.File("temp");
    CreateDirectoryA(run.c_str(), nullptr);
    CreateDirectoryA(temp.c_str(), nullptr);
    EnvironmentValue tmp("TMP", temp);
    EnvironmentValue tempValue("TEMP", temp);
    const std::vector<std::string> runFiles = {"package.exe", "record.txt"};
    Feed(
        "package", PACKAGE_INPUTS,
        [&](Rng& rng) { return MakeDamagedPackage(rng, goodBytes, dataAt); },
        [&](const std::string& input, int) {
            std::string package = run + "\\package.exe";
            std::string record = run + "\\record.txt";
            if (!WriteFileBytes(package, input))
                return std::string("the package could not be written");
            SilentRun started =
                RunSilently("\"" + package + "\" /S /LOG=\"" + record + "\"", INPUT_LIMIT_MS, true);
            std::string fault;
            std::string said = ReadFileBytes(record);
            said = said.size() > 20 ? said.substr(20) : said;
            if (!started.ended)
                fault = "the starter did not end";
            else if (started.exitCode != 1603)
                fault = "exit code " + std::to_string(started.exitCode);
            else if (started.windowSeen)
                fault = "a window showed";
            else if (said.compare(0, 24, "This package is damaged ") != 0 &&
                     said.compare(0, 12, "Setup needs ") != 0 &&
                     said.compare(0, 18, "Setup cannot write") != 0)
                fault = "the record says: " + said;
            else if (!FolderEntries(temp).empty())
                fault = "the temporary folder keeps " + FolderEntries(temp).front();
            else if (FolderEntries(run) != runFiles)
                fault = "the package's folder changed";
            DeleteFileA(package.c_str());
            DeleteFileA(record.c_str());
            return fault;
        });
}

// Last: a crash ends the program, and the tests before it have reported by then.
TEST(RobustnessTest, CheckerTakesGeneratedProductScripts) {
    TempFolder folder("orvex-robust");
    std::string server = ReadFileBytes(BinPath("fakes\\testcom\\OrvexTestCom.dll"));
    ASSERT_FALSE(server.empty()) << "the test COM server is not built";
    bool first = true;
    std::vector<ProductFile> files;
    Feed(
        "product", PRODUCT_INPUTS,
        [&](Rng& rng) {
            // The checker reads every section of a deep tree twice (checks and sizes): at 5000
            // sections that takes seconds under Wine and nears the time limit on a busy machine.
            std::string script = MakeScriptInput(rng, &first, 1000);
            // From the same seed as the script: the input's number gives the files again.
            files = MakeProductFiles(rng, script, server);
            return Encode(rng, script);
        },
        [&](const std::string& bytes, int index) {
            // Its own folder each: the profile functions keep recent files by name.
            std::string product = folder.File("product" + std::to_string(index));
            CreateDirectoryA(product.c_str(), nullptr);
            for (const ProductFile& file : files) {
                std::string path = product + "\\" + file.name;
                if (file.folder)
                    CreateDirectoryA(path.c_str(), nullptr);
                else
                    WriteFileBytes(path, file.bytes);
            }
            if (!WriteFileBytes(product + "\\Setup.ini", bytes))
                return std::string("the script could not be written");
            Findings findings;
            CheckProduct(product.c_str(), &findings);
            std::string fault = FindingsFault(findings, bytes);
            bool overlong = false;
            ListCorrectedSizes(product.c_str(), 0, TakeSizeLine, &overlong);
            if (fault.empty() && overlong)
                fault = "--sizes gives a line without an end";
            captionTitle = nullptr;
            RemoveTree(product);
            return fault;
        });
}
