// A port's Tx configuration, run parameters and commands, the gap settings, and the host's own
// frames through the tester's ports.

#include "tx/TxControl.h"

#include "BrevixCAPI.h"
#include "connection/DeviceMode.h"
#include "connection/DeviceState.h"
#include "ports/PortImages.h"
#include "ports/PortMaps.h"
#include "protocol/CommandProtocol.h"
#include "protocol/RegisterImages.h"
#include "protocol/RegisterMap.h"

#include <vector>

namespace capi {
namespace {

constexpr uint8_t kKeep = 255;
constexpr uint32_t kKeepHalf = 0xFFFFFFFF;
// Longest frame the host sends through a port.
constexpr uint32_t kMaxHostFrame = 16384;

uint8_t ByteOf(uint32_t word, int index) { return uint8_t(word >> (8 * index)); }

// A configuration bit taken from bit 0 of a byte of the call, unless the byte is 255.
void SetFromByte(uint32_t& word, int bit, uint8_t byte) {
    if (byte != kKeep) SetBit(word, bit, byte & 1);
}

void SetNibbleFromByte(uint32_t& word, int shift, uint8_t byte) {
    if (byte != kKeep) word = (word & ~(0xFu << shift)) | uint32_t(byte & 0xF) << shift;
}

}  // namespace

int ConfigureTx(uint8_t port, uint32_t w1, uint32_t w2, uint32_t w3, uint32_t w4, uint32_t gapHigh, uint32_t gapLow) {
    const uint32_t base = PortOffset(port);
    const bool secondMap = UsesSecondMap();
    if (secondMap) {
        const uint32_t phy = RegisterImages::Instance().Update([&](RegisterImageSet& images) {
            SetBit(images.phyControl2, port == 0 ? 28 : 12, ByteOf(w1, 0) & 1);
            return images.phyControl2;
        });
        const uint32_t pair[2] = {reg::kPhyControl, phy};
        BVT_GenW(1, pair);
    }
    uint32_t pairs[8];
    TxImages::Instance().Update([&](TxImageSet& images) {
        TxPortImages& tx = images.port[port];
        SetFromByte(tx.config, 11, ByteOf(w1, 0));
        SetFromByte(tx.config, 10, ByteOf(w1, 1));
        SetFromByte(tx.config, 9, ByteOf(w1, 2));
        SetFromByte(tx.config, 8, ByteOf(w1, 3));
        SetNibbleFromByte(tx.config, 4, ByteOf(w2, 0));
        SetNibbleFromByte(tx.config, 0, ByteOf(w2, 1));
        SetFromByte(tx.config, 12, ByteOf(w4, 3));
        if (gapHigh != kKeepHalf) tx.gap = (tx.gap & 0xFFFF) | gapHigh << 16;
        if (gapLow != kKeepHalf) tx.gap = (tx.gap & 0xFFFF0000) | (gapLow & 0xFFFF);
        for (uint32_t* control : {&tx.streamControl, &tx.streamControl2}) {
            SetFromByte(*control, 27, ByteOf(w2, 2));
            SetFromByte(*control, 26, ByteOf(w2, 3));
            SetFromByte(*control, 15, ByteOf(w3, 0));
            SetFromByte(*control, 13, ByteOf(w3, 1));
            SetFromByte(*control, 14, ByteOf(w3, 2));
            SetFromByte(*control, 10, ByteOf(w3, 3));
        }
        if (ByteOf(w3, 3) != kKeep) tx.lengthAdjust = ByteOf(w3, 3) & 1;
        SetFromByte(tx.option, 2, ByteOf(w4, 2));
        SetFromByte(tx.option, 1, ByteOf(w4, 1));
        SetFromByte(tx.option, 0, ByteOf(w4, 0));
        const uint32_t values[8] = {reg::kTxConfig + base, tx.config, reg::kTxGap + base, tx.gap,
                                    reg::kTxOption + base, tx.option, reg::kStreamControl + base,
                                    secondMap ? tx.streamControl2 : tx.streamControl};
        std::copy(values, values + 8, pairs);
    });
    return BVT_GenW(4, pairs);
}

// The mode word's halves select the streams to run: five bits each on the second map, nine on
// the first; bit 25 marks the parameters valid.
int WriteRunParameters(uint8_t port, uint32_t mode, uint32_t count, uint32_t amount) {
    const uint32_t low = mode & 0xFFFF, high = mode >> 16;
    const uint32_t control = TxImages::Instance().Update([&](TxImageSet& images) {
        TxPortImages& tx = images.port[port];
        tx.streamControl2 = (tx.streamControl2 & ~(0x1Fu << 16 | 0x1Fu)) | 1u << 25 | (low & 0x1F) << 16 | (high & 0x1F);
        tx.streamControl = (tx.streamControl & ~(0x1FFu << 16 | 0x1FFu)) | 1u << 25 | (low & 0x1FF) << 16 | (high & 0x1FF);
        return UsesSecondMap() ? tx.streamControl2 : tx.streamControl;
    });
    const uint32_t base = PortOffset(port);
    const uint32_t pairs[6] = {reg::kStreamControl + base, control, reg::kTxCount + base, count & 0xFFFF,
                               reg::kTxAmount + base, amount};
    return BVT_GenW(3, pairs);
}

int SendTxCommand(uint8_t port, TxCommand command) {
    if (port == 255) return BVT_Write(reg::kSharedTxCommand, SetSharedTxCommand(port, command));
    if (port > 1) return 0;
    const uint32_t word = TxImages::Instance().Update([&](TxImageSet& images) {
        uint32_t& image = images.port[port].command;
        image = (image & ~0xFu) | command;
        return image;
    });
    return BVT_Write(reg::kTxCommand + PortOffset(port), word);
}

int SetTxGap(uint32_t gap) {
    const uint32_t value = (gap & 0xFF) > 15 ? 15 : gap & 0xFF;
    TxImages::Instance().Update([&](TxImageSet& images) { images.interFrameGap = value; });
    const uint32_t pair[2] = {reg::kInterFrameGap, value};
    return BVT_GenW(1, pair);
}

// The second map has a tiny-gap register per port; the first has one switch for both ports, so a
// single port cannot be set there.
int SetTinyGap(uint8_t port, uint8_t enable) {
    if (UsesSecondMap()) {
        const uint32_t value = uint32_t(enable) << 8;
        if (port == 255) {
            const uint32_t pairs[4] = {reg::kTinyGap, value, reg::kTinyGap + kPortStride, value};
            return BVT_GenW(2, pairs);
        }
        if (port > 1) return 0;
        const uint32_t pair[2] = {reg::kTinyGap + PortOffset(port), value};
        return BVT_GenW(1, pair);
    }
    if (port != 255) return 0;
    const uint32_t pair[2] = {reg::kTinyGapFirstMap, enable * 0x300u};
    return BVT_GenW(1, pair);
}

int SetHostSend(uint8_t port, uint8_t enable) {
    if (port > 1) return 0;
    const bool on = enable != 0;
    const bool change = TxImages::Instance().Update([&](TxImageSet& images) { return images.port[port].hostSend != on; });
    if (!change) return 1;
    if (DeviceModeNow() != kPacketGeneratorMode) BrevixC_SYS_ChangeToPGMode();
    RegisterImages::Instance().Update([&](RegisterImageSet& images) { images.captureControl[port] &= ~0x100u; });
    // The register holds both ports' switches. The flag changes only once the tester has the new
    // setting, so a call for the other port that runs at the same time may have built its value
    // from this port's old flag, or this call from the other's: after each write, the value the
    // flags now call for is compared with the one written, and written again until they agree. The
    // last write to reach the tester is thus checked against the flags by its own caller.
    auto value = [](bool portA, bool portB) { return 0x1000u | (portA ? 0 : 0x100u) | (portB ? 0 : 1u); };
    uint32_t written = TxImages::Instance().Update([&](TxImageSet& images) {
        bool flags[2] = {images.port[0].hostSend, images.port[1].hostSend};
        flags[port] = on;
        return value(flags[0], flags[1]);
    });
    bool committed = false;
    for (;;) {
        const uint32_t pair[2] = {reg::kHostSwitch, written};
        if (!BVT_GenW(1, pair)) return 0;
        const uint32_t wanted = TxImages::Instance().Update([&](TxImageSet& images) {
            if (!committed) images.port[port].hostSend = on;
            return value(images.port[0].hostSend, images.port[1].hostSend);
        });
        committed = true;
        if (wanted == written) return 1;
        written = wanted;
    }
}

int SendHostFrame(uint8_t port, const uint8_t* frame, uint32_t length) {
    if (port > 1 || !frame || length == 0 || length > kMaxHostFrame || !IsConnected()) return 0;
    std::vector<uint8_t> copy(frame, frame + length);
    // The low two bits of the first source address byte tell the tester which port sends it.
    if (length > 12) copy[6] = uint8_t((copy[6] & ~3) | (port == 0 ? 1 : 2));
    return CommandChannel::Instance().SendRaw(copy.data(), copy.size()) ? 1 : 0;
}

}  // namespace capi
