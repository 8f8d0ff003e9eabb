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

class GridInputTest : public GridTestOn<InputGrid> {
protected:
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
    // A second grid on the dialog, on a control of its own (the test destroys it).
    void AttachSecond(CVGCtrl& other)
    {
        ASSERT_NE(nullptr, ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, dialog->GetSafeHwnd(),
                                             reinterpret_cast<HMENU>(kControlId + 1), nullptr, nullptr));
        ASSERT_EQ(1, other.AttachToDialogItem(dialog, kControlId + 1));
    }
    HWND Cells() { return grid.CellArea().GetSafeHwnd(); }
    HWND Editor() { return grid.PlainEditor().GetSafeHwnd(); }
    std::wstring WindowText(HWND window)
    {
        wchar_t text[256] = {};
        ::GetWindowTextW(window, text, 256);
        return text;
    }
};
