#include "html/HtmlTextStatic.h"

#include <shellapi.h>

#include <algorithm>

#include "html/HtmlLayout.h"
#include "html/HtmlMarkup.h"

namespace {

using sorvane::html::FontCache;
using sorvane::html::Line;
using sorvane::html::Piece;
using sorvane::html::Style;

constexpr int kRuleSpacing = 2;      // above and below a rule
constexpr int kShowCommand = SW_SHOW;
constexpr WORD kWinHelpHandCursor = 106;

// A command-line argument that a program reads back as exactly `text`.
std::wstring QuoteArgument(const std::wstring& text) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : text) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

std::wstring RegistryDefault(HKEY root, const std::wstring& path) {
    wchar_t value[2048] = {};
    LONG size = sizeof value - sizeof(wchar_t);
    if (::RegQueryValueW(root, path.c_str(), value, &size) != ERROR_SUCCESS) return {};
    return value;
}

// Opens the target with the program registered for ".htm" documents, the target one argument.
bool OpenWithDocumentProgram(const std::wstring& target) {
    const std::wstring documentClass = RegistryDefault(HKEY_CLASSES_ROOT, L".htm");
    if (documentClass.empty()) return false;
    std::wstring command = RegistryDefault(HKEY_CLASSES_ROOT, documentClass + L"\\shell\\open\\command");
    if (command.empty()) return false;
    std::size_t cut = command.find(L"\"%1\"");
    if (cut == std::wstring::npos) cut = command.find(L"%1");
    if (cut != std::wstring::npos) command.erase(cut);
    while (!command.empty() && command.back() == L' ') command.pop_back();
    command += L" " + QuoteArgument(target);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = kShowCommand;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

bool StartsWithNoCase(const CString& text, int at, LPCWSTR prefix) {
    const int length = lstrlenW(prefix);
    return text.GetLength() >= at + length && _wcsnicmp(text.GetString() + at, prefix, length) == 0;
}

}  // namespace

BEGIN_MESSAGE_MAP(CHtmlTextStatic, CStatic)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_SETCURSOR()
    ON_WM_NCHITTEST()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CHtmlTextStatic::CHtmlTextStatic()
    : m_background(::GetSysColor(COLOR_WINDOW)), m_foreground(::GetSysColor(COLOR_WINDOWTEXT)) {}

CHtmlTextStatic::~CHtmlTextStatic() {
    FreeImage();
    if (m_ownsLinkCursor) ::DestroyCursor(m_linkCursor);
}

COLORREF CHtmlTextStatic::SetBkColor(COLORREF colour) {
    const COLORREF replaced = m_background;
    m_background = colour;
    MarkForRendering();
    return replaced;
}

COLORREF CHtmlTextStatic::SetTextColor(COLORREF colour) {
    const COLORREF replaced = m_foreground;
    m_foreground = colour;
    MarkForRendering();
    return replaced;
}

void CHtmlTextStatic::SetDefaultFont(const LOGFONTW& font) {
    m_defaultFont = font;
    m_hasDefaultFont = true;
    MarkForRendering();
}

void CHtmlTextStatic::SetMargins(int left, int right) {
    m_leftMargin = std::max(left, 0);
    m_rightMargin = std::max(right, 0);
    MarkForRendering();
}

void CHtmlTextStatic::AddAppCommand(LPCWSTR name, HWND window, UINT message, WPARAM parameter) {
    m_appCommands.push_back(AppCommand{name, window, message, parameter});
}

void CHtmlTextStatic::EnableLinkTips(BOOL enable) {
    m_linkTips = enable != FALSE;
    MarkForRendering();
}

// The tooltip control and the notify style, made once the window exists and tips are wanted.
void CHtmlTextStatic::PrepareLinkTips() {
    if (!m_linkTips || m_toolTip.GetSafeHwnd() != nullptr) return;
    ModifyStyle(0, SS_NOTIFY);
    // Shown whether or not the program is the active one, like the link cursor.
    m_toolTip.Create(this, TTS_ALWAYSTIP);
}

void CHtmlTextStatic::MarkForRendering() {
    m_needsRendering = true;
    if (m_hWnd != nullptr) Invalidate(FALSE);
}

LRESULT CHtmlTextStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The tips learn where the pointer is from this window's mouse messages, relayed.
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST && m_toolTip.GetSafeHwnd() != nullptr) {
        MSG relayed = {m_hWnd, message, wParam, lParam, static_cast<DWORD>(::GetMessageTime()), {}};
        ::GetCursorPos(&relayed.pt);
        m_toolTip.RelayEvent(&relayed);
    }
    const LRESULT result = CStatic::WindowProc(message, wParam, lParam);
    if (message == WM_SETTEXT || message == WM_SETFONT) MarkForRendering();
    return result;
}

BOOL CHtmlTextStatic::OnEraseBkgnd(CDC*) { return TRUE; }

void CHtmlTextStatic::OnSize(UINT nType, int cx, int cy) {
    CStatic::OnSize(nType, cx, cy);
    MarkForRendering();
}

