#include "html/HtmlTextStatic.h"

#include <shellapi.h>

#include <algorithm>
#include <map>
#include <memory>

#include "html/HtmlMarkup.h"

namespace {

using sorvane::html::TagName;
using sorvane::html::Token;

constexpr int kSizeStepPixels = 2;   // one BIG, SMALL or SIZE unit of character height
constexpr int kMinFontHeight = 4;
constexpr int kMaxSizeSteps = 100;
constexpr int kDefaultRule = 2;
constexpr int kMaxRule = 200;
constexpr int kRuleSpacing = 2;      // above and below a rule
constexpr int kShowCommand = SW_SHOWNORMAL;
constexpr WORD kWinHelpHandCursor = 106;

// What the text is drawn with at a point of the markup.
struct Style {
    int bold = 0, italic = 0, underline = 0, strike = 0, center = 0, sub = 0, sup = 0, code = 0;
    int sizeSteps = 0;
    COLORREF text = 0;
    COLORREF back = 0;
    bool opaque = true;
    std::wstring face;
    int link = -1;

    bool SameLook(const Style& o) const {
        return (bold > 0) == (o.bold > 0) && (italic > 0) == (o.italic > 0) && (underline > 0) == (o.underline > 0) &&
               (strike > 0) == (o.strike > 0) && Shift() == o.Shift() && (code > 0) == (o.code > 0) &&
               sizeSteps == o.sizeSteps && text == o.text && back == o.back && opaque == o.opaque && face == o.face &&
               link == o.link;
    }
    int Shift() const { return sub > sup ? 1 : sup > sub ? -1 : 0; }
};

struct Piece {
    std::wstring text;
    Style style;
    int x = 0;
    int width = 0;
    int ascent = 0;
    int height = 0;
};

struct Line {
    std::vector<Piece> pieces;
    int width = 0;
    int ascent = 0;
    int descent = 0;
    bool centred = false;
    int rule = 0;  // a rule of this thickness instead of text
};

// An opening tag counts up; a closing one counts down, but a closing tag without its opening one
// changes nothing.
void Nest(int& count, bool open) {
    if (open) {
        ++count;
    } else if (count > 0) {
        --count;
    }
}

// Fonts of one rendering, one a look.
class FontCache {
public:
    FontCache(HDC dc, const LOGFONTW& base) : dc_(dc), base_(base) {
        if (base_.lfHeight == 0) base_.lfHeight = -13;
    }
    ~FontCache() {
        for (auto& entry : fonts_) ::DeleteObject(entry.second);
    }
    FontCache(const FontCache&) = delete;
    FontCache& operator=(const FontCache&) = delete;

    HFONT Select(const Style& style) {
        LOGFONTW font = base_;
        const int height = std::abs(base_.lfHeight) + kSizeStepPixels * style.sizeSteps;
        font.lfHeight = -std::max(height, kMinFontHeight);
        if (style.bold > 0) font.lfWeight = FW_BOLD;
        if (style.italic > 0) font.lfItalic = TRUE;
        if (style.underline > 0) font.lfUnderline = TRUE;
        if (style.strike > 0) font.lfStrikeOut = TRUE;
        const std::wstring face = style.code > 0 ? L"Courier New" : style.face;
        if (!face.empty()) lstrcpynW(font.lfFaceName, face.c_str(), LF_FACESIZE);
        const std::wstring key(reinterpret_cast<const wchar_t*>(&font), sizeof font / sizeof(wchar_t));
        auto found = fonts_.find(key);
        if (found == fonts_.end()) found = fonts_.emplace(key, ::CreateFontIndirectW(&font)).first;
        ::SelectObject(dc_, found->second);
        return found->second;
    }

private:
    HDC dc_;
    LOGFONTW base_;
    std::map<std::wstring, HFONT> fonts_;
};

// Lays the markup out into lines no wider than `width`, measuring with the fonts of `fonts`.
class Layout {
public:
    Layout(HDC dc, FontCache& fonts, int width, Style start) : dc_(dc), fonts_(fonts), width_(width), style_(start) {
        lines_.emplace_back();
    }

    std::vector<Line> Run(const std::vector<Token>& tokens, std::vector<CString>& targets) {
        for (const Token& token : tokens) {
            switch (token.kind) {
                case Token::Kind::Text: AddText(token.text); break;
                case Token::Kind::LineBreak: EndLine(); break;
                case Token::Kind::Tag: Apply(token, targets); break;
            }
        }
        EndLine();
        if (lines_.back().pieces.empty() && lines_.back().rule == 0) lines_.pop_back();
        return lines_;
    }

private:
    void Apply(const Token& token, std::vector<CString>& targets) {
        const bool open = !token.closing;
        switch (token.tag) {
            case TagName::B: Nest(style_.bold, open); break;
            case TagName::I: Nest(style_.italic, open); break;
            case TagName::U: Nest(style_.underline, open); break;
            case TagName::Strike: Nest(style_.strike, open); break;
            case TagName::Center:
                EndLineIfUsed();
                Nest(style_.center, open);
                break;
            case TagName::Sub: Nest(style_.sub, open); break;
            case TagName::Sup: Nest(style_.sup, open); break;
            case TagName::Code: Nest(style_.code, open); break;
            case TagName::Big: StepSize(open ? 1 : -1); break;
            case TagName::Small: StepSize(open ? -1 : 1); break;
            case TagName::Font:
                if (open) {
                    fontStack_.push_back(style_);
                    if (!token.color.empty()) style_.text = CNamedColors(token.color.c_str()).GetColor();
                    if (!token.bgcolor.empty()) {
                        style_.back = CNamedColors(token.bgcolor.c_str()).GetColor();
                        style_.opaque = true;
                    }
                    if (!token.face.empty()) style_.face = token.face;
                    if (!token.size.empty()) StepSize(sorvane::html::ParseBoundedNumber(token.size, kMaxSizeSteps));
                } else if (!fontStack_.empty()) {
                    const Style saved = fontStack_.back();
                    fontStack_.pop_back();
                    style_.text = saved.text;
                    style_.back = saved.back;
                    style_.opaque = saved.opaque;
                    style_.face = saved.face;
                    style_.sizeSteps = saved.sizeSteps;
                }
                break;
            case TagName::A:
                if (open) {
                    if (links_++ == 0) {
                        style_.link = static_cast<int>(targets.size());
                        targets.push_back(token.href.c_str());
                    }
                } else if (links_ > 0 && --links_ == 0) {
                    style_.link = -1;
                }
                break;
            case TagName::Hr:
                if (!open) break;
                if (!token.size.empty()) rule_ = std::clamp(sorvane::html::ParseBoundedNumber(token.size, kMaxRule), 1, kMaxRule);
                EndLineIfUsed();
                lines_.back().rule = rule_;
                lines_.emplace_back();
                break;
            case TagName::Br:
                if (open) EndLine();
                break;
        }
    }

