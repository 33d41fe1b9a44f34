#pragma once
// A way for tests to stand in for the system's section reader, as on a system that caps what
// it returns.
#include <windows.h>

using SectionReader = DWORD(WINAPI*)(LPCSTR section, LPSTR buffer, DWORD size, LPCSTR path);
// Replaces GetPrivateProfileSectionA for ProfileSection (null restores it).
void SetSectionReader(SectionReader reader);
