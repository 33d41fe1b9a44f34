#include "system/system_libraries.h"

#include <string.h>

#include "system/library_binding.h"

// Binding walks a table as consecutive function pointers, one per name. Names are arrays of their
// own, so that a program drops those of the tables it does not use.
#define ORVEX_TABLE_COUNT(name) +1

namespace {
static_assert(sizeof(Kernel32Functions) ==
                  (0 ORVEX_KERNEL32_FUNCTIONS(ORVEX_TABLE_COUNT)) * sizeof(FARPROC),
              "Kernel32Functions");
Kernel32Functions kernel32Functions;
bool kernel32Bound;
} // namespace

const Kernel32Functions& Kernel32() {
    if (!kernel32Bound) {
        kernel32Bound = true;
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        const char* name = ORVEX_TABLE_NAMES(ORVEX_KERNEL32_FUNCTIONS);
        // Each on its own: one missing function leaves the others usable.
        for (char* slot = reinterpret_cast<char*>(&kernel32Functions); *name;
             name += strlen(name) + 1, slot += sizeof(FARPROC)) {
            FARPROC address = GetProcAddress(kernel, name);
            memcpy(slot, &address, sizeof(address));
        }
    }
    return kernel32Functions;
}

#define ORVEX_LIBRARY(variable, file)                                                              \
    const char variable##File[] = file;                                                            \
    SystemLibrary variable = {variable##File, nullptr, 0, false, 0};
ORVEX_LIBRARY(advapi32Library, "advapi32.dll")
ORVEX_LIBRARY(versionLibrary, "version.dll")
ORVEX_LIBRARY(sfcLibrary, "sfc.dll")
ORVEX_LIBRARY(restartManagerLibrary, "rstrtmgr.dll")
ORVEX_LIBRARY(user32Library, "user32.dll")
ORVEX_LIBRARY(ntdllLibrary, "ntdll.dll")
ORVEX_LIBRARY(ole32Library, "ole32.dll")
ORVEX_LIBRARY(shell32Library, "Shell32.dll")
ORVEX_LIBRARY(shfolderLibrary, "SHFolder.dll")
ORVEX_LIBRARY(comctl32Library, "comctl32.dll")

void AcquireLibrary(SystemLibrary* library) {
    if (library->users++ == 0)
        library->tried = false;
}

void ReleaseLibrary(SystemLibrary* library) {
    if (library->users <= 0 || --library->users > 0)
        return;
    if (library->module)
        FreeLibrary(library->module);
    library->module = nullptr;
}

HMODULE LibraryModule(SystemLibrary* library) {
    if (library->users > 0 && !library->module && !library->tried) {
        library->tried = true;
        library->module = LoadSystemLibrary(library->fileName);
        if (library->module)
            ++library->loads;
    }
    return library->module;
}

bool BindFunctions(HMODULE module, const char* names, void* functions, size_t count) {
    char* slot = static_cast<char*>(functions);
    for (size_t i = 0; i < count; ++i, names += strlen(names) + 1) {
        FARPROC address = module && *names ? GetProcAddress(module, names) : nullptr;
        if (!address) {
            memset(functions, 0, count * sizeof(FARPROC));
            return false;
        }
        memcpy(slot + i * sizeof(FARPROC), &address, sizeof(address));
    }
    return true;
}

const void* BindTable(TableBinding* binding, void* functions, size_t size) {
    SystemLibrary* library = binding->library;
    HMODULE module = LibraryModule(library);
    if (!module)
        return nullptr;
    if (binding->boundAt != library->loads) {
        binding->boundAt = library->loads;
        binding->bound = BindFunctions(module, binding->names, functions, size / sizeof(FARPROC));
    }
    return binding->bound ? functions : nullptr;
}

#define ORVEX_TABLE(Functions, variable, library, LIST)                                            \
    static_assert(sizeof(Functions) == (0 LIST(ORVEX_TABLE_COUNT)) * sizeof(FARPROC), #Functions); \
    const char variable##Names[] = ORVEX_TABLE_NAMES(LIST);                                        \
    SystemTable<Functions> variable = {{&library, variable##Names, 0, false}, {}};
ORVEX_TABLE(TokenFunctions, tokenTable, advapi32Library, ORVEX_TOKEN_FUNCTIONS)
ORVEX_TABLE(MembershipFunctions, membershipTable, advapi32Library, ORVEX_MEMBERSHIP_FUNCTIONS)
ORVEX_TABLE(CryptFunctions, cryptTable, advapi32Library, ORVEX_CRYPT_FUNCTIONS)
ORVEX_TABLE(VersionFunctions, versionTable, versionLibrary, ORVEX_VERSION_FUNCTIONS)
ORVEX_TABLE(SfcFunctions, sfcTable, sfcLibrary, ORVEX_SFC_FUNCTIONS)
ORVEX_TABLE(RestartManagerFunctions, restartManagerTable, restartManagerLibrary,
            ORVEX_RESTART_MANAGER_FUNCTIONS)
ORVEX_TABLE(User32Functions, user32Table, user32Library, ORVEX_USER32_FUNCTIONS)
ORVEX_TABLE(NtdllFunctions, ntdllTable, ntdllLibrary, ORVEX_NTDLL_FUNCTIONS)
ORVEX_TABLE(Ole32Functions, ole32Table, ole32Library, ORVEX_OLE32_FUNCTIONS)
ORVEX_TABLE(ShellExecuteFunctions, shellExecuteTable, shell32Library, ORVEX_SHELL_EXECUTE_FUNCTIONS)
ORVEX_TABLE(CommonControlsFunctions, commonControlsTable, comctl32Library,
            ORVEX_COMMON_CONTROLS_FUNCTIONS)
ORVEX_TABLE(SpecialFolderFunctions, specialFolderTable, shell32Library,
            ORVEX_SPECIAL_FOLDER_FUNCTIONS)
ORVEX_TABLE(FolderPathFunctions, shell32FolderPathTable, shell32Library,
            ORVEX_FOLDER_PATH_FUNCTIONS)
ORVEX_TABLE(FolderPathFunctions, shfolderFolderPathTable, shfolderLibrary,
            ORVEX_FOLDER_PATH_FUNCTIONS)
