#pragma once
#include <windows.h>

// Product title put in front of the captions "Installation" and "Uninstallation"; null until
// the setup script or the install log names one.
extern const char* captionTitle;

// Set for a silent run: ShowMessage then shows nothing and answers as a silent run does, No
// where the box offers it (never a restart), OK otherwise.
extern bool unattendedRun;

// While a run record is open (system/run_record), every message also goes into it as
// "<caption>: <text>", whether or not a box is shown.
int ShowMessageId(HWND owner, UINT textId, UINT captionId, UINT style);
int ShowMessage(HWND owner, const char* text, UINT captionId, UINT style);
// The caption as ShowMessage composes it (exposed so that it can be checked without a box).
void ComposeCaption(UINT captionId, char* caption, size_t size);
