#include "sim/SerialFlash.h"

#include <algorithm>

namespace sim {
namespace {

enum Opcode : uint8_t {
    kWriteStatus = 0x01,
    kPageProgram = 0x02,
    kRead = 0x03,
    kWriteDisable = 0x04,
    kReadStatus = 0x05,
    kWriteEnable = 0x06,
    kFastRead = 0x0B,
    kReadId = 0x9F,
    kChipErase = 0xC7,
    kSectorErase = 0xD8,
};

}  // namespace

SerialFlash::SerialFlash() : memory_(kSize, 0xFF) {}

size_t SerialFlash::Address(const Bytes& command) {
    // A 2 MiB part ignores the address bits above bit 20.
    return (size_t(command[1]) << 16 | size_t(command[2]) << 8 | command[3]) % kSize;
}

uint8_t SerialFlash::TakeStatusLocked() {
    if (forcedStatus_) return *forcedStatus_;
    const bool busy = BusyLocked();
    if (busyReadsLeft_ > 0) --busyReadsLeft_;
    return busy ? kStatusBusy : protection_;
}

void SerialFlash::StartEraseLocked(Clock::time_point now, std::chrono::microseconds busyTime) {
    writeEnabled_ = false;
    ++erases_;
    busyUntil_ = now + busyTime;
    busyReadsLeft_ = eraseBusyReads_;
}

Bytes SerialFlash::Transact(const Bytes& command, const Bytes& data, size_t readLength) {
    Bytes out(readLength, 0xFF);
    if (command.empty()) return out;
    std::lock_guard<std::mutex> guard(lock_);
    const uint8_t opcode = command[0];
    if (opcode == kReadStatus) {
        std::fill(out.begin(), out.end(), TakeStatusLocked());  // the part repeats the status byte
        return out;
    }
    if (BusyLocked()) return out;

    const Clock::time_point now = Clock::now();
    switch (opcode) {
    case kWriteEnable:
        writeEnabled_ = true;
        break;
    case kWriteDisable:
        writeEnabled_ = false;
        break;
    case kReadId:
        for (size_t i = 0; i < readLength && i < 3; ++i) out[i] = id_[i];
        break;
    case kRead:
    case kFastRead: {
        const size_t needed = opcode == kRead ? 4 : 5;
        if (command.size() < needed) break;
        const size_t start = Address(command);
        for (size_t i = 0; i < readLength; ++i) out[i] = memory_[(start + i) % kSize];
        break;
    }
    case kWriteStatus:
        if (!writeEnabled_ || data.empty()) break;
        protection_ = data[0] & 0xFC;
        writeEnabled_ = false;
        break;
    case kPageProgram: {
        if (!writeEnabled_ || command.size() < 4) break;
        const size_t address = Address(command);
        const size_t page = address - address % kPageSize;
        writeEnabled_ = false;
        auto dropped = droppedPrograms_.find(page / kPageSize);
        if (dropped != droppedPrograms_.end() && dropped->second > 0) {
            --dropped->second;
            break;
        }
        // More than a page: only the last 256 bytes stay, and the address wraps within the page.
        const size_t skip = data.size() > kPageSize ? data.size() - kPageSize : 0;
        for (size_t i = skip; i < data.size(); ++i)
            memory_[page + (address % kPageSize + i - skip) % kPageSize] &= data[i];
        ++pagePrograms_;
        busyUntil_ = now + busyTimes_.pageProgram;
        break;
    }
    case kSectorErase: {
        if (!writeEnabled_ || command.size() < 4) break;
        const size_t sector = Address(command) / kSectorSize * kSectorSize;
        std::fill_n(memory_.begin() + sector, kSectorSize, 0xFF);
        StartEraseLocked(now, busyTimes_.sectorErase);
        break;
    }
    case kChipErase:
        if (!writeEnabled_) break;
        std::fill(memory_.begin(), memory_.end(), 0xFF);
        StartEraseLocked(now, busyTimes_.chipErase);
        break;
    default:
        break;  // an opcode the part does not know is ignored
    }
    return out;
}

void SerialFlash::SetBusyTimes(const BusyTimes& times) {
    std::lock_guard<std::mutex> guard(lock_);
    busyTimes_ = times;
}

void SerialFlash::SetEraseBusyReads(size_t reads) {
    std::lock_guard<std::mutex> guard(lock_);
    eraseBusyReads_ = reads;
}

void SerialFlash::DropPagePrograms(size_t page, size_t count) {
    std::lock_guard<std::mutex> guard(lock_);
    droppedPrograms_[page] = count;
}

void SerialFlash::SetId(uint8_t manufacturer, uint8_t memoryType, uint8_t capacity) {
    std::lock_guard<std::mutex> guard(lock_);
    id_[0] = manufacturer, id_[1] = memoryType, id_[2] = capacity;
}

void SerialFlash::ForceStatus(std::optional<uint8_t> status) {
    std::lock_guard<std::mutex> guard(lock_);
    forcedStatus_ = status;
}

Bytes SerialFlash::Contents(size_t address, size_t length) const {
    std::lock_guard<std::mutex> guard(lock_);
    Bytes out;
    for (size_t i = 0; i < length; ++i) out.push_back(memory_[(address + i) % kSize]);
    return out;
}

void SerialFlash::Load(size_t address, const Bytes& bytes) {
    std::lock_guard<std::mutex> guard(lock_);
    for (size_t i = 0; i < bytes.size(); ++i) memory_[(address + i) % kSize] = bytes[i];
}

bool SerialFlash::WriteEnabled() const {
    std::lock_guard<std::mutex> guard(lock_);
    return writeEnabled_;
}

bool SerialFlash::Busy() const {
    std::lock_guard<std::mutex> guard(lock_);
    return BusyLocked();
}

size_t SerialFlash::PagePrograms() const {
    std::lock_guard<std::mutex> guard(lock_);
    return pagePrograms_;
}

size_t SerialFlash::Erases() const {
    std::lock_guard<std::mutex> guard(lock_);
    return erases_;
}

}  // namespace sim
