// The SPI configuration record and command blocks, byte for byte.

#include "FlashRecords.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Built(spiflash::Direction direction, const Bytes& command, const Bytes& data, uint32_t dataLength) {
    spiflash::CommandBlock block;
    const size_t length = spiflash::BuildCommandBlock(direction, command.data(), uint32_t(command.size()),
                                                      data.data(), dataLength, &block);
    return Bytes(block.begin(), block.begin() + length);
}

TEST(SpiConfigRecord, OnAndOff) {
    EXPECT_EQ(spiflash::MakeSpiConfig(true, false, false, 6, 14), (spiflash::SpiConfig{0xF6, 0x0E, 0x00, 0x01, 0x01}));
    EXPECT_EQ(spiflash::MakeSpiConfig(true, true, true, 2, 3), (spiflash::SpiConfig{0xFB, 0x03, 0x00, 0x01, 0x01}));
    EXPECT_EQ(spiflash::MakeSpiConfig(false, true, true, 6, 14), (spiflash::SpiConfig{}));
}

TEST(SpiCommandBlock, OneByteReadIsPaddedToTwentyEight) {
    const Bytes block = Built(spiflash::Direction::Read, {0x05}, {}, 1);
    const Bytes expected = {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0x05, 0, 0, 0};
    EXPECT_EQ(block, expected);
}

TEST(SpiCommandBlock, WriteCarriesTheDataBehindTheCommand) {
    Bytes data(256);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i);
    const auto command = spiflash::PageProgramCommand(0x1234);
    const Bytes block = Built(spiflash::Direction::Write, Bytes(command.begin(), command.end()), data, 256);
    ASSERT_EQ(block.size(), 24u + 4 + 256);
    const Bytes header = {1, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 4, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 24), header);
    EXPECT_EQ(Bytes(block.begin() + 24, block.begin() + 28), (Bytes{0x02, 0x12, 0x34, 0x00}));
    EXPECT_EQ(Bytes(block.begin() + 28, block.end()), data);
}

TEST(SpiCommandBlock, EmptyPageProgramIsHeaderAndCommand) {
    const auto command = spiflash::PageProgramCommand(7);
    EXPECT_EQ(Built(spiflash::Direction::Write, Bytes(command.begin(), command.end()), {}, 0).size(), 28u);
}

TEST(SpiCommandBlock, TooMuchForTheBlockIsRefused) {
    const Bytes data(485);
    EXPECT_TRUE(Built(spiflash::Direction::Write, {1, 2, 3}, data, 485).size() == 512u);
    EXPECT_TRUE(Built(spiflash::Direction::Write, {1, 2, 3, 4}, data, 485).empty());
}

TEST(FlashCommandBytes, AddressesGoMostSignificantFirst) {
    EXPECT_EQ(spiflash::ReadCommand(0x0A0B0C), (std::array<uint8_t, 4>{0x03, 0x0A, 0x0B, 0x0C}));
    EXPECT_EQ(spiflash::FastReadCommand(0x1FFFFF), (std::array<uint8_t, 5>{0x0B, 0x1F, 0xFF, 0xFF, 0x00}));
    EXPECT_EQ(spiflash::SectorEraseCommand(31), (std::array<uint8_t, 4>{0xD8, 31, 0, 0}));
}

TEST(FlashEraseStatus, MeaningsOfTheStatusByte) {
    using spiflash::EraseStatus;
    const struct {
        uint8_t status;
        EraseStatus meaning;
    } cases[] = {{0, EraseStatus::Finished}, {4, EraseStatus::Finished}, {3, EraseStatus::Failed},
                 {1, EraseStatus::Busy},     {2, EraseStatus::Busy},     {0xFF, EraseStatus::Busy}};
    for (const auto& c : cases) EXPECT_EQ(spiflash::InterpretEraseStatus(c.status), c.meaning) << int(c.status);
}

TEST(FlashEraseStatus, PollingEndsOnTheFirstFinalReadingAndPausesAfterEachBusyOne) {
    // Readings the status register gives, in turn; -1 is a failed read. Past the end it stays busy.
    const struct {
        const char* name;
        std::vector<int> readings;
        bool finished;
        size_t reads;
        size_t pauses;
    } cases[] = {
        {"finished at once", {0}, true, 1, 0},
        {"finished after two busy readings", {1, 0xFF, 4}, true, 3, 2},
        {"failed after a busy reading", {1, 3}, false, 2, 1},
        {"a failed read ends it", {1, -1, 0}, false, 2, 1},
        {"a thousand busy readings are all it waits", {}, false, 1000, 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        size_t reads = 0, pauses = 0;
        const bool finished = spiflash::PollEraseStatus(
            [&](uint8_t* status) {
                const int reading = reads < c.readings.size() ? c.readings[reads] : 1;
                ++reads;
                if (reading < 0) return false;
                *status = uint8_t(reading);
                return true;
            },
            [&] { ++pauses; });
        EXPECT_EQ(finished, c.finished);
        EXPECT_EQ(reads, c.reads);
        EXPECT_EQ(pauses, c.pauses);
    }
}

}  // namespace
