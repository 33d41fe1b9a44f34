#include "system/shell_folder_binding.h"

#include "system/path_macros_testing.h"
#include "system/system_libraries.h"
#include "system/text.h"

namespace {
struct Binding {
    int liveObjects;
    SystemLibrary* library; // the library of the live objects' use
    const SpecialFolderFunctions* special;
    const FolderPathFunctions* folderPath;
    unsigned loads;
    unsigned frees;
};
Binding binding = {0, nullptr, nullptr, nullptr, 0, 0};

// A use of the library; false (the use ended) when it cannot be loaded.
bool UseLibrary(SystemLibrary* library) {
    binding.library = library;
    AcquireLibrary(library);
    if (LibraryModule(library)) {
        ++binding.loads;
        return true;
    }
    ReleaseLibrary(library);
    binding.library = nullptr;
    return false;
}

void EndUse() {
    if (binding.library) {
        ++binding.frees;
        ReleaseLibrary(binding.library);
    }
    binding.library = nullptr;
}
} // namespace

void AcquireShellFolderBinding() {
    if (binding.liveObjects++ > 0)
        return;
    binding.special = nullptr;
    binding.folderPath = nullptr;
    if (UseLibrary(&shell32Library)) {
        binding.special = TableFunctions(&specialFolderTable);
        binding.folderPath = TableFunctions(&shell32FolderPathTable);
        if (binding.special || binding.folderPath)
            return;
        // Windows 95 without the desktop update: its Shell32 has neither function, but the
        // redistributable SHFolder.dll may be there.
        EndUse();
    }
    if (UseLibrary(&shfolderLibrary))
        binding.folderPath = TableFunctions(&shfolderFolderPathTable);
}

void ReleaseShellFolderBinding() {
    if (binding.liveObjects <= 0 || --binding.liveObjects > 0)
        return;
    EndUse();
    binding.special = nullptr;
    binding.folderPath = nullptr;
}

bool GetShellFolder(int folderNumber, char* out, size_t outSize) {
    // Both functions write up to MAX_PATH bytes, whatever the caller's buffer holds.
    char folder[MAX_PATH];
    folder[0] = '\0';
    if (binding.special) {
        if (!binding.special->SHGetSpecialFolderPathA(nullptr, folder, folderNumber, FALSE))
            return false;
    } else if (binding.folderPath) {
        if (FAILED(binding.folderPath->SHGetFolderPathA(nullptr, folderNumber, nullptr, 0, folder)))
            return false;
    } else {
        return false;
    }
    folder[sizeof(folder) - 1] = '\0';
    CopyText(out, outSize, folder);
    return true;
}

ShellFolderBindingState InspectShellFolderBinding() {
    return {binding.liveObjects,
            binding.library ? binding.library->module : nullptr,
            binding.special != nullptr,
            binding.folderPath != nullptr,
            binding.loads,
            binding.frees};
}

void DropShellFolderFunctions() {
    binding.special = nullptr;
    binding.folderPath = nullptr;
}
