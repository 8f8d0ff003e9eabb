// The HTML text static in a real window: what it draws (compared between texts, never against
// fixed pixel positions), its links, their tips and cursor, and what a click opens.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "html/HtmlTextStatic.h"
#include "support/Waiting.h"
#include "support/gui/Input.h"
#include "support/gui/Picture.h"
#include "support/gui/Pump.h"
#include "ui/LangMag.h"

namespace {

namespace gui = support::gui;

constexpr COLORREF kPaper = RGB(255, 255, 255);
constexpr COLORREF kInk = RGB(0, 0, 0);

// Where the ink lies in a picture: the bounding box of pixels that are not the paper colour.
struct InkBox {
    int left = -1, top = -1, right = -1, bottom = -1;  // inclusive; -1 when there is no ink
    bool Empty() const { return left < 0; }
    int Width() const { return right - left + 1; }
};

// The box around the pixels of the area that `counts` takes as ink.
template <typename Counts>
InkBox FindPixels(const gui::Picture& picture, RECT area, Counts counts) {
    InkBox box;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (!counts(picture.At(x, y))) continue;
            if (box.Empty()) {
                box = {x, y, x, y};
            } else {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
        }
    }
    return box;
}

InkBox FindInk(const gui::Picture& picture, RECT area) {
    return FindPixels(picture, area, [](COLORREF pixel) { return pixel != kPaper; });
}

// The ink of one colour only.
InkBox FindColour(const gui::Picture& picture, COLORREF colour, RECT area) {
    return FindPixels(picture, area, [colour](COLORREF pixel) { return pixel == colour; });
}

// The font every case draws in.
LOGFONTW ControlFont() {
    LOGFONTW font = {};
    font.lfHeight = -16;
    font.lfWeight = FW_NORMAL;
    font.lfQuality = NONANTIALIASED_QUALITY;
    lstrcpyW(font.lfFaceName, L"DejaVu Sans");
    return font;
}

// What the system says about text in a font, asked at run time in a context of its own.
class Metrics {
public:
    explicit Metrics(const LOGFONTW& font) : dc_(CreateCompatibleDC(nullptr)), font_(CreateFontIndirectW(&font)) {
        saved_ = SelectObject(dc_, font_);
    }
    ~Metrics() {
        SelectObject(dc_, saved_);
        DeleteObject(font_);
        DeleteDC(dc_);
    }
    Metrics(const Metrics&) = delete;
    Metrics& operator=(const Metrics&) = delete;

    int Extent(const std::wstring& text) const {
        SIZE size = {};
        GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }
    ABC Widths(wchar_t c) const {
        ABC abc = {};
        GetCharABCWidthsW(dc_, c, c, &abc);
        return abc;
    }

private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ saved_;
};

// One window for the whole suite: Wine takes its time over every top-level window it unmaps.
class HtmlTextStaticTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        host_ = new CWnd;
        control_ = new CHtmlTextStatic;
        host_->CreateEx(0, AfxRegisterWndClass(0), L"HTML text", WS_POPUP | WS_VISIBLE, CRect(40, 40, 400, 240),
                        nullptr, 0);
        control_->Create(L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 360, 200), host_, 100);
    }
    static void TearDownTestSuite() {
        delete control_;  // destroys its window
        delete host_;
    }
    void SetUp() override {
        ASSERT_NE(control_->GetSafeHwnd(), nullptr);
        host_->SetWindowPos(nullptr, 0, 0, 360, 200, SWP_NOMOVE | SWP_NOZORDER);
        control_->SetWindowPos(nullptr, 0, 0, 360, 200, SWP_NOMOVE | SWP_NOZORDER);
        control_->SetDefaultFont(ControlFont());
        control_->SetMargins(0, 0);
        control_->SetBkColor(kPaper);
        control_->SetTextColor(kInk);
        control_->EnableLinkTips(FALSE);
        // The window is on the screen once a text shows.
        ASSERT_TRUE(support::Eventually([&] { return !Ink(L"W").Empty(); }));
    }

    gui::Picture Show(const wchar_t* markup) {
        control_->SetWindowText(markup);
        // The repaint the new text asked for, run as the program's message loop runs it.
        gui::PumpPending();
        return gui::CaptureWindow(control_->GetSafeHwnd());
    }
    InkBox Ink(const wchar_t* markup) {
        const gui::Picture picture = Show(markup);
        return FindInk(picture, RECT{0, 0, picture.width, picture.height});
    }
    CPoint Middle(const CRect& rect) const { return CPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2); }

    static CWnd* host_;
    static CHtmlTextStatic* control_;
};

