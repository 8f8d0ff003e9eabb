// What a sheet holds, as the workbook stream writer reads it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xls {

struct CellValue {
    uint16_t column = 0;
    bool isText = false;
    uint32_t textStart = 0;  // the text's place in the sheet's text store
    uint32_t textLength = 0;
    double number = 0;
};

struct ColumnSetting {
    bool set = false;
    uint16_t width = 0;  // 1/256 of a character
    bool hidden = false;
};

struct RowSetting {
    bool set = false;
    uint16_t height = 0;  // twips
    bool hidden = false;
};

struct SheetContents {
    std::wstring name;
    // rows[r]: the row's cells in column order; grown to the highest row written.
    std::vector<std::vector<CellValue>> rows;
    std::vector<RowSetting> rowSettings;  // grown to the highest row set
    std::vector<ColumnSetting> columns;   // one a column of the format
    // Every text written, one after the other: one allocation for a sheet's texts instead of one a
    // cell. A text written over keeps its place here until the sheet goes.
    std::wstring textStore;

    CellValue& CellAt(int row, int column);
    std::wstring_view TextOf(const CellValue& cell) const {
        return std::wstring_view(textStore).substr(cell.textStart, cell.textLength);
    }
    RowSetting& RowAt(int row);
};

}  // namespace xls
