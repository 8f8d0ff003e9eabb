#include "DialogBench.h"

#include "BrevixCAPI.h"
#include "main/Globals.h"
#include "main/Vorel_TAP_Test3App.h"
#include "res/resource.h"
#include "support/gui/Input.h"
#include "support/gui/Picture.h"
#include "support/gui/Pump.h"
#include "support/gui/Windows.h"
#include "support/TesterLink.h"
#include "support/Waiting.h"

#include <framework/Seams.h>

#include <cstring>
#include <thread>

#include <commctrl.h>
#include <tlhelp32.h>

// The program's application object, as in Vorels-NIC.exe: boxes without a caption of their own
// carry its name.
CVorel_TAP_Test3App theApp;

namespace appbench {

int CountNamedThreads(const std::wstring& prefix) {
    using GetDescription = HRESULT(WINAPI*)(HANDLE, PWSTR*);
    static const auto get = reinterpret_cast<GetDescription>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription")));
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (get == nullptr || snapshot == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != ::GetCurrentProcessId()) continue;
        HANDLE thread = ::OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID);
        if (thread == nullptr) continue;
        PWSTR description = nullptr;
        if (SUCCEEDED(get(thread, &description)) && description != nullptr) {
            count += std::wstring(description).compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
            ::LocalFree(description);
        }
        ::CloseHandle(thread);
    }
    ::CloseHandle(snapshot);
    return count;
}

BoxAnswers::BoxAnswers(Answer answer) : answer_(answer ? std::move(answer) : Answer(&DefaultAnswer)) {
    framework::SetMessageBoxStandIn([this](HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
        ShownBox box{owner, text ? text : L"", caption ? caption : L"", type};
        {
            std::lock_guard<std::mutex> lock(lock_);
            boxes_.push_back(box);
        }
        return answer_(box);
    });
}

BoxAnswers::~BoxAnswers() { framework::SetMessageBoxStandIn(nullptr); }

std::vector<ShownBox> BoxAnswers::Boxes() const {
    std::lock_guard<std::mutex> lock(lock_);
    return boxes_;
}

size_t BoxAnswers::CountWithText(const std::wstring& text) const {
    size_t count = 0;
    for (const ShownBox& box : Boxes()) count += box.text == text ? 1 : 0;
    return count;
}

namespace {

struct BoxSearch {
    std::wstring prefix;
    HWND found = nullptr;
};

BOOL CALLBACK FindOwnBox(HWND window, LPARAM search) {
    auto* s = reinterpret_cast<BoxSearch*>(search);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    // Boxes have an owner; the main dialog, a dialog too, has none.
    if (process != ::GetCurrentProcessId() || !::IsWindowVisible(window) || ::GetWindow(window, GW_OWNER) == nullptr) {
        return TRUE;
    }
    if (support::gui::ClassName(window) != L"#32770") return TRUE;
    if (support::gui::WindowText(window).compare(0, s->prefix.size(), s->prefix) != 0) return TRUE;
    s->found = window;
    return FALSE;
}

BOOL CALLBACK CollectText(HWND child, LPARAM texts) {
    reinterpret_cast<std::vector<std::wstring>*>(texts)->push_back(support::gui::WindowText(child));
    return TRUE;
}

}  // namespace

BoxSnapper::BoxSnapper(std::wstring captionPrefix, HWND window, std::wstring pictureName, int button)
    : thread_([this, captionPrefix, window, pictureName, button] {
          BoxSearch search{captionPrefix};
          support::Eventually([&] {
              ::EnumWindows(&FindOwnBox, reinterpret_cast<LPARAM>(&search));
              return search.found != nullptr;
          });
          if (search.found == nullptr) return;
          // Let the box and the window under it reach the display.
          ::Sleep(500);
          caption_ = support::gui::WindowText(search.found);
          ::EnumChildWindows(search.found, &CollectText, reinterpret_cast<LPARAM>(&texts_));
          support::gui::SavePng(support::gui::CaptureWindow(window ? window : search.found, false),
                                support::gui::PicturePath(pictureName));
          ::PostMessageW(search.found, WM_COMMAND, static_cast<WPARAM>(button), 0);
      }) {}

BoxSnapper::~BoxSnapper() { Join(); }

void BoxSnapper::Join() {
    if (thread_.joinable()) thread_.join();
}

std::wstring BoxSnapper::Caption() {
    Join();
    return caption_;
}

std::vector<std::wstring> BoxSnapper::Texts() {
    Join();
    return texts_;
}

int ShowBoxForPicture(const ShownBox& box, HWND window, const std::wstring& pictureName, int button) {
    BoxSnapper snapper(box.caption, window, pictureName, button);
    return ::MessageBoxW(box.owner, box.text.c_str(), box.caption.c_str(), box.type);
}

