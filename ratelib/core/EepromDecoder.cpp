#include "EepromDecoder.h"

#include <algorithm>
#include <cstring>

namespace sorvane {

namespace {

// Image offsets of the information block.
constexpr std::size_t kModelNameAt = 32;
constexpr std::size_t kWord1At = 48;
constexpr std::size_t kWord2At = 50;
constexpr std::size_t kNumber48At = 52;
constexpr std::size_t kLayoutVersionAt = 64;
constexpr std::size_t kIdentityTextAt = 76;
constexpr std::size_t kShortTextAt = 96;
constexpr std::size_t kRawId6At = 128;
constexpr std::size_t kRawId4At = 134;
constexpr std::size_t kWordTableAt = 138;
constexpr std::size_t kDateWordAt = 176;
constexpr std::size_t kWord3At = 180;
constexpr std::size_t kValue32At = 192;

constexpr std::size_t kShortTextBytes = 12;
constexpr unsigned kFirstYear = 2009;

std::uint64_t ReadBigEndian(const EepromImage& image, std::size_t offset, std::size_t bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
        value = value << 8 | image[offset + i];
    }
    return value;
}

std::uint16_t ReadWord(const EepromImage& image, std::size_t offset) {
    return static_cast<std::uint16_t>(ReadBigEndian(image, offset, 2));
}

// Looks at up to `length` bytes, stops at the first zero byte and fails on any byte above 127.
bool IsAsciiText(const char* text, std::size_t length) {
    const char* end = std::find(text, text + length, '\0');
    return std::all_of(text, end, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Layouts "0.16" and "0.17" give the year seven bits, the older ones four.
bool HasWideYear(const EepromImage& image) {
    const char* version = reinterpret_cast<const char*>(image.data() + kLayoutVersionAt);
    return std::memcmp(version, "0.16", 4) == 0 || std::memcmp(version, "0.17", 4) == 0;
}

bool IsLeapYear(unsigned year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

}  // namespace

std::uint16_t ExtractBits(std::uint16_t word, unsigned low, unsigned high) {
    if (low > 15 || high > 15 || high < low) {
        return 0;
    }
    const unsigned width = high - low + 1;
    return static_cast<std::uint16_t>((word >> low) & ((1u << width) - 1));
}

bool IsCalendarDate(unsigned year, unsigned month, unsigned day) {
    static constexpr unsigned kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1) {
        return false;
    }
    const unsigned lastDay = kDaysInMonth[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
    return day <= lastDay;
}

bool DecodeEepromInfo(const EepromImage& image, EepromInfoRecord& record) {
    record = EepromInfoRecord{};

    std::memcpy(record.modelName, image.data() + kModelNameAt, sizeof record.modelName);
    if (!IsAsciiText(record.modelName, sizeof record.modelName - 1)) {
        return false;
    }
    std::memcpy(record.identityText, image.data() + kIdentityTextAt, sizeof record.identityText);
    if (!IsAsciiText(record.identityText, sizeof record.identityText - 1)) {
        return false;
    }
    std::memcpy(record.rawId6, image.data() + kRawId6At, sizeof record.rawId6);
    std::memcpy(record.rawId4, image.data() + kRawId4At, sizeof record.rawId4);
    for (std::size_t i = 0; i < sizeof record.wordTable / sizeof record.wordTable[0]; ++i) {
        record.wordTable[i] = ReadWord(image, kWordTableAt + 2 * i);
    }
    record.word1 = ReadWord(image, kWord1At);
    record.word2 = ReadWord(image, kWord2At);
    record.number48 = ReadBigEndian(image, kNumber48At, 6);

    std::memcpy(record.shortText, image.data() + kShortTextAt, kShortTextBytes);
    if (!IsAsciiText(record.shortText, kShortTextBytes)) {
        return false;
    }
    record.word3 = ReadWord(image, kWord3At);
    record.value32 = static_cast<std::uint32_t>(ReadBigEndian(image, kValue32At, 4));

    const std::uint16_t dateWord = ReadWord(image, kDateWordAt);
    if (dateWord == 0) {
        return true;
    }
    record.dateYear = static_cast<std::uint16_t>(kFirstYear + ExtractBits(dateWord, 9, HasWideYear(image) ? 15 : 12));
    record.dateMonth = static_cast<std::uint8_t>(ExtractBits(dateWord, 5, 8));
    record.dateDay = static_cast<std::uint8_t>(ExtractBits(dateWord, 0, 4));
    return IsCalendarDate(record.dateYear, record.dateMonth, record.dateDay);
}

}  // namespace sorvane
