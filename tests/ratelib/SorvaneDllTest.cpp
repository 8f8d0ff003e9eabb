// Loads the built Sorvane.dll the way another program would: by name, finding each export by name.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "Sorvane.h"
#include "support/PeImage.h"

namespace {

const char* const kExports[] = {
    "Ostrel_AutoGenerateTxRate",
    "Ostrel_AutoGenerateTxRateLoopTime",
    "Ostrel_AutoGenerateTxRateLoopTime_Correct",
    "Ostrel_AutoGenerateTxRateSoomth",
    "Ostrel_CalLineRate",
    "Ostrel_CalLineRate3",
    "Ostrel_CalLineRatebyPPS",
    "Ostrel_CalLineRatebyUtilization",
    "Ostrel_CalPPS2",
    "Ostrel_CalPPSbyLineRate",
    "Ostrel_CalPacketLength",
    "Ostrel_CalPerStreamLineRate",
    "Ostrel_CalPerStreamPPS",
    "Ostrel_CalTotalLineRate",
    "Ostrel_CalTotalPPS",
    "Ostrel_CalUtilizationbyLineRate",
    "Ostrel_CappedBalanceTxRateByLineRate",
    "Ostrel_CappedBalanceTxRateByPPS",
    "Ostrel_CorrectIFG",
    "Ostrel_CorrectLineRate_Capped",
    "Ostrel_DiscoverServer",
    "Ostrel_GetAutoProperMinLineRate",
    "Ostrel_InvokeVelmora",
    "Ostrel_ParseEEPROMData",
    "Ostrel_ParseEEPROMData_LiteCard",
    "Ostrel_ShowConnectDlg",
};

// The path of a loaded module's file.
std::string ModulePath(HMODULE module) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, MAX_PATH);
    return path;
}

class SorvaneDll : public testing::Test {
protected:
    static void SetUpTestSuite() { module_ = LoadLibraryW(L"Sorvane.dll"); }
    static void TearDownTestSuite() { FreeLibrary(module_); }
    void SetUp() override { ASSERT_NE(module_, nullptr) << "Sorvane.dll did not load: " << GetLastError(); }

