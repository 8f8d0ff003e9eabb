#include "ui/ConnectSerDlg.h"

#include <array>
#include <cstring>

#include "core/ConnectAddress.h"
#include "core/DiscoveryWire.h"
#include "discovery/Discovery.h"
#include "ui/ConnectIds.h"

namespace {

using sorvane::kDeviceKind;
using sorvane::kDevice9000Kind;
using sorvane::kServerKind;

constexpr int kGroupGap = 10;       // from the previous group's bottom to the next check box
constexpr int kBottomMargin = 45;   // from the last button's bottom to the window's outer bottom

struct KindControls {
    int kind;
    int frame;
    int check;
    std::array<int, 5> members;  // every control of the group, 0 where there are fewer
};

constexpr KindControls kKinds[] = {
    {kServerKind, IDC_CONNECT_SERVER_FRAME, IDC_CONNECT_SERVER_CHECK,
     {IDC_CONNECT_SERVER_FRAME, IDC_CONNECT_SERVER_CHECK, IDC_CONNECT_LOCALHOST, IDC_CONNECT_REMOTE,
      IDC_CONNECT_SERVER_ADDRESS}},
    {kDeviceKind, IDC_CONNECT_DEVICE_FRAME, IDC_CONNECT_DEVICE_CHECK,
     {IDC_CONNECT_DEVICE_FRAME, IDC_CONNECT_DEVICE_CHECK, IDC_CONNECT_DEVICE_LABEL, IDC_CONNECT_DEVICE_ADDRESS, 0}},
    {kDevice9000Kind, IDC_CONNECT_DEVICE9000_FRAME, IDC_CONNECT_DEVICE9000_CHECK,
     {IDC_CONNECT_DEVICE9000_FRAME, IDC_CONNECT_DEVICE9000_CHECK, IDC_CONNECT_DEVICE9000_LABEL,
      IDC_CONNECT_DEVICE9000_ADDRESS, 0}},
};

constexpr std::array<int, 3> kButtons = {IDC_CONNECT_DEMO, IDOK, IDCANCEL};

struct TextKey {
    int id;
    const wchar_t* key;
};

constexpr TextKey kTexts[] = {
    {IDC_CONNECT_SERVER_CHECK, L"IDS_ConnServr_Kestrova"}, {IDC_CONNECT_LOCALHOST, L"IDS_ConnServr_Local"},
    {IDC_CONNECT_REMOTE, L"IDS_ConnServr_Remote"},         {IDC_CONNECT_DEVICE_LABEL, L"IDS_ConnServr_DeviceIP"},
    {IDC_CONNECT_DEVICE9000_LABEL, L"IDS_ConnServr_DeviceIP"}, {IDC_CONNECT_DEMO, L"IDS_ConnServr_Demo"},
    {IDOK, L"IDS_ConnServr_Connect"},                      {IDCANCEL, L"IDS_ConnServr_Cancel"},
};

}  // namespace

BEGIN_MESSAGE_MAP(CConnectSerDlg, CDialog)
    ON_BN_CLICKED(IDC_CONNECT_LOCALHOST, OnControlChanged)
    ON_BN_CLICKED(IDC_CONNECT_REMOTE, OnRemoteClicked)
    ON_BN_CLICKED(IDC_CONNECT_SERVER_CHECK, OnControlChanged)
    ON_BN_CLICKED(IDC_CONNECT_DEVICE_CHECK, OnDeviceClicked)
    ON_BN_CLICKED(IDC_CONNECT_DEVICE9000_CHECK, OnDevice9000Clicked)
    ON_CBN_SELCHANGE(IDC_CONNECT_SERVER_ADDRESS, OnControlChanged)
    ON_CBN_EDITCHANGE(IDC_CONNECT_SERVER_ADDRESS, OnControlChanged)
    ON_CBN_SELCHANGE(IDC_CONNECT_DEVICE_ADDRESS, OnControlChanged)
    ON_CBN_EDITCHANGE(IDC_CONNECT_DEVICE_ADDRESS, OnControlChanged)
    ON_CBN_SELCHANGE(IDC_CONNECT_DEVICE9000_ADDRESS, OnControlChanged)
    ON_CBN_EDITCHANGE(IDC_CONNECT_DEVICE9000_ADDRESS, OnControlChanged)
    ON_BN_CLICKED(IDC_CONNECT_DEMO, OnDemo)
END_MESSAGE_MAP()

CConnectSerDlg::CConnectSerDlg(int kindMask, int language, int showDemo)
    : CDialog(IDD_CONNECT_SERVER),
      m_kindMask(sorvane::EffectiveKinds(kindMask)),
      m_language(language >= 3 ? 0 : language),
      m_showDemo(showDemo) {}

void CConnectSerDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CONNECT_SERVER_ADDRESS, m_serverList);
    DDX_Control(pDX, IDC_CONNECT_DEVICE_ADDRESS, m_deviceList);
    DDX_Control(pDX, IDC_CONNECT_DEVICE9000_ADDRESS, m_device9000List);
}

BOOL CConnectSerDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CheckDlgButton(IDC_CONNECT_SERVER_CHECK, m_serverChecked);
    CheckDlgButton(IDC_CONNECT_DEVICE_CHECK, m_deviceChecked);
    CheckDlgButton(IDC_CONNECT_DEVICE9000_CHECK, m_device9000Checked);
    CheckRadioButton(IDC_CONNECT_LOCALHOST, IDC_CONNECT_REMOTE, IDC_CONNECT_LOCALHOST + m_location);

    m_lang.SetFile(HostLanguageFile());
    m_lang.SetLanguage(m_language);
    ModifyStyleEx(0, WS_EX_APPWINDOW);
    FillAddressLists();
    ApplyTexts();
    StackGroups();
    ShowLoneKindOnFrame();
    GetDlgItem(IDC_CONNECT_DEMO)->ShowWindow(m_showDemo ? SW_SHOW : SW_HIDE);
    UpdateControlStates();
    return TRUE;
}

void CConnectSerDlg::FillAddressLists() {
    std::uint8_t found[sorvane::kDiscoveryResultSize];
    sorvane::Discover(found, m_kindMask);
    std::int32_t count;
    std::memcpy(&count, found, 4);
    for (std::int32_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = found + 4 + 5 * i;
        CString address;
        address.Format(L"%u.%u.%u.%u", entry[0], entry[1], entry[2], entry[3]);
        CComboBox& box = entry[4] == kServerKind ? m_serverList : entry[4] == kDeviceKind ? m_deviceList : m_device9000List;
        box.AddString(address.GetString());
    }
    for (CComboBox* box : {&m_serverList, &m_deviceList, &m_device9000List}) box->SetCurSel(0);
}

void CConnectSerDlg::ApplyTexts() {
    SetWindowText(m_lang.GetText(L"IDS_ConnServr_DevConn").GetString());
    for (const TextKey& text : kTexts) SetDlgItemText(text.id, m_lang.GetText(text.key).GetString());
}

