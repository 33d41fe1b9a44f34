#include "system/com_binding.h"

#include <objbase.h>

#include "system/system_libraries.h"

namespace {
// Both libraries stay for the process: a use taken once and never ended.
bool ole32Tried = false;
const Ole32Functions* ole32 = nullptr;
bool shell32Tried = false;
const ShellExecuteFunctions* shell32 = nullptr;
} // namespace

bool EnsureComReady() {
    if (!ole32Tried) {
        ole32Tried = true;
        AcquireLibrary(&ole32Library);
        ole32 = TableFunctions(&ole32Table);
        if (ole32)
            ole32->CoInitialize(nullptr);
    }
    return ole32 != nullptr;
}

HRESULT CreateComObject(REFCLSID classId, DWORD context, REFIID interfaceId, void** object) {
    *object = nullptr;
    if (!EnsureComReady())
        return E_FAIL;
    return ole32->CoCreateInstance(classId, nullptr, context, interfaceId, object);
}

BOOL RunShellExecute(SHELLEXECUTEINFOA* execute) {
    if (!shell32Tried) {
        shell32Tried = true;
        AcquireLibrary(&shell32Library);
        shell32 = TableFunctions(&shellExecuteTable);
    }
    if (!shell32)
        return FALSE;
    EnsureComReady();
    return shell32->ShellExecuteExA(execute);
}
