#include "hexedit/HexEditWnd.h"

#include <algorithm>
#include <cstring>
#include <cwctype>

IMPLEMENT_DYNCREATE(CHexEditWnd, CWnd)

namespace {

constexpr wchar_t kClassName[] = L"CHexEditWnd";
constexpr wchar_t kSelfCreatingClassName[] = L"CHexEditWnd_SC";
// Posted by the layout: the scroll bars follow once the message that changed the layout is done.
constexpr UINT kUpdateScrollBars = 0x5400;
constexpr UINT_PTR kAutoScrollTimer = 1024;
constexpr UINT kAutoScrollTick = 5;
constexpr int kWheelNotch = 120;

}  // namespace

BEGIN_MESSAGE_MAP(CHexEditWnd, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_MESSAGE(kUpdateScrollBars, OnUpdateScrollBars)
    ON_MESSAGE(WM_SETFONT, OnSetFont)
    ON_MESSAGE(WM_GETFONT, OnGetFont)
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_GETDLGCODE()
    ON_WM_KEYDOWN()
    ON_WM_CHAR()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_CAPTURECHANGED()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_MOUSEWHEEL()
    ON_WM_TIMER()
    ON_WM_VSCROLL()
    ON_WM_HSCROLL()
    ON_WM_CONTEXTMENU()
    ON_COMMAND(ID_EDIT_COPY, OnEditCopy)
    ON_COMMAND(ID_EDIT_PASTE, OnEditPaste)
    ON_COMMAND(ID_EDIT_SELECT_ALL, OnEditSelectAll)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

// The procedure of "CHexEditWnd_SC": a window named in a dialog template makes its own object,
// which then receives every message and deletes itself when the window goes.
LRESULT CALLBACK HexEditSelfCreatingProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_NCCREATE) return ::DefWindowProcW(hWnd, message, wParam, lParam);
    CHexEditWnd* edit = nullptr;
    try {
        edit = new CHexEditWnd;
    } catch (...) {
        return FALSE;
    }
    edit->m_state.autoDelete = true;
    if (!edit->SubclassWindow(hWnd)) {
        delete edit;
        return FALSE;
    }
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

void CHexEditWnd::RegisterWindowClass() {
    const HINSTANCE instance = AfxGetInstanceHandle();
    const struct {
        LPCWSTR name;
        WNDPROC procedure;
    } classes[] = {{kClassName, ::DefWindowProcW}, {kSelfCreatingClassName, HexEditSelfCreatingProc}};
    for (const auto& entry : classes) {
        WNDCLASSW existing = {};
        if (::GetClassInfoW(instance, entry.name, &existing)) continue;
        WNDCLASSW wc = {};
        wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = entry.procedure;
        wc.hInstance = instance;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_IBEAM);
        wc.lpszClassName = entry.name;
        if (!AfxRegisterClass(&wc)) AfxThrowResourceException();
    }
}

CHexEditWnd::CHexEditWnd() {
    m_state.selTextInactive = ::GetSysColor(COLOR_WINDOWTEXT);
    m_state.selBackInactive = ::GetSysColor(COLOR_BTNFACE);
    m_state.selTextActive = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    m_state.selBackActive = ::GetSysColor(COLOR_HIGHLIGHT);
    m_state.binaryFormat = ::RegisterClipboardFormatW(L"BinaryData");
    if (!m_font.CreateStockObject(ANSI_FIXED_FONT)) AfxThrowResourceException();
    RegisterWindowClass();
}

CHexEditWnd::~CHexEditWnd() {
    FreeData();
    if (m_hWnd != nullptr) DestroyWindow();
}

void CHexEditWnd::PostNcDestroy() {
    if (m_state.autoDelete) {
        m_state.autoDelete = false;
        delete this;
    }
}

BOOL CHexEditWnd::Create(LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
                         void* pContext) {
    return CWnd::Create(kClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID, pContext);
}

