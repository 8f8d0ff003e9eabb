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
#include "support/gui/Input.h"
#include "support/gui/Picture.h"
#include "support/gui/Pump.h"
#include "support/gui/Windows.h"
#include "support/Waiting.h"
#include "upgrade/UpgradeLog.h"

#include <framework/Seams.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
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

// A click on the page's control, where the pointer finds it: a hidden or covered one fails.
inline void Click(CWnd& panel, int id) { ClickControl(*panel.GetDlgItem(id)); }

// The page of the device tree's item, shown by a click on the item.
inline void ShowPage(CVorel_TAP_Test3Dlg& dialog, int item) { ClickTreeItem(dialog, item); }

// The path box's text replaced by typing, as the operator would: the caret to the end, everything
// selected back to the start, the new text typed over it.
inline void TypePath(CUpgradeDialog& panel, const std::wstring& path) {
    HWND edit = panel.GetDlgItem(IDC_UPGRADE_PATH)->GetSafeHwnd();
    Click(panel, IDC_UPGRADE_PATH);
    support::gui::PressKey(edit, VK_END);
    support::gui::PressKey(edit, VK_HOME, support::gui::Modifiers{false, true, false});
    support::gui::TypeText(edit, path);
}

// A key of the real keyboard pressed or released: the system queues it to the foreground window's
// thread and GetAsyncKeyState sees it from then on.
inline void RealKey(WORD vk, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ::SendInput(1, &input, sizeof input);
}

inline void RealKeyTap(WORD vk) {
    RealKey(vk, false);
    RealKey(vk, true);
}

// A press and release of the real mouse at a point of the screen.
inline void RealClick(POINT screen) {
    ::SetCursorPos(screen.x, screen.y);
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, clicks, sizeof(INPUT));
}

// Closes a menu left open once the patience has run out (the keys meant for it went astray), so
// that a test waiting in the menu's own loop on this thread fails instead of waiting for ever.
class MenuDeadline {
public:
    MenuDeadline() : timer_(::SetTimer(nullptr, 0, kPatienceMs, &Close)) {}
    ~MenuDeadline() { ::KillTimer(nullptr, timer_); }
    MenuDeadline(const MenuDeadline&) = delete;
    MenuDeadline& operator=(const MenuDeadline&) = delete;

private:
    static void CALLBACK Close(HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); }
    UINT_PTR timer_;
};

// The menu bar's menu opened by a click and its item at `position` chosen with the arrow keys and
// Return, all queued at once (from any thread) for the menu's own loop to take.
inline bool TypeMenuChoice(CVorel_TAP_Test3Dlg& dialog, const wchar_t* menu, int position) {
    CMenu* bar = dialog.GetMenu();
    const int top = CVorel_TAP_Test3Dlg::FindMenuItemByText(bar, menu);
    RECT item = {};
    if (top < 0 || !::GetMenuItemRect(dialog.GetSafeHwnd(), bar->GetSafeHmenu(), UINT(top), &item)) return false;
    RealClick(POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2});
    for (int i = 0; i <= position; ++i) RealKeyTap(VK_DOWN);
    RealKeyTap(VK_RETURN);
    return true;
}

// The menu item chosen as above on this thread's dialog; then `done` is waited for.
template <typename Done>
bool ChooseMenuItem(CVorel_TAP_Test3Dlg& dialog, const wchar_t* menu, int position, Done done) {
    const MenuDeadline deadline;
    return TypeMenuChoice(dialog, menu, position) && support::gui::PumpUntil(done, kPatienceMs);
}

// Alt+F4 on the real keyboard.
inline void TypeAltF4() {
    RealKey(VK_MENU, false);
    RealKeyTap(VK_F4);
    RealKey(VK_MENU, true);
}

// File > Exit by the keyboard alone (F10 into the menu bar at File, Down to Exit, Return) on this
// thread's dialog, its question answered: the dialog ends.
inline bool ExitByKeys(CVorel_TAP_Test3Dlg& dialog) {
    const MenuDeadline deadline;
    for (WORD vk : {WORD(VK_F10), WORD(VK_DOWN), WORD(VK_RETURN)}) RealKeyTap(vk);
    return support::gui::PumpUntil([&] { return !dialog.ContinueModal(); }, kPatienceMs);
}

// What File > Exit and Alt+F4 answer while a download runs.
inline const std::wstring kUpgradeKeepsProgram =
    L"An upgrade is in progress. Vorels-NIC cannot be closed until it has ended.";

