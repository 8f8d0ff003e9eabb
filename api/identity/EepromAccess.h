#pragma once
// The tester's 93C56 EEPROM (128 16-bit words). Machine ids 1 and 2 reach it through the command
// register (reg::kEepromCommand): the library writes command words and reads the register back, and the
// replies are parsed on the receive thread. Machine ids 3 and 4 reach it over the USB channel.
// The library mirrors the EEPROM in the exported image `eeprom_93c56`.

#include <atomic>
#include <cstdint>
#include <mutex>

namespace capi {

constexpr uint8_t kNoAwaitedWord = 255;
constexpr uint8_t kEepromWords = 128;

class EepromState {
public:
    static EepromState& Instance();

    // BrevixC_SYS_Init: writes not allowed, no word awaited.
    void Reset();
    // BrevixC_SYS_Init has run in this process.
    bool LibraryInitialised() const { return initialised_; }

    // The start word of the last block requested whose completion is reported (255 = none).
    std::atomic<uint8_t> awaitedWord{kNoAwaitedWord};
    std::atomic<bool> readComplete{false};
    std::atomic<bool> writeAllowed{false};

    // The image: a word read from the tester has its low byte at 2a and its high byte at 2a + 1.
    void StoreWord(uint8_t word, uint16_t value);
    uint16_t Word(uint8_t word);
    // The bytes as they stand, from byte 2a on.
    void StoreBytes(uint8_t word, const uint8_t* bytes, size_t count);
    void CopyBytes(uint8_t word, uint8_t* bytes, size_t count);

private:
    EepromState() = default;
    // Guards the library's own changes of the exported image (the receive thread stores replies,
    // the EEPROM calls read and change it); hosts read the image in place without it.
    std::mutex imageLock_;
    std::atomic<bool> initialised_{false};
};

// One general write of (command register, read word a) and (command register with the read flag,
// 0) for each of `count` words (1-16) from `word`; 1 when sent. The replies reach the EEPROM reply
// parse.
int ReadEepromWords(uint8_t word, uint8_t count);
// One general write of write enable, `count` (1-16) word writes from the image, write disable;
// 1 when sent.
int WriteEepromWords(uint8_t word, uint8_t count);

}  // namespace capi
