// A grid attached to a control of a real dialog under the test display, with a grid class that
// records the notifications it receives, in order.
#pragma once

#include "VGCtrl.h"

#include <support/gui/Picture.h>
#include <support/gui/Pump.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

class RecordingGrid : public CVGCtrl {
public:
    std::vector<std::string> calls;
    int refuseMovesTo = -1;  // a column OnCanMoveCell refuses
    DWORD helpId = 0;        // what GetHelpContextId answers

    void Note(const char* format, int a = 0, int b = 0, int c = 0, int d = 0)
    {
        char text[96];
        std::snprintf(text, sizeof text, format, a, b, c, d);
        calls.emplace_back(text);
    }
    // The calls whose text starts with one of the prefixes.
    std::vector<std::string> Only(std::initializer_list<const char*> prefixes) const
    {
        std::vector<std::string> kept;
        for (const std::string& call : calls) {
            for (const char* prefix : prefixes) {
                if (call.rfind(prefix, 0) == 0) {
                    kept.push_back(call);
                    break;
                }
            }
        }
        return kept;
    }

    int OnCanMoveCell(int oc, int orow, int nc, int nr) override
    {
        Note("CanMoveCell %d,%d>%d,%d", oc, orow, nc, nr);
        return nc == refuseMovesTo ? 0 : 1;
    }
    int OnCanScrollView(int ol, int ot, int nl, int nt) override
    {
        Note("CanScrollView %d,%d>%d,%d", ol, ot, nl, nt);
        return 1;
    }
    void OnColumnChanged(int o, int n) override { Note("ColumnChanged %d>%d", o, n); }
    void OnRowChanged(int o, int n) override { Note("RowChanged %d>%d", o, n); }
    void OnCellChanged(int oc, int nc, int orow, int nr) override { Note("CellChanged %d>%d,%d>%d", oc, nc, orow, nr); }
    void OnLeftColumnChanged(int o, int n) override { Note("LeftColumnChanged %d>%d", o, n); }
    void OnTopRowChanged(int o, int n) override { Note("TopRowChanged %d>%d", o, n); }
    void OnViewScrolled(int bar, int o, int n) override { Note("ViewScrolled %d %d>%d", bar, o, n); }
    void OnCellLButton(int c, int r, int down, RECT*, POINT*, int processed) override
    {
        Note("CellLButton %d,%d %d %d", c, r, down, processed);
    }
    void OnCellDoubleClick(int c, int r, RECT*, POINT*, int) override { Note("CellDoubleClick %d,%d", c, r); }
    void OnGridKeyDown(UINT* key, int) override { Note("GridKeyDown %d", static_cast<int>(*key)); }
    void OnGridChar(UINT* ch, int) override { Note("GridChar %d", static_cast<int>(*ch)); }
    void OnColumnResized(int c, int* w) override { Note("ColumnResized %d %d", c, *w); }
    void OnRowResized(int r, int* h) override { Note("RowResized %d %d", r, *h); }
    void OnTopHeadingLButton(int c, int r, int down, RECT*, POINT*, int) override
    {
        Note("TopHeadingLButton %d,%d %d", c, r, down);
    }
    void OnTopHeadingRButton(int c, int r, int down, RECT*, POINT*, int) override
    {
        Note("TopHeadingRButton %d,%d %d", c, r, down);
    }
    void OnTopHeadingDoubleClick(int c, int r, RECT*, POINT*, int) override { Note("TopHeadingDoubleClick %d,%d", c, r); }
    void OnSideHeadingLButton(int c, int r, int down, RECT*, POINT*, int) override
    {
        Note("SideHeadingLButton %d,%d %d", c, r, down);
    }
    void OnSideHeadingRButton(int c, int r, int down, RECT*, POINT*, int) override
    {
        Note("SideHeadingRButton %d,%d %d", c, r, down);
    }
    void OnSideHeadingDoubleClick(int c, int r, RECT*, POINT*, int) override { Note("SideHeadingDoubleClick %d,%d", c, r); }
    void OnGridSetup() override { Note("GridSetup"); }
    DWORD GetHelpContextId(int c, int r, int section) override
    {
        Note("HelpContext %d,%d section %d", c, r, section);
        return helpId;
    }
    void OnSheetCreated(int sheet) override { Note("SheetCreated %d", sheet); }
    void OnPastLastRow(int count, int past, int*) override { Note("PastLastRow %d %d", count, past); }
};

