#pragma once
// For tests only: the bridge's single plugin lives until the process ends, so tests discard it
// explicitly between cases.

// Discards the plugin (unloading its libraries) and clears the last failure text. The next
// operation loads the libraries anew, treating installerFolder (null or empty: the folder of the
// running executable) as the installer's own folder.
void ResetPalmBridgeForTesting(const char* installerFolder);
