// Test COM server for regsvr32. DllRegisterServer writes the string value
//   HKEY_CURRENT_USER\Software\OrvexTests\Registered, value name = this DLL's own full path,
//   data = "registered",
// and DllUnregisterServer deletes that value again. Copy the DLL under any name and into any
// folder: each copy marks only its own path, so a test sees which file regsvr32 really
// registered. A copy whose name contains "fail" returns E_FAIL from both calls without touching
// the registry (regsvr32 then reports a failure with a non-zero exit code). A copy whose name
// contains "keep" reports success from DllUnregisterServer but leaves its value, as a server
// would whose removal forgets part of its registration. The marker keys go with their last value.
// A test that has made the event "OrvexTestCom reached <file name>" learns the exact moment of a
// copy's registration: once its marker is written, the copy sets that event and waits (a minute
// at most) for "OrvexTestCom go <file name>" before it returns, holding regsvr32 and the program
// that waits for it at that point.
#include <windows.h>

static HINSTANCE dllInstance;
static const char MARKER_KEY[] = "Software\\OrvexTests\\Registered";

static bool OwnPath(char* path) {
    DWORD length = GetModuleFileNameA(dllInstance, path, MAX_PATH);
    return length > 0 && length < MAX_PATH;
}

static bool NameContains(const char* path, const char* part) {
    const char* name = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '\\')
            name = p + 1;
    }
    for (const char* p = name; *p; ++p) {
        const char* a = p;
        const char* b = part;
        while (*b && *a && (*a | 0x20) == *b) {
            ++a;
            ++b;
        }
        if (!*b)
            return true;
    }
    return false;
}

static bool ShouldFail(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '\\')
            name = p + 1;
    }
    for (const char* p = name; *p; ++p) {
        if ((p[0] | 0x20) == 'f' && (p[1] | 0x20) == 'a' && (p[2] | 0x20) == 'i' &&
            (p[3] | 0x20) == 'l')
            return true;
    }
    return false;
}

static void HoldWhenWatched(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '\\')
            name = p + 1;
    }
    // The name part of a path below MAX_PATH always fits behind either prefix.
    char eventName[MAX_PATH + 32];
    lstrcpyA(eventName, "OrvexTestCom reached ");
    lstrcatA(eventName, name);
    HANDLE reached = OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName);
    if (!reached)
        return;
    lstrcpyA(eventName, "OrvexTestCom go ");
    lstrcatA(eventName, name);
    HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, eventName);
    SetEvent(reached);
    if (go) {
        WaitForSingleObject(go, 60000);
        CloseHandle(go);
    }
    CloseHandle(reached);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        dllInstance = instance;
    return TRUE;
}

extern "C" HRESULT WINAPI DllRegisterServer() {
    char path[MAX_PATH];
    if (!OwnPath(path) || ShouldFail(path))
        return E_FAIL;
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, MARKER_KEY, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return E_FAIL;
    static const char data[] = "registered";
    LONG status =
        RegSetValueExA(key, path, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof(data));
    RegCloseKey(key);
    HoldWhenWatched(path);
    return status == ERROR_SUCCESS ? S_OK : E_FAIL;
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
    char path[MAX_PATH];
    if (!OwnPath(path) || ShouldFail(path))
        return E_FAIL;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, MARKER_KEY, 0, KEY_WRITE, &key) != ERROR_SUCCESS)
        return S_OK;
    if (NameContains(path, "keep")) {
        RegCloseKey(key);
        return S_OK;
    }
    RegDeleteValueA(key, path);
    DWORD values = 1;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    if (values == 0) {
        RegDeleteKeyA(HKEY_CURRENT_USER, MARKER_KEY);
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\OrvexTests");
    }
    return S_OK;
}
