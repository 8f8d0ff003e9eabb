// The hex editor as a real window: keys, typing, mouse selection and auto-scroll, the clipboard,
// scroll bars, fonts, the context menu, the ways a window becomes one, and pictures of it.
#include "hexedit/HexEditWnd.h"
#include "hexedit/HexEditWndView.h"

#include "SuiteWindow.h"

#include <support/Waiting.h>
#include <support/gui/Input.h>
#include <support/gui/Picture.h>
#include <support/gui/Pump.h>

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <string>
#include <vector>

namespace {

using namespace support::gui;

constexpr UINT kId = 1082;
constexpr int kPatienceMs = static_cast<int>(support::kPatience.count());

// A parent that counts the editor's change notifications.
class ChangeCounter : public CWnd {
public:
    int changes = 0;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) == kId && HIWORD(wParam) == EN_CHANGE) ++changes;
        return CWnd::OnCommand(wParam, lParam);
    }
};

// Records the context menu's items as they are about to show, then closes the menu.
class MenuRecordingEdit : public CHexEditWnd {
public:
    std::vector<std::pair<UINT, bool>> items;  // command id, enabled

protected:
    void OnExtendContextMenu(CMenu& menu) override {
        for (int i = 0; i < menu.GetMenuItemCount(); ++i) {
            const UINT id = ::GetMenuItemID(menu, i);
            items.emplace_back(id, (menu.GetMenuState(id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0);
        }
        RunFromLoop([] { ::EndMenu(); });
    }
};

void PutBinaryBlock(const std::vector<BYTE>& block) {
    HGLOBAL global = ::GlobalAlloc(GMEM_MOVEABLE, block.size());
    std::memcpy(::GlobalLock(global), block.data(), block.size());
    ::GlobalUnlock(global);
    auto* source = new COleDataSource;
    source->CacheGlobalData(static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(L"BinaryData")), global);
    source->SetClipboard();
}

std::string ClipboardText() {
    COleDataObject clipboard;
    if (!clipboard.AttachClipboard()) return {};
    HGLOBAL copy = clipboard.GetGlobalData(CF_TEXT);
    if (copy == nullptr) return {};
    std::string text(static_cast<const char*>(::GlobalLock(copy)));
    ::GlobalUnlock(copy);
    ::GlobalFree(copy);
    return text;
}

template <class Edit>
class HexEditFixture : public ::testing::Test {
protected:
    using Parent = SuiteWindow<ChangeCounter>;
    static void SetUpTestSuite() {
        Parent::Open(L"Hex editor", CRect(520, 560, 1240, 980), WS_OVERLAPPEDWINDOW, COLOR_BTNFACE);
    }
    static void TearDownTestSuite() { Parent::Close(); }
    void SetUp() override {
        ASSERT_NE(nullptr, parent.GetSafeHwnd());
        parent.changes = 0;
        bytes.resize(4096);
        std::iota(bytes.begin(), bytes.end(), 0);
        ASSERT_TRUE(edit.Create(nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE, CRect(10, 10, 690, 370),
                                &parent, kId));
        edit.SetAddressSize(8, false);
        edit.SetShowAddress(true, false);
        edit.SetBytesPerRow(16, false, false);
        edit.SetShowAscii(true, true);
        edit.SetData(bytes.data(), static_cast<int>(bytes.size()), false);
        edit.SetFocus();
        PumpPending();
    }
    void TearDown() override {
        if (edit.GetSafeHwnd() != nullptr) edit.DestroyWindow();
        PumpPending();
    }

    const HexEditState& S() const { return edit.State(); }
    // The middle of a digit of a shown byte, in the editor's client coordinates.
    CPoint DigitPoint(int byte, bool low = false) const {
        const int column = byte % S().rowBytes;
        const int row = byte / S().rowBytes - S().topRow;
        return CPoint(S().contentRect.left + S().hexX - S().hScroll + (3 * column + (low ? 1 : 0)) * S().charWidth + 1,
                      S().contentRect.top + row * S().lineHeight + S().lineHeight / 2);
    }
    void Key(UINT vk, Modifiers modifiers = {}) {
        PressKey(edit, vk, modifiers);
        PumpPending();
    }