BOOL CHexEditWnd::PreCreateWindow(CREATESTRUCT& cs) { return CWnd::PreCreateWindow(cs); }

BOOL CHexEditWnd::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message == WM_KEYDOWN && ::GetKeyState(VK_CONTROL) < 0) {
        switch (pMsg->wParam) {
        case 'A': SelectAll(); return TRUE;
        case 'C': Copy(); return TRUE;
        case 'V': Paste(); return TRUE;
        default: break;
        }
    }
    return CWnd::PreTranslateMessage(pMsg);
}

void CHexEditWnd::FreeData() {
    if (m_state.ownsData) delete[] m_state.data;
    m_state.data = nullptr;
    m_state.dataLength = 0;
}

void CHexEditWnd::SetData(BYTE* data, int length, bool takeOwnership, bool redraw) {
    if (data != m_state.data) FreeData();
    m_state.data = data;
    m_state.dataLength = data != nullptr ? std::max(length, 0) : 0;
    m_state.ownsData = takeOwnership;
    m_state.selBegin = m_state.selEnd = -1;
    m_state.anchor = m_state.dragEnd = -1;
    m_state.topRow = 0;
    m_state.hScroll = 0;
    m_state.caretPos = 0;
    m_state.highNibble = true;
    m_state.relayoutPending = true;
    if (m_hWnd == nullptr) return;
    PlaceCaret(0, true);
    PostMessage(kUpdateScrollBars);
    if (redraw) Invalidate(FALSE);
}

// ---- settings

void CHexEditWnd::SettingChanged(bool redraw) {
    m_state.relayoutPending = true;
    if (m_hWnd == nullptr) return;
    PlaceCaret(m_state.caretPos, m_state.highNibble);
    if (redraw) Invalidate(FALSE);
}

void CHexEditWnd::SetAddressSize(BYTE digits, bool redraw) {
    m_state.addressDigits = digits;
    SettingChanged(redraw);
}

void CHexEditWnd::SetShowAddress(bool show, bool redraw) {
    if (m_state.showAddress == show) return;
    m_state.showAddress = show;
    SettingChanged(redraw);
}

void CHexEditWnd::SetShowAscii(bool show, bool redraw) {
    if (m_state.showAscii == show) return;
    m_state.showAscii = show;
    SettingChanged(redraw);
}

void CHexEditWnd::SetBytesPerRow(int count, bool automatic, bool redraw) {
    if (m_state.bytesPerRow == count && m_state.autoBytesPerRow == automatic) return;
    m_state.bytesPerRow = count;
    m_state.autoBytesPerRow = automatic;
    SettingChanged(redraw);
}

void CHexEditWnd::SetReadOnly(bool readOnly, bool redraw) {
    m_state.readOnly = readOnly;
    if (redraw && m_hWnd != nullptr) Invalidate(FALSE);
}

void CHexEditWnd::SetBackgroundColor(COLORREF color, bool redraw) {
    m_state.backColor = color;
    if (redraw && m_hWnd != nullptr) Invalidate(FALSE);
}

void CHexEditWnd::SetContextMenuTexts(LPCWSTR copyText, LPCWSTR pasteText) {
    m_copyText = copyText;
    m_pasteText = pasteText;
}

void CHexEditWnd::SetSelection(int begin, int end, bool ensureVisible, bool redraw) {
    HexEditLayout::NormaliseSelection(m_state, &begin, &end);
    if (begin == m_state.selBegin && end == m_state.selEnd) return;
    m_state.selBegin = begin;
    m_state.selEnd = end;
    if (ensureVisible && begin != -1 && m_hWnd != nullptr) {
        RelayoutIfPending();
        if (HexEditLayout::MakeVisible(m_state, begin, end)) {
            SetScrollPos(SB_VERT, m_state.topRow, FALSE);
            SetScrollPos(SB_HORZ, m_state.hScroll, FALSE);
        }
    }
    if (redraw && m_hWnd != nullptr) Invalidate(FALSE);
}

