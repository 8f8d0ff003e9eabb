#include "identity/IdentityReplies.h"

#include "BrevixCAPI.h"
#include "identity/EepromAccess.h"
#include "identity/Identity.h"
#include "protocol/RegisterMap.h"
#include "runtime/HostMessages.h"

#include <atomic>
#include <optional>

namespace capi {
namespace {

std::atomic<int> identityAnswers{0};
std::atomic<bool> identityComplete{false};

// The value of a general reply's pair whose address is `address` (read flag ignored).
std::optional<uint32_t> PairValue(const ReplyBody& body, uint32_t address) {
    for (size_t i = 0; i < body.count && body.Has(8 * i, 8); ++i) {
        if ((body.Word(8 * i) & ~kReadFlag) == address) return body.Word(8 * i + 4);
    }
    return std::nullopt;
}

// EEPROM words of an identity reply: pair 2k + 1 carries word k, its low byte last.
bool EepromBytes(const ReplyBody& body, size_t words, uint8_t* bytes) {
    if (body.count < 2 * words || !body.Has(0, 16 * words)) return false;
    for (size_t k = 0; k < words; ++k) {
        bytes[2 * k] = body.bytes[16 * k + 15];
        bytes[2 * k + 1] = body.bytes[16 * k + 14];
    }
    return true;
}

void AnnounceEepromDone() { NotifyPortEvent(0, BREVIXC_EVENT_EEPROM_DONE, 1); }

void ParseIdentityField(uint8_t word, const ReplyBody& body) {
    uint8_t bytes[20];
    Identity& identity = Identity::Instance();
    switch (word) {
    case 16:
        if (EepromBytes(body, 8, bytes)) identity.SetModuleFromEeprom(bytes);
        break;
    case 33:
        if (EepromBytes(body, 1, bytes)) identity.SetEepromVersion(bytes[0], bytes[1]);
        break;
    case 38:
        if (EepromBytes(body, 10, bytes)) identity.SetSerialNumber(bytes);
        break;
    case 48:
        // The last identity read of connect.
        if (EepromBytes(body, 6, bytes)) {
            identity.SetProductDate(bytes);
            identityComplete = true;
        }
        break;
    case 64:
        if (EepromBytes(body, 3, bytes)) identity.SetMac(bytes);
        break;
    default:
        break;
    }
}

}  // namespace

int IdentityAnswers() { return identityAnswers; }

void ResetIdentityAnswers() { identityAnswers = 0; }

bool IdentityComplete() { return identityComplete; }

void SetIdentityComplete(bool complete) { identityComplete = complete; }

void ParseEepromReply(const ReplyBody& body) {
    if (!body.Has(0, 8)) return;
    ++identityAnswers;
    const uint8_t command = body.bytes[4];
    const uint8_t word = body.bytes[5];
    const uint8_t selector = Identity::Instance().Row().eepromSelector;
    EepromState& eeprom = EepromState::Instance();
    if (command == selector * 16 + 8) {
        // A write chunk: write enable, the word writes, write disable. Its first word write (the
        // second pair) names the chunk's start.
        if (body.count < 2 || !body.Has(8, 8)) return;
        const uint8_t start = body.bytes[13];
        uint8_t awaited = start;
        if (start != kNoAwaitedWord && eeprom.awaitedWord.compare_exchange_strong(awaited, kNoAwaitedWord)) {
            AnnounceEepromDone();
        }
        return;
    }
    if (command != selector * 16 + 128) return;
    if (body.count != 32) {
        ParseIdentityField(word, body);
        return;
    }
    uint8_t bytes[32];
    if (!EepromBytes(body, 16, bytes)) return;
    for (uint8_t k = 0; k < 16; ++k) eeprom.StoreWord(static_cast<uint8_t>(word + k), bytes[2 * k] | bytes[2 * k + 1] << 8);
    uint8_t awaited = word;
    if (word != kNoAwaitedWord && eeprom.awaitedWord.compare_exchange_strong(awaited, kNoAwaitedWord)) {
        eeprom.readComplete = true;
        AnnounceEepromDone();
    }
}

void ParseSystemIdReply(const ReplyBody& body) {
    const std::optional<uint32_t> systemId = FirstValue(body);
    if (!systemId) return;
    ++identityAnswers;
    const bool hasHardwareWord = body.count >= 2 && body.Has(8, 8) && body.Word(8) != 0xFFFFFFFF &&
                                 (body.Word(8) & ~kReadFlag) == 0x4000000C;
    Identity::Instance().ApplySystemId(*systemId, hasHardwareWord, hasHardwareWord ? body.Word(12) : 0);
}

void ParseVersionReply(const ReplyBody& body) {
    const std::optional<uint32_t> fpgaWord = FirstValue(body);
    if (!fpgaWord) return;
    const std::optional<uint32_t> hardwareWord = PairValue(body, 0x4000000C);
    const std::optional<uint32_t> firmwareWord = PairValue(body, 0x40000040);
    Identity& identity = Identity::Instance();
    identity.ApplyVersion(*fpgaWord, hardwareWord ? &*hardwareWord : nullptr, firmwareWord ? &*firmwareWord : nullptr);
    identity.SendSystemInfoMessage(body.stampSeconds, body.stampMicroseconds);
}

}  // namespace capi
