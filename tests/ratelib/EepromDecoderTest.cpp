#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "core/EepromDecoder.h"

namespace sorvane {
namespace {

// An information block as the tester stores it: texts in place, numbers big-endian.
class ImageBuilder {
public:
    ImageBuilder() {
        image_.fill(0);
        Text(32, "Brevix-A").Text(64, "0.17").Text(76, "ID-0001").Text(96, "SHORT-TEXT");
    }

    ImageBuilder& Text(std::size_t offset, const char* text) {
        std::memcpy(image_.data() + offset, text, std::strlen(text));
        return *this;
    }

    ImageBuilder& Number(std::size_t offset, std::uint64_t value, std::size_t bytes) {
        for (std::size_t i = 0; i < bytes; ++i) {
            image_[offset + i] = static_cast<std::uint8_t>(value >> (8 * (bytes - 1 - i)));
        }
        return *this;
    }

    const EepromImage& Image() const { return image_; }

private:
    EepromImage image_;
};

EepromImage NumberedImage() {
    ImageBuilder builder;
    for (std::size_t i = 128; i < 154; ++i) {
        builder.Number(i, i, 1);
    }
    return builder.Number(48, 0x1234, 2).Number(50, 0xABCD, 2).Number(52, 0x010203040506, 6)
        .Number(180, 0xBEEF, 2).Number(192, 0xDEADBEEF, 4).Text(96, "ABCDEFGHIJKLMNOP").Image();
}

TEST(EepromDecoder, DecodesEveryFieldIntoHostOrder) {
    EepromInfoRecord record;
    ASSERT_TRUE(DecodeEepromInfo(NumberedImage(), record));
    EXPECT_STREQ(record.modelName, "Brevix-A");
    EXPECT_STREQ(record.identityText, "ID-0001");
    EXPECT_STREQ(record.shortText, "ABCDEFGHIJKL");
    const std::uint8_t rawIds[] = {128, 129, 130, 131, 132, 133, 134, 135, 136, 137};
    EXPECT_EQ(std::memcmp(record.rawId6, rawIds, 6), 0);
    EXPECT_EQ(std::memcmp(record.rawId4, rawIds + 6, 4), 0);
    EXPECT_EQ(record.wordTable[0], 0x8A8B);
    EXPECT_EQ(record.wordTable[7], 0x9899);
    EXPECT_EQ(record.word1, 0x1234);
    EXPECT_EQ(record.word2, 0xABCD);
    EXPECT_EQ(record.number48, 0x010203040506u);
    EXPECT_EQ(record.word3, 0xBEEF);
    EXPECT_EQ(record.value32, 0xDEADBEEFu);
}

TEST(EepromDecoder, TextsMustBeAsciiUpToTheFirstZeroWithinTheirTestedBytes) {
    const struct { const char* name; std::size_t zeroAt, highByteAt; bool decodes; } cases[] = {
        {"ModelNameFirstByte", 0, 32, false},
        {"ModelNameFifteenthByte", 0, 46, false},
        {"ModelNameSixteenthByteIsNotTested", 0, 47, true},
        {"ModelNameAfterItsZero", 40, 44, true},
        {"IdentityTextNineteenthByte", 0, 94, false},
        {"IdentityTextTwentiethByteIsNotTested", 0, 95, true},
        {"ShortTextTwelfthByte", 0, 107, false},
        {"ShortTextAfterItsZero", 100, 105, true},
    };
    for (const auto& c : cases) {
        ImageBuilder builder;
        builder.Text(32, "ABCDEFGHIJKLMNOP").Text(76, "ABCDEFGHIJKLMNOPQRST").Text(96, "ABCDEFGHIJKL");
        builder.Number(c.highByteAt, 0xE9, 1);
        if (c.zeroAt != 0) {
            builder.Number(c.zeroAt, 0, 1);
        }
        EepromInfoRecord record;
        EXPECT_EQ(DecodeEepromInfo(builder.Image(), record), c.decodes) << c.name;
    }
}

TEST(EepromDecoder, FailureKeepsTheFieldsDecodedBeforeItAndClearsTheRest) {
    EepromImage image = NumberedImage();
    image[96] = 0xE9;
    EepromInfoRecord record;
    std::memset(&record, 0xAA, sizeof record);
    EXPECT_FALSE(DecodeEepromInfo(image, record));
    EXPECT_STREQ(record.modelName, "Brevix-A");
    EXPECT_STREQ(record.identityText, "ID-0001");
    EXPECT_EQ(record.number48, 0x010203040506u);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&record);
    for (std::size_t i = offsetof(EepromInfoRecord, word3); i < sizeof record; ++i) {
        EXPECT_EQ(bytes[i], 0) << "record byte " << i;
    }
}

TEST(EepromDecoder, DateDecodesByLayoutAndMustBeOnTheCalendar) {
    const auto word = [](unsigned yearBits, unsigned month, unsigned day) { return yearBits << 9 | month << 5 | day; };
    const struct { const char* name; const char* layout; unsigned dateWord; bool decodes; unsigned year, month, day; }
        cases[] = {
            {"NoDate", "0.17", 0, true, 0, 0, 0},
            {"WideYearLayout017", "0.17", 0x2A65, true, 2030, 3, 5},
            {"WideYearLayout016", "0.16", 0x2A65, true, 2030, 3, 5},
            {"NarrowYearOtherLayouts", "0.15", 0x2A65, true, 2014, 3, 5},
            {"MonthZero", "0.17", word(5, 0, 1), false, 2014, 0, 1},
            {"MonthThirteen", "0.17", word(5, 13, 1), false, 2014, 13, 1},
            {"DayZero", "0.17", word(5, 1, 0), false, 2014, 1, 0},
            {"ThirtyFirstOfApril", "0.17", word(5, 4, 31), false, 2014, 4, 31},
            {"ThirtyFirstOfDecember", "0.17", word(5, 12, 31), true, 2014, 12, 31},
            {"LeapDayOfALeapYear", "0.17", word(3, 2, 29), true, 2012, 2, 29},
            {"LeapDayOfACommonYear", "0.17", word(5, 2, 29), false, 2014, 2, 29},
            {"LeapDayOfACenturyYear", "0.17", word(91, 2, 29), false, 2100, 2, 29},
        };
    for (const auto& c : cases) {
        EepromInfoRecord record;
        EXPECT_EQ(DecodeEepromInfo(ImageBuilder().Text(64, c.layout).Number(176, c.dateWord, 2).Image(), record),
                  c.decodes)
            << c.name;
        EXPECT_EQ(record.dateYear, c.year) << c.name;
        EXPECT_EQ(record.dateMonth, c.month) << c.name;
        EXPECT_EQ(record.dateDay, c.day) << c.name;
    }
}

TEST(ExtractBits, RejectsBoundsOutsideTheWord) {
    EXPECT_EQ(ExtractBits(0xFFFF, 0, 15), 0xFFFF);
    EXPECT_EQ(ExtractBits(0x2A65, 9, 15), 21);
    EXPECT_EQ(ExtractBits(0xFFFF, 0, 16), 0);
    EXPECT_EQ(ExtractBits(0xFFFF, 5, 4), 0);
}

}  // namespace
}  // namespace sorvane
