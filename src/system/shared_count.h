#pragma once
// Files that more than one product may install (a system folder's DLL, a common folder's file)
// carry a reference count in the registry: a REG_DWORD under SharedDLLs named by the file's full
// path, which every installer adds to and every removal takes from; the last removal deletes the
// file.
#include <stddef.h>
#include <windows.h>

extern const char SHARED_DLLS_KEY_PATH[];

// True unless path lies inside destFolder: a product's files outside its own folder may be
// another product's too.
bool IsSharedTarget(const char* destFolder, const char* path);

// True also when the file at path already has a count, wherever it lies: whoever counted it
// shares it.
bool CountsAsShared(const char* destFolder, const char* path);

// The name a file's count goes under: where the file really is. A 32-bit run on 64-bit Windows
// that writes to the system folder writes to SysWOW64, and Windows Installer counts it there.
void CountedPath(const char* path, char* out, size_t size);
// For a name in the SysWOW64 spelling, the system folder's spelling the log holds; false for
// any other name.
bool LoggedSpelling(const char* name, char* out, size_t size);

enum SharedCountState {
    COUNT_ABSENT,     // no value at all
    COUNT_READ,       // a REG_DWORD, in *count
    COUNT_UNREADABLE, // a value that is no count: the file is kept, never taken as uncounted
};
// Under the counted name, then under the name an earlier build wrote (the system folder's).
SharedCountState ReadSharedCountState(const char* path, DWORD* count);
// False when the file has no count.
bool ReadSharedCount(const char* path, DWORD* count);
// Calls visit for every count there is: one pass over the key, however many files are asked
// about.
void ForEachSharedCount(void (*visit)(const char* path, DWORD count, void* context), void* context);
void WriteSharedCount(const char* path, DWORD count);
void RemoveSharedCount(const char* path);
// Adds this product's use of the file at path. A file that is there without a count belongs to
// an earlier owner who never counted it: it starts at 1 for that owner, so that it outlives this
// product.
void CountSharedFile(const char* path);
// Gives an existing file without a count the earlier owner's 1 before the file is replaced.
void SeedSharedCount(const char* path);
