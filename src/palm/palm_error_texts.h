#pragma once
// Texts for the failures of the Palm HotSync bridge: the loader's own codes and the statuses of
// the three HotSync libraries. Every function writes at most size - 1 bytes and terminates.
#include <stddef.h>

// Loader result codes of PalmInstallPlugin::Init.
const long PALM_LOAD_OK = 0;
const long PALM_LOAD_NO_PACKAGED_CONDMGR = -1201;
const long PALM_LOAD_INVALID_CONDMGR = -1202;
const long PALM_LOAD_INVALID_USERDATA = -1203;
const long PALM_LOAD_INVALID_INSTAIDE = -1204;
const long PALM_LOAD_NO_USERDATA = -1207;
const long PALM_LOAD_NO_INSTAIDE = -1208;

// UserData's status for a buffer too small for what was asked.
const long USERDATA_BUFFER_TOO_SMALL = -504;

// The text of a loader code; any other code is taken as a status and goes to FormatPalmStatus.
const char* LoaderErrorText(long code, char* text, size_t size);
// The text of a status that is not a loader code: CondMgr's statuses (-1000 to -1023) get the
// CondMgr texts, anything else "Unknown Palm error: 0x..." with the 32-bit value.
const char* FormatPalmStatus(long status, char* text, size_t size);

// One library's status: 0 and positive statuses (not failures) give the empty text, a status the
// library does not define gives that library's "Unknown ..." text with the decimal code.
const char* UserDataErrorText(long status, char* text, size_t size);
const char* CondMgrErrorText(long status, char* text, size_t size);
const char* InstAideErrorText(long status, char* text, size_t size);
