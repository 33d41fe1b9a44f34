#pragma once
#include "app/install_context.h"

// Copies the installer into the Windows folder and registers the product's uninstall entry.
void WriteUninstallEntry(InstallContext& context);
