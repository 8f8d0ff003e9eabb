// Stream entries: filling one entry from its record, and changing one field of many entries.

#include "tx/TxControl.h"

#include "BrevixCAPI.h"
#include "ports/PortImages.h"
#include "ports/PortMaps.h"
#include "protocol/RegisterMap.h"
#include "runtime/DebugStream.h"

#include <vector>

namespace capi {
namespace {

constexpr uint32_t kMaxPayloadBytes = 1000;
constexpr uint16_t kUnchanged = 0xFFFF;
constexpr uint32_t kPairsPerFrame = 32;

uint32_t DescriptorAddress(uint8_t port, uint32_t entry) { return reg::kTxDescriptors + PortOffset(port) + 16 * entry; }

uint32_t ExtensionAddress(uint8_t port, uint32_t entry) {
    return reg::Blocks().txTableB + PortOffset(port) + 8 * entry;
}

uint32_t ModifierAddress(uint8_t port, uint32_t entry) {
    return reg::Blocks().txTableC + PortOffset(port) + 16 * entry;
}

uint32_t PayloadAddress(uint8_t port, uint32_t entry) {
    if (UsesSecondMap()) return reg::kTxExtensionSecondMap + PortOffset(port) + 2048 * entry;
    return 0x60000000 + 0x10000000 * uint32_t(port) + 0x4000 * entry;
}

void SetBits(uint32_t& word, uint32_t mask, uint32_t value) { word = (word & ~mask) | (value & mask); }

// The burst mode of an entry lives in D1 bit 25, D2 bit 31 and D1 bit 15.
void SetBurstMode(uint32_t& d1, uint32_t& d2, uint32_t mode) {
    d1 &= ~(1u << 25);
    d2 &= ~(1u << 31);
    if (mode == 1 || mode == 3) d1 |= 1u << 25 | 1u << 15;
    if (mode == 2 || mode == 3) d2 |= 1u << 31, d1 |= 1u << 15;
}

// The three field modifiers: the first map gives each mode its own bit of F0 (A 31-29, B 27-25,
// C 23-21); the second map packs each field's mode into two bits of G0 (A 31-30, B 29-28, C 27-26).
uint32_t ModifierModes(const uint16_t modes[3], bool secondMap) {
    static const uint32_t kPacked[4] = {0, 2, 1, 3};  // mode 1 is the upper of the two bits
    uint32_t word = 0;
    for (int field = 0; field < 3; ++field) {
        const uint16_t mode = modes[field];
        if (mode < 1 || mode > 3) continue;
        word |= secondMap ? kPacked[mode] << (30 - 2 * field) : 1u << (32 - mode - 4 * field);
    }
    return word;
}

// Fills an entry's images from its record.
void FillEntry(TxPortImages& images, uint32_t index, const BrevixC_TxEntry_T& r, bool secondMap) {
    uint32_t* d = images.descriptor[index];
    SetBits(d[2], 0x0FFFFFFF, r.interBurstGap >> 3);
    SetBits(d[3], 0x0FFFFFFF, r.interFrameGap >> 3);
    // With the port's 32-bit loop count on, the record's word at 16 is the whole count.
    d[0] = (images.config & (1u << 12)) ? r.loopCount : (r.loopCount & 0xFFFF) << 16 | r.loopCountLow;
    SetBits(d[1], 0xF0000000, uint32_t(r.optionHigh) << 28);
    SetBit(d[1], 27, r.option27 & 1);
    SetBit(d[2], 29, r.option27 == 2);
    SetBit(d[1], 26, r.option26 & 1);
    SetBit(d[1], 15, r.option15 & 1);
    SetBurstMode(d[1], d[2], r.burstMode);
    SetBit(d[1], 14, r.option14 & 1);
    SetBit(d[1], 24, r.option24 & 1);
    SetBit(d[1], 23, r.option23 & 1);
    // The second map has no bit 23: its frames take option value 1 instead.
    if (secondMap && (d[1] & (1u << 23))) d[1] = (d[1] & ~(1u << 23) & ~0xF0000000u) | 1u << 28;
    uint32_t length = r.frameLength & 0x3FFF;
    if (secondMap && images.lengthAdjust) length = (length + 2) & 0x3FFF;
    SetBits(d[1], 0x3FFF, length);
    SetBits(d[1], 0x003F0000, uint32_t(r.option16 & 0x3F) << 16);
    SetBits(images.extension[index][0], 0xFFFF0000, uint32_t(r.extension0) << 16);
    SetBits(images.extension[index][1], 0xFFFF0000, uint32_t(r.extension1) << 16);

    const uint32_t word = uint32_t(r.modifierHigh & 0xFF) << 24 | uint32_t(r.modifierLow & 0xFF) << 8;
    if (secondMap) {
        uint32_t* g = images.modifier2[index];
        g[0] = ModifierModes(r.modifierMode, true) | uint32_t(r.modifierRange & 0xFFF) << 12;
        g[1] = word;
        // The second map's gaps count whole 12-byte units of the frame.
        const uint32_t rest = r.frameLength % 12;
        if (rest > 0) {
            SetBits(d[2], 0x0FFFFFFF, (d[2] & 0x0FFFFFFF) + 12 - rest);
            SetBits(d[3], 0x0FFFFFFF, (d[3] & 0x0FFFFFFF) + 12 - rest);
        }
        Log("(API)(After) IFG = ", d[3], ", IBG = ", d[2]);
    } else {
        uint32_t* f = images.modifier[index];
        f[0] = ModifierModes(r.modifierMode, false);
        f[1] = word;
        f[2] = uint32_t(r.modifierRange & 0xFFF) << 16;
        f[3] = 0;
    }
    Log("(API) IBG=", d[2], ", IFG=", d[3], ", Loopcnt=", d[0] >> 16);
}

struct EntryWords {
    uint32_t descriptor[4];
    uint32_t extension[2];
    uint32_t modifiers[4];
};

EntryWords WordsOf(const TxPortImages& images, uint32_t index, bool secondMap) {
    EntryWords words;
    std::copy(images.descriptor[index], images.descriptor[index] + 4, words.descriptor);
    std::copy(images.extension[index], images.extension[index] + 2, words.extension);
    if (secondMap) {
        // A second-map modifier row also carries the next entry's G0 and G1; entry 63 has none.
        const bool last = index + 1 == uint32_t(kTxEntries);
        words.modifiers[0] = images.modifier2[index][0];
        words.modifiers[1] = images.modifier2[index][1];
        words.modifiers[2] = last ? 0 : images.modifier2[index + 1][0];
        words.modifiers[3] = last ? 0 : images.modifier2[index + 1][1];
    } else {
        std::copy(images.modifier[index], images.modifier[index] + 4, words.modifiers);
    }
    return words;
}

// The payload as the tester takes it: words in network byte order, at most 1000 bytes.
std::vector<uint32_t> PayloadWords(const BrevixC_TxEntry_T& entry) {
    const uint32_t bytes = entry.payloadLength > kMaxPayloadBytes ? kMaxPayloadBytes : entry.payloadLength;
    std::vector<uint32_t> words((bytes + 3) / 4, 0);
    for (uint32_t i = 0; i < words.size() * 4; ++i) {
        words[i / 4] |= uint32_t(entry.payload[i]) << (24 - 8 * (i % 4));
    }
    return words;
}

// Changes the selected field of entry k; the register pairs to write. Registers lie four
// addresses apart: D1 of an entry at its descriptor + 4, D2 at + 8, E1 at its extension + 4.
void ModifyEntry(TxPortImages& images, uint8_t port, uint32_t k, uint32_t field, uint16_t value,
                 std::vector<uint32_t>& pairs) {
    uint32_t* d = images.descriptor[k];
    auto pair = [&](uint32_t address, uint32_t word) { pairs.insert(pairs.end(), {address, word}); };
    switch (field) {
    case BREVIXC_TX_LOOP_COUNT_HIGH:
        SetBits(d[0], 0xFFFF0000, uint32_t(value) << 16);
        return pair(DescriptorAddress(port, k), d[0]);
    case BREVIXC_TX_LOOP_COUNT_LOW:
        SetBits(d[0], 0xFFFF, value);
        return pair(DescriptorAddress(port, k), d[0]);
    case BREVIXC_TX_OPTION_HIGH:
        SetBits(d[1], 0xF0000000, uint32_t(value) << 28);
        break;
    case BREVIXC_TX_OPTION_27:
        SetBit(d[1], 27, value & 1);
        break;
    case BREVIXC_TX_OPTION_26:
        SetBit(d[1], 26, value & 1);
        break;
    case BREVIXC_TX_OPTION_15:
        SetBit(d[1], 15, value & 1);
        break;
    case BREVIXC_TX_BURST_MODE:
        if (value > 3) return;
        SetBurstMode(d[1], d[2], value);
        pair(DescriptorAddress(port, k) + 4, d[1]);
        return pair(DescriptorAddress(port, k) + 8, d[2]);
    case BREVIXC_TX_OPTION_14:
        SetBit(d[1], 14, value & 1);
        break;
    case BREVIXC_TX_FRAME_LENGTH:
        SetBits(d[1], 0x3FFF, value);
        break;
    case BREVIXC_TX_OPTION_16:
        SetBits(d[1], 0x003F0000, uint32_t(value & 0x3F) << 16);
        break;
    case BREVIXC_TX_EXTENSION_0:
    case BREVIXC_TX_EXTENSION_1: {
        const uint32_t half = field - BREVIXC_TX_EXTENSION_0;
        SetBits(images.extension[k][half], 0xFFFF0000, uint32_t(value) << 16);
        return pair(ExtensionAddress(port, k) + 4 * half, images.extension[k][half]);
    }
    default:
        return;
    }
    pair(DescriptorAddress(port, k) + 4, d[1]);
}

}  // namespace

int WriteTxEntry(uint8_t port, const BrevixC_TxEntry_T& entry) {
    const uint32_t index = entry.entry;
    const bool secondMap = UsesSecondMap();
    const EntryWords words = TxImages::Instance().Update([&](TxImageSet& images) {
        FillEntry(images.port[port], index, entry, secondMap);
        return WordsOf(images.port[port], index, secondMap);
    });
    // The payload goes out even when the entry's words did not.
    const bool entrySent = BVT_SeqW(4, DescriptorAddress(port, index), words.descriptor) &&
                           BVT_SeqW(2, ExtensionAddress(port, index), words.extension) &&
                           BVT_SeqW(4, ModifierAddress(port, index), words.modifiers);
    const std::vector<uint32_t> payload = PayloadWords(entry);
    const bool payloadSent =
        payload.empty() || BVT_SeqW(uint32_t(payload.size()), PayloadAddress(port, index), payload.data());
    return entrySent && payloadSent ? 1 : 0;
}

int ModifyTxEntries(uint8_t port, const BrevixC_TxModify_T& modify) {
    if (modify.field > BREVIXC_TX_EXTENSION_1) return 0;
    std::vector<uint32_t> pairs;
    TxImages::Instance().Update([&](TxImageSet& images) {
        for (uint32_t k = 0; k < uint32_t(kTxEntries); ++k) {
            if (modify.value[k] != kUnchanged) ModifyEntry(images.port[port], port, k, modify.field, modify.value[k], pairs);
        }
    });
    // In frames of 32 pairs; the first frame that cannot be sent ends the call.
    for (size_t at = 0; at < pairs.size(); at += 2 * kPairsPerFrame) {
        const size_t count = std::min<size_t>(kPairsPerFrame, (pairs.size() - at) / 2);
        if (!BVT_GenW(uint32_t(count), pairs.data() + at)) return 0;
    }
    return 1;
}

}  // namespace capi
