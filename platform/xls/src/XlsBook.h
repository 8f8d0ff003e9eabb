// The book: its sheets in order, the sheet-name rules, and saving.
#pragma once

#include "XlsSheet.h"
#include "xls/Book.h"

#include <memory>
#include <string>
#include <vector>

namespace xls {

class XlsBook final : public Book {
public:
    Sheet* AddSheet(const wchar_t* name, Sheet* templateSheet) override;
    int SheetCount() const override { return static_cast<int>(sheets_.size()); }
    bool Save(const wchar_t* path) override;
    const wchar_t* ErrorMessage() const override { return error_.c_str(); }
    void Release() override { delete this; }

private:
    // Why `name` cannot name a new sheet; empty when it can.
    std::wstring RefuseSheetName(const std::wstring& name) const;
    bool Fail(const std::wstring& why);

    std::vector<std::unique_ptr<XlsSheet>> sheets_;
    std::wstring error_;
};

}  // namespace xls