// The dialog and the attached grid, for any grid class.
template <class Grid>
class GridTestOn : public ::testing::Test {
protected:
    static constexpr int kControlId = 100;

    // One dialog serves every test: hiding a top-level window costs seconds on a display without a
    // window manager, child windows cost nothing.
    static void SetUpTestSuite()
    {
        dialog = new CDialog;
        ASSERT_TRUE(dialog->CreateIndirect(Template()));
        dialog->MoveWindow(40, 40, 560, 420, TRUE);
        dialog->ShowWindow(SW_SHOW);
        support::gui::PumpPending();
    }
    static void TearDownTestSuite()
    {
        dialog->DestroyWindow();
        delete dialog;
        dialog = nullptr;
        support::gui::PumpPending();
    }
    void SetUp() override
    {
        ASSERT_NE(nullptr, ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 10, 200, 100,
                                             dialog->GetSafeHwnd(), reinterpret_cast<HMENU>(kControlId), nullptr,
                                             nullptr));
        ASSERT_EQ(1, grid.AttachToDialogItem(dialog, kControlId));
        grid.MoveWindow(10, 10, 400, 300, TRUE);
        support::gui::PumpPending();
    }
    void TearDown() override
    {
        if (grid.GetSafeHwnd())
            grid.DestroyWindow();
        support::gui::PumpPending();
    }

    // Columns of 75 and rows of 20 with "c,r" texts.
    void Fill(int columns, int rows)
    {
        grid.SetColumnCount(columns, 0);
        grid.SetRowCount(rows, 0);
        for (int r = 0; r < rows && r < 60; ++r) {
            for (int c = 0; c < columns; ++c) {
                wchar_t text[16];
                std::swprintf(text, 16, L"%d,%d", c, r);
                grid.SetCellText(c, r, text);
            }
        }
        grid.RepaintAll();
        support::gui::PumpPending();
        grid.calls.clear();
    }

    // Left-aligned column defaults: a text wider than its column then runs on into empty neighbours.
    void AlignColumnsLeft(int columns)
    {
        CVGCell left;
        left.PutAlignment(1);
        for (int c = 0; c < columns; ++c)
            grid.SetColumnDefaultCell(c, &left);
    }

    CRect ChildRect(CWnd& child)
    {
        CRect rect;
        child.GetWindowRect(&rect);
        grid.ScreenToClient(&rect);
        return rect;
    }

    // What the window shows once the paints the grid asked for have run, as the program's message
    // loop runs them.
    support::gui::Picture Capture(CWnd& window)
    {
        support::gui::PumpPending();
        return support::gui::CaptureWindow(window.GetSafeHwnd());
    }

    // An empty dialog in the dialog font.
    static LPCDLGTEMPLATEW Template()
    {
        static std::vector<WORD> words;
        if (!words.empty())
            return reinterpret_cast<LPCDLGTEMPLATEW>(words.data());
        auto dwords = [](DWORD value) {
            words.push_back(LOWORD(value));
            words.push_back(HIWORD(value));
        };
        auto text = [](const wchar_t* s) {
            for (; *s; ++s)
                words.push_back(*s);
            words.push_back(0);
        };
        dwords(WS_POPUP | WS_CAPTION | DS_SETFONT);
        dwords(0);
        words.push_back(0);                                  // no controls: each test adds its own
        words.insert(words.end(), {0, 0, 300, 220});         // x, y, cx, cy
        words.insert(words.end(), {0, 0});                   // no menu, default class
        text(L"Grid");
        words.push_back(8);
        text(L"MS Shell Dlg");
        if (words.size() % 2)
            words.push_back(0);
        dwords(WS_CHILD | WS_VISIBLE);
        dwords(0);
        words.insert(words.end(), {7, 7, 260, 180, static_cast<WORD>(kControlId)});
        words.insert(words.end(), {0xFFFF, 0x0082, 0, 0});  // static, no text, no data
        return reinterpret_cast<LPCDLGTEMPLATEW>(words.data());
    }

    static inline CDialog* dialog = nullptr;
    Grid grid;
};

class GridWindowTest : public GridTestOn<RecordingGrid> {};
