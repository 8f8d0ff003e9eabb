// A shown dialog with a placeholder that a grid of the class under test takes the place of, and
// the real input a person gives it: clicks, double clicks and keys on cells.
#pragma once

#include "GridHostIds.h"
#include "VGCtrl.h"

#include <support/gui/Input.h>
#include <support/gui/Pump.h>

#include <gtest/gtest.h>

template <class Grid>
class GridHost : public ::testing::Test {
protected:
    // One dialog serves every test of a suite; each test attaches a fresh grid.
    static void SetUpTestSuite() {
        dialog = new CDialog;
        ASSERT_TRUE(dialog->Create(IDD_GRID_HOST));
        dialog->MoveWindow(40, 40, 560, 420, TRUE);
        dialog->ShowWindow(SW_SHOW);
        support::gui::PumpPending();
    }
    static void TearDownTestSuite() {
        dialog->DestroyWindow();
        delete dialog;
        dialog = nullptr;
        support::gui::PumpPending();
    }
    void SetUp() override {
        ASSERT_NE(nullptr,
                  ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 10, 400, 300, dialog->GetSafeHwnd(),
                                    reinterpret_cast<HMENU>(IDC_GRID_PLACE), nullptr, nullptr));
        ASSERT_EQ(1, grid.AttachToDialogItem(IDC_GRID_PLACE, dialog));
        grid.MoveWindow(10, 10, 400, 300, TRUE);
        support::gui::PumpPending();
    }
    void TearDown() override {
        if (grid.GetSafeHwnd()) grid.DestroyWindow();
        support::gui::PumpPending();
    }

    // The cell's rectangle in the cell area.
    CRect CellRect(int column, int row) {
        CRect rect;
        grid.ComputeCellRect(&column, &row, &rect);
        return rect;
    }
    POINT CellPoint(int column, int row, int dx, int dy) {
        const CRect rect = CellRect(column, row);
        return POINT{rect.left + dx, rect.top + dy};
    }
    HWND Cells() { return grid.CellArea().GetSafeHwnd(); }
    void Repaint() {
        grid.RepaintAll();
        support::gui::PumpPending();
    }

    static inline CDialog* dialog = nullptr;
    Grid grid;
};
