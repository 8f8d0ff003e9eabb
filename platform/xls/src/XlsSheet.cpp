#include "XlsSheet.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cwchar>
#include <new>

namespace xls {

CellValue& SheetContents::CellAt(int row, int column) {
    if (rows.size() <= static_cast<size_t>(row)) rows.resize(row + 1);
    auto& cells = rows[row];
    const auto at = std::lower_bound(cells.begin(), cells.end(), column,
                                     [](const CellValue& cell, int c) { return cell.column < c; });
    if (at != cells.end() && at->column == column) return *at;
    CellValue cell;
    cell.column = static_cast<uint16_t>(column);
    return *cells.insert(at, std::move(cell));
}

RowSetting& SheetContents::RowAt(int row) {
    if (rowSettings.size() <= static_cast<size_t>(row)) rowSettings.resize(row + 1);
    return rowSettings[row];
}

XlsSheet::XlsSheet(std::wstring name, std::function<void(const std::wstring&)> fail) : fail_(std::move(fail)) {
    contents_.name = std::move(name);
    contents_.columns.resize(kMaxColumns);
}

bool XlsSheet::Fail(const std::wstring& why) {
    fail_(L"sheet \"" + contents_.name + L"\": " + why);
    return false;
}

bool XlsSheet::CheckCell(int row, int column, Format* format) {
    if (row < 0 || row >= kMaxRows) {
        return Fail(L"row " + std::to_wstring(row) + L" is outside the format's rows 0-65535");
    }
    if (column < 0 || column >= kMaxColumns) {
        return Fail(L"column " + std::to_wstring(column) + L" is outside the format's columns 0-255");
    }
    if (format) return Fail(L"only the default format (null) is offered");
    return true;
}

template <typename Operation>
bool XlsSheet::Guarded(Operation operation) {
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        return Fail(L"out of memory");
    }
}

bool XlsSheet::WriteText(int row, int column, const wchar_t* text, Format* format) {
    return Guarded([&] { return StoreText(row, column, text, format); });
}

bool XlsSheet::StoreText(int row, int column, const wchar_t* text, Format* format) {
    if (!CheckCell(row, column, format)) return false;
    if (!text) return Fail(L"no text given");
    const size_t length = std::wcslen(text);
    if (length > static_cast<size_t>(kMaxTextLength)) {
        return Fail(L"a text cell holds at most 32767 characters, not " + std::to_wstring(length));
    }
    // Text store offsets are 32-bit.
    if (contents_.textStore.size() + length > UINT32_MAX) return Fail(L"the sheet holds too much text");
    CellValue& cell = contents_.CellAt(row, column);
    cell.isText = true;
    cell.textStart = static_cast<uint32_t>(contents_.textStore.size());
    cell.textLength = static_cast<uint32_t>(length);
    contents_.textStore.append(text, length);
    return true;
}

bool XlsSheet::WriteNumber(int row, int column, double value, Format* format) {
    if (!CheckCell(row, column, format)) return false;
    if (!std::isfinite(value)) return Fail(L"a number cell holds finite values only");
    return Guarded([&] {
        CellValue& cell = contents_.CellAt(row, column);
        cell.isText = false;
        cell.number = value;
        return true;
    });
}

bool XlsSheet::SetColumnWidth(int firstColumn, int lastColumn, double width, Format* format, bool hidden) {
    if (firstColumn < 0 || lastColumn >= kMaxColumns || firstColumn > lastColumn) {
        return Fail(L"columns " + std::to_wstring(firstColumn) + L"-" + std::to_wstring(lastColumn) +
                    L" are no range within the format's columns 0-255");
    }
    if (format) return Fail(L"only the default format (null) is offered");
    // The width is stored in 1/256 of a character in 16 bits.
    if (!(width >= 0 && width <= 255)) return Fail(L"a column width is 0 to 255 characters");
    for (int c = firstColumn; c <= lastColumn; ++c) {
        contents_.columns[c] = {true, static_cast<uint16_t>(std::lround(width * 256)), hidden};
    }
    return true;
}

bool XlsSheet::SetRowHeight(int row, double height, Format* format, bool hidden) {
    if (!CheckCell(row, 0, format)) return false;
    // The height is stored in twips, 2 to 8192 of them; a row is hidden by its flag, not by height 0.
    if (!(height >= 0.1 && height <= 409)) return Fail(L"a row height is 0.1 to 409 points");
    return Guarded([&] {
        contents_.RowAt(row) = {true, static_cast<uint16_t>(std::lround(height * 20)), hidden};
        return true;
    });
}

void XlsSheet::CopyFrom(const XlsSheet& other) {
    const std::wstring name = contents_.name;
    contents_ = other.contents_;
    contents_.name = name;
}

}  // namespace xls
