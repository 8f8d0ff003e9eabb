#pragma once
// The upgrade page's tests: the main dialog's bench, image files Browse is answered with, the
// page's texts and controls, and the program's upgrade logs.

#include "BrevixCAPI.h"
#include "BrevixCUsb.h"
#include "DialogBench.h"
#include "main/Globals.h"
#include "res/resource.h"
#include "support/FolderTree.h"
#include "support/FpgaImageFile.h"
#include "support/gui/Picture.h"
#include "support/gui/Pump.h"
#include "support/gui/Windows.h"
#include "support/Waiting.h"
#include "upgrade/UpgradeLog.h"

#include <framework/Seams.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace upgradetest {

using namespace appbench;

inline const DWORD kPatienceMs = DWORD(support::kPatience.count());

// Files under a folder of the test's own, removed with it.
class UpgradeFiles {
public:
    UpgradeFiles() {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"upgrade-dialog-" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
        ::CreateDirectoryW(folder_.c_str(), nullptr);
    }
    ~UpgradeFiles() { support::RemoveTree(folder_); }
    // The folder of the test's own that the program's upgrade logs go to (below it, SysLog\).
    std::wstring LogFolder() const { return folder_ + L"logs\\"; }
    std::wstring Write(const std::wstring& name, const sim::Bytes& bytes) {
        const std::wstring path = folder_ + name;
        std::ofstream(path.c_str(), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path;
    }
    std::wstring Missing(const std::wstring& name) const { return folder_ + name; }

private:
    std::wstring folder_;
};

// Browse answers with this path, as a person choosing the file would.
class ChosenFile {
public:
    ChosenFile() {
        framework::SetFileDialogStandIn([this](CFileDialog& dialog) {
            wcsncpy(dialog.m_ofn.lpstrFile, path_.c_str(), dialog.m_ofn.nMaxFile - 1);
            return INT_PTR(IDOK);
        });
    }
    ~ChosenFile() { framework::SetFileDialogStandIn(nullptr); }
    void Set(const std::wstring& path) { path_ = path; }

private:
    std::wstring path_;
};

inline std::wstring Text(CWnd& window, int id) {
    CString text;
    window.GetDlgItemText(id, text);
    return LPCWSTR(text);
}

// Whether the control is shown within its page, whether or not the page itself is.
inline bool Shown(CWnd& panel, int id) { return (panel.GetDlgItem(id)->GetStyle() & WS_VISIBLE) != 0; }

inline void Click(CWnd& panel, int id) { ::SendMessageW(panel.GetDlgItem(id)->GetSafeHwnd(), BM_CLICK, 0, 0); }

inline void ShowPage(CVorel_TAP_Test3Dlg& dialog, int item) {
    ::SendMessageW(dialog.deviceTree.GetSafeHwnd(), TVM_SELECTITEM, TVGN_CARET, LPARAM(treeItems[item]));
}

inline int ElapsedSeconds(const std::wstring& text) {
    return text.rfind(L"Time Elapsed: ", 0) == 0 ? _wtoi(text.c_str() + 14) : -1;
}

inline int ElapsedShown(CUpgradeDialog& panel) { return ElapsedSeconds(Text(panel, IDC_UPGRADE_ELAPSED)); }

inline sim::Bytes ReversedWindow(const sim::Bytes& file) {
    sim::Bytes window(file.begin() + 6, file.end());
    for (uint8_t& byte : window) byte = support::Reversed(byte);
    return window;
}

// The logs of a kind in the program's log folder.
inline std::vector<std::wstring> Logs(const wchar_t* pattern) {
    const std::wstring folder = upgrade::LogFolder(LPCWSTR(programFolder), LPCWSTR(logFolder));
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW entry;
    HANDLE find = ::FindFirstFileW((folder + pattern).c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return found;
    do found.push_back(folder + entry.cFileName);
    while (::FindNextFileW(find, &entry));
    ::FindClose(find);
    return found;
}

inline std::wstring ReadUtf16(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::wstring text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) text += wchar_t(bytes[i] | bytes[i + 1] << 8);
    return text;
}

// Ends the dialog through File, Exit when the test's driver returns, a failed assertion included.
class ExitAtEnd {
public:
    explicit ExitAtEnd(CVorel_TAP_Test3Dlg& dialog) : dialog_(dialog) {}
    ~ExitAtEnd() { dialog_.SendMessage(WM_COMMAND, ID_FILE_EXIT, 0); }

private:
    CVorel_TAP_Test3Dlg& dialog_;
};

class UpgradeDialogTest : public DialogBench {
protected:
    // Once the tester's identity is shown: the logs sent to a folder of this test's own (where no
    // other test program writes), the page of the tree item shown and Browse pressed.
    bool OpenPageAndBrowse(CVorel_TAP_Test3Dlg& dialog, int item) {
        logFolder = files_.LogFolder().c_str();
        if (!support::gui::PumpUntil([&] { return !dialog.aboutVersions[0].IsEmpty(); }, kPatienceMs)) return false;
        ShowPage(dialog, item);
        Click(dialog.upgradePanel, IDC_UPGRADE_BROWSE);
        return true;
    }
    // A USB download's worker outlives its pass by a second: it is stopped and waited for, so that
    // the next test's unit finds no download running.
    void TearDown() override {
        BrevixH_SYS_TerminateProcess();
        DialogBench::TearDown();
    }
    UpgradeFiles files_;
    ChosenFile chosen_;
};

}  // namespace upgradetest
