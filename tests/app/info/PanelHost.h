// A shown top-level window titled "Vorels-NIC" for the panels under test, and readers of what their
// grids and controls show.
#pragma once

#include "InfoTestIds.h"
#include "VGCtrl.h"

#include <support/gui/Picture.h>
#include <support/gui/Pump.h>
#include <support/gui/Windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

class PanelHost : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        host = new CDialog;
        ASSERT_TRUE(host->Create(IDD_TEST_HOST));
        host->MoveWindow(20, 20, 780, 540, TRUE);
        host->ShowWindow(SW_SHOW);
        support::gui::PumpPending();
    }
    static void TearDownTestSuite() {
        host->DestroyWindow();
        delete host;
        host = nullptr;
        support::gui::PumpPending();
    }

    // The control's rectangle in its dialog's client coordinates.
    static CRect RectIn(CWnd& dialog, HWND control) {
        CRect rect;
        ::GetWindowRect(control, &rect);
        dialog.ScreenToClient(&rect);
        return rect;
    }
    static CRect RectIn(CWnd& dialog, int controlId) {
        return RectIn(dialog, ::GetDlgItem(dialog.GetSafeHwnd(), controlId));
    }

    // Column 0 of the grid, row by row.
    static std::vector<std::wstring> ColumnTexts(CVGCtrl& grid, int column) {
        std::vector<std::wstring> texts;
        for (int row = 0; row < grid.QueryRowCount(); ++row) texts.emplace_back(grid.GetCellText(column, row));
        return texts;
    }

    // The font a stored cell carries.
    static LOGFONTW CellFont(CVGCtrl& grid, int column, int row) {
        CVGCell cell;
        grid.GetStoredCell(column, row, &cell);
        LOGFONTW font = {};
        if (CFont* held = cell.ReadFont()) ::GetObjectW(held->GetSafeHandle(), sizeof font, &font);
        return font;
    }
    static short CellAlignment(CVGCtrl& grid, int column, int row) {
        CVGCell cell;
        grid.GetStoredCell(column, row, &cell);
        return cell.HasProperty(VGCELL_ALIGNMENT) ? cell.ReadAlignment() : -1;
    }

    static int ClientWidth(CWnd& window) {
        CRect rect;
        window.GetClientRect(&rect);
        return rect.Width();
    }
    static int ClientHeight(CWnd& window) {
        CRect rect;
        window.GetClientRect(&rect);
        return rect.Height();
    }

    static inline CDialog* host = nullptr;
};
