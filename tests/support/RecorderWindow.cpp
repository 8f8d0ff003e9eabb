#include "support/RecorderWindow.h"

namespace support {
namespace {

const wchar_t kClassName[] = L"BrevixTestRecorderWindow";

bool Recorded(UINT message) { return message >= WM_USER || message == WM_CLOSE || message == WM_COPYDATA; }

}  // namespace

RecorderWindow::RecorderWindow(const std::wstring& title, LRESULT result)
    : result_(result), thread_([this, title] { Run(title); }) {
    std::unique_lock<std::mutex> lock(lock_);
    changed_.wait(lock, [this] { return ready_; });
}

RecorderWindow::~RecorderWindow() {
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
}

void RecorderWindow::Run(std::wstring title) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &RecorderWindow::Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass);  // fails harmlessly when a second recorder registers it again
    HWND window = CreateWindowExW(0, kClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), this);
    {
        std::lock_guard<std::mutex> guard(lock_);
        window_ = window;
        threadId_ = GetCurrentThreadId();
        ready_ = true;
    }
    changed_.notify_all();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    DestroyWindow(window);
}

LRESULT CALLBACK RecorderWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<RecorderWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self || !Recorded(message)) return DefWindowProcW(window, message, wParam, lParam);
    {
        std::lock_guard<std::mutex> guard(self->lock_);
        self->messages_.push_back({message, wParam, lParam});
    }
    self->changed_.notify_all();
    return self->result_;
}

std::vector<WindowMessage> RecorderWindow::Messages() const {
    std::lock_guard<std::mutex> guard(lock_);
    return messages_;
}

bool RecorderWindow::WaitForMessage(UINT message, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(lock_);
    return changed_.wait_for(lock, timeout, [&] {
        for (auto& m : messages_) {
            if (m.message == message) return true;
        }
        return false;
    });
}

}  // namespace support
