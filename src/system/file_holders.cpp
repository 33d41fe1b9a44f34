#include "system/file_holders.h"

#include <memory>
#include <new>

#include "system/text.h"

namespace {
const UINT MOST_NAMED = 5;
} // namespace

bool NameFileHolders(const RestartManagerFunctions& calls, const char* path, const char* others,
                     char* names, size_t size) {
    if (!names || size == 0)
        return false;
    names[0] = '\0';
    WCHAR widePath[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH))
        return false;
    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (calls.RmStartSession(&session, 0, key) != ERROR_SUCCESS)
        return false;
    LPCWSTR files[] = {widePath};
    UINT needed = 0;
    UINT count = 0;
    DWORD reasons = 0;
    std::unique_ptr<RM_PROCESS_INFO[]> infos;
    if (calls.RmRegisterResources(session, 1, files, 0, nullptr, 0, nullptr) == ERROR_SUCCESS &&
        calls.RmGetList(session, &needed, &count, nullptr, &reasons) == ERROR_MORE_DATA) {
        // The list may grow between the two questions: a second shortfall names nobody.
        count = needed;
        infos.reset(new (std::nothrow) RM_PROCESS_INFO[needed]);
        if (!infos || calls.RmGetList(session, &needed, &count, infos.get(), &reasons) != 0)
            count = 0;
    }
    calls.RmEndSession(session);
    for (UINT index = 0; index < count && index < MOST_NAMED; ++index) {
        char name[CCH_RM_MAX_APP_NAME + 1];
        if (!WideCharToMultiByte(CP_ACP, 0, infos[index].strAppName, -1, name, sizeof(name),
                                 nullptr, nullptr))
            continue;
        if (names[0] != '\0')
            AppendText(names, size, ", ");
        AppendText(names, size, name);
    }
    if (names[0] != '\0' && count > MOST_NAMED) {
        AppendText(names, size, " ");
        AppendText(names, size, others);
    }
    return names[0] != '\0';
}

bool NameFileHolders(const char* path, const char* others, char* names, size_t size) {
    if (names && size > 0)
        names[0] = '\0';
    FunctionsUse<RestartManagerFunctions> calls(&restartManagerTable);
    return calls && NameFileHolders(*calls.Get(), path, others, names, size);
}
