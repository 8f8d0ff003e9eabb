#include <support/gui/Seams.h>

#include <framework/CommonDialogs.h>
#include <framework/Seams.h>

namespace support::gui {

FileDialogAnswer::FileDialogAnswer(std::wstring path) : FileDialogAnswer(std::move(path), false) {}

FileDialogAnswer::FileDialogAnswer(std::wstring path, bool cancel) : path_(std::move(path)), cancel_(cancel) {
    framework::SetFileDialogStandIn([this](CFileDialog& dialog) -> INT_PTR {
        Asked asked;
        asked.open = dialog.IsOpenDialog() != FALSE;
        asked.initialName = dialog.m_ofn.lpstrFile ? dialog.m_ofn.lpstrFile : L"";
        asked.defaultExtension = dialog.m_ofn.lpstrDefExt ? dialog.m_ofn.lpstrDefExt : L"";
        asked.initialFolder = dialog.m_ofn.lpstrInitialDir ? dialog.m_ofn.lpstrInitialDir : L"";
        for (const wchar_t* p = dialog.m_ofn.lpstrFilter; p != nullptr && *p != L'\0'; p += wcslen(p) + 1) {
            asked.filter += p;
            asked.filter += L'|';
        }
        {
            std::lock_guard<std::mutex> lock(lock_);
            asked_.push_back(asked);
        }
        if (cancel_) return IDCANCEL;
        lstrcpynW(dialog.m_ofn.lpstrFile, path_.c_str(), static_cast<int>(dialog.m_ofn.nMaxFile));
        return IDOK;
    });
}

FileDialogAnswer::~FileDialogAnswer() { framework::SetFileDialogStandIn(nullptr); }

std::vector<FileDialogAnswer::Asked> FileDialogAnswer::Dialogs() const {
    std::lock_guard<std::mutex> lock(lock_);
    return asked_;
}

FakeClock::FakeClock(__time64_t start, __time64_t step) : now_(start), step_(step) {
    framework::SetClockStandIn([this] {
        ++readings_;
        return now_.fetch_add(step_);
    });
}

FakeClock::~FakeClock() { framework::SetClockStandIn(nullptr); }

}  // namespace support::gui
