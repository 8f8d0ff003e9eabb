// The upgrade log's name, folder and bytes, read back from the file as UTF-16LE code units.
#include "upgrade/UpgradeLog.h"

#include <gtest/gtest.h>
#include <support/FolderTree.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

SYSTEMTIME At(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    return time;
}

const upgrade::IdentityRows kRows = {L"Brevix-C",
                                     L"Quendal Agent",
                                     L"QT2401000123",
                                     L"00-22-33-44-55-66",
                                     L"v1.2",
                                     L"v2.1b004  2018/10/15",
                                     L"v1.3b007  2019/01/02",
                                     L"v1.0b012",
                                     L"2018/10/15 08:30"};

class UpgradeLogTest : public testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        root_ = std::wstring(temp) + L"upgrade-log-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    }
    void TearDown() override { support::RemoveTree(root_); }

    static std::vector<unsigned char> Bytes(const std::wstring& path) {
        std::ifstream in(path.c_str(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // The file's lines, decoded pair by pair as little-endian code units and cut at each CR LF.
    static std::vector<std::wstring> Lines(const std::vector<unsigned char>& bytes) {
        std::wstring text;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) text += wchar_t(bytes[i] | bytes[i + 1] << 8);
        std::vector<std::wstring> lines;
        for (size_t from = 0, end; (end = text.find(L"\r\n", from)) != std::wstring::npos; from = end + 2)
            lines.push_back(text.substr(from, end - from));
        return lines;
    }

    std::wstring root_;
};

TEST_F(UpgradeLogTest, NamesAndFoldersFollowTheKindTheMinuteAndTheWindowsVersion) {
    const SYSTEMTIME time = At(2024, 3, 5, 9, 7, 41);
    EXPECT_EQ(upgrade::LogFileName(upgrade::kFpgaLog, time), L"Upgrade_FPGA_2024_03_05_09_07.log");
    EXPECT_EQ(upgrade::LogFileName(upgrade::kFirmwareLog, time), L"Upgrade_Firmware_2024_03_05_09_07.log");
    EXPECT_EQ(upgrade::LogFolder(L"C:\\Vorels", L""), L"C:\\Vorels\\SysLog\\");
    EXPECT_EQ(upgrade::LogFolder(L"C:\\Vorels", L"C:\\Users\\op\\Documents\\Vorels-NIC.log\\Vorels-NIC v1.1b012\\"),
              L"C:\\Users\\op\\Documents\\Vorels-NIC.log\\Vorels-NIC v1.1b012\\SysLog\\");
}

TEST_F(UpgradeLogTest, FileHoldsTheLinesAsUtf16WithoutAByteOrderMarkInAFolderItMade) {
    const std::wstring folder = root_ + L"Documents\\SysLog\\";
    const SYSTEMTIME time = At(2024, 3, 5, 9, 7, 41);
    ASSERT_TRUE(upgrade::WriteLogFile(folder, L"a.log", upgrade::LogText(kRows, L"", time)));

    const std::vector<unsigned char> bytes = Bytes(folder + L"a.log");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0x2A);
    EXPECT_EQ(bytes[1], 0x00);
    const std::vector<std::wstring> lines = Lines(bytes);
    EXPECT_EQ(bytes.size(), [&] {
        size_t units = 0;
        for (const auto& line : lines) units += line.size() + 2;
        return units * 2;
    }()) << "nothing after the last CR LF";

    const std::wstring stars(148, L'*'), equals(77, L'=');
    std::vector<std::wstring> expected = {stars,
                                          L" ",
                                          L"* Program    : QT714-NIC",
                                          L" ",
                                          L"* Version    : v1.1b012",
                                          L" ",
                                          L"* Instruments: Brevix-C",
                                          L" ",
                                          L"* Publisher  : Quendal Technologies",
                                          L" "};
    ASSERT_GE(lines.size(), 59u);
    EXPECT_EQ(lines[10].substr(0, 2), L"* ");
    expected.insert(expected.end(), {lines[10], L" ", stars, L" ", L" "});
    for (const wchar_t* section : {L"===<< Previous System Information >>", L"===<< Current System Information >>"}) {
        expected.insert(expected.end(), {section + equals, L" "});
        for (const wchar_t* row :
             {L"Module Name: Brevix-C", L"SN: QT2401000123", L"MAC: 00-22-33-44-55-66", L"Hardware Version: v1.2",
              L"API Version: v2.1b004  2018/10/15", L"FPGA Version: v1.3b007  2019/01/02", L"FW Version: v1.0b012",
              L"Manufacture Date: 2018/10/15 08:30"})
            expected.insert(expected.end(), {row, L" "});
        expected.push_back(L" ");
    }
    expected.insert(expected.end(), {std::wstring(L"===<< Upgrading Time/Date >>") + equals, L" ",
                                     L"Upgrading Date: 2024/03/05", L" ", L"Upgrading Time: 09:07:41", L" "});
    EXPECT_EQ(lines, expected);
}

