#pragma once
// Whole FPGA downloads through the library's flash layer against the simulated chip driver, with a
// scripted clock, reported to a window on the test's thread.

#include "FpgaDownload.h"
#include "MessagePump.h"
#include "Win7Fixture.h"

#include <algorithm>
#include <functional>
#include <memory>

namespace win7test {

// Time moves only when the library waits; a pumped wait still dispatches the thread's messages.
class ScriptedClock : public win7::Clock {
public:
    explicit ScriptedClock(DWORD start) : now_(start) {}
    DWORD Ticks() override { return now_; }
    void WaitMs(uint32_t milliseconds) override {
        now_ += milliseconds;
        hostio::PumpMessages();
    }
    void Pause(uint32_t milliseconds) override { now_ += milliseconds; }

private:
    DWORD now_;
};

struct Progress {
    WPARAM phase;
    LPARAM value;
    DWORD ticks;  // the scripted clock when it arrived
};

// A top-level window on the test's thread, as the host's main window is on its GUI thread, that
// records message 0x52C with the clock's time. Its title is this process's own, so that a download
// in another test program never reaches it.
class ProgressWindow {
public:
    explicit ProgressWindow(win7::Clock& clock) : clock_(clock) {
        WNDCLASSW cls{};
        cls.lpfnWndProc = Procedure;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"Win7ProgressRecorder";
        RegisterClassW(&cls);
        title_ = L"Vorels-NIC test " + std::to_wstring(GetCurrentProcessId());
        window_ = CreateWindowExW(0, cls.lpszClassName, title_.c_str(), WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                  nullptr, cls.hInstance, nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, LONG_PTR(this));
    }
    ~ProgressWindow() { DestroyWindow(window_); }

    const wchar_t* Title() const { return title_.c_str(); }
    // Runs on each message as it arrives, inside the download: a test acts at a point of it.
    void OnMessage(std::function<void(const Progress&)> action) { action_ = std::move(action); }
    const std::vector<Progress>& Messages() const { return messages_; }
    std::vector<Progress> Phase(WPARAM phase) const {
        std::vector<Progress> found;
        for (const Progress& p : messages_)
            if (p.phase == phase) found.push_back(p);
        return found;
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message == 0x52C) {
            self->messages_.push_back({wParam, lParam, self->clock_.Ticks()});
            if (self->action_) self->action_(self->messages_.back());
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    win7::Clock& clock_;
    std::wstring title_;
    HWND window_ = nullptr;
    std::vector<Progress> messages_;
    std::function<void(const Progress&)> action_;
};

class FpgaDownloadTest : public testing::Test {
protected:
    // The clock starts a minute before the tick count wraps: every download crosses the wrap.
    static constexpr DWORD kStart = 0xFFFFFFFF - 60000;

    void SetUp() override {
        host_.Start();
        host_.Attach();
        ASSERT_TRUE(flash_->Init(false));
        host_.ClearCalls();
    }
    void TearDown() override { flash_->Shutdown(); }

    bool Download(const Bytes& file) {
        const std::wstring path = files_.Write(file);
        std::FILE* opened = _wfopen(path.c_str(), L"rb");
        const bool result = win7::DownloadFpgaImage(opened, *flash_, window_.Title());
        std::fclose(opened);
        return result;
    }

    // A pass starts with (2, 0) after a message of another kind (its first pages also give 0).
    int VerifyPasses() const {
        const auto& all = window_.Messages();
        int passes = 0;
        for (size_t i = 1; i < all.size(); ++i)
            passes += all[i].phase == 2 && all[i].value == 0 && !(all[i - 1].phase == 2 && all[i - 1].value == 0);
        return passes;
    }

    sim::DriverHost host_;
    sim::ChipDriver chip_{host_};
    support::BoxWatcher boxes_;
    ScriptedClock clock_{kStart};
    std::unique_ptr<win7::FlashCommands> flash_ = std::make_unique<win7::FlashCommands>(clock_);
    ProgressWindow window_{clock_};
    TempFiles files_;
};

}  // namespace win7test
