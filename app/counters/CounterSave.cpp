// The counter window's Save: the rows on screen and the About grid's system rows into a workbook.
#include "counters/CounterWindow.h"

#include "main/Globals.h"
#include "main/Vorel_TAP_Test3Dlg.h"

#include <ctime>

namespace {

// The About grid's rows that exist: model, serial number, MAC and the rest of the tester's identity.
constexpr int kSystemRows = 9;

std::wstring GridText(MyGrid& grid, int column, int row) {
    LPCWSTR text = grid.GetCellText(column, row);
    return text ? text : L"";
}

// The main dialog shows every box of the program, one at a time.
void ShowSaveBox(const CString& text, UINT type) {
    if (theMainDialog != nullptr) theMainDialog->ShowBox(text, AfxGetAppName(), type);
    else AfxMessageBox(text, type);
}

}  // namespace

std::vector<counters::SheetTexts> CCounterWindow::WorkbookSheets(const std::tm& localTime) const {
    counters::SheetTexts counterSheet{counters::CounterSheetName(localTime, port), {}};
    for (int row = 0; row < counters::kRowCount; ++row) {
        counterSheet.rows.push_back({std::wstring(RowLabel(row).GetString()), std::wstring(RowValue(row).GetString())});
    }
    counters::SheetTexts systemSheet{L"system information", {}};
    if (theMainDialog != nullptr && theMainDialog->aboutPanel.aboutGrid.GetSafeHwnd() != nullptr) {
        MyGrid& grid = theMainDialog->aboutPanel.aboutGrid;
        for (int row = 0; row < kSystemRows; ++row)
            systemSheet.rows.push_back({GridText(grid, -1, row), GridText(grid, 0, row)});
    }
    return {counterSheet, systemSheet};
}

void CCounterWindow::SaveCounters() {
    CFileDialog dialog(FALSE, L"xls", L"*.xls", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       L"Excel Files (*.xls)|*.xls|All Files (*.*)|*.*||", this);
    // A folder that does not exist would send the dialog to the process's current folder instead.
    const CString folder = programFolder + L"\\Counter\\";
    ::CreateDirectoryW(folder, nullptr);
    dialog.m_ofn.lpstrInitialDir = folder;
    if (dialog.DoModal() != IDOK) return;
    const std::time_t now = std::time(nullptr);
    std::tm localTime{};
    localtime_s(&localTime, &now);
    const counters::SaveOutcome outcome =
        counters::WriteCounterWorkbook(std::wstring(dialog.GetPathName().GetString()), WorkbookSheets(localTime));
    if (outcome.kind == counters::SaveOutcome::kNoBook) return;
    const int language = theMainDialog != nullptr ? theMainDialog->languageIndex : 0;
    // A failed save says so, with the library's reason, rather than claiming completion.
    if (outcome.kind == counters::SaveOutcome::kFailed) {
        const CString reason(outcome.reason.c_str());
        if (language == 0) ShowSaveBox(L"Save failed: " + reason, MB_OK | MB_ICONERROR);
        if (language == 3) ShowSaveBox(L"保存に失敗しました: " + reason, MB_OK | MB_ICONERROR);
        return;
    }
    if (language == 0) ShowSaveBox(L"Save completed !", MB_OK);
    if (language == 3) ShowSaveBox(L"保存完了!", MB_OK);
}
