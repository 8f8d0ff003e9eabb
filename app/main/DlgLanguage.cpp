// The program's language: the index kept in the registry, the language libraries, and the texts a
// switch rewrites.
#include "main/Globals.h"
#include "main/Vorel_TAP_Test3Dlg.h"
#include "res/resource.h"

namespace {

// The registry view the program keeps: the 32-bit one, where the other installs keep the value. This
// x64 program runs on 64-bit Windows alone, where the flag names that view; a test of the process
// for WOW64 would answer false here and leave it in the 64-bit view.
constexpr REGSAM kRegistryView = KEY_WOW64_32KEY;

// A registry key closed when it goes out of scope, on every path.
class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() {
        if (key_ != nullptr) ::RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY* Receive() { return &key_; }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

}  // namespace

const wchar_t* CVorel_TAP_Test3Dlg::languageKey = CVorel_TAP_Test3Dlg::kLanguageKey;

bool CVorel_TAP_Test3Dlg::ReadLanguageIndex() {
    RegistryKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, languageKey, 0, KEY_QUERY_VALUE | kRegistryView, key.Receive()) !=
        ERROR_SUCCESS) {
        return false;
    }
    char data[10] = {};
    DWORD size = sizeof data;
    if (::RegQueryValueExA(key.Get(), "Language", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    // Only the first byte counts: its digit, or 0 for anything else.
    languageIndex = data[0] >= '0' && data[0] <= '9' ? data[0] - '0' : 0;
    return true;
}

void CVorel_TAP_Test3Dlg::WriteLanguageIndex(int index) {
    RegistryKey key;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, languageKey, 0, nullptr, 0, KEY_ALL_ACCESS | kRegistryView, nullptr,
                          key.Receive(), nullptr) != ERROR_SUCCESS) {
        ::OutputDebugStringW(L"error!");
        return;
    }
    const char digit = static_cast<char>('0' + (index % 10));
    if (::RegSetValueExA(key.Get(), "Language", 0, REG_SZ, reinterpret_cast<const BYTE*>(&digit), 1) != ERROR_SUCCESS) {
        ::OutputDebugStringW(L"error!");
    }
}

void CVorel_TAP_Test3Dlg::SetLanguage(int choice) {
    HINSTANCE library = nullptr;
    if (choice == 0) {
        library = ::LoadLibraryW(L"LangENG.dll");
        languageIndex = 0;
    } else if (choice == 1) {
        library = ::LoadLibraryW(L"LangJP.dll");
        languageIndex = 3;
    }
    if (library == nullptr) return;
    AfxSetResourceHandle(library);
    if (CMenu* old = GetMenu()) ::DestroyMenu(old->GetSafeHmenu());
    CMenu menu;
    if (menu.LoadMenu(IDR_MAIN_MENU)) {
        SetMenu(&menu);
        menu.Detach();  // the window owns its menu now
    }
    if (CMenu* current = GetMenu()) {
        current->CheckMenuItem(ID_LANGUAGE_ENGLISH, choice == 0 ? MF_CHECKED : MF_UNCHECKED);
        current->CheckMenuItem(ID_LANGUAGE_JAPANESE, choice == 0 ? MF_UNCHECKED : MF_CHECKED);
    }
    DrawMenuBar();
    Invalidate();
}

CString CVorel_TAP_Test3Dlg::ResourceText(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

CString CVorel_TAP_Test3Dlg::MessageCaption() const {
    if (languageIndex == 0) return L"Message";
    if (languageIndex == 3) return L"メッセージ";
    return CString();
}

void CVorel_TAP_Test3Dlg::RetextCounterPage() {
    // Whichever page is shown when the language changes, the counter page speaks it when it next
    // shows: its heading ("Port A") and the rows the language libraries name.
    portCounterWindow.SetPortHeading(ResourceText(IDS_PORT) + (portCounterWindow.port == 0 ? L" A" : L" B"));
    portCounterWindow.SetRowLabel(CCounterWindow::kLinkRow, ResourceText(IDS_LINK));
    portCounterWindow.SetRowLabel(CCounterWindow::kSpeedRow, ResourceText(IDS_SPEED));
    portCounterWindow.SetRowLabel(CCounterWindow::kTypeRow, ResourceText(IDS_TYPE));
    portCounterWindow.SetRowLabel(CCounterWindow::kFlowControlRow, ResourceText(IDS_FLOW_CONTROL));
}

void CVorel_TAP_Test3Dlg::RetextAll() {
    toolbar.SetButtonText(0, ResourceText(IDS_RECONNECT));
    toolbar.SetButtonText(2, ResourceText(IDS_CLEAR_COUNTER));
    toolbar.SetButtonText(8, ResourceText(IDS_SAVE_COUNTER));
    // A lost tester stays "Disconnected" in every language.
    if (!connectionLost_) connectionText.SetWindowText(ResourceText(IDS_CONNECTED));

    // The title is the shown page's, in the new language; the page shows whole again.
    ShowPage(shownPage_);

    SetTreeText(kItemSystemInformation, ResourceText(IDS_SYSTEM_INFORMATION));
    SetTreeText(kItemSystemUpgrade, ResourceText(IDS_SYSTEM_UPGRADE));
    SetTreeText(kItemPortConfiguration, ResourceText(IDS_PORT_CONFIGURATION));
    SetTreeText(kItemFpgaUpgrade, ResourceText(IDS_FPGA_UPGRADE));
    SetTreeText(kItemFirmwareUpgrade, ResourceText(IDS_FIRMWARE_UPGRADE));
    deviceTree.SetColumnText(0, ResourceText(IDS_INFORMATION));

    RetextCounterPage();

    upgradePanel.SetWindowText(L"Upgrade FPGA");
    upgradePanel.SetDlgItemText(IDC_UPGRADE_SYSTEM_GROUP, ResourceText(IDS_SYSTEM_INFORMATION));
    upgradePanel.SetWindowText(L"Upgrade Firmware");

    if (portConfigGrid.GetSafeHwnd()) {
        const CString port = ResourceText(IDS_PORT);
        portConfigGrid.SetCellText(0, -1, port);
        portConfigGrid.SetCellText(1, -1, ResourceText(IDS_MEDIA));
        portConfigGrid.SetCellText(2, -1, ResourceText(IDS_FLOW_CONTROL));
        portConfigGrid.SetCellText(0, 0, port + L" A");
        portConfigGrid.SetCellText(0, 1, port + L" B");
        portConfigGrid.Invalidate();
    }
    applyButton.SetWindowText(ResourceText(IDS_APPLY));

    requirements.Retext(ResourceText(IDS_REQUIREMENTS_TITLE), ResourceText(IDS_REQUIREMENTS_PLATFORM),
                        ResourceText(IDS_MODEL), ResourceText(IDS_FIRMWARE));
    captureA.Retext();
    captureB.Retext();
}
