// The pages of the right-hand side. This is the one place that shows or hides a page: every command,
// tree item and language switch that changes the page asks ShowPage, which hides every other page
// and shows the chosen one whole, placed and sized to the frame the dialog has at its font's scale.
#include "main/Globals.h"
#include "main/Vorel_TAP_Test3Dlg.h"
#include "res/resource.h"

#include <algorithm>

namespace {

constexpr CVorel_TAP_Test3Dlg::Page kPages[] = {
    CVorel_TAP_Test3Dlg::Page::kFpgaUpgrade, CVorel_TAP_Test3Dlg::Page::kFirmwareUpgrade,
    CVorel_TAP_Test3Dlg::Page::kPortConfiguration, CVorel_TAP_Test3Dlg::Page::kCounterA,
    CVorel_TAP_Test3Dlg::Page::kCounterB, CVorel_TAP_Test3Dlg::Page::kCaptureA,
    CVorel_TAP_Test3Dlg::Page::kCaptureB, CVorel_TAP_Test3Dlg::Page::kMediaA,
    CVorel_TAP_Test3Dlg::Page::kMediaB, CVorel_TAP_Test3Dlg::Page::kCounterWindow,
};

// The port-configuration grid's height; the Apply button goes under it.
constexpr int kPortGridHeight = 90;
constexpr int kApplyGap = 8;

}  // namespace

CRect CVorel_TAP_Test3Dlg::PageArea() {
    CRect area;
    if (CWnd* frame = GetDlgItem(IDC_PANEL_FRAME)) {
        frame->GetWindowRect(&area);
        ScreenToClient(&area);
        area.DeflateRect(10, 10);
    }
    return area;
}

std::vector<CWnd*> CVorel_TAP_Test3Dlg::PageWindows(Page page) {
    switch (page) {
    case Page::kFpgaUpgrade:
    case Page::kFirmwareUpgrade:
        return {&upgradePanel};
    case Page::kPortConfiguration:
        return {&portConfigGrid, &applyButton};
    case Page::kCounterA:
    case Page::kCounterB:
        return {&portCounterWindow, &portCounterWindow.counterTree};
    case Page::kCaptureA:
        return {&captureA};
    case Page::kCaptureB:
        return {&captureB};
    case Page::kMediaA:
        return {&mediaA};
    case Page::kMediaB:
        return {&mediaB};
    case Page::kCounterWindow:
        return {&counterWindow};
    }
    return {};
}

CString CVorel_TAP_Test3Dlg::PageTitle(Page page) const {
    switch (page) {
    case Page::kFpgaUpgrade:
        return ResourceText(IDS_FPGA_UPGRADE);
    case Page::kFirmwareUpgrade:
        return ResourceText(IDS_FIRMWARE_UPGRADE);
    case Page::kPortConfiguration:
        return ResourceText(IDS_PORT_CONFIGURATION);
    case Page::kCounterA:
        return ResourceText(IDS_COUNTER_PORT_A);
    case Page::kCounterB:
        return ResourceText(IDS_COUNTER_PORT_B);
    // The pages below have no string of their own in the language libraries: English in both.
    case Page::kCaptureA:
        return L"Frame Capture - Port A";
    case Page::kCaptureB:
        return L"Frame Capture - Port B";
    case Page::kMediaA:
        return L"Media Status-Port A";
    case Page::kMediaB:
        return L"Media Status-Port B";
    case Page::kCounterWindow:
        return L"Counter Window";
    }
    return CString();
}