    ChangeCounter& parent = *Parent::window;
    Edit edit;
    std::vector<BYTE> bytes;
};

using HexEditWindowTest = HexEditFixture<CHexEditWnd>;

TEST_F(HexEditWindowTest, TypedDigitsOverwriteNibblesAndTellTheParent) {
    bytes[0] = 0;
    TypeText(edit, L"A5");
    PumpPending();
    EXPECT_EQ(0xA5, bytes[0]);
    EXPECT_EQ(1, S().caretPos);
    EXPECT_TRUE(S().highNibble);
    EXPECT_EQ(2, parent.changes);
    TypeText(edit, L"xg\b");  // not hex digits
    PumpPending();
    EXPECT_EQ(1, bytes[1]);
    EXPECT_EQ(2, parent.changes);
}

TEST_F(HexEditWindowTest, TypingOnTheLastLowNibbleStaysThere) {
    Key(VK_END);
    TypeText(edit, L"c");
    PumpPending();
    EXPECT_EQ(0xFC, bytes.back());
    EXPECT_EQ(4095, S().caretPos);
    EXPECT_FALSE(S().highNibble);
}

TEST_F(HexEditWindowTest, ReadOnlyRefusesTypingAndPasting) {
    edit.SetReadOnly(true, true);
    TypeText(edit, L"ff");
    PutBinaryBlock({1, 0, 0, 0, 0xEE});
    Key('V', {true});
    EXPECT_EQ(0, bytes[0]);
    EXPECT_EQ(0, parent.changes);
}

TEST_F(HexEditWindowTest, ShiftWithCursorKeysSelectsFromTheAnchor) {
    Key(VK_DOWN);
    Key(VK_RIGHT, {false, true});
    Key(VK_RIGHT, {false, true});
    Key(VK_DOWN, {false, true});
    EXPECT_EQ(16, S().selBegin);
    EXPECT_EQ(33, S().selEnd);
    Key(VK_UP, {false, true});
    Key(VK_UP, {false, true});
    EXPECT_EQ(1, S().selBegin);
    EXPECT_EQ(16, S().selEnd);
    Key(VK_UP, {false, true});  // stops on the first byte
    EXPECT_EQ(0, S().selBegin);
    Key(VK_LEFT);
    EXPECT_FALSE(S().HasSelection());
}

TEST_F(HexEditWindowTest, PageDownScrollsTheCaretIntoView) {
    for (int i = 0; i < 3; ++i) Key(VK_NEXT);
    EXPECT_EQ(3 * (S().drawRows - 1) * 16, S().caretPos);
    EXPECT_GT(S().topRow, 0);
    EXPECT_LT(S().caretPos / 16 - S().topRow, S().pageRows);
    EXPECT_EQ(S().topRow, edit.GetScrollPos(SB_VERT));
}

TEST_F(HexEditWindowTest, ClickPlacesTheCaretAndADragSelects) {
    Click(edit, DigitPoint(35, true));
    EXPECT_EQ(35, S().caretPos);
    EXPECT_FALSE(S().highNibble);
    MouseDown(edit, DigitPoint(18));
    MouseMove(edit, DigitPoint(50), true);
    MouseMove(edit, DigitPoint(52), true);
    MouseUp(edit, DigitPoint(52));
    EXPECT_EQ(18, S().selBegin);
    EXPECT_EQ(52, S().selEnd);
    EXPECT_EQ(nullptr, ::GetCapture());
    DoubleClick(edit, DigitPoint(7));
    EXPECT_EQ(7, S().selBegin);
    EXPECT_EQ(7, S().selEnd);
}

TEST_F(HexEditWindowTest, DraggingAboveTheContentScrollsUpUntilReleased) {
    edit.SendMessage(WM_VSCROLL, SB_PAGEDOWN);
    edit.SendMessage(WM_VSCROLL, SB_PAGEDOWN);
    const int top = S().topRow;
    ASSERT_GT(top, 2);
    MouseDown(edit, DigitPoint(top * 16 + 4));
    MouseMove(edit, CPoint(200, -40), true);
    EXPECT_TRUE(PumpUntil([&] { return S().topRow <= top - 2; }, kPatienceMs));
    MouseUp(edit, CPoint(200, -40));
    EXPECT_FALSE(S().autoScrollOn);
    EXPECT_LE(S().selBegin, (top - 2) * 16 + 15);
    EXPECT_EQ(top * 16 + 4, S().selEnd);
}

TEST_F(HexEditWindowTest, ALostCaptureStopsTheAutoScroll) {
    edit.SendMessage(WM_VSCROLL, SB_PAGEDOWN);
    edit.SendMessage(WM_VSCROLL, SB_PAGEDOWN);
    const int top = S().topRow;
    MouseDown(edit, DigitPoint(top * 16 + 4));
    MouseMove(edit, CPoint(200, -40), true);
    ASSERT_TRUE(PumpUntil([&] { return S().topRow < top; }, kPatienceMs));
    // Another window takes the mouse, as a menu or a message box would.
    parent.SetCapture();
    ::ReleaseCapture();
    const int stopped = S().topRow;
    // Long enough for many steps of the scroll, had it gone on: a marker timer of this thread.
    static bool s_marked;
    s_marked = false;
    const UINT_PTR marker = ::SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR, DWORD) { s_marked = true; });
    ASSERT_TRUE(PumpUntil([&] { return s_marked; }, kPatienceMs));
    ::KillTimer(nullptr, marker);
    EXPECT_EQ(stopped, S().topRow);
    EXPECT_GT(stopped, 0);
}