    void StepSize(int steps) { style_.sizeSteps = std::clamp(style_.sizeSteps + steps, -kMaxSizeSteps, kMaxSizeSteps); }

    void AddText(const std::wstring& text) {
        std::wstring word;
        for (wchar_t c : text) {
            if (c == L' ' || c == L'\t') {
                AddWord(word);
                word.clear();
                if (!spaceBefore_) spaceStyle_ = style_;  // a blank keeps the look it was written in
                spaceBefore_ = true;
            } else {
                word += c;
            }
        }
        AddWord(word);
    }

    SIZE Measure(const std::wstring& text, const Style& style, TEXTMETRICW* metrics) {
        fonts_.Select(style);
        SIZE size = {0, 0};
        ::GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
        ::GetTextMetricsW(dc_, metrics);
        return size;
    }

    void AddWord(const std::wstring& word) {
        if (word.empty()) return;
        Line* line = &lines_.back();
        TEXTMETRICW spaceMetrics, metrics;
        int space = (spaceBefore_ && !line->pieces.empty()) ? Measure(L" ", spaceStyle_, &spaceMetrics).cx : 0;
        const int width = Measure(word, style_, &metrics).cx;
        if (!line->pieces.empty() && line->width + space + width > width_) {
            EndLine();
            line = &lines_.back();
            space = 0;
        }
        if (space > 0) Append(L" ", spaceStyle_, space, spaceMetrics);
        Append(word, style_, width, metrics);
        spaceBefore_ = false;
    }

    void Append(const std::wstring& text, const Style& style, int width, const TEXTMETRICW& metrics) {
        Line& line = lines_.back();
        if (line.pieces.empty()) line.centred = style.center > 0;
        if (!line.pieces.empty() && line.pieces.back().style.SameLook(style)) {
            line.pieces.back().text += text;
            line.pieces.back().width += width;
        } else {
            Piece piece;
            piece.text = text;
            piece.style = style;
            piece.x = line.width;
            piece.width = width;
            piece.ascent = metrics.tmAscent;
            piece.height = metrics.tmHeight;
            line.pieces.push_back(piece);
        }
        line.width += width;
        // Raised and lowered text gets room on its line instead of being cut off.
        const int shift = style.Shift() * metrics.tmHeight / 2;
        line.ascent = std::max<int>(line.ascent, metrics.tmAscent - std::min(shift, 0));
        line.descent = std::max<int>(line.descent, metrics.tmDescent + std::max(shift, 0));
    }

    void EndLineIfUsed() {
        if (!lines_.back().pieces.empty()) EndLine();
    }

    void EndLine() {
        Line& line = lines_.back();
        if (line.pieces.empty() && line.rule == 0) {
            TEXTMETRICW metrics;
            Measure(L" ", style_, &metrics);
            line.ascent = metrics.tmAscent;
            line.descent = metrics.tmDescent;
        }
        lines_.emplace_back();
        spaceBefore_ = false;
    }

    HDC dc_;
    FontCache& fonts_;
    int width_;
    Style style_;
    std::vector<Style> fontStack_;
    std::vector<Line> lines_;
    int links_ = 0;
    int rule_ = kDefaultRule;
    bool spaceBefore_ = false;
    Style spaceStyle_;
};

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
    m_toolTip.Create(this);
}

void CHtmlTextStatic::MarkForRendering() {
    m_needsRendering = true;
    if (m_hWnd != nullptr) Invalidate(FALSE);
}

LRESULT CHtmlTextStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
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
        const std::vector<Line> lines =
            Layout(m_imageDC, fonts, layoutWidth, start).Run(sorvane::html::ParseMarkup(text.GetString()), targets);

        int top = 0;
        COLORREF ruleColour = m_foreground;
        for (const Line& line : lines) {
            if (line.rule > 0) {
                const int y = top + kRuleSpacing + line.rule / 2;
                HPEN pen = ::CreatePen(PS_SOLID, line.rule, ruleColour);
                HGDIOBJ savedPen = ::SelectObject(m_imageDC, pen);
                ::MoveToEx(m_imageDC, 0, y, nullptr);
                ::LineTo(m_imageDC, client.Width(), y);
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
                ::TextOutW(m_imageDC, left + piece.x, y, piece.text.c_str(), static_cast<int>(piece.text.size()));
                ruleColour = piece.style.text;
                // One rectangle for each stretch of a link on a line.
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