void DialogBench::SetUp() {
    // The library looks at this program's own pair alone, also in the cases without a tester: the
    // test namespace holds the other programs' pairs, whose simulated testers would answer a
    // detection over every adapter.
    SetEnvironmentVariableA("BREVIXCAPI_ADAPTERS", support::TestNetwork().hostInterface.c_str());
    AfxSetResourceHandle(AfxGetInstanceHandle());
    // The language value of this program's own: the test programs share one registry and run side by
    // side, each setting and switching the language of its dialogs.
    static const std::wstring ownKey =
        std::wstring(CVorel_TAP_Test3Dlg::kLanguageKey) + L"\\test-" + std::to_wstring(::GetCurrentProcessId());
    CVorel_TAP_Test3Dlg::languageKey = ownKey.c_str();
    WriteLanguageValue("0", 1);
}

void DialogBench::TearDown() {
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, CVorel_TAP_Test3Dlg::languageKey, KEY_WOW64_32KEY, 0);
    BrevixC_SYS_TerminateProcess();
    if (tester_) tester_->Stop();
    tester_.reset();
    AfxSetResourceHandle(AfxGetInstanceHandle());
}

sim::FullTester& DialogBench::StartTester(int machineId) {
    std::string error;
    auto link = support::OpenTesterLink(support::TestNetwork(), &error);
    EXPECT_TRUE(link) << error;
    tester_ = std::make_unique<sim::FullTester>(std::move(link), machineId, L"");
    tester_->Start();
    tester_->Host().Attach();
    return *tester_;
}

void DialogBench::SetIdentity(const sim::TesterIdentity& identity) {
    tester_->Model().SetIdentity(identity);
    if (sim::UsbUnit* unit = tester_->Usb()) {
        // The unit keeps the same words as the 93C56, each word's low byte first.
        std::array<uint8_t, 256> image{};
        for (uint8_t word = 0; word < 128; ++word) {
            const uint16_t value = tester_->Eeprom().Word(word);
            image[2 * word] = uint8_t(value);
            image[2 * word + 1] = uint8_t(value >> 8);
        }
        unit->SetEeprom(image);
    }
}

namespace {

// The run waiting for its dialog's first show: the dialog shows itself from a timer once its
// start-up is through, and boxes of the start-up have loops of their own, so the driver starts from
// a poll that finds the first show done.
struct PendingRun {
    CVorel_TAP_Test3Dlg* dialog;
    const std::function<void(CVorel_TAP_Test3Dlg&)>* driver;
};
PendingRun* g_pending = nullptr;

void CALLBACK StartDriverOnceShown(HWND, UINT, UINT_PTR timer, DWORD) {
    if (g_pending == nullptr) {
        ::KillTimer(nullptr, timer);
        return;
    }
    HWND window = g_pending->dialog->GetSafeHwnd();
    if (window == nullptr || !::IsWindowVisible(window) || !g_pending->dialog->FirstShowDone() ||
        !g_pending->dialog->StartupReturned()) {
        return;
    }
    ::KillTimer(nullptr, timer);
    PendingRun run = *g_pending;
    g_pending = nullptr;
    (*run.driver)(*run.dialog);
}

}  // namespace

INT_PTR DialogBench::RunDialog(const std::function<void(CVorel_TAP_Test3Dlg&)>& driver) {
    CVorel_TAP_Test3Dlg dialog;
    PendingRun run{&dialog, &driver};
    g_pending = &run;
    const UINT_PTR poll = ::SetTimer(nullptr, 0, 20, &StartDriverOnceShown);
    const INT_PTR result = dialog.DoModal();
    // A dialog that ended without being shown never ran the driver.
    if (g_pending == &run) {
        g_pending = nullptr;
        ::KillTimer(nullptr, poll);
    }
    return result;
}

void DialogBench::WriteLanguageValue(const char* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, CVorel_TAP_Test3Dlg::languageKey, 0, nullptr, 0,
                                               KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &key, nullptr));
    ::RegSetValueExA(key, "Language", 0, REG_SZ, reinterpret_cast<const BYTE*>(data), size);
    ::RegCloseKey(key);
}

std::string DialogBench::ReadLanguageValue() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, CVorel_TAP_Test3Dlg::languageKey, 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY,
                        &key) !=
        ERROR_SUCCESS) {
        return {};
    }
    char data[16] = {};
    DWORD size = sizeof data;
    DWORD type = 0;
    const LONG read = ::RegQueryValueExA(key, "Language", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    ::RegCloseKey(key);
    return read == ERROR_SUCCESS ? std::string(data, data + (size > 0 && data[size - 1] == 0 ? size - 1 : size))
                                 : std::string();
}

std::wstring DialogBench::TreeTextOf(CVorel_TAP_Test3Dlg& dialog, int item) {
    if (treeItems[item] == nullptr) return {};
    LPCWSTR text = dialog.deviceTree.GetItemText(treeItems[item], 0);
    return text ? text : L"";
}

int DialogBench::TreeItemCount() {
    int count = 0;
    for (HTREEITEM item : treeItems) count += item != nullptr ? 1 : 0;
    return count;
}

void DialogBench::SavePicture(HWND window, const std::wstring& name) {
    support::gui::PumpFor(500);
    support::gui::SavePng(support::gui::CaptureWindow(window, false), support::gui::PicturePath(name));
}

void DialogBench::Exit(CVorel_TAP_Test3Dlg& dialog) { ChooseMenuCommand(dialog, ID_FILE_EXIT); }

