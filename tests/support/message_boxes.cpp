#include "support/message_boxes.h"

#include "support/test_support.h"

namespace {
const int BOX_TEXT_ID = 0xFFFF;

bool HasButton(HWND box, int id) {
    return GetDlgItem(box, id) != nullptr;
}
} // namespace

HWND FindBox(DWORD processId) {
    for (HWND window : TopWindowsOf(processId, "#32770")) {
        if (!GetDlgItem(window, BOX_TEXT_ID))
            continue;
        if (HasButton(window, IDOK) || HasButton(window, IDCANCEL) || HasButton(window, IDYES) ||
            HasButton(window, IDNO))
            return window;
    }
    return nullptr;
}

std::string TextWithoutMessage(HWND window) {
    // For a window of another process the system reads the stored text without a message.
    char text[1024];
    text[0] = '\0';
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

BoxAnswerer::BoxAnswerer(DWORD processId, std::vector<int> answers)
    : processId_(processId), answers_(std::move(answers)), stop_(false),
      thread_([this] { Run(); }) {}

BoxAnswerer::~BoxAnswerer() {
    Stop();
}

std::vector<SeenBox> BoxAnswerer::Stop() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    return Seen();
}

std::vector<SeenBox> BoxAnswerer::Seen() {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
}

void BoxAnswerer::Run() {
    size_t next = 0;
    while (!stop_) {
        HWND box = FindBox(processId_);
        if (!box) {
            Sleep(30);
            continue;
        }
        SeenBox seen;
        seen.caption = WindowText(box);
        seen.text = MessageBoxText(box);
        if (next < answers_.size())
            seen.answer = answers_[next++];
        else
            seen.answer = HasButton(box, IDNO) ? IDNO : IDOK;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            seen_.push_back(seen);
        }
        PressButton(box, seen.answer);
        // The same box must not be counted twice while it closes.
        for (int i = 0; i < 500 && !stop_ && IsWindow(box) && IsWindowVisible(box); ++i)
            Sleep(20);
    }
}
