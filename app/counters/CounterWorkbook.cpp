#include "counters/CounterWorkbook.h"

#include <xls/Book.h>

#include <cwchar>
#include <memory>

namespace counters {

namespace {

struct BookRelease {
    void operator()(xls::Book* book) const { book->Release(); }
};
using BookOwner = std::unique_ptr<xls::Book, BookRelease>;

void WriteSheet(xls::Sheet& sheet, const SheetTexts& texts) {
    for (size_t row = 0; row < texts.rows.size(); ++row) {
        const int r = static_cast<int>(row);
        for (int column = 0; column < 2; ++column) {
            sheet.WriteText(r, column, texts.rows[row][column].c_str());
            sheet.SetColumnWidth(column, column, kColumnWidth);
        }
        sheet.SetRowHeight(r, kRowHeight);
    }
}

}  // namespace

std::wstring CounterSheetName(const std::tm& localTime, int port) {
    wchar_t name[64];
    std::swprintf(name, 64, L"%d-%02d-%02d %02d.%02d.%02d", localTime.tm_year + 1900, localTime.tm_mon + 1,
                  localTime.tm_mday, localTime.tm_hour, localTime.tm_min, localTime.tm_sec);
    return std::wstring(name) + (port == 0 ? L" Port A" : L" Port B");
}

SaveOutcome WriteCounterWorkbook(const std::wstring& path, const std::vector<SheetTexts>& sheets) {
    BookOwner book(xlCreateBookW());
    if (!book) return {SaveOutcome::kNoBook, {}};
    for (const SheetTexts& texts : sheets) {
        if (xls::Sheet* sheet = book->AddSheet(texts.name.c_str())) WriteSheet(*sheet, texts);
    }
    if (!book->Save(path.c_str())) return {SaveOutcome::kFailed, book->ErrorMessage()};
    return {SaveOutcome::kSaved, {}};
}

}  // namespace counters
