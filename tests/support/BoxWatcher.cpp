#include "support/BoxWatcher.h"

namespace support {

BoxWatcher::BoxWatcher(int button) : button_(button), thread_([this] { Run(); }) {}

BoxWatcher::~BoxWatcher() {
    running_ = false;
    thread_.join();
}

void BoxWatcher::Run() {
    while (running_) {
        EnumWindows(&BoxWatcher::OnTopWindow, reinterpret_cast<LPARAM>(this));
        Sleep(20);
    }
}

BOOL CALLBACK BoxWatcher::OnTopWindow(HWND window, LPARAM self) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    if (std::wstring(className) == L"#32770") reinterpret_cast<BoxWatcher*>(self)->Inspect(window);
    return TRUE;
}

std::wstring MessageBoxText(HWND box) {
    std::wstring text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        if (_wcsicmp(className, L"Static") != 0) continue;
        wchar_t buffer[2048] = {};
        GetWindowTextW(child, buffer, 2048);
        if (!buffer[0]) continue;
        if (!text.empty()) text += L'\n';
        text += buffer;
    }
    return text;
}

void BoxWatcher::Inspect(HWND box) {
    int pressed = 0;
    {
        std::lock_guard<std::mutex> guard(lock_);
        auto known = recorded_.find(box);
        if (known == recorded_.end()) {
            SeenBox seen;
            wchar_t caption[512] = {};
            GetWindowTextW(box, caption, 512);
            seen.caption = caption;
            seen.text = MessageBoxText(box);
            seen.owner = GetWindow(box, GW_OWNER);
            known = recorded_.emplace(box, boxes_.size()).first;
            boxes_.push_back(seen);
        }
        SeenBox& seen = boxes_[known->second];
        if (hold_ || seen.pressed) return;
        seen.pressed = pressed = button_;
    }
    // Posted, as a person's click would be: the box's own thread runs the button.
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(pressed, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, pressed)));
}

std::vector<SeenBox> BoxWatcher::Boxes() const {
    std::lock_guard<std::mutex> guard(lock_);
    return boxes_;
}

bool BoxWatcher::WaitForBoxes(size_t count, std::chrono::milliseconds timeout) const {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (Boxes().size() >= count) return true;
        Sleep(10);
    }
    return Boxes().size() >= count;
}

}  // namespace support
