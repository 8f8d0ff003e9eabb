#pragma once
// The serial flash's command set and the two records the USB-Ethernet chip's driver takes for it:
// the SPI interface configuration and the SPI command block. BrevixCAPI sends them through the
// driver's I/O controls and BrevixT_WIN7 through its WMI classes; both build them here.
//
// The flash is 2 MiB: 8192 pages of 256 bytes, 32 sectors of 64 KiB. Addresses go out most
// significant byte first; pages are addressed by their 16-bit number, sectors by their 8-bit one.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace spiflash {

constexpr uint32_t kPageSize = 256;
constexpr uint32_t kPageCount = 8192;
constexpr uint32_t kFlashSize = kPageSize * kPageCount;
constexpr uint32_t kSectorSize = 64 * 1024;

enum Opcode : uint8_t {
    kOpWriteStatus = 0x01,
    kOpPageProgram = 0x02,
    kOpRead = 0x03,
    kOpWriteDisable = 0x04,
    kOpReadStatus = 0x05,
    kOpWriteEnable = 0x06,
    kOpFastRead = 0x0B,
    kOpReadId = 0x9F,
    kOpChipErase = 0xC7,
    kOpSectorErase = 0xD8,
};

// The command layers' bounds and pauses, the same whichever transport carries the commands.
constexpr uint32_t kGpioRaised = 15;          // the GPIO word that raises lines 0-3
constexpr int kErasePolls = 1000;             // status reads an erase may take before it is given up
constexpr uint32_t kSectorErasePollMs = 10;   // between two status reads of a sector erase
constexpr int kPageWriteEnableFailures = 20;  // failed write enables before a page program gives up
constexpr uint32_t kWriteEnableRetryMs = 5;   // between a page program's write-enable tries
constexpr uint32_t kPageProgramPauseMs = 1;   // before and after a page's program transaction

// Write: the command and the data go to the flash. Read: the command goes out, data comes back.
enum class Direction : uint8_t { Read = 0, Write = 1 };

// SpiConfig, 5 bytes: byte 0 = 0xF0 | flag A (0x01) | flag B (0x08) | mode, byte 1 = clock, then
// 0, 1, 1; all zero switches the SPI master off.
using SpiConfig = std::array<uint8_t, 5>;
static_assert(sizeof(SpiConfig) == 5, "SpiConfig is five bytes");
SpiConfig MakeSpiConfig(bool enable, bool flagA, bool flagB, uint8_t mode, uint8_t clock);
// What the libraries always switch on with: flags clear, mode 6, clock 14 (F6 0E 00 01 01).
constexpr uint8_t kSpiMode = 6;
constexpr uint8_t kSpiClock = 14;

// SpiCommandBlock: six little-endian words (direction, command offset 0, command length, data
// offset = command length for a write or 0 for a read, data length, 0), the command bytes, and
// for a write the data bytes, in a zero-filled buffer of 512 bytes. The driver is handed
// 24 + command length (+ data length for a write) bytes, at least 28.
constexpr size_t kCommandBlockSize = 512;
constexpr size_t kCommandBlockHeader = 24;
constexpr size_t kCommandBlockMinimum = 28;
using CommandBlock = std::array<uint8_t, kCommandBlockSize>;

// Builds a block; returns the length to hand over, or 0 when the command and the written data do
// not fit behind the header (488 bytes).
size_t BuildCommandBlock(Direction direction, const uint8_t* command, uint32_t commandLength, const uint8_t* data,
                         uint32_t dataLength, CommandBlock* block);

// Command bytes of the addressed commands.
std::array<uint8_t, 4> ReadCommand(uint32_t address);      // 03, address bits 23-16, 15-8, 7-0
std::array<uint8_t, 5> FastReadCommand(uint32_t address);  // 0B, the address, one dummy byte
std::array<uint8_t, 4> PageProgramCommand(uint16_t page);  // 02, page bits 15-8, 7-0, 0
std::array<uint8_t, 4> SectorEraseCommand(uint8_t sector); // D8, sector, 0, 0

// The status register as the erase polling reads it.
enum class EraseStatus { Finished, Failed, Busy };
// 0 or 4: finished; 3: failed; anything else: still busy.
EraseStatus InterpretEraseStatus(uint8_t status);
// Reads the status register until an erase ends, pausing after each busy reading: true when it
// finished, false when it failed, a read failed or kErasePolls readings found it still busy.
bool PollEraseStatus(const std::function<bool(uint8_t* status)>& readStatus, const std::function<void()>& pause);

}  // namespace spiflash
