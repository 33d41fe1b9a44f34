#include "system/message_box.h"

#include <string.h>

#include "resources/resource_ids.h"
#include "system/module.h"
#include "system/run_record.h"
#include "system/text.h"

const char* captionTitle = nullptr;

namespace {
// The buttons of each box type, the one taken for an answer the box does not offer first.
struct BoxButtons {
    UINT type;
    int answers[3];
};
const BoxButtons boxButtons[] = {
    {MB_OK, {IDOK, 0, 0}},
    {MB_OKCANCEL, {IDCANCEL, IDOK, 0}},
    {MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}},
    {MB_YESNOCANCEL, {IDCANCEL, IDYES, IDNO}},
    {MB_YESNO, {IDNO, IDYES, 0}},
    {MB_RETRYCANCEL, {IDCANCEL, IDRETRY, 0}},
};
} // namespace

int UnattendedAnswer(UINT style, int answer) {
    for (const BoxButtons& box : boxButtons) {
        if (box.type != (style & MB_TYPEMASK))
            continue;
        for (int offered : box.answers) {
            if (offered != 0 && offered == answer)
                return answer;
        }
        return box.answers[0];
    }
    return IDCANCEL;
}

void ComposeCaption(UINT captionId, char* caption, size_t size) {
    caption[0] = '\0';
    if (captionTitle && (captionId == IDS_INSTALLATION || captionId == IDS_UNINSTALLATION))
        FormatText(caption, size, "%s ", captionTitle);
    size_t used = strlen(caption);
    if (size - used > 1)
        LoadModuleString(captionId, caption + used, size - used);
}

int ShowMessage(HWND owner, const char* text, UINT captionId, UINT style, int unattendedAnswer,
                bool unattended) {
    char caption[256];
    ComposeCaption(captionId, caption, sizeof(caption));
    size_t length = strlen(caption);
    AppendText(caption, sizeof(caption), ": ");
    WriteRunRecord(caption, text);
    if (unattended)
        return UnattendedAnswer(style, unattendedAnswer);
    caption[length] = '\0';
    return MessageBoxA(owner, text, caption, style);
}

int ShowMessageId(HWND owner, UINT textId, UINT captionId, UINT style, int unattendedAnswer,
                  bool unattended) {
    char text[2048];
    LoadModuleString(textId, text, sizeof(text));
    return ShowMessage(owner, text, captionId, style, unattendedAnswer, unattended);
}