void CVorel_TAP_Test3Dlg::ShowPage(Page page) {
    shownPage_ = page;
    switch (page) {
    case Page::kCaptureA:
        currentPanel = kCaptureA;
        break;
    case Page::kCaptureB:
        currentPanel = kCaptureB;
        break;
    case Page::kMediaA:
        currentPanel = kMediaA;
        break;
    case Page::kMediaB:
        currentPanel = kMediaB;
        break;
    case Page::kCounterWindow:
        currentPanel = kCounterWindow;
        break;
    default:
        currentPanel = kPortCounterAndUpgrade;
        break;
    }
    const std::vector<CWnd*> shown = PageWindows(page);
    // The panels that no command shows stay hidden whatever was shown before.
    std::vector<CWnd*> hidden = {&mainView, &systemInformation};
    for (Page other : kPages) {
        for (CWnd* window : PageWindows(other)) {
            if (std::find(shown.begin(), shown.end(), window) == shown.end()) hidden.push_back(window);
        }
    }
    for (CWnd* window : hidden) {
        // By its own style: during start-up the dialog is not visible yet, and nor is any child.
        if (window->GetSafeHwnd() && (window->GetStyle() & WS_VISIBLE)) window->ShowWindow(SW_HIDE);
    }
    SetTitle(PageTitle(page));
    panelTitle.ShowWindow(SW_SHOW);
    HighlightTreeItemOf(page);
    PlaceCurrentPanel();
    // The device tree first, the page's windows after it in their order: above the frame and the
    // other pages (the frame static comes first in the template and would otherwise lie over the
    // page, taking the pointer where a page has no control), and in the order Tab walks, from the
    // tree into the page and on round to the tree.
    const CWnd* after = &CWnd::wndTop;
    if (deviceTree.GetSafeHwnd()) {
        deviceTree.SetWindowPos(after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = &deviceTree;
    }
    for (CWnd* window : shown) {
        // Shown by ShowWindow, which tells the page it shows (WM_SHOWWINDOW); a position change does not.
        if (window->GetSafeHwnd() && ::GetParent(window->GetSafeHwnd()) == m_hWnd) {
            window->SetWindowPos(after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            window->ShowWindow(SW_SHOWNA);
            after = window;
        } else if (window->GetSafeHwnd()) {
            window->ShowWindow(SW_SHOWNA);
        }
    }
    // A page shown over the place of another must not keep that one's pixels.
    const CRect area = PageArea();
    RedrawWindow(&area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CVorel_TAP_Test3Dlg::PlaceCurrentPanel() {
    const CRect area = PageArea();
    if (area.IsRectEmpty()) return;
    if (shownPage_ == Page::kPortConfiguration) {
        if (portConfigGrid.GetSafeHwnd()) portConfigGrid.MoveWindow(area.left, area.top, area.Width(), kPortGridHeight);
        if (applyButton.GetSafeHwnd()) {
            CRect button;
            applyButton.GetWindowRect(&button);
            applyButton.MoveWindow(area.left, area.top + kPortGridHeight + kApplyGap, button.Width(), button.Height());
        }
        return;
    }
    for (CWnd* window : PageWindows(shownPage_)) {
        // A page's own child (the counter tree) stays where its page keeps it.
        if (window->GetSafeHwnd() == nullptr || ::GetParent(window->GetSafeHwnd()) != m_hWnd) continue;
        CRect now;
        window->GetWindowRect(&now);
        ScreenToClient(&now);
        if (now != area) window->MoveWindow(&area, TRUE);
    }
}

int CVorel_TAP_Test3Dlg::TreeItemOfPage(Page page) {
    switch (page) {
    case Page::kFpgaUpgrade:
        return kItemFpgaUpgrade;
    case Page::kFirmwareUpgrade:
        return kItemFirmwareUpgrade;
    case Page::kPortConfiguration:
        return kItemPortConfiguration;
    case Page::kCaptureA:
        return kItemCaptureA;
    case Page::kCaptureB:
        return kItemCaptureB;
    default:
        return -1;
    }
}

void CVorel_TAP_Test3Dlg::HighlightTreeItemOf(Page page) {
    // The shown page owns the highlight, however it was reached: its own tree item, or none for a
    // page that has no item.
    if (deviceTree.GetSafeHwnd() == nullptr) return;
    const int item = TreeItemOfPage(page);
    const HTREEITEM wanted = item >= 0 ? treeItems[item] : nullptr;
    selectedTreeItem = wanted != nullptr ? item : -1;
    // The selection's own highlight goes when the focus leaves the tree, and the keys move it over
    // items without a page: the shown page's item keeps a highlight of its own, drawn whatever
    // holds the focus.
    if (pageItem_ != wanted) {
        if (pageItem_ != nullptr) deviceTree.SetItemState(pageItem_, 0, TVIS_DROPHILITED);
        if (wanted != nullptr) deviceTree.SetItemState(wanted, TVIS_DROPHILITED, TVIS_DROPHILITED);
        pageItem_ = wanted;
    }
    if (deviceTree.GetSelectedItem() == wanted) return;
    followingPage_ = true;
    deviceTree.SelectItem(wanted);
    followingPage_ = false;
}

void CVorel_TAP_Test3Dlg::ShowPageOfItem(int item) {
    switch (item) {
    case kItemPortConfiguration:
        ShowPage(Page::kPortConfiguration);
        break;
    case kItemFpgaUpgrade:
    case kItemFirmwareUpgrade:
        // A running download keeps the page in its mode: the page shown (and its title) is the
        // page's own, whichever upgrade item was chosen.
        upgradePanel.SetMode(item == kItemFpgaUpgrade ? CUpgradeDialog::kFpga : CUpgradeDialog::kFirmware);
        ShowPage(upgradePanel.Mode() == CUpgradeDialog::kFpga ? Page::kFpgaUpgrade : Page::kFirmwareUpgrade);
        break;
    case kItemCaptureA:
        ShowPage(Page::kCaptureA);
        break;
    case kItemCaptureB:
        ShowPage(Page::kCaptureB);
        break;
    default:
        break;
    }
}

void CVorel_TAP_Test3Dlg::SetTitle(const CString& title) {
    // 18-point: the first face that has a glyph for every character of the title. Arial lacks the
    // Japanese ones, and a face asked for by the Japanese character set alone may lack the Latin
    // letters of titles such as "FPGAアップグレード".
    static const wchar_t* const kFaces[] = {L"Arial", L"MS UI Gothic", L"MS PGothic", L"Meiryo", L"IPAPGothic",
                                            L"IPAGothic"};
    CClientDC dc(this);
    const int height = -::MulDiv(18, dc.GetDeviceCaps(LOGPIXELSY), 72);
    HFONT chosen = nullptr;
    for (const wchar_t* face : kFaces) {
        LOGFONTW font = {};
        font.lfHeight = height;
        font.lfCharSet = DEFAULT_CHARSET;
        ::lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
        HFONT candidate = ::CreateFontIndirectW(&font);
        if (candidate == nullptr) continue;
        HGDIOBJ before = ::SelectObject(dc.GetSafeHdc(), candidate);
        std::vector<WORD> glyphs(static_cast<size_t>(title.GetLength()) + 1);
        const DWORD mapped = ::GetGlyphIndicesW(dc.GetSafeHdc(), title, title.GetLength(), glyphs.data(),
                                                GGI_MARK_NONEXISTING_GLYPHS);
        ::SelectObject(dc.GetSafeHdc(), before);
        const bool whole = mapped != GDI_ERROR &&
                           std::find(glyphs.begin(), glyphs.begin() + title.GetLength(), 0xFFFF) ==
                               glyphs.begin() + title.GetLength();
        if (whole || chosen == nullptr) {
            if (chosen != nullptr) ::DeleteObject(chosen);
            chosen = candidate;
            if (whole) break;
        } else {
            ::DeleteObject(candidate);
        }
    }
    panelTitle.SetFont(nullptr, FALSE);
    titleFont_.DeleteObject();
    if (chosen != nullptr) {
        titleFont_.Attach(chosen);
        panelTitle.SetFont(&titleFont_);
    }
    panelTitle.SetWindowText(title);
}
