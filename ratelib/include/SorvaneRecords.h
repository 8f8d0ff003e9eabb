// Records that Sorvane's exports read and write. They cross the DLL boundary as caller-owned
// buffers, so every one is packed and keeps its size and offsets on every compiler.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

// One stream of a port's schedule. In one cycle the stream sends burstFrames frames separated by
// ifgBits and follows its last frame with tailGapBits.
struct StreamRateEntry {
    double lineRateMbps;      // 20 bytes of overhead per frame counted
    double utilization;       // line rate as percent of the port speed
    std::uint32_t pps;
    std::uint32_t frameLength;  // bytes, 52..16304
    std::uint64_t ifgBits;
    std::uint64_t tailGapBits;
    std::uint32_t burstFrames;
};

constexpr std::uint16_t kMaxStreams = 512;

// Callers may pass a shorter buffer holding only `count` entries; nothing beyond them is touched.
struct StreamRateTable {
    std::uint16_t count;
    StreamRateEntry entries[kMaxStreams];
};

// The tester's EEPROM information block decoded into host byte order.
struct EepromInfoRecord {
    char modelName[16];
    char identityText[20];
    std::uint8_t rawId6[6];
    std::uint8_t rawId4[4];
    std::uint16_t wordTable[8];
    std::uint16_t word1;
    std::uint16_t word2;
    std::uint64_t number48;
    char shortText[13];
    std::uint16_t word3;
    std::uint32_t value32;
    std::uint16_t dateYear;
    std::uint8_t dateMonth;
    std::uint8_t dateDay;
    std::uint8_t reserved[26];
};

#pragma pack(pop)

constexpr std::size_t kEepromImageSize = 256;

static_assert(sizeof(StreamRateEntry) == 44);
static_assert(offsetof(StreamRateEntry, lineRateMbps) == 0);
static_assert(offsetof(StreamRateEntry, utilization) == 8);
static_assert(offsetof(StreamRateEntry, pps) == 16);
static_assert(offsetof(StreamRateEntry, frameLength) == 20);
static_assert(offsetof(StreamRateEntry, ifgBits) == 24);
static_assert(offsetof(StreamRateEntry, tailGapBits) == 32);
static_assert(offsetof(StreamRateEntry, burstFrames) == 40);

static_assert(sizeof(StreamRateTable) == 22530);
static_assert(offsetof(StreamRateTable, entries) == 2);

static_assert(sizeof(EepromInfoRecord) == 123);
static_assert(offsetof(EepromInfoRecord, modelName) == 0);
static_assert(offsetof(EepromInfoRecord, identityText) == 16);
static_assert(offsetof(EepromInfoRecord, rawId6) == 36);
static_assert(offsetof(EepromInfoRecord, rawId4) == 42);
static_assert(offsetof(EepromInfoRecord, wordTable) == 46);
static_assert(offsetof(EepromInfoRecord, word1) == 62);
static_assert(offsetof(EepromInfoRecord, word2) == 64);
static_assert(offsetof(EepromInfoRecord, number48) == 66);
static_assert(offsetof(EepromInfoRecord, shortText) == 74);
static_assert(offsetof(EepromInfoRecord, word3) == 87);
static_assert(offsetof(EepromInfoRecord, value32) == 89);
static_assert(offsetof(EepromInfoRecord, dateYear) == 93);
static_assert(offsetof(EepromInfoRecord, dateMonth) == 95);
static_assert(offsetof(EepromInfoRecord, dateDay) == 96);
static_assert(offsetof(EepromInfoRecord, reserved) == 97);