CWnd* HtmlTextStaticTest::host_ = nullptr;
CHtmlTextStatic* HtmlTextStaticTest::control_ = nullptr;

TEST_F(HtmlTextStaticTest, BoldIsWiderThanPlain) {
    const InkBox plain = Ink(L"WWWWWW");
    const InkBox bold = Ink(L"<b>WWWWWW</b>");
    ASSERT_FALSE(plain.Empty());
    EXPECT_GT(bold.Width(), plain.Width());
}

TEST_F(HtmlTextStaticTest, SubscriptIsLoweredAndSuperscriptRaisedWithinTheLine) {
    const InkBox alone = Ink(L"H");
    ASSERT_FALSE(alone.Empty());
    const int split = alone.right + 1;  // the first H ends here, the shifted one starts after
    for (const wchar_t* markup : {L"H<SUB>H</SUB>", L"H<sup>H</sup>"}) {
        const gui::Picture picture = Show(markup);
        const InkBox plain = FindInk(picture, RECT{0, 0, split, picture.height});
        const InkBox shifted = FindInk(picture, RECT{split, 0, picture.width, picture.height});
        ASSERT_FALSE(shifted.Empty());
        EXPECT_EQ(shifted.bottom - shifted.top, plain.bottom - plain.top);
        const int drop = shifted.top - plain.top;
        if (markup[2] == L'S') {
            EXPECT_GT(drop, 4);
        } else {
            EXPECT_LT(drop, -4);
        }
    }
}

TEST_F(HtmlTextStaticTest, BigIsTallerAndSmallShorterThanPlain) {
    const int plain = Ink(L"H").bottom - Ink(L"H").top;
    EXPECT_GT(Ink(L"<big><big>H</big></big>").bottom - Ink(L"<big><big>H</big></big>").top, plain);
    EXPECT_LT(Ink(L"<small><small>H</small></small>").bottom - Ink(L"<small><small>H</small></small>").top, plain);
}

TEST_F(HtmlTextStaticTest, ARuleSpansTheWholeWidthInItsThickness) {
    control_->SetMargins(20, 20);
    const gui::Picture picture = Show(L"<HR SIZE=4>");
    const InkBox rule = FindInk(picture, RECT{0, 0, picture.width, picture.height});
    EXPECT_EQ(rule.left, 0);
    EXPECT_EQ(rule.right, picture.width - 1);
    EXPECT_EQ(rule.bottom - rule.top + 1, 4);
    // The size stays for later rules: two rules, eight rows of ink.
    const gui::Picture two = Show(L"<hr size=4>a<hr>");
    int inkRows = 0;
    for (int y = 0; y < two.height; ++y) inkRows += two.Count(kInk, RECT{0, y, two.width, y + 1}) == two.width;
    EXPECT_EQ(inkRows, 8);
    // In the text colour where it stands.
    const gui::Picture red = Show(L"<font color=\"red\"><hr size=3></font>");
    EXPECT_EQ(red.Count(RGB(255, 0, 0)), 3 * red.width);
}

TEST_F(HtmlTextStaticTest, CentredTextCentresTheWholeLine) {
    for (const wchar_t* markup : {L"<CENTER>WW WW</CENTER>", L"<center>AA <b>BBBB</b> <i>CC</i> D</center>"}) {
        const gui::Picture picture = Show(markup);
        const InkBox ink = FindInk(picture, RECT{0, 0, picture.width, picture.height});
        ASSERT_FALSE(ink.Empty());
        const int leftGap = ink.left;
        const int rightGap = picture.width - 1 - ink.right;
        EXPECT_NEAR(leftGap, rightGap, 3) << leftGap << " " << rightGap;
    }
}