void DialogBench::ClickTool(HWND window, UINT command) {
    HWND bar = ::FindWindowExW(window, nullptr, TOOLBARCLASSNAMEW, nullptr);
    ASSERT_NE(nullptr, bar);
    const auto index = static_cast<int>(::SendMessageW(bar, TB_COMMANDTOINDEX, command, 0));
    ASSERT_GE(index, 0) << "the toolbar has a button " << command;
    ASSERT_FALSE(::SendMessageW(bar, TB_ISBUTTONHIDDEN, command, 0)) << "the toolbar's button " << command << " shows";
    RECT rect = {};
    ASSERT_TRUE(::SendMessageW(bar, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)));
    POINT at{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    POINT inBar = at;
    ASSERT_EQ(index, static_cast<int>(::SendMessageW(bar, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&inBar))))
        << "the button " << command << " is where the pointer lands";
    const HWND root = ::GetAncestor(bar, GA_ROOT);
    ::MapWindowPoints(bar, root, &at, 1);
    POINT local;
    ASSERT_EQ(bar, support::gui::MouseTarget(root, at, &local)) << "nothing lies over the toolbar's button " << command;
    support::gui::ClickAt(root, at);
    support::gui::PumpPending();
}

void ClickControl(CWnd& control) {
    const HWND window = control.GetSafeHwnd();
    ASSERT_NE(nullptr, window);
    const HWND root = ::GetAncestor(window, GA_ROOT);
    RECT client = {};
    ::GetClientRect(window, &client);
    POINT at{(client.left + client.right) / 2, (client.top + client.bottom) / 2};
    ::MapWindowPoints(window, root, &at, 1);
    POINT local;
    const HWND target = support::gui::MouseTarget(root, at, &local);
    if (::IsWindowEnabled(window)) {
        ASSERT_TRUE(target == window || ::IsChild(window, target))
            << "the pointer at control " << ::GetDlgCtrlID(window) << " lands on it (it shows and nothing covers it)";
    } else {
        // A disabled control takes no click: the pointer finds the window it lies on.
        ASSERT_TRUE(::IsWindowVisible(window)) << "control " << ::GetDlgCtrlID(window) << " shows";
        ASSERT_EQ(::GetParent(window), target)
            << "the pointer at disabled control " << ::GetDlgCtrlID(window) << " finds its page (nothing covers it)";
    }
    support::gui::ClickAt(root, at);
    support::gui::PumpPending();
}

void ClickTreeItem(CVorel_TAP_Test3Dlg& dialog, int item) {
    const HTREEITEM handle = treeItems[item];
    ASSERT_NE(nullptr, handle) << "tree item " << item;
    const HWND tree = dialog.deviceTree.GetSafeHwnd();
    RECT rect = {};
    std::memcpy(&rect, &handle, sizeof handle);  // the item goes in where the rectangle comes back
    ASSERT_TRUE(::SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect))) << "tree item " << item;
    POINT at{rect.left + 4, (rect.top + rect.bottom) / 2};
    ::MapWindowPoints(tree, dialog.GetSafeHwnd(), &at, 1);
    POINT local;
    ASSERT_EQ(tree, support::gui::MouseTarget(dialog.GetSafeHwnd(), at, &local))
        << "the pointer over tree item " << item << " lands on the tree";
    support::gui::ClickAt(dialog.GetSafeHwnd(), at);
    support::gui::PumpPending();
}

void ChooseMenuCommand(CVorel_TAP_Test3Dlg& dialog, UINT command) {
    CMenu* bar = dialog.GetMenu();
    ASSERT_NE(nullptr, bar);
    for (int menu = 0; menu < bar->GetMenuItemCount(); ++menu) {
        CMenu* popup = bar->GetSubMenu(menu);
        for (int item = 0; popup && item < popup->GetMenuItemCount(); ++item) {
            if (popup->GetMenuItemID(item) != command) continue;
            ChooseMenuItem(dialog, menu, item);
            return;
        }
    }
    FAIL() << "a menu of the bar holds command " << command;
}

void ChooseMenuItem(CVorel_TAP_Test3Dlg& dialog, int menu, int item) {
    CMenu* popup = dialog.GetMenu()->GetSubMenu(menu);
    int downs = 0;
    for (int i = 0; i < item; ++i) downs += (popup->GetMenuState(static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) ? 0 : 1;
    HWND window = dialog.GetSafeHwnd();
    const auto post = [window](UINT message, UINT key) {
        ::PostMessageW(window, message, key, message == WM_KEYUP || message == WM_SYSKEYUP ? 0xC0000001 : 1);
    };
    // All in the queue before the menu's own loop starts reading it.
    post(WM_SYSKEYDOWN, VK_F10);
    post(WM_SYSKEYUP, VK_F10);
    for (int i = 0; i < menu; ++i) post(WM_KEYDOWN, VK_RIGHT);
    post(WM_KEYDOWN, VK_DOWN);
    for (int i = 0; i < downs; ++i) post(WM_KEYDOWN, VK_DOWN);
    post(WM_KEYDOWN, VK_RETURN);
    support::gui::PumpFor(150);
}

}  // namespace appbench