    // The export's address as the type the public header declares for it.
    template <auto& Declared>
    static auto* Find(const char* name) {
        auto* found = reinterpret_cast<std::remove_reference_t<decltype(Declared)>*>(
            reinterpret_cast<void*>(GetProcAddress(module_, name)));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    static HMODULE module_;
};

HMODULE SorvaneDll::module_ = nullptr;

TEST_F(SorvaneDll, ExportsExactlyTheListedNamesUndecoratedAndFindsEachByName) {
    for (const char* name : kExports) {
        EXPECT_NE(GetProcAddress(module_, name), nullptr) << name;
    }
    const support::PeImage image = support::ReadPeImage(ModulePath(module_));
    ASSERT_TRUE(image.valid) << ModulePath(module_);
    EXPECT_EQ(image.exports, std::set<std::string>(std::begin(kExports), std::end(kExports)));
}

TEST_F(SorvaneDll, LoadingStartsNoSocketsLayer) {
    // This program starts none itself: a clean-up finds nothing to end unless the library started one.
    EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

TEST_F(SorvaneDll, PassesDoublesAndSixtyFourBitValuesThroughTheExports) {
    EXPECT_EQ(Find<Ostrel_CalPPSbyLineRate>("Ostrel_CalPPSbyLineRate")(10000.0, 64), 14880952u);
    EXPECT_EQ(Find<Ostrel_CorrectIFG>("Ostrel_CorrectIFG")(10000, 100, 12, 4096), 128u);
    EXPECT_DOUBLE_EQ(Find<Ostrel_CalLineRate>("Ostrel_CalLineRate")(1000, 64, 96, 96, 1), 1644736 * 84 * 8 / 1e6);
}

// A caller's table buffer holding only three 44-byte entries after the 2-byte count, then guard bytes.
struct ShortTable {
    static constexpr std::size_t kEntries = 3;
    static constexpr std::size_t kSize = 2 + kEntries * 44;
    std::uint8_t bytes[kSize + 64];

    ShortTable() {
        std::memset(bytes, 0xCC, sizeof bytes);
        const std::uint16_t count = kEntries;
        std::memcpy(bytes, &count, 2);
        for (std::size_t i = 0; i < kEntries; ++i) {
            Put<std::uint32_t>(i, 20, 64);  // frame length
            Put<std::uint64_t>(i, 24, 96);  // gap
            Put<std::uint64_t>(i, 32, 96);  // tail gap
            Put<std::uint32_t>(i, 40, 1);   // burst
        }
    }
    template <typename T>
    void Put(std::size_t entry, std::size_t offset, T value) {
        std::memcpy(bytes + 2 + entry * 44 + offset, &value, sizeof value);
    }
    template <typename T>
    T Get(std::size_t entry, std::size_t offset) const {
        T value;
        std::memcpy(&value, bytes + 2 + entry * 44 + offset, sizeof value);
        return value;
    }
    bool GuardIntact() const {
        return std::all_of(bytes + kSize, std::end(bytes), [](std::uint8_t b) { return b == 0xCC; });
    }
    StreamRateTable* Table() { return reinterpret_cast<StreamRateTable*>(bytes); }
};

TEST_F(SorvaneDll, StreamTableEntriesAre44BytesFromOffset2AndNothingBeyondCountIsTouched) {
    ShortTable table;
    Find<Ostrel_CalPerStreamLineRate>("Ostrel_CalPerStreamLineRate")(1000, table.Table());
    // Three 672-bit bursts a cycle: 496031 frames per second each.
    for (std::size_t i = 0; i < ShortTable::kEntries; ++i) {
        EXPECT_EQ(table.Get<std::uint32_t>(i, 16), 496031u) << i;
        EXPECT_DOUBLE_EQ(table.Get<double>(i, 0), 496031 * 84 * 8 / 1e6) << i;
    }
    Find<Ostrel_AutoGenerateTxRateLoopTime_Correct>("Ostrel_AutoGenerateTxRateLoopTime_Correct")(1000, table.Table(),
                                                                                                 1.0);
    EXPECT_TRUE(table.GuardIntact());
}

TEST_F(SorvaneDll, EepromRecordIs123BytesAndTheImageIsNotWritten) {
    std::uint8_t image[256] = {};
    std::memcpy(image + 32, "Brevix-C", 8);
    std::memcpy(image + 64, "0.17", 4);
    const std::uint8_t dateAndValue[] = {0x2A, 0x65, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0, 0, 0x04};
    std::memcpy(image + 176, dateAndValue, sizeof dateAndValue);
    const std::vector<std::uint8_t> before(std::begin(image), std::end(image));
    std::uint8_t record[123 + 16];
    std::memset(record, 0xCC, sizeof record);

    const auto parse = Find<Ostrel_ParseEEPROMData_LiteCard>("Ostrel_ParseEEPROMData_LiteCard");
    ASSERT_EQ(parse(reinterpret_cast<EepromInfoRecord*>(record), image), 1);
    EXPECT_EQ(std::memcmp(record, "Brevix-C", 9), 0);
    const std::uint8_t valueAndDate[] = {0x04, 0, 0, 0x01, 0xEE, 0x07, 3, 5};  // 0x01000004, 2030-03-05
    EXPECT_EQ(std::memcmp(record + 89, valueAndDate, sizeof valueAndDate), 0);
    EXPECT_TRUE(std::all_of(record + 97, record + 123, [](std::uint8_t b) { return b == 0; }));
    EXPECT_TRUE(std::all_of(record + 123, std::end(record), [](std::uint8_t b) { return b == 0xCC; }));
    EXPECT_EQ(std::vector<std::uint8_t>(std::begin(image), std::end(image)), before);
}

TEST_F(SorvaneDll, MissingPointersDoNothingAndGiveZero) {
    EXPECT_EQ(Find<Ostrel_CalTotalPPS>("Ostrel_CalTotalPPS")(1000, nullptr), 0u);
    EXPECT_EQ(Find<Ostrel_CalTotalLineRate>("Ostrel_CalTotalLineRate")(1000, nullptr), 0);
    std::uint8_t image[256] = {};
    EepromInfoRecord record;
    std::memset(&record, 0xAA, sizeof record);
    const auto parse = Find<Ostrel_ParseEEPROMData>("Ostrel_ParseEEPROMData");
    EXPECT_EQ(parse(nullptr, image), 0);
    EXPECT_EQ(parse(&record, nullptr), 0);
    EXPECT_EQ(record.modelName[0], 0);

    for (const char* name : {"Ostrel_CalPerStreamPPS", "Ostrel_CalPerStreamLineRate", "Ostrel_AutoGenerateTxRate",
                             "Ostrel_AutoGenerateTxRateSoomth"}) {
        Find<Ostrel_CalPerStreamPPS>(name)(1000, nullptr);
    }
    for (const char* name : {"Ostrel_AutoGenerateTxRateLoopTime", "Ostrel_AutoGenerateTxRateLoopTime_Correct"}) {
        Find<Ostrel_AutoGenerateTxRateLoopTime>(name)(1000, nullptr, 0.001);
    }
    ShortTable table;
    double rate = 500;
    std::uint32_t pps = 1000;
    const auto byRate = Find<Ostrel_CappedBalanceTxRateByLineRate>("Ostrel_CappedBalanceTxRateByLineRate");
    const auto byPps = Find<Ostrel_CappedBalanceTxRateByPPS>("Ostrel_CappedBalanceTxRateByPPS");
    byRate(1000, nullptr, table.Table());
    byRate(1000, &rate, nullptr);
    byPps(1000, nullptr, table.Table());
    byPps(1000, &pps, nullptr);
    EXPECT_EQ(table.Get<std::uint64_t>(0, 32), 96u);
    EXPECT_EQ(rate, 500);
}

}  // namespace