void CHexEditWnd::SelectAll() {
    if (m_state.dataLength > 0) SetSelection(0, m_state.dataLength - 1, false, true);
}

// ---- layout, scrolling and the caret

void CHexEditWnd::Relayout(CDC* pDC) {
    if (pDC == nullptr) {
        CClientDC clientDC(this);
        Relayout(&clientDC);
        return;
    }
    CFont* oldFont = pDC->SelectObject(&m_font);
    const CSize cell = pDC->GetTextExtent(L"0", 1);
    pDC->SelectObject(oldFont);
    CRect client;
    GetClientRect(&client);
    HexEditLayout::Compute(m_state, client, cell.cx, cell.cy, MultiLine());
    PostMessage(kUpdateScrollBars);
}

void CHexEditWnd::RelayoutIfPending() {
    if (m_state.relayoutPending && m_hWnd != nullptr) Relayout();
}

LRESULT CHexEditWnd::OnUpdateScrollBars(WPARAM, LPARAM) {
    UpdateScrollBars();
    return 0;
}

void CHexEditWnd::UpdateScrollBars() {
    if (!MultiLine()) return;
    if (m_state.maxTopRow > 0) {
        ShowScrollBar(SB_VERT, TRUE);
        EnableScrollBar(SB_VERT, ESB_ENABLE_BOTH);
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
        info.nMax = m_state.maxTopRow + m_state.pageRows - 1;
        info.nPage = static_cast<UINT>(m_state.pageRows);
        info.nPos = std::min(m_state.topRow, m_state.maxTopRow);
        SetScrollInfo(SB_VERT, &info, TRUE);
    } else {
        ShowScrollBar(SB_VERT, FALSE);
    }
    if (m_state.maxHScroll == 0) {
        ShowScrollBar(SB_HORZ, FALSE);
    } else {
        EnableScrollBar(SB_HORZ, ESB_ENABLE_BOTH);
        ShowScrollBar(SB_HORZ, TRUE);
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
        info.nPage = static_cast<UINT>(m_state.contentRect.Width());
        info.nMax = m_state.maxHScroll + static_cast<int>(info.nPage) - 1;
        info.nPos = std::min(m_state.hScroll, m_state.maxHScroll);
        SetScrollInfo(SB_HORZ, &info, TRUE);
    }
}

void CHexEditWnd::SetTopRow(int row, bool redraw) {
    if (!MultiLine()) return;
    row = HexEditLayout::ClampTopRow(m_state, row);
    SetScrollPos(SB_VERT, row, TRUE);
    const bool changed = row != m_state.topRow;
    m_state.topRow = row;
    if (changed && redraw) Invalidate(FALSE);
    PlaceCaret(m_state.caretPos, m_state.highNibble);
}

void CHexEditWnd::SetHScroll(int x, bool redraw) {
    x = HexEditLayout::ClampHScroll(m_state, x);
    SetScrollPos(SB_HORZ, x, TRUE);
    const bool changed = x != m_state.hScroll;
    m_state.hScroll = x;
    if (changed && redraw) {
        Invalidate(FALSE);
        PlaceCaret(m_state.caretPos, m_state.highNibble);
    }
}

void CHexEditWnd::StepRows(int delta) { SetTopRow(std::max(m_state.topRow + delta, 0), true); }

void CHexEditWnd::StepHScroll(int delta) { SetHScroll(std::max(m_state.hScroll + delta, 0), true); }

void CHexEditWnd::DestroyCaretIfOwned() {
    if (!m_state.caretCreated) return;
    ::DestroyCaret();
    m_state.caretCreated = false;
}

