// The serial flash commands: one SPI transaction each, with the erase polling and the page
// program's write-enable retries.

#include "connection/DeviceState.h"
#include "runtime/PumpWait.h"
#include "serialflash/FlashLayer.h"
#include "serialflash/FlashOutput.h"

namespace capi {
namespace {

using spiflash::Direction;
using spiflash::EraseStatus;
using spiflash::kErasePolls;
using spiflash::kPageProgramPauseMs;
using spiflash::kPageWriteEnableFailures;
using spiflash::kSectorErasePollMs;
using spiflash::kWriteEnableRetryMs;

constexpr int kChipEraseWriteEnableTries = 1000;

}  // namespace

FlashLayer& FlashLayer::Instance() {
    static FlashLayer layer;
    return layer;
}

bool FlashLayer::Init() {
    open_ = false;
    if (!WmiConnect() || !ResetGpio()) return false;
    if (!SpiSetInterface(true, false, false, spiflash::kSpiMode, spiflash::kSpiClock)) {
        ShowFlashBox("Set SPI Interface fail!", "Error");
        return false;
    }
    open_ = true;
    return true;
}

bool FlashLayer::ResetGpio() {
    gpio_ = spiflash::kGpioRaised;
    return WmiSetGpioValue(&gpio_);
}

bool FlashLayer::Shutdown() {
    gpio_ = 0;
    if (!WmiSetGpioValue(&gpio_)) return false;
    if (!SpiSetInterface(false, false, false, 0, 0)) return false;
    WmiDisconnect();
    open_ = false;
    return true;
}

bool FlashLayer::WriteEnable() {
    const uint8_t command = spiflash::kOpWriteEnable;
    return SpiTransact(Direction::Write, &command, 1, nullptr, 0);
}

bool FlashLayer::WriteDisable() {
    const uint8_t command = spiflash::kOpWriteDisable;
    return SpiTransact(Direction::Write, &command, 1, nullptr, 0);
}

bool FlashLayer::ReadStatus(uint8_t* status) {
    const uint8_t command = spiflash::kOpReadStatus;
    return SpiTransact(Direction::Read, &command, 1, status, 1);
}

bool FlashLayer::WriteStatus(const uint8_t* status) {
    if (!WriteEnable()) return false;
    const uint8_t command = spiflash::kOpWriteStatus;
    uint8_t value = *status;
    return SpiTransact(Direction::Write, &command, 1, &value, 1);
}

bool FlashLayer::ReadId(uint8_t* manufacturer, uint8_t* memoryType, uint8_t* capacity) {
    const uint8_t command = spiflash::kOpReadId;
    uint8_t id[3] = {};
    if (!SpiTransact(Direction::Read, &command, 1, id, 3)) return false;
    *manufacturer = id[0];
    *memoryType = id[1];
    *capacity = id[2];
    return true;
}

bool FlashLayer::SectorErase(uint8_t sector) {
    if (!WriteEnable()) return false;
    const auto command = spiflash::SectorEraseCommand(sector);
    if (!SpiTransact(Direction::Write, command.data(), uint32_t(command.size()), nullptr, 0)) return false;
    return spiflash::PollEraseStatus([this](uint8_t* status) { return ReadStatus(status); },
                                     [] { PumpWait(kSectorErasePollMs); });
}

// The chip erase insists on its write enable and then polls back to back; a status of 3 is not a
// failure here, only one more busy reading.
bool FlashLayer::ChipErase() {
    int tries = 0;
    while (!WriteEnable())
        if (++tries == kChipEraseWriteEnableTries) return false;
    const uint8_t command = spiflash::kOpChipErase;
    if (!SpiTransact(Direction::Write, &command, 1, nullptr, 0)) return false;
    for (int poll = 0; poll < kErasePolls; ++poll) {
        uint8_t status = 0;
        if (!ReadStatus(&status)) return false;
        if (spiflash::InterpretEraseStatus(status) == EraseStatus::Finished) return true;
    }
    return false;
}

bool FlashLayer::Read(uint8_t* buffer, uint32_t address, uint16_t length) {
    const auto command = spiflash::ReadCommand(address & 0xFFFFFF);
    return SpiTransact(Direction::Read, command.data(), uint32_t(command.size()), buffer, length);
}

bool FlashLayer::FastRead(uint8_t* buffer, uint32_t address, uint16_t length) {
    const auto command = spiflash::FastReadCommand(address & 0xFFFFFF);
    return SpiTransact(Direction::Read, command.data(), uint32_t(command.size()), buffer, length);
}

// Programming is not followed by a status poll: the pause before the next write enable covers the
// page's busy time.
bool FlashLayer::PageProgram(uint16_t page, const uint8_t* data, uint16_t length) {
    if (page >= spiflash::kPageCount) return false;
    if (length > spiflash::kPageSize) length = spiflash::kPageSize;
    const auto command = spiflash::PageProgramCommand(page);
    int failures = 0;
    while (!WriteEnable()) {
        PumpWait(kWriteEnableRetryMs);
        if (++failures == kPageWriteEnableFailures || DeviceLost()) return false;
    }
    PumpWait(kPageProgramPauseMs);
    if (DeviceLost()) return false;
    if (!SpiTransact(Direction::Write, command.data(), uint32_t(command.size()), const_cast<uint8_t*>(data), length))
        return false;
    PumpWait(kPageProgramPauseMs);
    return true;
}

}  // namespace capi