void CConnectSerDlg::StackGroups() {
    auto clientRect = [this](int id) {
        CRect rect;
        GetDlgItem(id)->GetWindowRect(&rect);
        ScreenToClient(&rect);
        return rect;
    };
    auto moveBy = [&](int id, int dy) {
        const CRect rect = clientRect(id);
        GetDlgItem(id)->SetWindowPos(nullptr, rect.left, rect.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    int bottom = 0;
    for (const KindControls& kind : kKinds) {
        if (!Offered(kind.kind)) continue;
        const int dy = bottom + kGroupGap - clientRect(kind.check).top;
        for (int id : kind.members) {
            if (id == 0) continue;
            moveBy(id, dy);
            GetDlgItem(id)->ShowWindow(SW_SHOW);
        }
        bottom = clientRect(kind.frame).bottom;
    }
    const int dy = bottom + kGroupGap - clientRect(IDC_CONNECT_DEMO).top;
    for (int id : kButtons) moveBy(id, dy);
    bottom = clientRect(IDC_CONNECT_DEMO).bottom;

    CRect window;
    GetWindowRect(&window);
    SetWindowPos(nullptr, 0, 0, window.Width(), bottom + kBottomMargin, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CConnectSerDlg::ShowLoneKindOnFrame() {
    for (const KindControls& kind : kKinds) {
        if (m_kindMask != kind.kind) continue;
        CheckDlgButton(kind.check, BST_CHECKED);
        CheckedOf(kind.kind) = 1;
        CString caption;
        GetDlgItemText(kind.check, caption);
        SetDlgItemText(kind.frame, caption.GetString());
        GetDlgItem(kind.check)->ShowWindow(SW_HIDE);
    }
}

void CConnectSerDlg::UpdateControlStates() {
    const bool server = IsDlgButtonChecked(IDC_CONNECT_SERVER_CHECK) == BST_CHECKED;
    GetDlgItem(IDC_CONNECT_LOCALHOST)->EnableWindow(server);
    GetDlgItem(IDC_CONNECT_REMOTE)->EnableWindow(server);
    GetDlgItem(IDC_CONNECT_SERVER_ADDRESS)->EnableWindow(server && IsDlgButtonChecked(IDC_CONNECT_REMOTE) == BST_CHECKED);
    GetDlgItem(IDC_CONNECT_DEVICE_ADDRESS)->EnableWindow(IsDlgButtonChecked(IDC_CONNECT_DEVICE_CHECK) == BST_CHECKED);
    GetDlgItem(IDC_CONNECT_DEVICE9000_ADDRESS)
        ->EnableWindow(IsDlgButtonChecked(IDC_CONNECT_DEVICE9000_CHECK) == BST_CHECKED);
    GetDlgItem(IDOK)->EnableWindow(ChoiceIsValid());
}

void CConnectSerDlg::OnControlChanged() { UpdateControlStates(); }

void CConnectSerDlg::OnRemoteClicked() {
    UpdateControlStates();
    GotoDlgCtrl(GetDlgItem(IDC_CONNECT_SERVER_ADDRESS));
}

void CConnectSerDlg::OnDeviceClicked() {
    UpdateControlStates();
    if (IsDlgButtonChecked(IDC_CONNECT_DEVICE_CHECK) == BST_CHECKED) GotoDlgCtrl(GetDlgItem(IDC_CONNECT_DEVICE_ADDRESS));
}

void CConnectSerDlg::OnDevice9000Clicked() {
    UpdateControlStates();
    if (IsDlgButtonChecked(IDC_CONNECT_DEVICE9000_CHECK) == BST_CHECKED) {
        GotoDlgCtrl(GetDlgItem(IDC_CONNECT_DEVICE9000_ADDRESS));
    }
}

CString CConnectSerDlg::AddressText(const CComboBox& box) {
    CString text;
    const int selected = box.GetCurSel();
    if (selected >= 0) {
        box.GetLBText(selected, text);
    } else {
        box.GetWindowText(text);
    }
    return text;
}

void CConnectSerDlg::ReadControls() {
    m_serverChecked = IsDlgButtonChecked(IDC_CONNECT_SERVER_CHECK) == BST_CHECKED;
    m_deviceChecked = IsDlgButtonChecked(IDC_CONNECT_DEVICE_CHECK) == BST_CHECKED;
    m_device9000Checked = IsDlgButtonChecked(IDC_CONNECT_DEVICE9000_CHECK) == BST_CHECKED;
    m_location = IsDlgButtonChecked(IDC_CONNECT_REMOTE) == BST_CHECKED ? 1 : 0;
    m_serverAddress = AddressText(m_serverList);
    m_deviceAddress = AddressText(m_deviceList);
    m_device9000Address = AddressText(m_device9000List);
}

CString& CConnectSerDlg::AddressOf(int kind) {
    return kind == kServerKind ? m_serverAddress : kind == kDeviceKind ? m_deviceAddress : m_device9000Address;
}

int& CConnectSerDlg::CheckedOf(int kind) {
    return kind == kServerKind ? m_serverChecked : kind == kDeviceKind ? m_deviceChecked : m_device9000Checked;
}

bool CConnectSerDlg::ChoiceIsValid() {
    ReadControls();
    bool anyChecked = false;
    for (const KindControls& kind : kKinds) {
        if (!Offered(kind.kind) || !CheckedOf(kind.kind)) continue;
        anyChecked = true;
        if (kind.kind == kServerKind && m_location == 0) continue;
        std::array<std::uint8_t, 4> bytes;
        if (!sorvane::ParseDialogAddress(AddressOf(kind.kind).GetString(), bytes)) return false;
    }
    return anyChecked;
}

void CConnectSerDlg::OnOK() {
    // Return reaches here too, also while "Connect" is disabled.
    if (!ChoiceIsValid()) return;
    if (m_location == 0) m_serverAddress = L"127.0.0.1";
    EndDialog(IDOK);
}

void CConnectSerDlg::OnDemo() {
    m_demoChosen = 1;
    EndDialog(IDOK);
}

void CConnectSerDlg::FillResult(std::uint8_t* result) {
    std::memset(result, 0, sorvane::kDiscoveryResultSize);
    for (const KindControls& kind : kKinds) {
        if (!Offered(kind.kind) || !CheckedOf(kind.kind)) continue;
        std::array<std::uint8_t, 4> bytes{};
        sorvane::ParseDialogAddress(AddressOf(kind.kind).GetString(), bytes);
        const sorvane::Ipv4 address = std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 |
                                      std::uint32_t(bytes[2]) << 8 | bytes[3];
        sorvane::AppendDiscoveryEntry(result, address, static_cast<std::uint8_t>(kind.kind));
    }
}