void CHexEditWnd::PlaceCaret(int pos, bool highNibble) {
    m_state.caretPos = pos;
    m_state.highNibble = highNibble;
    if (m_hWnd == nullptr) return;
    if (!m_state.HasData()) {
        DestroyCaretIfOwned();
        return;
    }
    RelayoutIfPending();
    const HexEditLayout::CaretPlacement caret = HexEditLayout::PlaceCaret(m_state, ::GetFocus() == m_hWnd);
    if (!caret.shown) {
        DestroyCaretIfOwned();
        return;
    }
    const int height = caret.height - 1;
    // Recreating the system caret flickers: only a change of size makes a new one.
    if (!m_state.caretCreated || m_state.caretWidth != caret.width || m_state.caretHeight != height) {
        DestroyCaretIfOwned();
        CreateSolidCaret(caret.width, height);
        m_state.caretCreated = true;
        m_state.caretWidth = caret.width;
        m_state.caretHeight = height;
    }
    SetCaretPos(caret.position);
    ShowCaret();
}

void CHexEditWnd::MoveCaret(int delta, bool highAfter) {
    if (!m_state.HasData()) return;
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    if (!shift) m_state.anchor = m_state.dragEnd = m_state.selBegin = m_state.selEnd = -1;
    const HexEditLayout::BytePosition to = HexEditLayout::MoveTarget(m_state, delta, highAfter);
    if (shift && m_state.anchor != -1) {
        m_state.dragEnd = to.byte;
        HexEditLayout::SelectBetween(m_state, m_state.anchor, to.byte);
    }
    RelayoutIfPending();
    if (HexEditLayout::MakeVisible(m_state, to.byte, to.byte)) {
        SetScrollPos(SB_VERT, m_state.topRow, TRUE);
        SetScrollPos(SB_HORZ, m_state.hScroll, TRUE);
    }
    Invalidate(FALSE);
    PlaceCaret(to.byte, to.highNibble);
}

void CHexEditWnd::NotifyChange() {
    const HWND parent = ::GetParent(m_hWnd);
    if (parent == nullptr) return;
    ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), EN_CHANGE), reinterpret_cast<LPARAM>(m_hWnd));
}

// ---- messages

BOOL CHexEditWnd::OnEraseBkgnd(CDC*) { return TRUE; }

void CHexEditWnd::OnSize(UINT, int, int) {
    Default();
    Relayout();
    PlaceCaret(m_state.caretPos, m_state.highNibble);
    UpdateScrollBars();
}

LRESULT CHexEditWnd::OnSetFont(WPARAM wParam, LPARAM lParam) {
    const HFONT font = reinterpret_cast<HFONT>(wParam);
    LOGFONTW logFont = {};
    // Only a fixed-pitch font keeps the columns lined up; any other leaves the one held.
    if (font != nullptr && ::GetObjectW(font, sizeof logFont, &logFont) == sizeof logFont &&
        (logFont.lfPitchAndFamily & 3) == FIXED_PITCH) {
        m_font.DeleteObject();
        m_font.CreateFontIndirect(&logFont);
    }
    if (m_font.m_hObject == nullptr) m_font.CreateStockObject(SYSTEM_FIXED_FONT);
    m_state.relayoutPending = true;
    if (LOWORD(lParam) != 0) Invalidate(FALSE);
    return 0;
}

LRESULT CHexEditWnd::OnGetFont(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_font.m_hObject); }

void CHexEditWnd::OnSetFocus(CWnd*) {
    if (!m_state.HasData()) return;
    PlaceCaret(m_state.caretPos, m_state.highNibble);
    Invalidate(FALSE);
}

void CHexEditWnd::OnKillFocus(CWnd*) {
    DestroyCaretIfOwned();
    Default();
    Invalidate(FALSE);
}

UINT CHexEditWnd::OnGetDlgCode() {
    // Tab and Shift+Tab belong to the dialog, which walks all of its controls, those of the pages
    // around this one's included; every other key is the view's.
    const MSG* asked = reinterpret_cast<const MSG*>(GetCurrentMessage()->lParam);
    if (asked != nullptr && (asked->message == WM_KEYDOWN || asked->message == WM_CHAR) && asked->wParam == VK_TAB) {
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    }
    return DLGC_WANTALLKEYS;
}

