#include "FlashCommands.h"

namespace win7 {
namespace {

using spiflash::Direction;
using spiflash::kGpioRaised;
using spiflash::kPageProgramPauseMs;
using spiflash::kPageWriteEnableFailures;
using spiflash::kSectorErasePollMs;
using spiflash::kWriteEnableRetryMs;

constexpr uint32_t kChipErasePollMs = 100;
constexpr uint32_t kReadPauseMs = 20;

}  // namespace

FlashCommands& FlashCommands::Instance() {
    static FlashCommands* const layer = new FlashCommands(SystemClock());
    return *layer;
}

bool FlashCommands::Init(bool sharedCom) {
    if (!(sharedCom ? transport_.WmiConnectShared() : transport_.WmiConnect())) return false;
    ResetGpio();
    if (!transport_.SpiSetInterface(true, false, false, spiflash::kSpiMode, spiflash::kSpiClock)) {
        transport_.WmiDisconnect();
        return false;
    }
    return true;
}

bool FlashCommands::Shutdown() {
    if (!transport_.SpiSetInterface(false, false, false, 0, 0)) return false;
    transport_.WmiDisconnect();
    return true;
}

// A GPIO write that did not reach the driver goes unnoticed: the SPI switch that follows it at
// initialisation is what tells whether the driver answers.
bool FlashCommands::ResetGpio() {
    gpio_ = kGpioRaised;
    transport_.WmiSetGpioValue(&gpio_);
    return true;
}

bool FlashCommands::WriteEnable() {
    const uint8_t command = spiflash::kOpWriteEnable;
    return transport_.SpiTransact(Direction::Write, &command, 1, nullptr, 0);
}

bool FlashCommands::WriteDisable() {
    const uint8_t command = spiflash::kOpWriteDisable;
    return transport_.SpiTransact(Direction::Write, &command, 1, nullptr, 0);
}

bool FlashCommands::ReadStatus(uint8_t* status) {
    const uint8_t command = spiflash::kOpReadStatus;
    return transport_.SpiTransact(Direction::Read, &command, 1, status, 1);
}

bool FlashCommands::WriteStatus(const uint8_t* status) {
    if (!WriteEnable()) return false;
    const uint8_t command = spiflash::kOpWriteStatus;
    uint8_t value = *status;
    return transport_.SpiTransact(Direction::Write, &command, 1, &value, 1);
}

bool FlashCommands::ReadId(uint8_t* manufacturer, uint8_t* memoryType, uint8_t* capacity) {
    const uint8_t command = spiflash::kOpReadId;
    uint8_t id[3] = {};
    if (!transport_.SpiTransact(Direction::Read, &command, 1, id, 3)) return false;
    *manufacturer = id[0];
    *memoryType = id[1];
    *capacity = id[2];
    return true;
}

bool FlashCommands::FastRead(uint8_t* buffer, uint32_t address, uint16_t length) {
    const auto command = spiflash::FastReadCommand(address & 0xFFFFFF);
    return transport_.SpiTransact(Direction::Read, command.data(), uint32_t(command.size()), buffer, length);
}

// A plain read addresses a page: 03, page bits 15-8, 7-0, 0.
bool FlashCommands::ReadPage(uint8_t* buffer, uint16_t page, uint16_t length) {
    clock_.WaitMs(kReadPauseMs);
    const auto command = spiflash::ReadCommand(uint32_t(page) * spiflash::kPageSize);
    return transport_.SpiTransact(Direction::Read, command.data(), uint32_t(command.size()), buffer, length);
}

// Programming is not followed by a status poll: the pause before the next write enable covers the
// page's busy time.
bool FlashCommands::PageProgram(uint16_t page, const uint8_t* data, uint16_t length) {
    if (page >= spiflash::kPageCount) return false;
    if (length > spiflash::kPageSize) length = spiflash::kPageSize;
    const auto command = spiflash::PageProgramCommand(page);
    for (int failures = 0; !WriteEnable();) {
        // Retries help a busy chip, not an adapter that is gone: each would only fail again.
        if (++failures == kPageWriteEnableFailures || transport_.DriverGone()) return false;
        clock_.WaitMs(kWriteEnableRetryMs);
    }
    clock_.WaitMs(kPageProgramPauseMs);
    if (!transport_.SpiTransact(Direction::Write, command.data(), uint32_t(command.size()), const_cast<uint8_t*>(data),
                                length))
        return false;
    clock_.WaitMs(kPageProgramPauseMs);
    return true;
}

bool FlashCommands::SectorErase(uint8_t sector) {
    if (!WriteEnable()) return false;
    const auto command = spiflash::SectorEraseCommand(sector);
    if (!transport_.SpiTransact(Direction::Write, command.data(), uint32_t(command.size()), nullptr, 0)) return false;
    return PollErase(kSectorErasePollMs);
}

bool FlashCommands::ChipErase() {
    if (!WriteEnable()) return false;
    const uint8_t command = spiflash::kOpChipErase;
    if (!transport_.SpiTransact(Direction::Write, &command, 1, nullptr, 0)) return false;
    return PollErase(kChipErasePollMs);
}

bool FlashCommands::PollErase(uint32_t pauseMs) {
    return spiflash::PollEraseStatus([this](uint8_t* status) { return ReadStatus(status); },
                                     [this, pauseMs] { clock_.WaitMs(pauseMs); });
}

}  // namespace win7
