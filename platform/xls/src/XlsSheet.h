// A sheet of a book: its cells and its column and row settings, checked against the format's limits.
#pragma once

#include "SheetContents.h"
#include "xls/Book.h"

#include <functional>
#include <string>

namespace xls {

class XlsSheet final : public Sheet {
public:
    // `fail` records why an operation was refused, in the book's error message.
    XlsSheet(std::wstring name, std::function<void(const std::wstring&)> fail);

    const wchar_t* Name() const override { return contents_.name.c_str(); }
    bool WriteText(int row, int column, const wchar_t* text, Format* format) override;
    bool WriteNumber(int row, int column, double value, Format* format) override;
    bool SetColumnWidth(int firstColumn, int lastColumn, double width, Format* format, bool hidden) override;
    bool SetRowHeight(int row, double height, Format* format, bool hidden) override;

    const SheetContents& Contents() const { return contents_; }
    // Takes the other sheet's cells and settings, keeping this sheet's name.
    void CopyFrom(const XlsSheet& other);

private:
    bool StoreText(int row, int column, const wchar_t* text, Format* format);
    bool CheckCell(int row, int column, Format* format);
    // Runs an operation that allocates; running out of memory is a refusal, not an exception.
    template <typename Operation>
    bool Guarded(Operation operation);
    bool Fail(const std::wstring& why);

    SheetContents contents_;
    std::function<void(const std::wstring&)> fail_;
};

}  // namespace xls
