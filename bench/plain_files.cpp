// The baseline of the install and uninstall figures: the same folders and files made with
// CreateDirectoryA and CopyFileA, or removed with DeleteFileA and RemoveDirectoryA, and nothing
// else. Prints the milliseconds the work took.
//   plain_files copy <source folder> <target folder> <files> <folders>
//   plain_files delete <target folder> <files> <folders>
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
    bool copy = argc == 6 && strcmp(argv[1], "copy") == 0;
    bool remove = argc == 5 && strcmp(argv[1], "delete") == 0;
    if (!copy && !remove)
        return 2;
    const char* source = copy ? argv[2] : "";
    const char* target = copy ? argv[3] : argv[2];
    int files = atoi(copy ? argv[4] : argv[3]);
    int folders = atoi(copy ? argv[5] : argv[4]);
    if (files <= 0 || folders <= 0)
        return 2;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    char from[MAX_PATH];
    char to[MAX_PATH];
    int failures = 0;
    if (copy) {
        CreateDirectoryA(target, nullptr);
        for (int f = 0; f < folders; ++f) {
            snprintf(to, sizeof(to), "%s\\d%02d", target, f);
            CreateDirectoryA(to, nullptr);
        }
    }
    for (int i = 0; i < files; ++i) {
        snprintf(to, sizeof(to), "%s\\d%02d\\f%04d.dat", target, i % folders, i);
        if (copy) {
            snprintf(from, sizeof(from), "%s\\f%04d.dat", source, i);
            failures += !CopyFileA(from, to, FALSE);
        } else {
            failures += !DeleteFileA(to);
        }
    }
    if (remove) {
        for (int f = 0; f < folders; ++f) {
            snprintf(to, sizeof(to), "%s\\d%02d", target, f);
            RemoveDirectoryA(to);
        }
        RemoveDirectoryA(target);
    }
    QueryPerformanceCounter(&end);
    printf("%.3f\n", (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart);
    return failures == 0 ? 0 : 1;
}
