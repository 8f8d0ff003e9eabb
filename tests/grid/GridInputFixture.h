// A grid on a dialog of its own under the test display, with a grid class that records what
// in-cell editing and the cell types tell the application, and answers as each test chooses.
#pragma once

#include "GridWindowFixture.h"

#include <support/gui/Input.h>

#include <map>

class InputGrid : public RecordingGrid {
public:
    struct Finish {
        std::wstring text;
        int cancelled;
    };
    std::vector<Finish> finishes;
    std::wstring refusedText = L"refused";  // a finish with this text keeps the editor open
    int editKeys = 0;
    // Cell-type messages: "type message parameter" (texts for the drop list's string messages).
    std::vector<std::string> typeMessages;
    std::map<long, int> answers;           // what a message is answered (1 unless listed)
    std::wstring chosenReplacement;        // replaces the chosen text of message 101 when set
    std::vector<std::string> popupCommands;

    int OnEditFinishing(int, int, CWnd*, LPCWSTR text, int cancelled) override
    {
        finishes.push_back({text ? text : L"", cancelled});
        return refusedText == (text ? text : L"") && !cancelled ? 0 : 1;
    }
    int OnEditKey(int, int, CWnd*, UINT*) override
    {
        ++editKeys;
        return 1;
    }
    int OnCellTypeMessage(int type, int column, int row, long message, LPARAM parameter) override
    {
        char text[160];
        if (message == 100) {
            auto* choices = reinterpret_cast<CStringList*>(parameter);
            std::snprintf(text, sizeof text, "type %d %d,%d %ld %d choices", type, column, row, message,
                          static_cast<int>(choices->GetCount()));
        } else if (message == 101 || message == 103) {
            auto* chosen = reinterpret_cast<CString*>(parameter);
            if (message == 101 && !chosenReplacement.empty())
                *chosen = chosenReplacement.c_str();
            std::snprintf(text, sizeof text, "type %d %d,%d %ld %ls", type, column, row, message, chosen->GetString());
        } else {
            std::snprintf(text, sizeof text, "type %d %d,%d %ld %d", type, column, row, message,
                          static_cast<int>(parameter));
        }
        typeMessages.emplace_back(text);
        // The spin button's halves step the cell's number, as an application does.
        if (message == 16 || message == 17)
            SetCellText(column, row, std::to_wstring(std::stoi(GetCellText(column, row)) + (message == 16 ? 1 : -1)).c_str());
        const auto answer = answers.find(message);
        return answer == answers.end() ? 1 : answer->second;
    }
    void OnPopupCommand(int column, int row, int section, UINT id) override
    {
        char text[64];
        std::snprintf(text, sizeof text, "%d,%d section %d id %u", column, row, section, id);
        popupCommands.emplace_back(text);
    }
};

class GridInputTest : public ::testing::Test {
protected:
    static constexpr int kControlId = 100;

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

    // Columns of 75 and rows of 20 with "c,r" texts; the current cell at (0, 0), the focus in the
    // cell area.
    void Fill(int columns, int rows)
    {
        grid.SetColumnCount(columns, 0);
        grid.SetRowCount(rows, 0);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                wchar_t text[16];
                std::swprintf(text, 16, L"%d,%d", c, r);
                grid.SetCellText(c, r, text);
            }
        }
        grid.MoveToCell(0, 0);
        grid.RepaintAll();
        grid.CellArea().SetFocus();
        support::gui::PumpPending();
        grid.calls.clear();
    }

    // The centre of a cell in cell-area coordinates.
    POINT CellCentre(int column, int row)
    {
        RECT rect;
        grid.ComputeCellRect(&column, &row, &rect);
        return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }
    HWND Cells() { return grid.CellArea().GetSafeHwnd(); }
    HWND Editor() { return grid.PlainEditor().GetSafeHwnd(); }
    std::wstring WindowText(HWND window)
    {
        wchar_t text[256] = {};
        ::GetWindowTextW(window, text, 256);
        return text;
    }

    static LPCDLGTEMPLATEW Template()
    {
        static std::vector<WORD> words;
        if (!words.empty())
            return reinterpret_cast<LPCDLGTEMPLATEW>(words.data());
        auto dwords = [](DWORD value) {
            words.push_back(LOWORD(value));
            words.push_back(HIWORD(value));
        };
        dwords(WS_POPUP | WS_CAPTION | DS_SETFONT);
        dwords(0);
        words.insert(words.end(), {0, 0, 0, 300, 220, 0, 0});  // no controls, x, y, cx, cy, no menu, class
        for (const wchar_t* s = L"Grid input"; *s; ++s)
            words.push_back(*s);
        words.push_back(0);
        words.push_back(8);
        for (const wchar_t* s = L"MS Shell Dlg"; *s; ++s)
            words.push_back(*s);
        words.push_back(0);
        return reinterpret_cast<LPCDLGTEMPLATEW>(words.data());
    }

    static inline CDialog* dialog = nullptr;
    InputGrid grid;
};
