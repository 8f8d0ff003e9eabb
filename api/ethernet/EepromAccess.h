#pragma once
// The tester's 93C56 EEPROM through its command register 0x40000030: the block reads the
// connection uses for the identity, and the state the reply parse shares with the EEPROM calls.

#include <atomic>
#include <cstdint>
#include <mutex>

namespace capi {

constexpr uint32_t kEepromCommandRegister = 0x40000030;
constexpr uint8_t kNoAwaitedWord = 255;

class EepromState {
public:
    static EepromState& Instance();

    // BrevixC_SYS_Init: writes not allowed, no word awaited.
    void Reset();

    // The start word of the last block requested whose completion is reported (255 = none).
    std::atomic<uint8_t> awaitedWord{kNoAwaitedWord};
    std::atomic<bool> readComplete{false};
    std::atomic<bool> writeAllowed{false};

    // The EEPROM image: word a at bytes 2a (low byte) and 2a + 1 (high byte).
    void StoreWord(uint8_t word, uint16_t value);

private:
    EepromState() = default;
    // Guards image_: the receive thread stores words, the EEPROM calls read and change them.
    std::mutex imageLock_;
    uint8_t image_[256] = {};
};

// One general write of (command register, read word a) and (command register with the read flag,
// 0) for each of `count` words (1-16) from `word`; 1 when sent. The replies reach the EEPROM reply
// parse.
int ReadEepromWords(uint8_t word, uint8_t count);

}  // namespace capi
