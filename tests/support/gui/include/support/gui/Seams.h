#pragma once
// Stand-ins a test puts in place of what it cannot click or wait for: the common file dialogs and
// the calendar clock. Each takes effect for its lifetime and restores the real thing after.

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace support::gui {

// Answers every file dialog opened while it lives: with the path (IDOK), or as a cancel.
class FileDialogAnswer {
public:
    struct Asked {
        bool open;                     // open dialog (true) or save dialog
        std::wstring initialName;      // the file name the dialog started with
        std::wstring filter;           // the filter with its nulls shown as '|'
        std::wstring defaultExtension;
        std::wstring initialFolder;
    };

    explicit FileDialogAnswer(std::wstring path);
    static FileDialogAnswer Cancelling() { return FileDialogAnswer(std::wstring(), true); }
    ~FileDialogAnswer();
    FileDialogAnswer(const FileDialogAnswer&) = delete;
    FileDialogAnswer& operator=(const FileDialogAnswer&) = delete;

    std::vector<Asked> Dialogs() const;

private:
    FileDialogAnswer(std::wstring path, bool cancel);

    std::wstring path_;
    bool cancel_;
    // Guarded by lock_: written by the thread that opens a dialog, read by the test.
    mutable std::mutex lock_;
    std::vector<Asked> asked_;
};

// A calendar clock under the test's control: starts at `start` (seconds since 1970, UTC) and moves
// only by Advance, or by `step` seconds on every reading when a step is set (so that code that waits
// for the clock to pass a second finishes at once).
class FakeClock {
public:
    explicit FakeClock(__time64_t start, __time64_t step = 0);
    ~FakeClock();
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    void Advance(__time64_t seconds) { now_ += seconds; }
    __time64_t Now() const { return now_; }
    int Readings() const { return readings_; }

private:
    std::atomic<__time64_t> now_;
    __time64_t step_;
    std::atomic<int> readings_{0};
};

}  // namespace support::gui
