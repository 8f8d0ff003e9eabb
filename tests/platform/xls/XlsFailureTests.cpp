// What the library refuses, and saves that fail: a clear reason, and no file half-written.
#include "XlrdReader.h"
#include "support/Waiting.h"
#include "xls/Book.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

using xlstest::WorkFile;

struct SheetNameCase {
    const char* behaviour;
    std::wstring name;
    std::wstring reasonHolds;  // a piece of the error message
};

class RefusedSheetName : public testing::TestWithParam<SheetNameCase> {};

TEST_P(RefusedSheetName, AddsNoSheetAndSaysWhy) {
    xls::Book* book = xlCreateBookW();
    ASSERT_NE(book, nullptr);
    ASSERT_NE(book->AddSheet(L"Counters", nullptr), nullptr);
    EXPECT_EQ(book->AddSheet(GetParam().name.c_str(), nullptr), nullptr);
    EXPECT_NE(std::wstring(book->ErrorMessage()).find(GetParam().reasonHolds), std::wstring::npos)
        << testing::PrintToString(std::wstring(book->ErrorMessage()));
    EXPECT_EQ(book->SheetCount(), 1);
    book->Release();
}

INSTANTIATE_TEST_SUITE_P(
    Names, RefusedSheetName,
    testing::Values(SheetNameCase{"Empty", L"", L"1 to 31 characters"},
                    SheetNameCase{"ThirtyTwoCharacters", std::wstring(32, L'x'), L"1 to 31 characters"},
                    SheetNameCase{"ThirtyTwoJapaneseCharacters", std::wstring(32, L'表'), L"1 to 31 characters"},
                    SheetNameCase{"Colon", L"15:03", L"may not hold"},
                    SheetNameCase{"Backslash", L"a\\b", L"may not hold"},
                    SheetNameCase{"Slash", L"a/b", L"may not hold"},
                    SheetNameCase{"QuestionMark", L"why?", L"may not hold"},
                    SheetNameCase{"Asterisk", L"a*", L"may not hold"},
                    SheetNameCase{"OpeningBracket", L"[x", L"may not hold"},
                    SheetNameCase{"ClosingBracket", L"x]", L"may not hold"},
                    SheetNameCase{"LeadingApostrophe", L"'quoted", L"apostrophe"},
                    SheetNameCase{"TrailingApostrophe", L"quoted'", L"apostrophe"},
                    SheetNameCase{"SameNameOtherCase", L"COUNTERS", L"already has a sheet"}),
    [](const testing::TestParamInfo<SheetNameCase>& info) { return std::string(info.param.behaviour); });

TEST(SheetName, ThirtyOneCharactersAndApostrophesWithinAreAccepted) {
    xls::Book* book = xlCreateBookW();
    EXPECT_NE(book->AddSheet(std::wstring(31, L'表').c_str(), nullptr), nullptr) << book->ErrorMessage();
    EXPECT_NE(book->AddSheet(L"Port A's counters", nullptr), nullptr) << book->ErrorMessage();
    EXPECT_EQ(book->SheetCount(), 2);
    book->Release();
}

