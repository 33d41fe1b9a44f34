#include "palm/palm_error_texts.h"

#include "system/text.h"

namespace {

struct StatusText {
    long status;
    const char* text;
};

const StatusText userDataTexts[] = {
    {-500, "No users data store was found. Try to define new Palm Desktop user."},
    {-501, "The users data store exists, but is empty."},
    {-503, "The user index is out of range."},
    {-504, "The supplied buffer is too small."},
    {-505, "The user ID supplied is NULL or not for an available user."},
    {-506, "A User Data function tried to write an invalid config entry."},
    {-509, "The specified user name is invalid."},
    {-510, "The specified user directory is invalid."},
    {-511, "The user directory does not exist."},
    {-512, "The user does not exist."},
    {-513, "The user name parameter is not already contained in the users data store."},
    {-514, "The file passed to the User Data function is not a valid file type."},
    {-515, "The User Data function cannot access the user data."},
    {-516, "Saving changes was not successfully completed."},
    {-518, "A miscellaneous error occurred while trying to access the users data store."},
    {-519, "The specified user index is invalid."},
    {-520, "Creating a new file failed."},
    {-521, "A value for the Core\\Path config entry does not exist."},
    {-522, "The specified pointer is invalid."},
    {-523, "The specified user already exists."},
    {-524, "The specified user directory already used."},
    {-525, "The attempt to write to the users data store failed."},
    {-526, "The path is more than 256 characters long."},
    {-527, "The string to retrieve is too large to store."},
    {-528, "This function is no longer supported."},
    {-529, "The requested handheld information is not available. Try to HotSync specified user or "
           "select another one."},
};

const StatusText condMgrTexts[] = {
    {-1000, "An otherwise nonspecific Conduit Manager error occurred."},
    {-1001, "Index out of range."},
    {-1002, "The configuration entries for the specified conduit could not be deleted."},
    {-1003, "The specified conduit does not exist."},
    {-1004, "Not enough memory to perform the requested operation."},
    {-1005, "Creator ID is already in use."},
    {-1006, "Unable to access the conduit configuration entries."},
    {-1007, "The conduit could not be registered with HotSync Manager."},
    {-1008, "Specified conduit configuration entry could not be set."},
    {-1009, "Invalid structure handle."},
    {-1010, "The buffer is too small to hold the requested information."},
    {-1011, "Specified value could not be found in the configuration for this conduit."},
    {-1012, "Invalid conduit creator ID."},
    {-1013, "Invalid pointer."},
    {-1014, "Unable to install conduit."},
    {-1015, "Invalid conduit type."},
    {-1016, "Invalid communications port type."},
    {-1017, "The value or feature that you specified is no longer supported."},
    {-1018, "Invalid path."},
    {-1019, "The specified conduit or notifier is already installed."},
    {-1020, "Unable to access the conduit configuration entries."},
    {-1021, "The specified notifier is not registered."},
    {-1022, "Specified unique ID for an install conduit is already in use."},
    {-1023, "Invalid unique ID for an install conduit."},
};

const StatusText instAideTexts[] = {
    {-500, "The users data file does not contain any user information."},
    {-501, "The value of the index parameter is greater than the number of users."},
    {-502, "The buffer supplied as a parameter is either too small or invalid."},
    {-503, "There is no users data file."},
    {-504, "The InstAide could not copy the file."},
    {-505, "The user name parameter value is either NULL or invalid."},
    {-506, "The filename parameter supplied to to an install function is NULL."},
    {-507, "File index parameter passed is greater than the number of files."},
    {-509, "The path type parameter value is not a valid path type value."},
    {-510, "The requested path is not stored in the configuration. Try reinstall the Palm "
           "Desktop."},
    {-511, "The path parameter passed to the PltSetPath function is NULL."},
    {-512, "An attempt was made to install a file that is already queued for installation."},
    {-513, "A file passed to the install function is not a valid file or was not found."},
    {-514, "An index parameter exceeds the maximum value allowed for the index."},
    {-515, "A file parameter is not a valid file type for use with the function."},
    {-516, "A buffer parameter is NULL."},
    {-517, "An invalid unique ID was passed to this function."},
    {-518, "Core\\Path configuration entry does not exist - user data cannot be retrieved."},
    {-519, "Creating a new users data file failed."},
    {-520, "A sharing problem occurred with the users data file."},
    {-521, "A miscellaneous error occurred while trying to access the users data file."},
    {-522, "The user ID passed to PlmGetUserNameFromID is invalid."},
    {-523, "InstAide failed to remove the specified install file (f.e., the file does not "
           "exist.)"},
    {-524, "InstAide failed to move the specified install file."},
    {-551, "No directory was found for the specified user."},
    {-552, "No users data file found."},
    {-553, "The specified user name could not be found in the database."},
    {-554, "The specified filename is invalid."},
    {-555, "The InstAide cannot access the user data."},
    {-701, "InstAide does not recognize the file type."},
};

template <size_t N>
const char* LookUp(const StatusText (&table)[N], const char* fallback, long status, char* text,
                   size_t size) {
    if (status >= 0) {
        CopyText(text, size, "");
        return text;
    }
    for (const StatusText& entry : table) {
        if (entry.status == status) {
            CopyText(text, size, entry.text);
            return text;
        }
    }
    FormatText(text, size, fallback, status);
    return text;
}

const char* WithHint(const char* shortText, char* text, size_t size) {
    FormatText(text, size,
               "    %s\n(Make sure Palm HotSync is installed and functioning.\n Without HotSync "
               "no Palm application can be installed.",
               shortText);
    return text;
}

} // namespace

const char* UserDataErrorText(long status, char* text, size_t size) {
    return LookUp(userDataTexts, "Unknown Palm UserData error: %ld", status, text, size);
}

const char* CondMgrErrorText(long status, char* text, size_t size) {
    return LookUp(condMgrTexts, "Unknown Palm CondMgr error: %ld", status, text, size);
}

const char* InstAideErrorText(long status, char* text, size_t size) {
    return LookUp(instAideTexts, "Unknown Palm InstAide error: %ld", status, text, size);
}

const char* FormatPalmStatus(long status, char* text, size_t size) {
    // CmGetHotSyncExecPath is the only CondMgr call whose status comes here, and CondMgr's
    // statuses are the negative values -1000 to -1023. (A test of bits 8 to 15 for 0x10 would
    // match none of them: -1000 is 0xFFFFFC18.)
    if (status <= -1000 && status >= -1023)
        return CondMgrErrorText(status, text, size);
    FormatText(text, size, "Unknown Palm error: 0x%lX", static_cast<unsigned long>(status));
    return text;
}

const char* LoaderErrorText(long code, char* text, size_t size) {
    switch (code) {
    case PALM_LOAD_OK:
        CopyText(text, size, "");
        return text;
    case PALM_LOAD_NO_PACKAGED_CONDMGR:
        CopyText(text, size, "Invalid installation: CondMgr.dll is not included");
        return text;
    case PALM_LOAD_INVALID_CONDMGR:
        return WithHint("Invalid CondMgr.dll", text, size);
    case PALM_LOAD_INVALID_USERDATA:
        return WithHint("Invalid UserData.dll", text, size);
    case PALM_LOAD_INVALID_INSTAIDE:
        return WithHint("Invalid InstAide.dll", text, size);
    case PALM_LOAD_NO_USERDATA:
        return WithHint("UserData.dll not found", text, size);
    case PALM_LOAD_NO_INSTAIDE:
        return WithHint("InstAide.dll not found", text, size);
    default:
        return FormatPalmStatus(code, text, size);
    }
}
