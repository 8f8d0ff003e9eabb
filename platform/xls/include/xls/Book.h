// libxl32.dll: binary .xls workbooks (a BIFF8 workbook stream inside a compound document).
//
// xlCreateBookW gives a book; the book gives sheets; both are interfaces whose objects the library
// owns. Every operation answers success (true or a non-null object) or failure; after a failure
// the book's ErrorMessage says why. No exception leaves the library.
#pragma once

namespace xls {

// A cell format. The library writes every cell, column and row with the workbook's default format,
// which callers name with a null format; it offers no other.
class Format;

class Sheet {
public:
    // The format's limits: rows 0-65535, columns 0-255, 32767 characters in a text cell.
    static constexpr int kMaxRows = 65536;
    static constexpr int kMaxColumns = 256;
    static constexpr int kMaxTextLength = 32767;

    virtual const wchar_t* Name() const = 0;
    // A text cell; writing a cell again replaces it.
    virtual bool WriteText(int row, int column, const wchar_t* text, Format* format = nullptr) = 0;
    // A number cell (finite values only).
    virtual bool WriteNumber(int row, int column, double value, Format* format = nullptr) = 0;
    // Columns first..last (inclusive) take the width, in characters of the default font (0-255).
    virtual bool SetColumnWidth(int firstColumn, int lastColumn, double width, Format* format = nullptr,
                                bool hidden = false) = 0;
    // The row takes the height, in points (0.1-409).
    virtual bool SetRowHeight(int row, double height, Format* format = nullptr, bool hidden = false) = 0;

protected:
    ~Sheet() = default;
};

class Book {
public:
    // A new sheet at the end, named `name`: 1-31 characters, none of : \ / ? * [ ], not beginning or
    // ending with an apostrophe, and no other sheet's name in any case. With a template sheet the new
    // sheet starts as a copy of its cells, widths and heights. Null when refused.
    virtual Sheet* AddSheet(const wchar_t* name, Sheet* templateSheet = nullptr) = 0;
    virtual int SheetCount() const = 0;
    // Writes the workbook to `path`. The file appears whole or not at all: the workbook goes to a
    // temporary file in the same folder first, which then takes the path's place, so a failed save
    // leaves any file already there untouched.
    virtual bool Save(const wchar_t* path) = 0;
    // Why the last failed operation failed; empty when none has failed yet.
    virtual const wchar_t* ErrorMessage() const = 0;
    // Frees the book and its sheets.
    virtual void Release() = 0;

protected:
    ~Book() = default;
};

}  // namespace xls

// A new, empty book for the .xls format; null when no memory is left.
extern "C" xls::Book* __cdecl xlCreateBookW();
