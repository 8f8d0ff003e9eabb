#pragma once
// Finds the message boxes ("#32770" windows) that this process shows, records what they say and
// presses a chosen button, so that code which shows a modal box neither hangs a test nor goes
// unchecked.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace support {

struct SeenBox {
    std::wstring caption;
    std::wstring text;
    int pressed = 0;  // the button id the watcher pressed
    HWND owner = nullptr;  // the window that owns the box
};

class BoxWatcher {
public:
    // Starts watching at once; every box is answered with `button` (IDOK by default).
    explicit BoxWatcher(int button = IDOK);
    ~BoxWatcher();
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    void SetButton(int button) { button_ = button; }
    // While held, boxes are recorded but left open (to test that a caller blocks on one); they
    // are pressed once the hold ends.
    void Hold(bool hold) { hold_ = hold; }

    std::vector<SeenBox> Boxes() const;
    // Waits until at least `count` boxes were seen; false on time-out.
    bool WaitForBoxes(size_t count, std::chrono::milliseconds timeout) const;

private:
    void Run();
    static BOOL CALLBACK OnTopWindow(HWND window, LPARAM self);
    void Inspect(HWND box);

    std::atomic<int> button_;
    std::atomic<bool> hold_{false};
    std::atomic<bool> running_{true};

    // Guarded by lock_: written by the watcher thread, read by the test.
    mutable std::mutex lock_;
    std::vector<SeenBox> boxes_;
    std::map<HWND, size_t> recorded_;  // box -> its entry in boxes_
    std::thread thread_;
};

// The text of a message box: its static controls' texts joined by newlines.
std::wstring MessageBoxText(HWND box);

}  // namespace support
