// The value and utility classes: string lists, files, calendar time.
#include <framework/Framework.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<CString> Items(const CStringList& list) {
    std::vector<CString> items;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) items.push_back(list.GetNext(pos));
    return items;
}

TEST(StringList, KeepsOrderThroughInsertsAndRemovals) {
    CStringList list;
    list.AddTail(L"b");
    list.AddHead(L"a");
    POSITION d = list.AddTail(L"d");
    list.InsertBefore(d, L"c");
    list.InsertAfter(d, L"e");
    EXPECT_EQ((std::vector<CString>{L"a", L"b", L"c", L"d", L"e"}), Items(list));
    EXPECT_EQ(d, list.Find(L"d"));
    EXPECT_EQ(nullptr, list.Find(L"D"));
    EXPECT_EQ(CString(L"c"), list.GetAt(list.FindIndex(2)));
    list.RemoveAt(d);
    EXPECT_EQ(CString(L"a"), list.RemoveHead());
    EXPECT_EQ(CString(L"e"), list.RemoveTail());
    EXPECT_EQ((std::vector<CString>{L"b", L"c"}), Items(list));
    EXPECT_EQ(2, list.GetCount());
    EXPECT_EQ(nullptr, list.FindIndex(2));
}

class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t folder[MAX_PATH];
        ::GetTempPathW(MAX_PATH, folder);
        path = CString(folder) + L"framework-file-test-\x00E9.bin";
        ::DeleteFileW(path);
    }
    void TearDown() override { ::DeleteFileW(path); }
    CString path;
};

TEST_F(FileTest, WritesReadsAndSeeks) {
    {
        CFile file;
        ASSERT_TRUE(file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary));
        file.Write("0123456789", 10);
        EXPECT_EQ(10u, file.GetLength());
    }
    CFile file(path, CFile::modeRead | CFile::shareDenyNone);
    char buffer[8] = {};
    EXPECT_EQ(4u, file.Seek(4, CFile::begin));
    EXPECT_EQ(3u, file.Read(buffer, 3));
    EXPECT_STREQ("456", buffer);
    EXPECT_EQ(7u, file.GetPosition());
    EXPECT_EQ(3u, file.Read(buffer, 8));  // short read at the end
    EXPECT_EQ(CString(L"framework-file-test-\x00E9.bin"), file.GetFileName());
}

TEST_F(FileTest, OpeningAMissingFileReportsTheCause) {
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(path, CFile::modeRead, &error));
    EXPECT_EQ(CFileException::fileNotFound, error.m_cause);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, error.m_lOsError);
    bool thrown = false;
    try {
        CFile opened(path, CFile::modeRead);
    } catch (CFileException* e) {
        thrown = e->m_cause == CFileException::fileNotFound;
        e->Delete();
    }
    EXPECT_TRUE(thrown);
}

TEST(Time, LocalFieldsRoundTripAndFormat) {
    CTime time(2018, 1, 31, 23, 59, 58);
    EXPECT_EQ(2018, time.GetYear());
    EXPECT_EQ(1, time.GetMonth());
    EXPECT_EQ(31, time.GetDay());
    EXPECT_EQ(23, time.GetHour());
    EXPECT_EQ(58, time.GetSecond());
    EXPECT_EQ(4, time.GetDayOfWeek());  // a Wednesday
    CTime later = time + CTimeSpan(0, 0, 0, 3);
    EXPECT_EQ(CString(L"2018/02/01 00:00:01"), later.Format(L"%Y/%m/%d %H:%M:%S"));
    CTimeSpan span = later - CTime(2018, 1, 30, 22, 58, 0);
    EXPECT_EQ(1, span.GetDays());
    EXPECT_EQ(1, span.GetHours());
    EXPECT_EQ(2, span.GetMinutes());
    EXPECT_EQ(1, span.GetSeconds());
}

}  // namespace
