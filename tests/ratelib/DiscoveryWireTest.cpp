#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/ConnectAddress.h"
#include "core/DiscoveryWire.h"

namespace {

using namespace sorvane;

constexpr Ipv4 Ip(unsigned a, unsigned b, unsigned c, unsigned d) { return a << 24 | b << 16 | c << 8 | d; }

TEST(DiscoveryWire, CrcIsXmodemWithItsPublishedCheckValue) {
    const char* check = "123456789";
    EXPECT_EQ(Crc16Xmodem(reinterpret_cast<const std::uint8_t*>(check), 9), 0x31C3);
}

TEST(DiscoveryWire, ProbeAddressesAscendWithTheFirstByteMostSignificantAndStopAtTen) {
    // In the order of their bytes in memory (last byte most significant) these would run backwards.
    std::vector<Ipv4> local;
    for (unsigned k = 0; k <= 10; ++k) local.push_back(Ip(10, 77, 10 - k, k + 1));
    const std::vector<Ipv4> chosen = ProbeAddresses(local);
    ASSERT_EQ(chosen.size(), 10u);
    for (unsigned k = 0; k < 10; ++k) EXPECT_EQ(chosen[k], Ip(10, 77, k, 11 - k)) << k;
}

TEST(DiscoveryWire, ResultLeavesOutLocalAddressesAndKeepsTheFirstFifty) {
    std::map<std::uint8_t, std::set<Ipv4>> found;
    for (unsigned i = 1; i <= 60; ++i) found[kDeviceKind].insert(Ip(10, 1, 0, i));
    found[kServerKind] = {Ip(192, 0, 2, 1), Ip(10, 77, 0, 1)};
    std::uint8_t result[kDiscoveryResultSize];
    std::memset(result, 0xAA, sizeof result);
    EXPECT_TRUE(WriteDiscoveryResult(found, {Ip(10, 77, 0, 1)}, result));
    std::int32_t count;
    std::memcpy(&count, result, 4);
    ASSERT_EQ(count, 50);
    const std::uint8_t first[] = {192, 0, 2, 1, 1, 10, 1, 0, 1, 2};
    EXPECT_EQ(0, std::memcmp(result + 4, first, sizeof first));
    const std::uint8_t last[] = {10, 1, 0, 49, 2};
    EXPECT_EQ(0, std::memcmp(result + 4 + 49 * 5, last, sizeof last));
}

TEST(DiscoveryWire, KindMaskCountsOnlyItsLowThreeBits) {
    EXPECT_EQ(EffectiveKinds(0), 7);
    EXPECT_EQ(EffectiveKinds(8), 7);
    EXPECT_EQ(EffectiveKinds(-1), 7);
    EXPECT_EQ(EffectiveKinds(10), 2);
}

TEST(DialogAddress, NeedsFourPartsEachUpTo255AndSaturatesLongNumbers) {
    const struct {
        const wchar_t* text;
        bool valid;
    } cases[] = {{L"192.168.1.30", true},   {L"192.168.1.300", false}, {L"1.2.3", false},
                 {L"1..2.3", false},        {L"1.2.3.4.", false},      {L"0.0.0.0", true},
                 {L"1.2.3.4x", true},       {L"x.2.3.4", true},        {L"1.2.3.4294967297", false},
                 {L"1.2.3.99999999999999999999", false}, {L"", false}};
    for (const auto& c : cases) {
        std::array<std::uint8_t, 4> bytes{};
        EXPECT_EQ(ParseDialogAddress(c.text, bytes), c.valid) << std::wstring(c.text).size();
    }
    std::array<std::uint8_t, 4> bytes{};
    ASSERT_TRUE(ParseDialogAddress(L"10.0.200.7", bytes));
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 4>{10, 0, 200, 7}));
}

}  // namespace
