// SetupCheck.exe [--sizes] [--codepage N] [--pack package.exe] [product folder]: checks a product
// folder before it ships, and packs it into one file. SetupCheck.exe --version: prints its name
// and version.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "orvex_version.h"

#include "check/findings.h"
#include "check/product_check.h"
#include "check/product_package.h"
#include "system/library_binding.h"
#include "system/module_path.h"
#include "system/text.h"

namespace {
const char USAGE[] =
    "usage: SetupCheck.exe [--sizes] [--codepage N] [--pack package.exe] [product folder]\n"
    "Checks Setup.ini and the files of a product folder (default: the folder of SetupCheck.exe).\n"
    "Exit code: 0 nothing to report, 1 warnings only, 2 errors.\n"
    "--sizes prints the file item lines with the real sizes of their files, in K.\n"
    "--codepage N reads a UTF-16 Setup.ini through ANSI code page N instead of this machine's.\n"
    "--pack package.exe also writes the files the product needs into one program file that\n"
    "  installs it; with a check error or a write failure it exits 2 and leaves that path as it\n"
    "  was.\n"
    "--version prints the name and version of SetupCheck.exe.\n";

void PrintLine(const char* line, void*) {
    printf("%s\n", line);
}
} // namespace

int main(int argc, char** argv) {
    RestrictLibrarySearch();
    bool sizes = false;
    const char* folder = nullptr;
    const char* package = nullptr;
    CheckOptions options;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--version") == 0) {
            printf("SetupCheck.exe (Orvex Install Wizard) %s\n", ORVEX_VERSION_TEXT);
            return 0;
        }
        if (strcmp(argv[i], "--sizes") == 0) {
            sizes = true;
        } else if (strcmp(argv[i], "--codepage") == 0 && i + 1 < argc) {
            char* end = nullptr;
            options.codePage = static_cast<unsigned>(strtoul(argv[++i], &end, 10));
            if (*end || !IsValidCodePage(options.codePage)) {
                fprintf(stderr, "code page %s is not installed on this machine\n", argv[i]);
                return 2;
            }
        } else if (strcmp(argv[i], "--pack") == 0 && i + 1 < argc && !package) {
            package = argv[++i];
        } else if (argv[i][0] == '-' || folder) {
            fputs(USAGE, stderr);
            return 2;
        } else {
            folder = argv[i];
        }
    }
    char ownFolder[MAX_PATH];
    if (!folder) {
        GetExecutableFolder(ownFolder, sizeof(ownFolder));
        folder = ownFolder;
    }
    if (sizes && package) {
        fputs(USAGE, stderr);
        return 2;
    }
    if (sizes) {
        if (ListCorrectedSizes(folder, options.codePage, PrintLine, nullptr))
            return 0;
        fprintf(stderr, "cannot read %s\\Setup.ini\n", folder);
        return 2;
    }
    PackageFiles packed;
    if (package) {
        options.needed = PackageFiles::Take;
        options.neededContext = &packed;
    }
    Findings findings;
    CheckProduct(folder, options, &findings);
    char line[1024];
    for (int i = 0; i < findings.Count(); ++i) {
        findings.Format(i, line, sizeof(line));
        printf("%s\n", line);
    }
    if (findings.Count() == 0)
        printf("%s: no findings\n", folder);
    else
        printf("%s: %d error(s), %d warning(s)\n", folder, findings.Errors(), findings.Warnings());
    if (!package || findings.ExitCode() == 2)
        return findings.ExitCode();
    char error[512];
    if (!WriteProductPackage(folder, packed, options, package, error, sizeof(error))) {
        fprintf(stderr, "%s: no package written: %s\n", package, error);
        return 2;
    }
    printf("%s: package written\n", package);
    return findings.ExitCode();
}