void CHtmlTextStatic::OnPaint() {
    PAINTSTRUCT paint;
    HDC screen = ::BeginPaint(m_hWnd, &paint);
    if (m_needsRendering || m_imageDC == nullptr) Render(screen);
    CRect client;
    GetClientRect(&client);
    if (m_imageDC != nullptr) ::BitBlt(screen, 0, 0, client.Width(), client.Height(), m_imageDC, 0, 0, SRCCOPY);
    ::EndPaint(m_hWnd, &paint);
}

void CHtmlTextStatic::FreeImage() {
    if (m_imageDC == nullptr) return;
    ::SelectObject(m_imageDC, m_imageDefault);
    ::DeleteObject(m_image);
    ::DeleteDC(m_imageDC);
    m_imageDC = nullptr;
    m_image = nullptr;
}

void CHtmlTextStatic::Render(HDC screen) {
    m_needsRendering = false;
    FreeImage();
    CRect client;
    GetClientRect(&client);
    m_imageDC = ::CreateCompatibleDC(screen);
    m_image = ::CreateCompatibleBitmap(screen, std::max(client.Width(), 1), std::max(client.Height(), 1));
    m_imageDefault = ::SelectObject(m_imageDC, m_image);
    // What lies under the control, for the transparent style.
    if (CWnd* parent = GetParent()) {
        CRect inParent = client;
        MapWindowPoints(parent, &inParent);
        HDC parentDC = ::GetDC(parent->GetSafeHwnd());
        ::BitBlt(m_imageDC, 0, 0, client.Width(), client.Height(), parentDC, inParent.left, inParent.top, SRCCOPY);
        ::ReleaseDC(parent->GetSafeHwnd(), parentDC);
    }

    if (m_toolTip.GetSafeHwnd() != nullptr) {
        for (std::size_t i = 0; i < m_links.size(); ++i) m_toolTip.DelTool(this, i + 1);
    }
    m_links.clear();
    if (m_showingLinkCursor) {  // the link under the pointer is gone with the old layout
        ::SetCursor(m_replacedCursor);
        m_showingLinkCursor = false;
    }

    const bool transparent = (GetExStyle() & WS_EX_TRANSPARENT) != 0;
    if (!transparent) {
        HBRUSH brush = ::CreateSolidBrush(m_background);
        ::FillRect(m_imageDC, &client, brush);
        ::DeleteObject(brush);
    }
    CString text;
    GetWindowText(text);
    if (text.IsEmpty() || !IsWindowVisible()) return;

    LOGFONTW base = {};
    if (m_hasDefaultFont) {
        base = m_defaultFont;
    } else {
        HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT));
        if (font == nullptr) font = ::GetCurrentObject(screen, OBJ_FONT);
        if (font == nullptr) font = ::GetStockObject(SYSTEM_FONT);
        ::GetObjectW(font, sizeof base, &base);
    }
    HGDIOBJ savedFont = ::GetCurrentObject(m_imageDC, OBJ_FONT);
    {
        FontCache fonts(m_imageDC, base);
        Style start;
        start.text = m_foreground;
        start.back = m_background;
        start.opaque = !transparent;
        const int layoutWidth = std::max(client.Width() - m_leftMargin - m_rightMargin, 1);
        std::vector<CString> targets;
        const std::vector<Line> lines = sorvane::html::LayOutMarkup(
            m_imageDC, fonts, layoutWidth, start, sorvane::html::ParseMarkup(text.GetString()), targets);

        DrawLines(lines, targets, fonts, layoutWidth, client.Width());
        ::SelectObject(m_imageDC, savedFont);
    }

    PrepareLinkTips();
    if (m_linkTips && m_toolTip.GetSafeHwnd() != nullptr) {
        for (std::size_t i = 0; i < m_links.size(); ++i) {
            const CString& target = m_links[i].target;
            if (StartsWithNoCase(target, 0, L"APP:") || StartsWithNoCase(target, 1, L"APP:")) continue;
            m_toolTip.AddTool(this, target.GetString(), &m_links[i].rect, i + 1);
        }
    }
}

