#include "system/message_box.h"

#include <string.h>

#include "system/module.h"
#include "resources/resource_ids.h"
#include "system/run_record.h"
#include "system/text.h"

const char* captionTitle = nullptr;
bool unattendedRun = false;

void ComposeCaption(UINT captionId, char* caption, size_t size) {
    caption[0] = '\0';
    if (captionTitle && (captionId == IDS_INSTALLATION || captionId == IDS_UNINSTALLATION))
        FormatText(caption, size, "%s ", captionTitle);
    size_t used = strlen(caption);
    if (size - used > 1)
        LoadStringA(moduleInstance, captionId, caption + used, static_cast<int>(size - used));
}

int ShowMessage(HWND owner, const char* text, UINT captionId, UINT style) {
    char caption[256];
    ComposeCaption(captionId, caption, sizeof(caption));
    size_t length = strlen(caption);
    AppendText(caption, sizeof(caption), ": ");
    WriteRunRecord(caption, text);
    if (unattendedRun)
        return (style & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
    caption[length] = '\0';
    return MessageBoxA(owner, text, caption, style);
}

int ShowMessageId(HWND owner, UINT textId, UINT captionId, UINT style) {
    char text[2048];
    text[0] = '\0';
    LoadStringA(moduleInstance, textId, text, sizeof(text));
    return ShowMessage(owner, text, captionId, style);
}