TEST_F(HexEditWindowTest, CopyAndPasteRoundTripThroughTheClipboard) {
    edit.SetSelection(16, 19, false, true);
    Key('C', {true});
    EXPECT_EQ("10 11 12 13\n", ClipboardText());
    edit.SetSelection(100, 100, false, true);
    Key('V', {true});
    EXPECT_EQ((std::vector<BYTE>{0x10, 0x11, 0x12, 0x13, 104}),
              std::vector<BYTE>(bytes.begin() + 100, bytes.begin() + 105));
    EXPECT_EQ(100, S().selBegin);
    EXPECT_EQ(103, S().selEnd);
    EXPECT_EQ(103, S().caretPos);
    EXPECT_EQ(1, parent.changes);
}

TEST_F(HexEditWindowTest, PasteWritesNoMoreThanTheBlockHolds) {
    PutBinaryBlock({0xFF, 0xFF, 0xFF, 0x7F, 0xD1, 0xD2, 0xD3});
    Key('V', {true});
    EXPECT_EQ((std::vector<BYTE>{0xD1, 0xD2, 0xD3, 3}), std::vector<BYTE>(bytes.begin(), bytes.begin() + 4));
    EXPECT_EQ(2, S().selEnd);
}

TEST_F(HexEditWindowTest, PasteOfAnEmptyBlockChangesNothing) {
    PutBinaryBlock({0, 0, 0, 0});
    Key('V', {true});
    EXPECT_EQ(0, S().caretPos);
    EXPECT_FALSE(S().HasSelection());
    EXPECT_EQ(0, parent.changes);
}

TEST_F(HexEditWindowTest, ScrollBarsAndWheelMoveTheTopRow) {
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(edit.GetScrollInfo(SB_VERT, &info, SIF_ALL));
    EXPECT_EQ(S().maxTopRow + S().pageRows - 1, info.nMax);
    EXPECT_EQ(static_cast<UINT>(S().pageRows), info.nPage);
    edit.SendMessage(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(S().pageRows, S().topRow);
    edit.SendMessage(WM_VSCROLL, SB_LINEUP);
    EXPECT_EQ(S().pageRows - 1, S().topRow);
    edit.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(100, 100));
    EXPECT_EQ(S().pageRows, S().topRow);
    for (int i = 0; i < 20; ++i) edit.SendMessage(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(S().maxTopRow, S().topRow);
    EXPECT_EQ(256 - S().pageRows, S().maxTopRow);
}

TEST_F(HexEditWindowTest, OnlyAFixedPitchFontReplacesTheFont) {
    const LRESULT held = edit.SendMessage(WM_GETFONT);
    edit.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    EXPECT_EQ(held, edit.SendMessage(WM_GETFONT));
    CFont courier;
    LOGFONTW logFont = {};
    logFont.lfHeight = -24;
    logFont.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    ASSERT_TRUE(courier.CreateFontIndirect(&logFont));
    edit.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(courier)), TRUE);
    EXPECT_NE(held, edit.SendMessage(WM_GETFONT));
    edit.UpdateWindow();
    EXPECT_GE(S().lineHeight, 20);
}

TEST_F(HexEditWindowTest, ASingleLineEditorShowsOneRowWithoutScrollBars) {
    CHexEditWnd line;
    ASSERT_TRUE(line.Create(nullptr, WS_CHILD | WS_VISIBLE, CRect(10, 380, 690, 400), &parent, kId + 1));
    bytes[399] = 0xEE;
    line.SetData(bytes.data(), 400, false);
    line.SetFocus();
    PressKey(line, VK_END);
    PumpPending();
    EXPECT_EQ(400, line.State().rowBytes);
    EXPECT_EQ(0u, line.GetStyle() & (WS_VSCROLL | WS_HSCROLL));
    EXPECT_EQ(line.State().maxHScroll, line.State().hScroll);
    // The far end of a row longer than any fixed row buffer still shows its digits.
    const Picture picture = CaptureWindow(line);
    const RECT right = {picture.width / 2, 0, picture.width, picture.height};
    EXPECT_GT(picture.Count(line.State().hexText, right), 10);
}

