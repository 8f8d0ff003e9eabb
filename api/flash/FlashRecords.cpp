#include "FlashRecords.h"

#include <cstring>

namespace spiflash {
namespace {

void PutLittle32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = uint8_t(value >> (8 * i));
}

}  // namespace

SpiConfig MakeSpiConfig(bool enable, bool flagA, bool flagB, uint8_t mode, uint8_t clock) {
    if (!enable) return SpiConfig{};
    return SpiConfig{uint8_t(0xF0 | (flagA ? 0x01 : 0) | (flagB ? 0x08 : 0) | mode), clock, 0, 1, 1};
}

size_t BuildCommandBlock(Direction direction, const uint8_t* command, uint32_t commandLength, const uint8_t* data,
                         uint32_t dataLength, CommandBlock* block) {
    const bool write = direction == Direction::Write;
    const size_t carried = size_t(commandLength) + (write ? dataLength : 0);
    if (carried > kCommandBlockSize - kCommandBlockHeader) return 0;
    block->fill(0);
    uint8_t* b = block->data();
    PutLittle32(b + 0, uint32_t(direction));
    PutLittle32(b + 4, 0);
    PutLittle32(b + 8, commandLength);
    PutLittle32(b + 12, write ? commandLength : 0);
    PutLittle32(b + 16, dataLength);
    PutLittle32(b + 20, 0);
    std::memcpy(b + kCommandBlockHeader, command, commandLength);
    if (write && dataLength) std::memcpy(b + kCommandBlockHeader + commandLength, data, dataLength);
    const size_t length = kCommandBlockHeader + carried;
    return length < kCommandBlockMinimum ? kCommandBlockMinimum : length;
}

std::array<uint8_t, 4> ReadCommand(uint32_t address) {
    return {kOpRead, uint8_t(address >> 16), uint8_t(address >> 8), uint8_t(address)};
}

std::array<uint8_t, 5> FastReadCommand(uint32_t address) {
    return {kOpFastRead, uint8_t(address >> 16), uint8_t(address >> 8), uint8_t(address), 0};
}

std::array<uint8_t, 4> PageProgramCommand(uint16_t page) {
    return {kOpPageProgram, uint8_t(page >> 8), uint8_t(page), 0};
}

std::array<uint8_t, 4> SectorEraseCommand(uint8_t sector) { return {kOpSectorErase, sector, 0, 0}; }

EraseStatus InterpretEraseStatus(uint8_t status) {
    if (status == 0 || status == 4) return EraseStatus::Finished;
    if (status == 3) return EraseStatus::Failed;
    return EraseStatus::Busy;
}

bool PollEraseStatus(const std::function<bool(uint8_t* status)>& readStatus, const std::function<void()>& pause) {
    for (int poll = 0; poll < kErasePolls; ++poll) {
        uint8_t status = 0;
        if (!readStatus(&status)) return false;
        switch (InterpretEraseStatus(status)) {
        case EraseStatus::Finished:
            return true;
        case EraseStatus::Failed:
            return false;
        case EraseStatus::Busy:
            pause();
            break;
        }
    }
    return false;
}

}  // namespace spiflash
