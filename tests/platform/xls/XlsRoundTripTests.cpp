// Workbooks written through the library's book interface, read back by xlrd: sheet names, every
// cell, column widths and row heights as written.
#include "XlrdReader.h"
#include "support/Waiting.h"
#include "xls/Book.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <memory>

namespace {

using xlstest::ReadBook;

struct BookReleaser {
    void operator()(xls::Book* book) const { book->Release(); }
};
using BookPtr = std::unique_ptr<xls::Book, BookReleaser>;

// (row, column) -> text, as the reader reports them.
using Texts = std::map<std::pair<int, int>, std::wstring>;

// 30 characters in the format's 1/256 units, 15 points in twips.
constexpr int kWidth30 = 30 * 256;
constexpr int kHeight15 = 15 * 20;

// Writes texts as the counter export does: every cell with its column set 30 wide, every row 15 high.
void WriteExportSheet(xls::Sheet* sheet, const Texts& texts) {
    ASSERT_NE(sheet, nullptr);
    for (const auto& [at, text] : texts) {
        ASSERT_TRUE(sheet->WriteText(at.first, at.second, text.c_str())) << sheet->Name();
        ASSERT_TRUE(sheet->SetColumnWidth(at.second, at.second, 30.0, nullptr, false));
        ASSERT_TRUE(sheet->SetRowHeight(at.first, 15.0, nullptr, false));
    }
}

ReadBook SaveAndRead(xls::Book* book, const std::string& name,
                     std::chrono::milliseconds patience = support::kPatience) {
    const xlstest::WorkFile file = xlstest::MakeWorkFile(name);
    if (!book->Save(file.windowsPath.c_str())) {
        ADD_FAILURE() << "save failed: " << testing::PrintToString(std::wstring(book->ErrorMessage()));
        return ReadBook();
    }
    ReadBook read = xlstest::ReadWithXlrd(file, patience);
    EXPECT_EQ(read.error, L"");
    return read;
}

void ExpectExportSheet(const xlstest::ReadSheet& read, const std::wstring& name, const Texts& texts) {
    EXPECT_EQ(read.name, name);
    EXPECT_EQ(read.texts, texts) << "sheet " << testing::PrintToString(name);
    for (const auto& [at, text] : texts) {
        EXPECT_EQ(read.widths.at(at.second), std::make_pair(kWidth30, false)) << "column " << at.second;
        EXPECT_EQ(read.heights.at(at.first), std::make_pair(kHeight15, false)) << "row " << at.first;
    }
}

TEST(XlsRoundTrip, CounterExportOfTwoSheetsReadsBackWhole) {
    Texts counters;
    for (int row = 0; row < 33; ++row) {
        counters[{row, 0}] = L"Counter label " + std::to_wstring(row);
        counters[{row, 1}] = row % 5 == 0 ? L"-" : std::to_wstring(row * 1234567ull % 99991) + L",345,678";
    }
    const Texts system = {{{0, 0}, L"Model"}, {{0, 1}, L"Brevix-C"},   {{1, 0}, L"Agent / Customer"},
                          {{1, 1}, L"代理店 Quendal"}, {{8, 0}, L"Manufacture Date"}, {{8, 1}, L"2018/05/04 13:45"}};
    BookPtr book(xlCreateBookW());
    WriteExportSheet(book->AddSheet(L"2026-12-09 15.03.49 Port B", nullptr), counters);
    WriteExportSheet(book->AddSheet(L"system information", nullptr), system);

    const ReadBook read = SaveAndRead(book.get(), "counter-export.xls");
    ASSERT_EQ(read.sheets.size(), 2u);
    ExpectExportSheet(read.sheets[0], L"2026-12-09 15.03.49 Port B", counters);
    ExpectExportSheet(read.sheets[1], L"system information", system);
    EXPECT_EQ(read.sheets[0].rows, 33);
    EXPECT_EQ(read.sheets[0].columns, 2);
}

TEST(XlsRoundTrip, JapaneseAndOtherUnicodeNamesAndTextsReadBack) {
    const Texts texts = {{{0, 0}, L"保存完了!"},
                         {{0, 1}, L"Übertragung ÄÖÜ ß"},
                         {{1, 0}, L"受信フレーム数 Rx frames"},
                         {{1, 1}, L"tab\there, line\nbreak, back\\slash"},
                         {{2, 0}, L"😀 surrogates"},
                         {{2, 1}, L""},
                         {{200, 255}, L"far corner"}};
    BookPtr book(xlCreateBookW());
    WriteExportSheet(book->AddSheet(L"カウンター 日本語", nullptr), texts);
    ASSERT_NE(book->AddSheet(L"Ünïcödé", nullptr), nullptr);

    const ReadBook read = SaveAndRead(book.get(), "unicode.xls");
    ASSERT_EQ(read.sheets.size(), 2u);
    ExpectExportSheet(read.sheets[0], L"カウンター 日本語", texts);
    EXPECT_EQ(read.sheets[1].name, L"Ünïcödé");
    EXPECT_TRUE(read.sheets[1].texts.empty());
}

TEST(XlsRoundTrip, TextsLongerThanOneRecordContinueIntoTheNext) {
    // Records carry at most 8224 bytes: these texts split across records, both in the one-byte and
    // in the two-byte form, and many short ones straddle record boundaries at every offset.
    Texts texts;
    texts[{0, 0}] = std::wstring(32767, L'x');
    texts[{1, 0}] = std::wstring(9000, L'日');
    for (int i = 0; i < 12000; ++i) texts[{2, 0}] += i % 7 ? static_cast<wchar_t>(L'a' + i % 26) : L'本';
    for (int row = 3; row < 3000; ++row) {
        texts[{row, 0}] = std::wstring(row % 13 + 1, static_cast<wchar_t>(L'a' + row % 26)) + std::to_wstring(row);
        texts[{row, 1}] = std::wstring(row % 11 + 1, L'カ') + std::to_wstring(row);
    }
    BookPtr book(xlCreateBookW());
    xls::Sheet* sheet = book->AddSheet(L"long", nullptr);
    for (const auto& [at, text] : texts) ASSERT_TRUE(sheet->WriteText(at.first, at.second, text.c_str()));

    const ReadBook read = SaveAndRead(book.get(), "long-texts.xls");
    ASSERT_EQ(read.sheets.size(), 1u);
    EXPECT_EQ(read.sheets[0].texts, texts);
}

TEST(XlsRoundTrip, WidthsHeightsAndHiddenFlagsReadBackAsSet) {
    BookPtr book(xlCreateBookW());
    xls::Sheet* sheet = book->AddSheet(L"layout", nullptr);
    ASSERT_TRUE(sheet->SetColumnWidth(2, 5, 12.5));
    ASSERT_TRUE(sheet->SetColumnWidth(4, 4, 0.0, nullptr, true));
    ASSERT_TRUE(sheet->SetColumnWidth(255, 255, 255.0));
    ASSERT_TRUE(sheet->SetRowHeight(0, 409.0));
    ASSERT_TRUE(sheet->SetRowHeight(7, 9.75, nullptr, true));
    ASSERT_TRUE(sheet->WriteText(7, 3, L"under a hidden row"));

    const ReadBook read = SaveAndRead(book.get(), "layout.xls");
    ASSERT_EQ(read.sheets.size(), 1u);
    const std::map<int, std::pair<int, bool>> widths = {
        {2, {3200, false}}, {3, {3200, false}}, {4, {0, true}}, {5, {3200, false}}, {255, {255 * 256, false}}};
    EXPECT_EQ(read.sheets[0].widths, widths);
    EXPECT_EQ(read.sheets[0].heights.at(0), std::make_pair(409 * 20, false));
    EXPECT_EQ(read.sheets[0].heights.at(7), std::make_pair(195, true));
    EXPECT_EQ(read.sheets[0].texts, (Texts{{{7, 3}, L"under a hidden row"}}));
}

TEST(XlsRoundTrip, NumbersCellsWrittenAgainAndATemplateSheetReadBackAsLastWritten) {
    BookPtr book(xlCreateBookW());
    xls::Sheet* first = book->AddSheet(L"first", nullptr);
    const std::map<std::pair<int, int>, double> numbers = {
        {{1, 0}, 0.0}, {{1, 1}, -1.5}, {{2, 0}, 148809.0}, {{2, 1}, 1e300}, {{3, 0}, 18446744073709551616.0}};
    for (const auto& [at, value] : numbers) ASSERT_TRUE(first->WriteNumber(at.first, at.second, value));
    EXPECT_FALSE(first->WriteNumber(4, 0, std::numeric_limits<double>::infinity()));
    ASSERT_TRUE(first->WriteText(0, 0, L"old"));
    ASSERT_TRUE(first->WriteText(0, 0, L"new"));
    ASSERT_TRUE(first->WriteNumber(0, 1, 5));
    ASSERT_TRUE(first->WriteText(0, 1, L"text over number"));
    ASSERT_TRUE(first->SetColumnWidth(0, 0, 20));
    xls::Sheet* copy = book->AddSheet(L"copy", first);
    ASSERT_NE(copy, nullptr) << book->ErrorMessage();
    ASSERT_TRUE(copy->WriteText(5, 0, L"only in the copy"));
    EXPECT_EQ(book->SheetCount(), 2);

    const ReadBook read = SaveAndRead(book.get(), "template.xls");
    ASSERT_EQ(read.sheets.size(), 2u);
    const Texts firstTexts = {{{0, 0}, L"new"}, {{0, 1}, L"text over number"}};
    EXPECT_EQ(read.sheets[0].texts, firstTexts);
    EXPECT_EQ(read.sheets[0].numbers, numbers);
    Texts copyTexts = firstTexts;
    copyTexts[{5, 0}] = L"only in the copy";
    EXPECT_EQ(read.sheets[1].name, L"copy");
    EXPECT_EQ(read.sheets[1].texts, copyTexts);
    EXPECT_EQ(read.sheets[1].numbers, numbers);
    EXPECT_EQ(read.sheets[1].widths.at(0), std::make_pair(20 * 256, false));
}

TEST(XlsRoundTrip, AllRowsOfTheFormatReadBackAndTheRowBeyondIsRefused) {
    BookPtr book(xlCreateBookW());
    xls::Sheet* sheet = book->AddSheet(L"65536 rows", nullptr);
    constexpr int kColumns = 4;  // enough to need more FAT sectors than the file header lists
    for (int row = 0; row < xls::Sheet::kMaxRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            ASSERT_TRUE(sheet->WriteText(row, column, (std::to_wstring(row) + L"/" + std::to_wstring(column)).c_str()));
        }
    }
    ASSERT_TRUE(sheet->SetRowHeight(65535, 15.0));

