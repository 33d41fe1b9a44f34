#pragma once
#include "app/install_context.h"

// Desktop actions of an install run; each works through the run's context (scratch paths,
// expansion, log) and reports failures with an InstallResult and failedFileName.

void PrepareItemPaths(InstallContext& context, const char* itemPath, bool makeFolder);
// The caller's text is left unchanged.
bool MakeDirectoryPath(InstallContext& context, const char* path, bool stripFileName);
bool FilesMatch(const char* first, const char* second);
bool ClearReadOnly(const char* path);
// True when target lies outside the product's folder and stays as it is: Windows protects it, or
// its version resource is newer than that of source.
bool KeepsSharedTarget(const InstallContext& context, const char* source, const char* target);
int CopyDesktopFile(InstallContext& context, const char* itemPath);
bool CreateShortcut(InstallContext& context, const char* linkName, const char* folder,
                    const char* target, const char* arguments, int iconIndex);
bool CreateDesktopShortcut(InstallContext& context, const char* linkName, const char* target,
                           const char* arguments, int iconIndex);
bool CreateSendToShortcut(InstallContext& context, const char* linkName, const char* target,
                          const char* arguments, int iconIndex);