void CHexEditWnd::OnKeyDown(UINT nChar, UINT, UINT) {
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    if (shift && m_state.anchor == -1) m_state.anchor = m_state.caretPos;
    if (nChar == VK_TAB) {
        // Outside a dialog's keyboard handling: the next control among the view's siblings.
        CWnd* parent = GetParent();
        CWnd* next = parent != nullptr ? parent->GetNextDlgTabItem(this, shift) : nullptr;
        if (next != nullptr) next->SetFocus();
        return;
    }
    int delta = 0;
    bool highAfter = true;
    if (HexEditLayout::KeyMove(m_state, nChar, &delta, &highAfter)) MoveCaret(delta, highAfter);
}

void CHexEditWnd::OnChar(UINT nChar, UINT, UINT) {
    if (nChar > 255 || !m_state.HasData() || m_state.readOnly) return;
    const wchar_t c = static_cast<wchar_t>(::towlower(static_cast<wint_t>(nChar)));
    BYTE digit = 0;
    if (c >= L'0' && c <= L'9') digit = static_cast<BYTE>(c - L'0');
    else if (c >= L'a' && c <= L'f') digit = static_cast<BYTE>(c - L'a' + 10);
    else return;
    BYTE& byte = m_state.data[m_state.caretPos];
    if (m_state.highNibble) {
        byte = static_cast<BYTE>((byte & 0x0F) | (digit << 4));
        MoveCaret(0, false);
    } else {
        byte = static_cast<BYTE>((byte & 0xF0) | digit);
        MoveCaret(1, true);
    }
    Invalidate(FALSE);
    NotifyChange();
}

bool CHexEditWnd::FocusAndPlaceCaretAt(CPoint point) {
    SetFocus();
    if (!m_state.HasData()) return false;
    RelayoutIfPending();
    const HexEditLayout::BytePosition at = HexEditLayout::PointToByte(m_state, point, MultiLine());
    PlaceCaret(at.byte, at.highNibble);
    return true;
}

void CHexEditWnd::OnLButtonDown(UINT, CPoint point) {
    if (!FocusAndPlaceCaretAt(point)) return;
    const int cx = ::GetSystemMetrics(SM_CXDRAG);
    const int cy = ::GetSystemMetrics(SM_CYDRAG);
    m_state.dragStartRect = CRect(point.x - cx / 2, point.y - cy / 2, point.x + cx - cx / 2, point.y + cy - cy / 2);
    m_state.dragEnd = -1;
    m_state.selBegin = m_state.selEnd = -1;
    m_state.anchor = m_state.caretPos;
    SetCapture();
    Invalidate(FALSE);
}

void CHexEditWnd::FollowPointer(CPoint point) {
    const HexEditLayout::BytePosition at = HexEditLayout::PointToByte(m_state, point, MultiLine());
    PlaceCaret(at.byte, at.highNibble);
    m_state.dragEnd = at.byte;
    HexEditLayout::SelectBetween(m_state, m_state.anchor, at.byte);
    Invalidate(FALSE);
}

void CHexEditWnd::OnMouseMove(UINT nFlags, CPoint point) {
    if (!m_state.HasData() || (nFlags & MK_LBUTTON) == 0 || m_state.anchor == -1) return;
    if (m_state.dragStartRect.PtInRect(point)) return;
    // Past the threshold once, the rest of the drag follows every move.
    m_state.dragStartRect = CRect(-1, -1, -1, -1);
    const CRect& content = m_state.contentRect;
    if (MultiLine() && !content.PtInRect(point)) {
        int direction = 0;
        int distance = 0;
        if (point.y < content.top) {
            direction = -1;
            distance = content.top - point.y + 1;
        } else if (point.y >= content.bottom) {
            direction = 1;
            distance = point.y - content.bottom + 1;
        }
        if (direction != 0) StartAutoScroll(point, direction, HexEditLayout::AutoScrollReload(distance));
    } else {
        StopAutoScroll();
    }
    FollowPointer(point);
}

