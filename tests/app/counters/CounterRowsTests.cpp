// The counter rows' texts: line rates in whole Mbps, counters with thousands separators, the link
// rows by the API's link codes, and the demo generator's sums.
#include "counters/CounterRows.h"

#include <gtest/gtest.h>

#include <random>

using namespace counters;

namespace {

TEST(RoundMbpsTest, HalfAMegabitRoundsUp) {
    EXPECT_EQ(0u, RoundMbps(0));
    EXPECT_EQ(0u, RoundMbps(499999));
    EXPECT_EQ(1u, RoundMbps(500000));
    EXPECT_EQ(1u, RoundMbps(1499999));
    EXPECT_EQ(2u, RoundMbps(1500000));
    // Full gigabit line rate in bits per second.
    EXPECT_EQ(1000u, RoundMbps(1000000000));
    EXPECT_EQ(4295u, RoundMbps(0xFFFFFFFFu));
}

TEST(ShownLineRateTest, TheWordHoldsUntilItCannotThenTheIncreaseTells) {
    // 1500-byte frames at 1 Gbit/s: 82,237 a second; the word and the increase agree.
    EXPECT_EQ(1000u, ShownLineRate(1000000000u, 82237ull * 1500, 82237));
    // A word that holds is kept even where the second's increase differs (it is read at the poll).
    EXPECT_EQ(700u, ShownLineRate(700000000u, 0, 0));
    // 64-byte frames filling a 10G line: the word stops at its largest value.
    EXPECT_EQ(10000u, ShownLineRate(0xFFFFFFFFu, 14880952ull * 64, 14880952));
    // A word that wrapped past 2^32 reads low; the increase shows more than any word holds.
    EXPECT_EQ(6000u, ShownLineRate(static_cast<uint32_t>(6000000000ull - 0x100000000ull), 6000000000ull / 8, 0));
    // A saturated word over a quiet second: nothing moved.
    EXPECT_EQ(0u, ShownLineRate(0xFFFFFFFFu, 0, 0));
}

TEST(GroupThousandsTest, GroupsOfThreeFromTheRight) {
    const std::pair<uint64_t, const wchar_t*> cases[] = {
        {0, L"0"},
        {999, L"999"},
        {1000, L"1,000"},
        {123456, L"123,456"},
        {1234567, L"1,234,567"},
        {18446744073709551615ull, L"18,446,744,073,709,551,615"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(text, GroupThousands(value)) << value;
}

TEST(DescribeLinkTest, LinkDownShowsNotApplicableWhateverTheMedia) {
    for (uint16_t media : {0, 1, 7}) {
        const LinkLook look = DescribeLink(kLinkDown, media);
        EXPECT_STREQ(L"Link Down", look.link.text);
        EXPECT_EQ(kImageLinkDown, look.link.image);
        EXPECT_STREQ(L"n/a", look.speed.text);
        EXPECT_STREQ(L"n/a", look.type.text);
        EXPECT_EQ(kImageNotApplicable, look.speed.image);
        EXPECT_EQ(kImageNotApplicable, look.type.image);
    }
}

TEST(DescribeLinkTest, SpeedsByTheApiCodes) {
    const struct {
        uint16_t code;
        const wchar_t* speed;
        int image;
    } cases[] = {{0, L"10M Half", kImage10M},      {1, L"10M Full", kImage10M},     {2, L"100M Half", kImage100M},
                 {3, L"100M Full", kImage100M},    {8, L"1000M Half", kImage1000M}, {9, L"1000M Full", kImage1000M},
                 {11, L"1000M Full", kImage1000M}, {13, L"10G Full", kImage10G},    {15, L"2.5G Full", kImage10G},
                 {17, L"5G Full", kImage10G}};
    for (const auto& c : cases) {
        const LinkLook look = DescribeLink(c.code, 0);
        EXPECT_STREQ(L"Link Up", look.link.text);
        EXPECT_STREQ(c.speed, look.speed.text) << c.code;
        EXPECT_EQ(c.image, look.speed.image) << c.code;
        EXPECT_STREQ(L"Copper", look.type.text);
    }
}

TEST(DescribeLinkTest, UnknownCodeIsUpAndLeavesTheSpeedRow) {
    const LinkLook look = DescribeLink(4, 1);
    EXPECT_STREQ(L"Link Up", look.link.text);
    EXPECT_EQ(nullptr, look.speed.text);
    EXPECT_STREQ(L"Fiber", look.type.text);
    EXPECT_EQ(kImageFiber, look.type.image);
}

TEST(DemoValuesTest, TotalsFollowTheirPartsAndErrorsStayZero) {
    DisplayRecord a{}, b{};
    a[12] = b[13] = 5;  // a stale error count goes
    std::mt19937 generator(7);
    for (int tick = 0; tick < 5; ++tick) {
        AdvanceDemoValues(a, b, [&generator] { return static_cast<uint32_t>(generator()); });
        for (const DisplayRecord* r : {&a, &b}) {
            const DisplayRecord& v = *r;
            // Every frame size class counted by its own byte size; Rx packets are the L2 kinds.
            EXPECT_EQ(v[25] + v[26] + v[27], v[kRxPacketRow]);
            EXPECT_EQ(64 * v[17] + 128 * v[18] + 256 * v[19] + 512 * v[20] + 1023 * v[21] + 1522 * v[22],
                      v[kRxByteRow]);
            EXPECT_EQ(128 * v[kTxPacketRow], v[kTxByteRow]);
            for (int row : {12, 13, 14, 16, 23, 28, 29, 32}) EXPECT_EQ(0u, v[row]) << row;
            EXPECT_GE(v[kRxLineRateRow], 9u);
            EXPECT_LE(v[kRxLineRateRow], 18u);
            EXPECT_GE(v[kTxPacketRateRow], 10000u);
            EXPECT_LT(v[kTxPacketRateRow], 11000u);
        }
    }
    EXPECT_NE(a, b) << "each port draws its own values";
}

}  // namespace
