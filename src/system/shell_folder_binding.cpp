#include "system/shell_folder_binding.h"

#include "system/library_binding.h"
#include "system/path_macros_testing.h"
#include "system/text.h"

namespace {
typedef BOOL(WINAPI* SpecialFolderPathFn)(HWND, LPSTR, int, BOOL);
typedef HRESULT(WINAPI* FolderPathFn)(HWND, int, HANDLE, DWORD, LPSTR);

struct Binding {
    int liveObjects;
    HMODULE library;
    SpecialFolderPathFn specialFolderPath;
    FolderPathFn folderPath;
    unsigned loads;
    unsigned frees;
};
Binding binding = {0, nullptr, nullptr, nullptr, 0, 0};

HMODULE LoadCounted(const char* name) {
    HMODULE library = LoadSystemLibrary(name);
    if (library)
        ++binding.loads;
    return library;
}

void FreeCounted(HMODULE library) {
    FreeLibrary(library);
    ++binding.frees;
}
} // namespace

void AcquireShellFolderBinding() {
    if (binding.liveObjects++ > 0)
        return;
    binding.specialFolderPath = nullptr;
    binding.folderPath = nullptr;
    binding.library = LoadCounted("Shell32.dll");
    if (binding.library) {
        BindProc(binding.library, "SHGetSpecialFolderPathA", binding.specialFolderPath);
        BindProc(binding.library, "SHGetFolderPathA", binding.folderPath);
        if (binding.specialFolderPath || binding.folderPath)
            return;
        // Windows 95 without the desktop update: its Shell32 has neither function, but the
        // redistributable SHFolder.dll may be there.
        FreeCounted(binding.library);
    }
    binding.library = LoadCounted("SHFolder.dll");
    if (binding.library)
        BindProc(binding.library, "SHGetFolderPathA", binding.folderPath);
}

void ReleaseShellFolderBinding() {
    if (binding.liveObjects <= 0 || --binding.liveObjects > 0)
        return;
    if (binding.library)
        FreeCounted(binding.library);
    binding.library = nullptr;
    binding.specialFolderPath = nullptr;
    binding.folderPath = nullptr;
}

bool GetShellFolder(int folderNumber, char* out, size_t outSize) {
    // Both functions write up to MAX_PATH bytes, whatever the caller's buffer holds.
    char folder[MAX_PATH];
    folder[0] = '\0';
    if (binding.specialFolderPath) {
        if (!binding.specialFolderPath(nullptr, folder, folderNumber, FALSE))
            return false;
    } else if (binding.folderPath) {
        if (FAILED(binding.folderPath(nullptr, folderNumber, nullptr, 0, folder)))
            return false;
    } else {
        return false;
    }
    folder[sizeof(folder) - 1] = '\0';
    CopyText(out, outSize, folder);
    return true;
}

ShellFolderBindingState InspectShellFolderBinding() {
    return {binding.liveObjects,           binding.library, binding.specialFolderPath != nullptr,
            binding.folderPath != nullptr, binding.loads,   binding.frees};
}

void DropShellFolderFunctions() {
    binding.specialFolderPath = nullptr;
    binding.folderPath = nullptr;
}
