// The texts the program makes of what the tester reports, host messages read field by field, and
// the Windows versions told apart.
#include "main/DeviceTexts.h"
#include "main/HostMessage.h"
#include "main/VersionTests.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace device_texts;

TEST(DeviceTexts, ModelNamesByMachineId) {
    EXPECT_EQ(CString(L"Brevix-C"), ModelText(1));
    EXPECT_EQ(CString(L"Brevix-A"), ModelText(2));
    EXPECT_EQ(CString(L"Brevix-H"), ModelText(3));
    EXPECT_EQ(CString(L"Brevix-J"), ModelText(4));
    EXPECT_EQ(CString(L"Brevix-A"), ModelText(0));
    EXPECT_EQ(CString(L"Brevix-A"), ModelText(5));
}

TEST(DeviceTexts, VersionsCarryTheirDateAsYearMonthDay) {
    EXPECT_EQ(CString(L"v1.3b004"), VersionText(1, 3, 4));
    EXPECT_EQ(CString(L"v0.9b043"), VersionText(0, 9, 43));
    // The word 0x10152018 is 15 October 2018.
    EXPECT_EQ(CString(L"2018/10/15"), DateWordText(0x10152018));
    EXPECT_EQ(CString(L"v1.3b004  2018/10/15"), DatedVersionText(1, 3, 4, 0x10152018));
    EXPECT_EQ(CString(L"2009/07/05"), DateWordText(0x07052009));
}

TEST(DeviceTexts, MacAndProductDate) {
    const uint8_t mac[6] = {0x02, 0x5E, 0xC1, 0x0D, 0xA0, 0x0F};
    EXPECT_EQ(CString(L"02-5E-C1-0D-A0-0F"), MacText(mac));
    EXPECT_EQ(CString(L"2019/03/14 09:26"), ProductDateText(L"201903140926"));
}

TEST(DeviceTexts, FieldWithoutTerminatorStopsAtItsSize) {
    const char full[5] = {'M', 'P', '0', '5', 'X'};
    EXPECT_EQ(CString(L"MP05X"), FieldText(full, sizeof full));
    const char shorter[5] = {'M', 'P', '\0', 'Z', 'Z'};
    EXPECT_EQ(CString(L"MP"), FieldText(shorter, sizeof shorter));
}

TEST(HostMessageReading, TypeIsBigEndianAndFieldsLittleEndian) {
    std::vector<uint8_t> bytes(60, 0);
    bytes[14] = 0xFF;
    bytes[15] = 0x00;
    bytes[18] = 0xFF;
    bytes[22] = 0x34;
    bytes[23] = 0x12;
    HostMessage message(bytes.data(), bytes.size());
    EXPECT_EQ(0xFF00, message.Type());
    EXPECT_EQ(255, message.I32(18));
    EXPECT_EQ(0x1234, message.U16(22));
    EXPECT_EQ(0x0500, SwapBytes16(0x0005));
}

TEST(HostMessageReading, ShortMessageHasNoFieldsPastItsEnd) {
    const uint8_t bytes[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x04, 0xFF, 0x05, 0x00};
    HostMessage message(bytes, sizeof bytes);
    EXPECT_EQ(0x0500, message.Type());
    EXPECT_FALSE(message.Has(18, 4));
    EXPECT_EQ(0, HostMessage(bytes, 10).Type());
}

struct VersionCase {
    DWORD major, minor;
    BYTE productType;
    bool windows7Or8;
    bool windowsXP;
};

TEST(WindowsVersions, Windows7PathTakesSevenAndEightOnWorkstationsAndTenAndLater) {
    const VersionCase cases[] = {
        {6, 1, VER_NT_WORKSTATION, true, false},  {6, 2, VER_NT_WORKSTATION, true, false},
        {6, 3, VER_NT_WORKSTATION, false, false}, {6, 0, VER_NT_WORKSTATION, false, false},
        {6, 1, VER_NT_SERVER, false, false},      {10, 0, VER_NT_WORKSTATION, true, false},
        {5, 1, VER_NT_WORKSTATION, false, true},  {5, 2, VER_NT_WORKSTATION, false, true},
        {5, 2, VER_NT_SERVER, false, false},
    };
    for (const VersionCase& c : cases) {
        WindowsVersion v;
        v.platform = VER_PLATFORM_WIN32_NT;
        v.major = c.major;
        v.minor = c.minor;
        v.productType = c.productType;
        EXPECT_EQ(c.windows7Or8, IsWindows7Or8(v)) << c.major << "." << c.minor;
        EXPECT_EQ(c.windowsXP, IsWindowsXP(v)) << c.major << "." << c.minor;
    }
    WindowsVersion wow;
    wow.platform = VER_PLATFORM_WIN32_NT;
    wow.major = 6;
    wow.architecture = PROCESSOR_ARCHITECTURE_AMD64;
    EXPECT_FALSE(Is64BitWindows(wow)) << "a process that is not under WOW64";
    wow.wow64 = true;
    EXPECT_TRUE(Is64BitWindows(wow));
}

}  // namespace
