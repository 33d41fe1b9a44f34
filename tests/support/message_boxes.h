#pragma once
// Finding and answering the message boxes of a process. A box is a #32770 window with the
// static 65535 and at least one of the buttons OK, Cancel, Yes or No; the uninstaller's progress
// window also has a static 65535 (its icon) but no button, so it is never taken for a box.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A visible message box of the process, or null.
HWND FindBox(DWORD processId);
// Text of a window of another process, read without sending it a message: it can be read while
// that process's thread is busy.
std::string TextWithoutMessage(HWND window);

struct SeenBox {
    std::string caption;
    std::string text;
    int answer; // the button pressed
};

// Answers the boxes of a process on a thread of its own, in order: the first box gets the
// first answer, and so on. A box beyond the list is answered with No, or OK where it has no No,
// and recorded like the others, so that an unexpected box fails the test instead of hanging it.
class BoxAnswerer {
  public:
    BoxAnswerer(DWORD processId, std::vector<int> answers);
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    // Stops the thread and returns what it saw.
    std::vector<SeenBox> Stop();
    std::vector<SeenBox> Seen();

  private:
    void Run();

    DWORD processId_;
    std::vector<int> answers_;
    std::atomic<bool> stop_;
    std::mutex mutex_;
    std::vector<SeenBox> seen_;
    std::thread thread_;
};