TEST_F(UpgradeLogTest, VersionSuffixEndsOnlyTheCurrentFpgaAndFirmwareLines) {
    const std::wstring text = upgrade::LogText(kRows, L"x1", At(2024, 3, 5, 9, 7, 0));
    EXPECT_EQ(text.find(L"FPGA Version: v1.3b007  2019/01/02\r\n"), text.find(L"FPGA Version:"));
    EXPECT_NE(text.find(L"FPGA Version: v1.3b007  2019/01/02x1\r\n"), std::wstring::npos);
    EXPECT_NE(text.find(L"FW Version: v1.0b012x1\r\n"), std::wstring::npos);
    EXPECT_EQ(text.find(L"Brevix-Cx1"), std::wstring::npos);
}

TEST_F(UpgradeLogTest, ASecondLogOfTheMinuteReplacesTheFirst) {
    ASSERT_TRUE(upgrade::WriteLogFile(root_, L"b.log", std::wstring(500, L'x')));
    ASSERT_TRUE(upgrade::WriteLogFile(root_, L"b.log", L"ab"));
    EXPECT_EQ(Bytes(root_ + L"b.log"), (std::vector<unsigned char>{'a', 0, 'b', 0}));
}

// A redirected Documents folder lies on a server's share. Wine keeps "\\server\share" as the folder
// dosdevices\unc\server\share of its prefix: the test makes one there for a server of its own.
TEST_F(UpgradeLogTest, FoldersAreMadeBelowAServersShare) {
    char prefix[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH), 0u);
    std::wstring unc = L"Z:" + std::wstring(prefix, prefix + strlen(prefix)) + L"\\dosdevices\\unc\\";
    for (wchar_t& c : unc) c = c == L'/' ? L'\\' : c;
    const std::wstring server = L"logs-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(unc.c_str(), nullptr);
    ASSERT_TRUE(CreateDirectoryW((unc + server).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((unc + server + L"\\docs").c_str(), nullptr));
    const std::wstring folder = L"\\\\" + server + L"\\docs\\Vorels-NIC.log\\Vorels-NIC v1.1b012\\SysLog\\";
    const bool written = upgrade::WriteLogFile(folder, L"d.log", L"ab");
    const std::vector<unsigned char> bytes = Bytes(folder + L"d.log");
    support::RemoveTree(unc + server + L"\\");
    ASSERT_TRUE(written);
    EXPECT_EQ(bytes, (std::vector<unsigned char>{'a', 0, 'b', 0}));
    // Wine lets a program make the server's and the share's folders; Windows does not, so none is
    // asked for.
    EXPECT_EQ(upgrade::FoldersOf(L"\\\\srv\\docs\\Logs\\SysLog\\"),
              (std::vector<std::wstring>{L"\\\\srv\\docs\\Logs", L"\\\\srv\\docs\\Logs\\SysLog"}));
    EXPECT_EQ(upgrade::FoldersOf(L"C:\\Vorels\\SysLog\\"),
              (std::vector<std::wstring>{L"C:\\Vorels", L"C:\\Vorels\\SysLog"}));
}

TEST_F(UpgradeLogTest, AFolderThatCannotBeMadeIsAFailure) {
    ASSERT_TRUE(upgrade::WriteLogFile(root_, L"plain", L"x"));
    // A folder below an ordinary file cannot exist.
    EXPECT_FALSE(upgrade::WriteLogFile(root_ + L"plain\\SysLog\\", L"c.log", L"x"));
    EXPECT_FALSE(upgrade::WriteLogFile(root_, L"bad:name?.log", L"x"));
}

}  // namespace
