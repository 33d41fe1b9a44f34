#pragma once
// Windows File Protection: files of Windows itself that no installer may replace or delete.

// True when Windows protects the file at path (SfcIsFileProtected of sfc.dll). Windows without
// sfc.dll (95, 98, Me, NT 4) protects nothing this way.
bool IsProtectedFile(const char* path);