TEST_F(HtmlTextStaticTest, FontColourAndBackgroundTakeEveryColourForm) {
    for (const wchar_t* markup : {L"<font color=\"#FF0000\">WWW</font>", L"<FONT COLOR=\"255,0,0\">WWW</FONT>",
                                  L"<font color=\"red\">WWW</font>"}) {
        const gui::Picture picture = Show(markup);
        EXPECT_GT(picture.Count(RGB(255, 0, 0)), 10);
        EXPECT_EQ(picture.Count(kInk), 0);
    }
    const gui::Picture back = Show(L"<font bgcolor=\"Navy\" color=\"white\">WWW</font>x");
    EXPECT_GT(back.Count(RGB(0, 0, 128)), 50);
    EXPECT_GT(back.Count(kInk), 0);  // the x after </font> is back in the text colour
}

TEST_F(HtmlTextStaticTest, AChangeOfLookMovesNoText) {
    // Runs drawn apart may round their advances a pixel differently from one run drawn whole.
    const int plain = Ink(L"one two three").Width();
    for (const wchar_t* markup : {L"one <font color=\"black\">two</font> three",
                                  L"one<font color=\"black\"> two </font>three",
                                  L"<font color=\"black\">one two</font> three", L"one <u>two</u> three",
                                  L"one <strike>two</strike> three"}) {
        EXPECT_NEAR(Ink(markup).Width(), plain, 1) << std::wstring(markup).size();
    }
}

// Every run is drawn where its measured text puts it, so the blank between two runs is one blank
// wide and nothing is left over after a run's last character.
TEST_F(HtmlTextStaticTest, RunsAreDrawnAsWideAsTheyWereMeasured) {
    const gui::Picture picture = Show(L"Plain, <font color=\"red\"><b>bold</b></font>");
    const RECT all = {0, 0, picture.width, picture.height};
    const Metrics plain(ControlFont());
    LOGFONTW boldFont = ControlFont();
    boldFont.lfWeight = FW_BOLD;
    const Metrics bold(boldFont);
    const InkBox before = FindColour(picture, kInk, all);
    const InkBox after = FindColour(picture, RGB(255, 0, 0), all);
    ASSERT_FALSE(before.Empty());
    ASSERT_FALSE(after.Empty());
    const ABC comma = plain.Widths(L',');
    EXPECT_NEAR(before.right, plain.Extent(L"Plain") + comma.abcA + static_cast<int>(comma.abcB) - 1, 1);
    EXPECT_NEAR(after.left, plain.Extent(L"Plain, ") + bold.Widths(L'b').abcA, 1);
}

TEST_F(HtmlTextStaticTest, AnUnderlineEndsWithItsWord) {
    for (const wchar_t* markup : {L"<font color=\"red\"><u>underlined</u></font> and",
                                  L"<a href=\"x\"><u><font color=\"red\">underlined</font></u></a>"}) {
        const gui::Picture picture = Show(markup);
        const InkBox red = FindColour(picture, RGB(255, 0, 0), RECT{0, 0, picture.width, picture.height});
        ASSERT_FALSE(red.Empty());
        // The underline is the first red row that reaches from the word's start to its end; the
        // letters stand above it.
        int underline = -1;
        for (int y = red.top; y <= red.bottom && underline < 0; ++y) {
            if (picture.At(red.left, y) == RGB(255, 0, 0) && picture.At(red.right, y) == RGB(255, 0, 0)) underline = y;
        }
        ASSERT_GT(underline, red.top);
        const InkBox letters = FindColour(picture, RGB(255, 0, 0), RECT{0, red.top, picture.width, underline});
        LOGFONTW font = ControlFont();
        font.lfUnderline = TRUE;
        const Metrics metrics(font);
        EXPECT_NEAR(red.right, metrics.Extent(L"underlined") - 1, 1);
        EXPECT_NEAR(red.right - letters.right, static_cast<int>(metrics.Widths(L'd').abcC), 1);
    }
}

TEST_F(HtmlTextStaticTest, ColourSettersRenderAgainAndReturnWhatTheyReplace) {
    Show(L"WWW");
    EXPECT_EQ(control_->SetTextColor(L"Lime"), kInk);
    // Each setter asks for a repaint, which the message loop runs.
    gui::PumpPending();
    const gui::Picture picture = gui::CaptureWindow(control_->GetSafeHwnd());
    EXPECT_GT(picture.Count(RGB(0, 255, 0)), 10);
    EXPECT_EQ(control_->SetBkColor(RGB(0, 0, 255)), kPaper);
    gui::PumpPending();
    EXPECT_GT(gui::CaptureWindow(control_->GetSafeHwnd()).Count(RGB(0, 0, 255)), 1000);
}

