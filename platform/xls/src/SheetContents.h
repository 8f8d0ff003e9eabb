// What a sheet holds, as the workbook stream writer reads it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xls {

struct CellValue {
    uint16_t column = 0;
    bool isText = false;
    std::wstring text;
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

    CellValue& CellAt(int row, int column);
    RowSetting& RowAt(int row);
};

}  // namespace xls
