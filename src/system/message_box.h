#pragma once
#include <windows.h>

// Product title put in front of the captions "Installation" and "Uninstallation"; null until
// the setup script or the install log names one.
extern const char* captionTitle;

// Every box names the answer it takes when nobody is there to see it: with unattended set it
// shows nothing and returns unattendedAnswer, which has to be one of its buttons (an answer the
// box does not offer gives its Cancel, or No, or OK where it has neither).
// While a run record is open (system/run_record), every message also goes into it as
// "<caption>: <text>", whether or not a box is shown.
int ShowMessageId(HWND owner, UINT textId, UINT captionId, UINT style, int unattendedAnswer,
                  bool unattended);
int ShowMessage(HWND owner, const char* text, UINT captionId, UINT style, int unattendedAnswer,
                bool unattended);
// The answer a box of style takes unattended when answer was named for it.
int UnattendedAnswer(UINT style, int answer);
// The caption as ShowMessage composes it (exposed so that it can be checked without a box).
void ComposeCaption(UINT captionId, char* caption, size_t size);