TEST_F(HtmlTextStaticTest, UnmatchedClosingTagsDoNotCancelLaterOpeningOnes) {
    const InkBox bold = Ink(L"<b>WWWWWW</b>");
    EXPECT_EQ(Ink(L"</b></b></b><b>WWWWWW</b>").Width(), bold.Width());
    EXPECT_EQ(Ink(L"</center></font></a></sub>WWWWWW").top, Ink(L"WWWWWW").top);
}

TEST_F(HtmlTextStaticTest, UntrustedMarkupRendersAsTextOrIsSkipped) {
    const std::wstring overlong = L"<" + std::wstring(5000, L'B') + L">";
    const std::wstring face = L"<font face=\"" + std::wstring(300, L'F') + L"\">WWW</font>";
    for (const std::wstring& markup : {std::wstring(L"<b"), std::wstring(L"&"), std::wstring(L"a&bogus;"),
                                       std::wstring(L"&amp"), overlong, face, std::wstring(L"<font size=\"99999999999\">W"),
                                       std::wstring(L"<a href=\"x\">open"), std::wstring(L"<hr size=99999999>")}) {
        EXPECT_FALSE(Ink(markup.c_str()).Empty()) << markup.size();
    }
    EXPECT_TRUE(Ink(L"<blink></blink><p>").Empty());  // unknown tags are skipped
}

TEST_F(HtmlTextStaticTest, EntitiesShowTheirCharacters) {
    EXPECT_EQ(Ink(L"a&nbsp;b").Width(), Ink(L"a b").Width());
    EXPECT_EQ(Ink(L"&euro;").Width(), Ink(L"\x20AC").Width());
    EXPECT_GT(Ink(L"&lt;b&gt;").Width(), Ink(L"b").Width() * 2);  // the brackets show, no tag is made
}

TEST_F(HtmlTextStaticTest, ANoBreakSpaceIsACharacterOfItsWordDrawnAsASpace) {
    // A run keeps every one of them, and one that starts a line shows.
    EXPECT_GT(Ink(L"a&nbsp;&nbsp;&nbsp;b").Width(), Ink(L"a b").Width());
    EXPECT_GT(Ink(L"&nbsp;b").left, Ink(L"b").left);
    // Words joined by them stay on one line where blanks wrap.
    std::wstring joined = L"word", spaced = L"word";
    for (int i = 0; i < 30; ++i) joined += L"&nbsp;word", spaced += L" word";
    const InkBox one = Ink(L"word");
    const InkBox kept = Ink(joined.c_str());
    EXPECT_EQ(kept.top, one.top);
    EXPECT_EQ(kept.bottom, one.bottom);
    EXPECT_GT(Ink(spaced.c_str()).bottom, one.bottom);
}

TEST_F(HtmlTextStaticTest, AWrappingLinkKeepsOneRectanglePerLine) {
    Show(L"before <a href=\"http://example.test/long\">one two three four five six seven eight nine ten eleven "
         L"twelve</a> after");
    const auto& links = control_->Links();
    ASSERT_GE(links.size(), 2u);
    for (std::size_t i = 1; i < links.size(); ++i) {
        EXPECT_GE(links[i].rect.top, links[i - 1].rect.bottom);
        EXPECT_EQ(links[i].target, CString(L"http://example.test/long"));
    }
}

TEST_F(HtmlTextStaticTest, LinksGetTipsWithTheirTargetsExceptApplicationCommands) {
    control_->EnableLinkTips();
    Show(L"<a href=\"first.htm\">one</a> <a href=\"APP:refresh\">two</a> <a href=\"second.htm\">three</a>");
    EXPECT_NE(control_->GetStyle() & SS_NOTIFY, 0u);
    ASSERT_EQ(control_->Links().size(), 3u);
    HWND tips = control_->ToolTipWindow();
    ASSERT_NE(tips, nullptr);
    EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 2);
    wchar_t text[80] = {};
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = control_->GetSafeHwnd();
    tool.uId = 3;
    tool.lpszText = text;
    SendMessageW(tips, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, L"second.htm");
}