// File > Exit through the menu bar (a click on File, Down, Return), then Alt+F4, as the operator
// tries them while a download runs: how many of the two were answered with the box above.
// `waitFor(condition)` waits for the box: pumping, on the dialog's thread; watching, on another. A
// menu the keys did not reach is closed (Escape from another thread, the deadline on the dialog's).
template <typename WaitFor>
int RefusedQuits(CVorel_TAP_Test3Dlg& dialog, const BoxAnswers& boxes, WaitFor waitFor) {
    const MenuDeadline deadline;
    const size_t before = boxes.CountWithText(kUpgradeKeepsProgram);
    int refused = 0;
    const auto answered = [&] {
        if (waitFor([&] { return boxes.CountWithText(kUpgradeKeepsProgram) == before + 1 + refused; })) return true;
        RealKeyTap(VK_ESCAPE);
        RealKeyTap(VK_ESCAPE);
        return false;
    };
    if (TypeMenuChoice(dialog, L"File", 0) && answered()) ++refused;
    TypeAltF4();
    if (answered()) ++refused;
    return refused;
}

// How many pixels of the rectangle are dark enough to be text.
inline int DarkPixels(const support::gui::Picture& picture, RECT area) {
    int dark = 0;
    for (int y = std::max(0L, area.top); y < std::min(LONG(picture.height), area.bottom); ++y)
        for (int x = std::max(0L, area.left); x < std::min(LONG(picture.width), area.right); ++x) {
            const COLORREF pixel = picture.At(x, y);
            dark += GetRValue(pixel) < 96 && GetGValue(pixel) < 96 && GetBValue(pixel) < 96 ? 1 : 0;
        }
    return dark;
}

// Where the page shows its download's percentage, in the page's client coordinates.
inline RECT PercentArea(CUpgradeDialog& panel) {
    CRect area;
    panel.GetDlgItem(IDC_UPGRADE_PERCENT)->GetWindowRect(&area);
    panel.ScreenToClient(&area);
    return area;
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

// Answers boxes as BoxAnswers does by default, the one whose text begins with `prefix` shown for
// real over the main dialog for a picture under `pictureName`.
inline BoxAnswers::Answer PictureOfBox(std::wstring prefix, std::wstring pictureName) {
    return [prefix = std::move(prefix), pictureName = std::move(pictureName)](const ShownBox& box) {
        if (box.text.rfind(prefix, 0) == 0 && theMainDialog)
            return ShowBoxForPicture(box, theMainDialog->GetSafeHwnd(), pictureName, IDOK);
        return BoxAnswers::DefaultAnswer(box);
    };
}

// Ends the dialog through File, Exit when the test's driver returns, a failed assertion included,
// unless the driver has ended it.
class ExitAtEnd {
public:
    explicit ExitAtEnd(CVorel_TAP_Test3Dlg& dialog) : dialog_(dialog) {}
    ~ExitAtEnd() {
        if (dialog_.ContinueModal()) ChooseMenuCommand(dialog_, ID_FILE_EXIT);
    }

private:
    CVorel_TAP_Test3Dlg& dialog_;
};

class UpgradeDialogTest : public DialogBench {
protected:
    using Driver = std::function<void(CVorel_TAP_Test3Dlg&, CUpgradeDialog&)>;

    // Runs the dialog; the driver runs once the tester's identity is shown (as below). The dialog
    // ends when the driver returns, and its DoModal result is returned.
    INT_PTR RunConnected(const Driver& driver) {
        return RunDialog([&](CVorel_TAP_Test3Dlg& dialog) {
            const ExitAtEnd exitAtEnd(dialog);
            ASSERT_TRUE(AwaitIdentity(dialog));
            driver(dialog, dialog.upgradePanel);
        });
    }
    // Waits for the tester's identity to be shown, with the logs sent to a folder of this test's own
    // (where no other test program writes).
    bool AwaitIdentity(CVorel_TAP_Test3Dlg& dialog) {
        logFolder = files_.LogFolder().c_str();
        return support::gui::PumpUntil([&] { return !dialog.aboutVersions[0].IsEmpty(); }, kPatienceMs);
    }
    // Once the identity is shown: the page of the tree item shown and Browse pressed.
    bool OpenPageAndBrowse(CVorel_TAP_Test3Dlg& dialog, int item) {
        if (!AwaitIdentity(dialog)) return false;
        ShowPage(dialog, item);
        Click(dialog.upgradePanel, IDC_UPGRADE_BROWSE);
        return true;
    }
    // An FPGA image of `size` bytes under the name, which Browse answers with from then on.
    sim::Bytes ChooseFpgaImage(const std::wstring& name, size_t size) {
        sim::Bytes image = support::PofImage(size);
        chosen_.Set(files_.Write(name, image));
        return image;
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