    EXPECT_FALSE(sheet->WriteText(65536, 0, L"beyond"));
    EXPECT_NE(std::wstring(book->ErrorMessage()).find(L"row 65536"), std::wstring::npos) << book->ErrorMessage();
    EXPECT_FALSE(sheet->WriteNumber(65536, 0, 1));
    EXPECT_FALSE(sheet->SetRowHeight(65536, 15.0));
    EXPECT_FALSE(sheet->WriteText(0, 256, L"beyond"));
    EXPECT_NE(std::wstring(book->ErrorMessage()).find(L"column 256"), std::wstring::npos) << book->ErrorMessage();
    EXPECT_FALSE(sheet->WriteText(-1, 0, L"before"));

    const ReadBook read = SaveAndRead(book.get(), "full-height.xls", 6 * support::kPatience);
    ASSERT_EQ(read.sheets.size(), 1u);
    const xlstest::ReadSheet& s = read.sheets[0];
    EXPECT_EQ(s.rows, xls::Sheet::kMaxRows);
    EXPECT_EQ(s.columns, kColumns);
    ASSERT_EQ(s.texts.size(), size_t{xls::Sheet::kMaxRows} * kColumns);
    for (const auto& [at, text] : s.texts) {
        ASSERT_EQ(text, std::to_wstring(at.first) + L"/" + std::to_wstring(at.second));
    }
    EXPECT_EQ(s.heights.at(65535), std::make_pair(kHeight15, false));
}

}  // namespace