void CHexEditWnd::StartAutoScroll(CPoint point, int direction, short reload) {
    if (!m_state.HasData()) return;
    m_state.autoScrollPoint = point;
    m_state.autoScrollDirection = direction;
    m_state.autoScrollReload = reload;
    if (!m_state.autoScrollOn && MultiLine()) {
        m_state.autoScrollOn = true;
        m_state.autoScrollCountdown = reload;
        SetTimer(kAutoScrollTimer, kAutoScrollTick);
    }
}

void CHexEditWnd::StopAutoScroll() {
    if (!m_state.autoScrollOn) return;
    KillTimer(kAutoScrollTimer);
    m_state.autoScrollOn = false;
}

void CHexEditWnd::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent != kAutoScrollTimer || !m_state.autoScrollOn) return;
    if (m_state.autoScrollCountdown > 0) {
        --m_state.autoScrollCountdown;
        return;
    }
    m_state.autoScrollCountdown = m_state.autoScrollReload;
    StepRows(m_state.autoScrollDirection);
    FollowPointer(m_state.autoScrollPoint);
}

void CHexEditWnd::OnLButtonUp(UINT, CPoint) {
    if (GetCapture() == this) ::ReleaseCapture();
    StopAutoScroll();
    Invalidate(FALSE);
}

// The capture went elsewhere during a drag (another window took it, a menu or a dialog opened): the
// rows stop scrolling after a pointer that this window no longer follows.
void CHexEditWnd::OnCaptureChanged(CWnd*) {
    StopAutoScroll();
    Default();
}

void CHexEditWnd::OnLButtonDblClk(UINT, CPoint point) {
    if (FocusAndPlaceCaretAt(point)) SetSelection(m_state.caretPos, m_state.caretPos, false, true);
}

BOOL CHexEditWnd::OnMouseWheel(UINT, short zDelta, CPoint) {
    if (m_state.HasData()) StepRows(zDelta / -kWheelNotch);
    return TRUE;
}

int CHexEditWnd::TrackPosition(int bar) const {
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    return GetScrollInfo(bar, &info, SIF_TRACKPOS) ? info.nTrackPos : GetScrollPos(bar);
}

void CHexEditWnd::OnVScroll(UINT nSBCode, UINT, CScrollBar*) {
    if (!m_state.HasData()) return;
    switch (nSBCode) {
    case SB_LINEUP: StepRows(-1); break;
    case SB_LINEDOWN: StepRows(1); break;
    case SB_PAGEUP: StepRows(-m_state.pageRows); break;
    case SB_PAGEDOWN: StepRows(m_state.pageRows); break;
    case SB_THUMBTRACK: SetTopRow(TrackPosition(SB_VERT), true); break;
    default: break;
    }
}

void CHexEditWnd::OnHScroll(UINT nSBCode, UINT, CScrollBar*) {
    if (!m_state.HasData()) return;
    switch (nSBCode) {
    case SB_LINELEFT: StepHScroll(-m_state.charWidth); break;
    case SB_LINERIGHT: StepHScroll(m_state.charWidth); break;
    case SB_PAGELEFT: StepHScroll(-m_state.contentRect.Width()); break;
    case SB_PAGERIGHT: StepHScroll(m_state.contentRect.Width()); break;
    // The message carries only 16 bits of the position; a one-row view of a large buffer is wider.
    case SB_THUMBTRACK: SetHScroll(TrackPosition(SB_HORZ), true); break;
    default: break;
    }
}

void CHexEditWnd::OnDestroy() {
    StopAutoScroll();
    DestroyCaretIfOwned();
    Default();
}

// ---- clipboard and context menu

namespace {

HGLOBAL GlobalCopy(const void* bytes, size_t size) {
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE | GMEM_ZEROINIT, size);
    if (block == nullptr) return nullptr;
    void* target = ::GlobalLock(block);
    if (target == nullptr) {
        ::GlobalFree(block);
        return nullptr;
    }
    std::memcpy(target, bytes, size);
    ::GlobalUnlock(block);
    return block;
}

}  // namespace