// Draws the laid-out lines into the image and records one rectangle for each stretch of a link on
// a line.
void CHtmlTextStatic::DrawLines(const std::vector<Line>& lines, const std::vector<CString>& targets, FontCache& fonts,
                                int layoutWidth, int clientWidth) {
    int top = 0;
    for (const Line& line : lines) {
        if (line.rule > 0) {
            // Across the whole width, margins included.
            const int y = top + kRuleSpacing + line.rule / 2;
            HPEN pen = ::CreatePen(PS_SOLID, line.rule, line.ruleColour);
            HGDIOBJ savedPen = ::SelectObject(m_imageDC, pen);
            ::MoveToEx(m_imageDC, 0, y, nullptr);
            ::LineTo(m_imageDC, clientWidth, y);
            ::SelectObject(m_imageDC, savedPen);
            ::DeleteObject(pen);
            top += line.rule + 2 * kRuleSpacing;
            continue;
        }
        const int height = line.ascent + line.descent;
        const int left = m_leftMargin + (line.centred ? std::max((layoutWidth - line.width) / 2, 0) : 0);
        for (std::size_t i = 0; i < line.pieces.size(); ++i) {
            const Piece& piece = line.pieces[i];
            fonts.Select(piece.style);
            ::SetTextColor(m_imageDC, piece.style.text);
            ::SetBkColor(m_imageDC, piece.style.back);
            ::SetBkMode(m_imageDC, piece.style.opaque ? OPAQUE : TRANSPARENT);
            const int y = top + line.ascent - piece.ascent + piece.style.Shift() * piece.height / 2;
            ::ExtTextOutW(m_imageDC, left + piece.x, y, 0, nullptr, piece.text.c_str(),
                          static_cast<UINT>(piece.text.size()),
                          piece.advances.size() == piece.text.size() ? piece.advances.data() : nullptr);
            const int link = piece.style.link;
            if (link < 0) continue;
            const CRect rect(left + piece.x, top, left + piece.x + piece.width, top + height);
            if (i > 0 && line.pieces[i - 1].style.link == link && !m_links.empty()) {
                m_links.back().rect.right = rect.right;
            } else {
                m_links.push_back(LinkArea{rect, targets[static_cast<std::size_t>(link)]});
            }
        }
        top += height;
    }
}

int CHtmlTextStatic::LinkAt(CPoint point) const {
    for (std::size_t i = 0; i < m_links.size(); ++i) {
        if (m_links[i].rect.PtInRect(point)) return static_cast<int>(i);
    }
    return -1;
}

HCURSOR CHtmlTextStatic::LinkCursor() {
    if (m_linkCursor != nullptr) return m_linkCursor;
    m_linkCursor = ::LoadCursorW(nullptr, IDC_HAND);
    if (m_linkCursor == nullptr) {
        // Systems without a hand cursor have one in the help program.
        wchar_t path[MAX_PATH];
        ::GetWindowsDirectoryW(path, MAX_PATH);
        lstrcatW(path, L"\\winhlp32.exe");
        if (HMODULE help = ::LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
            if (HCURSOR hand = ::LoadCursorW(help, MAKEINTRESOURCEW(kWinHelpHandCursor))) {
                m_linkCursor = reinterpret_cast<HCURSOR>(::CopyIcon(reinterpret_cast<HICON>(hand)));
                m_ownsLinkCursor = m_linkCursor != nullptr;
            }
            ::FreeLibrary(help);
        }
    }
    return m_linkCursor;
}

LRESULT CHtmlTextStatic::OnNcHitTest(CPoint) { return HTCLIENT; }

void CHtmlTextStatic::OnMouseMove(UINT nFlags, CPoint point) {
    const bool overLink = LinkAt(point) >= 0;
    if (overLink && !m_showingLinkCursor) {
        if (HCURSOR hand = LinkCursor()) {
            m_replacedCursor = ::SetCursor(hand);
            m_showingLinkCursor = true;
        }
    } else if (!overLink && m_showingLinkCursor) {
        ::SetCursor(m_replacedCursor);
        m_showingLinkCursor = false;
    }
    CStatic::OnMouseMove(nFlags, point);
}

BOOL CHtmlTextStatic::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
    if (m_showingLinkCursor) {
        ::SetCursor(LinkCursor());
        return TRUE;
    }
    return CStatic::OnSetCursor(pWnd, nHitTest, message);
}

void CHtmlTextStatic::OnLButtonUp(UINT nFlags, CPoint point) {
    const int link = LinkAt(point);
    if (link >= 0) OpenLinkTarget(m_links[static_cast<std::size_t>(link)].target);
    CStatic::OnLButtonUp(nFlags, point);
}

void CHtmlTextStatic::OnDestroy() {
    if (m_showingLinkCursor) ::SetCursor(m_replacedCursor);
    m_showingLinkCursor = false;
    m_links.clear();
    FreeImage();
    if (m_toolTip.GetSafeHwnd() != nullptr) m_toolTip.DestroyWindow();
    CStatic::OnDestroy();
}

bool CHtmlTextStatic::OpenLinkTarget(const CString& target) {
    const int quoted = (!target.IsEmpty() && target[0] == L'"') ? 1 : 0;
    if (StartsWithNoCase(target, quoted, L"APP:")) {
        CString name = target.Mid(quoted + 4);
        name.Trim(L'"');
        for (const AppCommand& command : m_appCommands) {
            if (command.name.CompareNoCase(name.GetString()) != 0 || !::IsWindow(command.window)) continue;
            ::SendMessageW(command.window, command.message, command.parameter, 0);
            return true;
        }
        return false;
    }
    const auto opened = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", target.GetString(), nullptr, nullptr, kShowCommand));
    if (opened > 32) return true;
    return OpenWithDocumentProgram(target.GetString());
}