std::string FileBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Whether a temporary file of a save is left in the file's folder.
bool TemporaryFileLeftBeside(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path.substr(0, path.rfind(L'\\') + 1) + L"xls*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

class FailedSave : public testing::Test {
protected:
    void SetUp() override {
        book_ = xlCreateBookW();
        ASSERT_NE(book_, nullptr);
        xls::Sheet* sheet = book_->AddSheet(L"Counters", nullptr);
        ASSERT_NE(sheet, nullptr);
        ASSERT_TRUE(sheet->WriteText(0, 0, L"new contents"));
    }
    void TearDown() override { book_->Release(); }

    void ExpectRefusal(const std::wstring& path) {
        EXPECT_FALSE(book_->Save(path.c_str()));
        EXPECT_NE(std::wstring(book_->ErrorMessage()).find(L"cannot save"), std::wstring::npos)
            << testing::PrintToString(std::wstring(book_->ErrorMessage()));
        EXPECT_FALSE(TemporaryFileLeftBeside(path));
    }

    xls::Book* book_ = nullptr;
    const std::string old_ = "an existing file the save must not touch";
};

TEST_F(FailedSave, ReadOnlyFileStaysAsItWas) {
    const WorkFile file = xlstest::MakeWorkFile("read-only.xls");
    WriteFileBytes(file.windowsPath, old_);
    ASSERT_TRUE(SetFileAttributesW(file.windowsPath.c_str(), FILE_ATTRIBUTE_READONLY));
    ExpectRefusal(file.windowsPath);
    SetFileAttributesW(file.windowsPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(FileBytes(file.windowsPath) == old_) << "the read-only file changed";
}

TEST_F(FailedSave, FileHeldOpenWithoutSharingStaysAsItWas) {
    // The whole workbook is written before the move over the held file fails.
    const WorkFile file = xlstest::MakeWorkFile("held-open.xls");
    WriteFileBytes(file.windowsPath, old_);
    HANDLE held = CreateFileW(file.windowsPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ExpectRefusal(file.windowsPath);
    CloseHandle(held);
    EXPECT_TRUE(FileBytes(file.windowsPath) == old_) << "the held file changed";
}

TEST_F(FailedSave, MissingFolderIsRefused) {
    const WorkFile file = xlstest::MakeWorkFile("no-such-folder");
    RemoveDirectoryW(file.windowsPath.c_str());
    ExpectRefusal(file.windowsPath + L"\\book.xls");
    EXPECT_EQ(GetFileAttributesW(file.windowsPath.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FailedSave, PathNamingAFolderIsRefusedAndTheFolderKept) {
    const WorkFile file = xlstest::MakeWorkFile("a-folder.xls");
    CreateDirectoryW(file.windowsPath.c_str(), nullptr);
    ExpectRefusal(file.windowsPath);
    EXPECT_NE(GetFileAttributesW(file.windowsPath.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    RemoveDirectoryW(file.windowsPath.c_str());
}

TEST(Save, BookWithoutSheetsIsRefusedAndWritesNothing) {
    const WorkFile file = xlstest::MakeWorkFile("no-sheets.xls");
    xls::Book* book = xlCreateBookW();
    EXPECT_FALSE(book->Save(file.windowsPath.c_str()));
    EXPECT_NE(std::wstring(book->ErrorMessage()).find(L"without sheets"), std::wstring::npos);
    EXPECT_EQ(GetFileAttributesW(file.windowsPath.c_str()), INVALID_FILE_ATTRIBUTES);
    book->Release();
}

TEST(Save, SavingOverAnExistingWorkbookReplacesItWhole) {
    const WorkFile file = xlstest::MakeWorkFile("replaced.xls");
    WriteFileBytes(file.windowsPath, std::string(100000, 'z'));  // longer than the workbook
    xls::Book* book = xlCreateBookW();
    ASSERT_TRUE(book->AddSheet(L"replacement", nullptr)->WriteText(0, 0, L"fresh"));
    ASSERT_TRUE(book->Save(file.windowsPath.c_str())) << book->ErrorMessage();
    book->Release();

    const xlstest::ReadBook read = xlstest::ReadWithXlrd(file, support::kPatience);
    ASSERT_EQ(read.error, L"");
    ASSERT_EQ(read.sheets.size(), 1u);
    EXPECT_EQ(read.sheets[0].name, L"replacement");
    EXPECT_EQ(read.sheets[0].texts.at({0, 0}), L"fresh");
}

TEST(SheetLimits, ValuesOutsideTheFormatAreRefusedWithAReason) {
    xls::Book* book = xlCreateBookW();
    xls::Sheet* sheet = book->AddSheet(L"limits", nullptr);
    EXPECT_FALSE(sheet->WriteText(0, 0, std::wstring(32768, L'x').c_str()));
    EXPECT_NE(std::wstring(book->ErrorMessage()).find(L"32767"), std::wstring::npos);
    EXPECT_TRUE(sheet->WriteText(0, 0, std::wstring(32767, L'x').c_str()));
    EXPECT_FALSE(sheet->WriteText(0, 1, nullptr));
    EXPECT_FALSE(sheet->SetColumnWidth(0, 256, 10));
    EXPECT_FALSE(sheet->SetColumnWidth(3, 2, 10));
    EXPECT_FALSE(sheet->SetColumnWidth(0, 0, 256));
    EXPECT_FALSE(sheet->SetColumnWidth(0, 0, -1));
    EXPECT_FALSE(sheet->SetRowHeight(0, 410));
    EXPECT_FALSE(sheet->SetRowHeight(0, 0));
    book->Release();
}

}  // namespace