void CHexEditWnd::Copy() {
    if (!m_state.HasData() || !m_state.HasSelection()) return;
    const std::vector<BYTE> binary = HexEditLayout::CopyBlock(m_state);
    const std::string text = HexEditLayout::CopyText(m_state);
    HGLOBAL binaryBlock = GlobalCopy(binary.data(), binary.size());
    HGLOBAL textBlock = GlobalCopy(text.c_str(), text.size() + 1);
    if (binaryBlock == nullptr || textBlock == nullptr) {
        if (binaryBlock != nullptr) ::GlobalFree(binaryBlock);
        if (textBlock != nullptr) ::GlobalFree(textBlock);
        return;
    }
    auto* source = new COleDataSource;
    source->CacheGlobalData(static_cast<CLIPFORMAT>(m_state.binaryFormat), binaryBlock);
    source->CacheGlobalData(CF_TEXT, textBlock);
    source->SetClipboard();
}

void CHexEditWnd::Paste() {
    if (m_state.readOnly || !m_state.HasData()) return;
    COleDataObject clipboard;
    const CLIPFORMAT format = static_cast<CLIPFORMAT>(m_state.binaryFormat);
    if (!clipboard.AttachClipboard() || !clipboard.IsDataAvailable(format)) return;
    HGLOBAL block = clipboard.GetGlobalData(format);
    if (block == nullptr) return;
    HexEditLayout::PastePlan plan;
    if (const auto* bytes = static_cast<const BYTE*>(::GlobalLock(block))) {
        plan = HexEditLayout::PlanPaste(m_state, bytes, ::GlobalSize(block));
        if (plan.count > 0) std::memcpy(m_state.data + plan.start, plan.bytes, static_cast<size_t>(plan.count));
        ::GlobalUnlock(block);
    }
    ::GlobalFree(block);
    // An empty block writes nothing and leaves caret and selection where they are.
    if (plan.count <= 0) return;
    const int last = plan.start + plan.count - 1;
    SetSelection(plan.start, last, true, false);
    PlaceCaret(last, false);
    Invalidate(FALSE);
    NotifyChange();
}

void CHexEditWnd::OnExtendContextMenu(CMenu&) {}

void CHexEditWnd::OnContextMenu(CWnd*, CPoint pos) {
    CPoint screen = pos;
    if (pos.x == -1 && pos.y == -1) {
        // From the keyboard: the menu opens near the content's corner.
        screen = CPoint(5, 5);
        ClientToScreen(&screen);
    } else if (m_state.HasData()) {
        CPoint client = pos;
        ScreenToClient(&client);
        RelayoutIfPending();
        const HexEditLayout::BytePosition at = HexEditLayout::PointToByte(m_state, client, MultiLine());
        if (!m_state.HasSelection() || at.byte < m_state.selBegin || at.byte > m_state.selEnd) {
            SetSelection(-1, -1, false, true);
            PlaceCaret(at.byte, true);
        }
    }
    COleDataObject clipboard;
    const bool canPaste = !m_state.readOnly && clipboard.AttachClipboard() &&
                          clipboard.IsDataAvailable(static_cast<CLIPFORMAT>(m_state.binaryFormat));
    const UINT greyed = MF_GRAYED | MF_DISABLED;
    CMenu menu;
    if (!menu.CreatePopupMenu()) return;
    menu.AppendMenu(MF_STRING | (m_state.HasSelection() ? 0 : greyed), ID_EDIT_COPY, m_copyText);
    menu.AppendMenu(MF_STRING | (canPaste ? 0 : greyed), ID_EDIT_PASTE, m_pasteText);
    OnExtendContextMenu(menu);
    menu.TrackPopupMenu(TPM_LEFTALIGN, screen.x, screen.y, this);
}
