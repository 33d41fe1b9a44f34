#include "system/com_binding.h"

#include <objbase.h>

#include "system/library_binding.h"

namespace {
typedef HRESULT(WINAPI* CoInitializeFn)(LPVOID);
typedef HRESULT(WINAPI* CoCreateInstanceFn)(REFCLSID, IUnknown*, DWORD, REFIID, LPVOID*);
typedef BOOL(WINAPI* ShellExecuteExFn)(SHELLEXECUTEINFOA*);

struct Ole32Table {
    bool tried;
    CoInitializeFn coInitialize;
    CoCreateInstanceFn coCreateInstance;
};
Ole32Table ole32 = {false, nullptr, nullptr};

struct Shell32Table {
    bool tried;
    ShellExecuteExFn shellExecuteEx;
};
Shell32Table shell32 = {false, nullptr};
} // namespace

bool EnsureComReady() {
    if (!ole32.tried) {
        ole32.tried = true;
        HMODULE library = LoadSystemLibrary("ole32.dll");
        if (!BindProc(library, "CoInitialize", ole32.coInitialize) ||
            !BindProc(library, "CoCreateInstance", ole32.coCreateInstance)) {
            ole32.coInitialize = nullptr;
            ole32.coCreateInstance = nullptr;
        } else {
            ole32.coInitialize(nullptr);
        }
    }
    return ole32.coCreateInstance != nullptr;
}

HRESULT CreateComObject(REFCLSID classId, DWORD context, REFIID interfaceId, void** object) {
    *object = nullptr;
    if (!EnsureComReady())
        return E_FAIL;
    return ole32.coCreateInstance(classId, nullptr, context, interfaceId, object);
}

BOOL RunShellExecute(SHELLEXECUTEINFOA* execute) {
    if (!shell32.tried) {
        shell32.tried = true;
        BindProc(LoadSystemLibrary("shell32.dll"), "ShellExecuteExA", shell32.shellExecuteEx);
    }
    if (!shell32.shellExecuteEx)
        return FALSE;
    EnsureComReady();
    return shell32.shellExecuteEx(execute);
}