TEST_F(HtmlTextStaticTest, HoveringALinkShowsItsTipWithTheTarget) {
    control_->EnableLinkTips();
    Show(L"plain <a href=\"first.htm\">one</a>");
    ASSERT_EQ(control_->Links().size(), 1u);
    HWND control = control_->GetSafeHwnd();
    HWND tips = control_->ToolTipWindow();
    ASSERT_NE(tips, nullptr);
    // The pointer itself moves there, as the tip asks where it is before it shows.
    auto hover = [&](POINT at) {
        POINT screen = at;
        ClientToScreen(control, &screen);
        SetCursorPos(screen.x, screen.y);
        gui::MouseMove(control, at);
    };
    hover(Middle(control_->Links()[0].rect));
    const auto patience = static_cast<DWORD>(support::kPatience.count());
    ASSERT_TRUE(gui::PumpUntil([&] { return IsWindowVisible(tips) != FALSE; }, patience));
    wchar_t text[80] = {};
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.lpszText = text;
    ASSERT_TRUE(SendMessageW(tips, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_STREQ(text, L"first.htm");
    hover(POINT{2, 150});
    EXPECT_TRUE(gui::PumpUntil([&] { return !IsWindowVisible(tips); }, patience));
}

TEST_F(HtmlTextStaticTest, ThePointerOverALinkIsTheHandAndLeavingRestoresIt) {
    Show(L"plain <a href=\"APP:x\">link</a>");
    ASSERT_EQ(control_->Links().size(), 1u);
    const HCURSOR before = LoadCursorW(nullptr, IDC_IBEAM);
    SetCursor(before);
    gui::MouseMove(control_->GetSafeHwnd(), Middle(control_->Links()[0].rect));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    gui::MouseMove(control_->GetSafeHwnd(), POINT{2, 150});
    EXPECT_EQ(GetCursor(), before);
}

class CommandWindow : public CWnd {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP + 7) received.push_back(wParam);
        return CWnd::WindowProc(message, wParam, lParam);
    }
    std::vector<WPARAM> received;
};

TEST_F(HtmlTextStaticTest, AnApplicationLinkSendsItsCommandAndAnUnknownOneDoesNothing) {
    CommandWindow target;
    ASSERT_TRUE(target.CreateEx(0, AfxRegisterWndClass(0), L"commands", WS_POPUP, CRect(0, 0, 1, 1), nullptr, 0));
    control_->AddAppCommand(L"Refresh", target.GetSafeHwnd(), WM_APP + 7, 42);
    Show(L"<a href=\"APP:refresh\">go</a> <a href=\"\"APP:Refresh\"\">again</a>");
    ASSERT_EQ(control_->Links().size(), 2u);
    gui::Click(control_->GetSafeHwnd(), Middle(control_->Links()[0].rect));
    gui::Click(control_->GetSafeHwnd(), Middle(control_->Links()[1].rect));
    EXPECT_EQ(target.received, (std::vector<WPARAM>{42, 42}));
    EXPECT_FALSE(control_->OpenLinkTarget(L"APP:missing"));
    EXPECT_EQ(target.received.size(), 2u);
    target.DestroyWindow();
}

// Registers a stand-in as the program for ".htm" documents for the test's length.
class DocumentProgram {
public:
    DocumentProgram() {
        wchar_t old[512] = {};
        LONG size = sizeof old;
        hadOld_ = RegQueryValueW(HKEY_CLASSES_ROOT, L".htm", old, &size) == ERROR_SUCCESS;
        old_ = old;
        const std::wstring program = (HostProgramFolder() + L"html-opener\\record_arguments.exe").GetString();
        const std::wstring command = L"\"" + program + L"\" \"%1\"";
        RegSetValueW(HKEY_CLASSES_ROOT, L".htm", REG_SZ, L"SorvaneTestPage", 0);
        RegSetValueW(HKEY_CLASSES_ROOT, L"SorvaneTestPage\\shell\\open\\command", REG_SZ, command.c_str(), 0);
        log_ = (HostProgramFolder() + L"html-opener\\arguments.log").GetString();
        showLog_ = (HostProgramFolder() + L"html-opener\\show.log").GetString();
        DeleteFileW(log_.c_str());
        DeleteFileW(showLog_.c_str());
    }
    ~DocumentProgram() {
        if (hadOld_) {
            RegSetValueW(HKEY_CLASSES_ROOT, L".htm", REG_SZ, old_.c_str(), 0);
        } else {
            RegDeleteKeyW(HKEY_CLASSES_ROOT, L".htm");
        }
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L"SorvaneTestPage");
    }
    std::vector<std::string> Arguments() const {
        std::ifstream file(std::string(log_.begin(), log_.end()));
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);) lines.push_back(line);
        return lines;
    }
    bool Logged() const { return GetFileAttributesW(log_.c_str()) != INVALID_FILE_ATTRIBUTES; }
    // The show command the program was started with.
    std::string ShowCommand() const {
        std::ifstream file(std::string(showLog_.begin(), showLog_.end()));
        std::string line;
        std::getline(file, line);
        return line;
    }