TEST_F(HexEditWindowTest, AnEditorWithoutABufferPaintsOnlyItsBackground) {
    edit.SetData(nullptr, 0, false);
    PumpPending();
    const Picture picture = CaptureWindow(edit);
    const RECT inside = {2, 2, picture.width - 2, picture.height - 2};
    EXPECT_EQ((picture.width - 4) * (picture.height - 4), picture.Count(RGB(210, 210, 210), inside));
}

TEST_F(HexEditWindowTest, AnEditControlTakenOverBecomesAMultiLineHexView) {
    const HWND control = ::CreateWindowExW(0, L"EDIT", nullptr, WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 400, 200,
                                           parent, reinterpret_cast<HMENU>(1083), AfxGetInstanceHandle(), nullptr);
    ASSERT_NE(nullptr, control);
    CHexEditWnd taker;
    ASSERT_TRUE(taker.SubclassWindow(control));
    taker.SetData(bytes.data(), 64, false);
    taker.SendMessage(WM_SIZE);
    EXPECT_EQ(16, taker.State().rowBytes);
    EXPECT_EQ(CRect(5, 5, 395, 195), taker.State().contentRect);
}

TEST_F(HexEditWindowTest, AWindowOfTheSelfCreatingClassMakesAndDeletesItsObject) {
    const HWND hwnd = ::CreateWindowExW(0, L"CHexEditWnd_SC", nullptr, WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0,
                                        200, 100, parent, nullptr, AfxGetInstanceHandle(), nullptr);
    ASSERT_NE(nullptr, hwnd);
    auto* object = DYNAMIC_DOWNCAST(CHexEditWnd, CWnd::FromHandlePermanent(hwnd));
    ASSERT_NE(nullptr, object);
    EXPECT_TRUE(object->State().autoDelete);
    ::DestroyWindow(hwnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hwnd));
}

TEST_F(HexEditWindowTest, TheViewFillsItselfWithOneEditor) {
    auto* view = new CHexEditWndView;
    ASSERT_TRUE(view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 150), &parent, 7));
    CRect area;
    view->HexEdit().GetWindowRect(&area);
    EXPECT_EQ(CSize(300, 150), area.Size());
    view->MoveWindow(0, 0, 320, 180);
    view->HexEdit().GetWindowRect(&area);
    EXPECT_EQ(CSize(320, 180), area.Size());
    EXPECT_EQ(256, view->HexEdit().GetDlgCtrlID());
    view->DestroyWindow();
}

using HexEditMenuTest = HexEditFixture<MenuRecordingEdit>;

TEST_F(HexEditMenuTest, CopyIsGreyedWithoutASelectionAndPasteWhenReadOnly) {
    PutBinaryBlock({1, 0, 0, 0, 9});
    edit.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit.m_hWnd), MAKELPARAM(-1, -1));
    ASSERT_EQ(2u, edit.items.size());
    EXPECT_EQ(std::make_pair(UINT(ID_EDIT_COPY), false), edit.items[0]);
    EXPECT_EQ(std::make_pair(UINT(ID_EDIT_PASTE), true), edit.items[1]);
    edit.items.clear();
    edit.SetReadOnly(true, false);
    edit.SetSelection(3, 9, false, true);
    edit.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit.m_hWnd), MAKELPARAM(-1, -1));
    ASSERT_EQ(2u, edit.items.size());
    EXPECT_TRUE(edit.items[0].second);
    EXPECT_FALSE(edit.items[1].second);
}

TEST_F(HexEditWindowTest, PictureOfTheEditorWithASelection) {
    bytes.assign(bytes.size(), 0);
    const char text[] = "Brevix capture: frame 0001 ARP who-has 192.168.1.1 tell 192.168.1.20";
    std::memcpy(bytes.data() + 8, text, sizeof text);
    // The new bytes handed over, as the program hands a frame to its view.
    edit.SetData(bytes.data(), static_cast<int>(bytes.size()), false);
    edit.SetSelection(20, 45, false, true);
    edit.SetFocus();
    PumpPending();
    const Picture picture = CaptureWindow(edit, false);
    SavePng(picture, PicturePath(L"hexedit-selection"));
    EXPECT_GT(picture.Count(RGB(255, 0, 0)), 50);            // addresses
    EXPECT_GT(picture.Count(RGB(0, 0, 255)), 200);           // digits
    EXPECT_GT(picture.Count(RGB(100, 200, 100)), 50);        // characters
    EXPECT_GT(picture.Count(S().selBackActive), 26 * 16 * 3);  // the selected bytes' band
}

}  // namespace
