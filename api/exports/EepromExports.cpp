// The 93C56 EEPROM: the image, and reading and writing the tester's words.

#include "BrevixCEeprom.h"
#include "exports/ExportGuard.h"
#include "identity/EepromAccess.h"
#include "ports/PortMaps.h"
#include "runtime/HostMessages.h"
#include "runtime/NamedObjects.h"
#include "usb/Usb.h"

#include <algorithm>

using capi::EepromState;

namespace {

constexpr uint8_t kBlockWords = 16;
constexpr uint8_t kLastBlock = 112;
constexpr size_t kUsbRecordBytes = 72;

void AnnounceCompletion() { capi::NotifyPortEvent(0, BREVIXC_EVENT_EEPROM_DONE, 1); }

// Machine ids 3 and 4: the blocks over the USB channel. Completion is announced only when all
// eight blocks came.
int ReadOverUsb() {
    if (!capi::OpenUsbUnit()) return 0;
    int blocks = 0;
    for (uint8_t b = 0; b < 8; ++b) {
        uint8_t answer[4 + 2 * kBlockWords];
        if (!capi::ReadUsbEeprom(uint8_t(kBlockWords * b), kBlockWords, answer)) break;
        EepromState::Instance().StoreBytes(uint8_t(kBlockWords * b), answer + 4, 2 * kBlockWords);
        ++blocks;
    }
    if (blocks == 8) AnnounceCompletion();
    capi::CloseUsbUnit();
    return blocks > 0 ? 1 : 0;
}

// Machine ids 1 and 2: the replies arrive later; the last block's announces completion.
int ReadOverRegisters() {
    int sent = 0;
    for (uint8_t b = 0; b < 8; ++b) {
        const uint8_t word = uint8_t(kBlockWords * b);
        if (word == kLastBlock) EepromState::Instance().awaitedWord = kLastBlock;
        sent += capi::ReadEepromWords(word, kBlockWords);
    }
    if (sent == 0) EepromState::Instance().awaitedWord = capi::kNoAwaitedWord;
    return sent > 0 ? 1 : 0;
}

bool WriteChunkOverUsb(uint8_t word, uint8_t count) {
    uint8_t record[kUsbRecordBytes] = {};
    record[0] = word;
    record[4] = count;
    EepromState::Instance().CopyBytes(word, record + 10, 2 * size_t(count));
    return capi::WriteUsbEeprom(record, sizeof record);
}

}  // namespace

extern "C" int __stdcall BrevixC_93C56_Init(BrevixC_HostCallback callback) {
    return capi::Guarded("BrevixC_93C56_Init", 0, [&]() -> int {
        EepromState& eeprom = EepromState::Instance();
        // A library that is up keeps its connection, locks and events; only the callback changes.
        int result;
        if (eeprom.LibraryInitialised()) {
            capi::SetHostCallback(callback);
            result = capi::CreateNamedEvents();
        } else {
            result = BrevixC_SYS_Init(callback, 255);
        }
        eeprom.writeAllowed = true;
        return result;
    });
}

extern "C" uint8_t* __stdcall BrevixC_93C56_Get() { return eeprom_93c56; }

// The value goes in high byte first, unlike the words read from the tester.
extern "C" bool __stdcall BrevixC_Set_93C56_Data(uint8_t address, uint16_t value) {
    return capi::Guarded("BrevixC_Set_93C56_Data", false, [&]() -> bool {
        if (address & 0x80) return false;
        EepromState::Instance().StoreWord(address, uint16_t(value >> 8 | value << 8));
        return true;
    });
}

extern "C" int __stdcall BrevixC_93C56_Read() {
    return capi::Guarded("BrevixC_93C56_Read", 0, [&]() -> int {
        return capi::UsesSecondMap() ? ReadOverUsb() : ReadOverRegisters();
    });
}

extern "C" bool __stdcall BrevixC_93C56_Write(uint8_t address, uint8_t count) {
    return capi::Guarded("BrevixC_93C56_Write", false, [&]() -> bool {
        EepromState& eeprom = EepromState::Instance();
        if (!eeprom.writeAllowed || (address & 0x80) || count == 0) return false;
        const uint8_t words = std::min<uint8_t>(count, uint8_t(capi::kEepromWords - address));
        const bool usb = capi::UsesSecondMap();
        if (usb && !capi::OpenUsbUnit()) return false;
        bool sent = true;
        for (uint8_t word = address, left = words; left > 0 && sent;) {
            const uint8_t size = std::min(left, kBlockWords);
            // The reply to the last chunk's command announces completion on the register path.
            const bool last = size == left;
            if (last && !usb) eeprom.awaitedWord = word;
            sent = usb ? WriteChunkOverUsb(word, size) : capi::WriteEepromWords(word, size) != 0;
            if (!sent && last && !usb) eeprom.awaitedWord = capi::kNoAwaitedWord;
            word = uint8_t(word + size);
            left = uint8_t(left - size);
        }
        if (usb) {
            if (sent) AnnounceCompletion();
            capi::CloseUsbUnit();
        }
        return sent;
    });
}
