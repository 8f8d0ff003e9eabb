#pragma once
// The tester's serial (SPI) flash: 2 MiB in 256-byte pages and 64 KiB sectors. Erasing sets bytes
// to 0xFF, programming can only clear bits. Program, erase and status-register writes need the
// write-enable latch, which each of them clears. While an operation is busy the status register
// reads 1 and every other command is ignored, as on the part itself.
//
// Status values the host interprets: 0 (or 4) idle, 3 failed, anything else busy.

#include "sim/Link.h"

#include <chrono>
#include <map>
#include <mutex>
#include <optional>

namespace sim {

class SerialFlash {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr size_t kSize = 2 * 1024 * 1024;
    static constexpr size_t kPageSize = 256;
    static constexpr size_t kSectorSize = 64 * 1024;
    static constexpr uint8_t kStatusBusy = 0x01;

    struct BusyTimes {
        std::chrono::microseconds pageProgram{0};
        std::chrono::microseconds sectorErase{0};
        std::chrono::microseconds chipErase{0};
    };

    SerialFlash();

    // One SPI transaction: the command bytes (opcode, address ...), the bytes written after them,
    // and the number of bytes clocked back. Returns those bytes (0xFF where nothing drives them).
    Bytes Transact(const Bytes& command, const Bytes& data, size_t readLength);

    void SetBusyTimes(const BusyTimes& times);
    // Each erase started afterwards also stays busy until this many status reads have answered
    // busy: a busy spell that does not depend on how fast the host polls.
    void SetEraseBusyReads(size_t reads);
    void SetId(uint8_t manufacturer, uint8_t memoryType, uint8_t capacity);
    // Fault: every status read answers this value; nullopt restores the true status.
    void ForceStatus(std::optional<uint8_t> status);

    // Fault: the next `count` programs of this page leave it untouched, as a worn page would.
    void DropPagePrograms(size_t page, size_t count);

    // Direct access for tests: no command, no busy time.
    Bytes Contents(size_t address, size_t length) const;
    void Load(size_t address, const Bytes& bytes);
    bool WriteEnabled() const;
    bool Busy() const;
    // Operations that changed the memory since construction.
    size_t PagePrograms() const;
    size_t Erases() const;

private:
    bool BusyLocked() const { return busyReadsLeft_ > 0 || Clock::now() < busyUntil_; }
    uint8_t TakeStatusLocked();
    void StartEraseLocked(Clock::time_point now, std::chrono::microseconds busyTime);
    static size_t Address(const Bytes& command);

    // Everything below is guarded by lock_: the driver's pipe threads and tests touch it.
    mutable std::mutex lock_;
    Bytes memory_;
    uint8_t id_[3] = {0x20, 0x20, 0x15};
    bool writeEnabled_ = false;
    uint8_t protection_ = 0;  // status bits 2-7, as last written
    Clock::time_point busyUntil_{};
    BusyTimes busyTimes_;
    size_t eraseBusyReads_ = 0;
    size_t busyReadsLeft_ = 0;
    std::optional<uint8_t> forcedStatus_;
    std::map<size_t, size_t> droppedPrograms_;  // page -> programs still to drop
    size_t pagePrograms_ = 0;
    size_t erases_ = 0;
};

}  // namespace sim
