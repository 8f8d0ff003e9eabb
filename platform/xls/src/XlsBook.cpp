#include "XlsBook.h"

#include "CompoundFile.h"
#include "SafeSave.h"
#include "WorkbookStream.h"

#include <windows.h>

#include <new>

namespace xls {
namespace {

constexpr size_t kMaxSheetName = 31;
constexpr wchar_t kForbiddenInSheetNames[] = L":\\/?*[]";
// Stream positions in the workbook are 32-bit.
constexpr size_t kMaxStreamSize = 0x7FFFFFFF;

}  // namespace

bool XlsBook::Fail(const std::wstring& why) {
    error_ = why;
    return false;
}

std::wstring XlsBook::RefuseSheetName(const std::wstring& name) const {
    if (name.empty() || name.size() > kMaxSheetName) {
        return L"a sheet name has 1 to 31 characters, \"" + name + L"\" has " + std::to_wstring(name.size());
    }
    if (name.find_first_of(kForbiddenInSheetNames) != std::wstring::npos) {
        return L"a sheet name may not hold : \\ / ? * [ or ], as \"" + name + L"\" does";
    }
    if (name.front() == L'\'' || name.back() == L'\'') {
        return L"a sheet name may not begin or end with an apostrophe, as \"" + name + L"\" does";
    }
    for (const auto& sheet : sheets_) {
        if (CompareStringOrdinal(sheet->Name(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL) {
            return L"the book already has a sheet named \"" + std::wstring(sheet->Name()) + L"\"";
        }
    }
    return std::wstring();
}

Sheet* XlsBook::AddSheet(const wchar_t* name, Sheet* templateSheet) {
    if (!name) {
        Fail(L"no sheet name given");
        return nullptr;
    }
    try {
        const std::wstring refusal = RefuseSheetName(name);
        if (!refusal.empty()) {
            Fail(refusal);
            return nullptr;
        }
        auto sheet = std::make_unique<XlsSheet>(name, [this](const std::wstring& why) { Fail(why); });
        if (templateSheet) {
            const auto* source = dynamic_cast<const XlsSheet*>(templateSheet);
            if (!source) {
                Fail(L"the template is no sheet of this library");
                return nullptr;
            }
            sheet->CopyFrom(*source);
        }
        sheets_.push_back(std::move(sheet));
        return sheets_.back().get();
    } catch (const std::bad_alloc&) {
        Fail(L"out of memory");
        return nullptr;
    }
}

bool XlsBook::Save(const wchar_t* path) {
    if (!path || !*path) return Fail(L"no path given");
    if (sheets_.empty()) return Fail(L"cannot save a book without sheets: the format needs at least one");
    try {
        std::vector<const SheetContents*> contents;
        for (const auto& sheet : sheets_) contents.push_back(&sheet->Contents());
        const std::vector<uint8_t> stream = BuildWorkbookStream(contents);
        if (stream.size() > kMaxStreamSize) return Fail(L"the workbook is larger than the format's 2 GB");
        std::wstring error;
        if (!ReplaceFileWhole(path, BuildCompoundFile(L"Workbook", stream), &error)) return Fail(error);
        return true;
    } catch (const std::bad_alloc&) {
        return Fail(L"out of memory");
    }
}

}  // namespace xls