private:
    bool hadOld_ = false;
    std::wstring old_;
    std::wstring log_;
    std::wstring showLog_;
};

TEST_F(HtmlTextStaticTest, ALinkTargetWithSpacesAndQuotesReachesTheProgramAsOneArgument) {
    DocumentProgram program;
    Show(L"<a href=\"no such page \"quoted\" & spaced\\ \">open</a>");
    ASSERT_EQ(control_->Links().size(), 1u);
    EXPECT_EQ(control_->Links()[0].target, CString(L"no such page \"quoted\" & spaced\\ "));
    gui::Click(control_->GetSafeHwnd(), Middle(control_->Links()[0].rect));
    ASSERT_TRUE(support::Eventually([&] { return program.Logged() && !program.Arguments().empty(); }));
    EXPECT_EQ(program.Arguments(), (std::vector<std::string>{"no such page \"quoted\" & spaced\\ "}));
    EXPECT_EQ(program.ShowCommand(), "5");
}

TEST_F(HtmlTextStaticTest, ALinkToADocumentOpensItWithShowCommandFive) {
    DocumentProgram program;
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring page = std::wstring(folder) + L"sorvane-link-page.htm";
    std::ofstream(std::string(page.begin(), page.end())) << "<html></html>";
    Show((L"<a href=\"" + page + L"\">open</a>").c_str());
    ASSERT_EQ(control_->Links().size(), 1u);
    gui::Click(control_->GetSafeHwnd(), Middle(control_->Links()[0].rect));
    ASSERT_TRUE(support::Eventually([&] { return program.Logged() && !program.Arguments().empty(); }));
    EXPECT_EQ(program.ShowCommand(), "5");
    DeleteFileW(page.c_str());
}

TEST_F(HtmlTextStaticTest, PictureOfASampleText) {
    host_->SetWindowPos(nullptr, 0, 0, 420, 260, SWP_NOMOVE | SWP_NOZORDER);
    control_->SetWindowPos(nullptr, 0, 0, 420, 260, SWP_NOMOVE | SWP_NOZORDER);
    control_->SetMargins(8, 8);
    control_->SetBkColor(L"Ivory");
    const gui::Picture picture = Show(
        L"<center><big><b>Brevix</b> tester</big></center>"
        L"<hr size=2>"
        L"Plain, <b>bold</b>, <i>italic</i>, <u>underlined</u> and <strike>struck</strike> text; "
        L"<font color=\"#C00000\">red</font>, <font color=\"0,128,0\">green</font> and "
        L"<font color=\"Navy\" bgcolor=\"LightYellow\">navy on yellow</font>.<br>"
        L"H<sub>2</sub>O and E = mc<sup>2</sup>, <code>code text</code>, <small>small</small> and <big>big</big>.<br>"
        L"&copy; 2026 &middot; 25&deg;C &plusmn; 0.5 &middot; &euro;10 &middot; "
        L"<a href=\"http://example.test/manual\"><u><font color=\"Blue\">the manual</font></u></a><hr size=3>"
        L"<center><font face=\"Courier New\" size=\"2\">centred line</font></center>");
    EXPECT_TRUE(gui::SavePng(picture, gui::PicturePath(L"sorvane-html-text")));
    EXPECT_FALSE(FindInk(picture, RECT{0, 0, picture.width, picture.height}).Empty());
}

}  // namespace
