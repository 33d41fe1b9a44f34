#pragma once
#include <windows.h>

// Product title put in front of the captions "Installation" and "Uninstallation"; null until
// the setup script or the install log names one.
extern const char* captionTitle;

int ShowMessageId(HWND owner, UINT textId, UINT captionId, UINT style);
int ShowMessage(HWND owner, const char* text, UINT captionId, UINT style);
// The caption as ShowMessage composes it (exposed so that it can be checked without a box).
void ComposeCaption(UINT captionId, char* caption, size_t size);
