#include "capture/CaptureRegisters.h"

#include "BrevixCAPI.h"
#include "capture/Capture.h"
#include "capture/CaptureStore.h"
#include "connection/DeviceMode.h"
#include "ports/PortMaps.h"
#include "protocol/RegisterImages.h"
#include "protocol/RegisterMap.h"

namespace capi {
namespace {

CaptureWords words;

// Replay types 0-5: frames per block, and the command value that asks for the next block.
constexpr uint32_t kBlockFrames[6] = {100, 1, 10, 20, 30, 60};
constexpr uint32_t kBlockCommand[6] = {16, 8, 32, 64, 128, 256};

uint32_t WithVlan(uint32_t value) { return words.vlanExchange ? value | kReplayVlanExchange : value; }

}  // namespace

uint32_t FramesPerBlock(uint16_t type) { return kBlockFrames[type <= 5 ? type : 0]; }
uint32_t ReplayCommandOf(uint16_t type) { return kBlockCommand[type <= 5 ? type : 0]; }

CaptureWords& Words() { return words; }

void ResetCaptureWords() {
    for (auto& w : words.runWord) w = 0;
    for (auto& w : words.modeWord) w = 0;
}

uint32_t CaptureControlImage(int port) {
    return RegisterImages::Instance().Update([&](RegisterImageSet& images) { return images.captureControl[port]; });
}

bool IsInstant(int entry) { return words.modeWord[entry] & kInstantBit; }

void SetBothPortsInstant(bool on) {
    if (on) words.modeWord[2] |= kInstantBit;
    else words.modeWord[2] &= ~kInstantBit;
}

bool InTapCapture(uint8_t port) { return DeviceModeNow() == kTapMode && CaptureSettings(port).tapCaptureMode != 0; }

uint32_t AddressHigh(const uint8_t* a) { return uint32_t(a[0]) << 8 | a[1]; }

uint32_t AddressLow(const uint8_t* a) {
    return uint32_t(a[2]) << 24 | uint32_t(a[3]) << 16 | uint32_t(a[4]) << 8 | a[5];
}

int HostRxConfigure(uint8_t port, uint32_t flags, const uint8_t* address1, const uint8_t* address2, uint8_t option) {
    uint32_t control = 0;
    uint32_t options = 0;
    RegisterImages::Instance().Update([&](RegisterImageSet& images) {
        control = images.captureControl[port] & ~1u;
        options = images.captureOptions[port] & ~0x1Cu;
        if (flags & 0x01) control |= 1;
        if (flags & 0x02) options |= 1u << 2;
        if (flags & 0x20) options |= 1u << 3;
        if (flags & 0x10) options |= 1u << 4;
        if (flags & 0x04) {
            control |= 1;
            options |= 1u << 2;
        }
        control = (control & ~kInstantBit) | ((option & 1) ? kInstantBit : 0);
        images.captureControl[port] = control;
        images.captureOptions[port] = options;
    });
    const uint32_t p = PortOffset(port);
    const uint32_t pairs[12] = {reg::kHostRxAddress + p,       AddressHigh(address1),
                                reg::kHostRxAddress + 4 + p,   AddressLow(address1),
                                reg::kHostRxAddress + 8 + p,   AddressHigh(address2),
                                reg::kHostRxAddress + 0xC + p, AddressLow(address2),
                                reg::kCaptureControl + p,      control,
                                reg::kCaptureOptions + p,      options};
    return BVT_GenW(6, pairs);
}

int ReplayPortConfigure(uint8_t port, uint32_t modeWord, const uint8_t* destination, const uint8_t* source,
                        const uint8_t* tag) {
    const uint32_t p = PortOffset(port);
    const uint32_t tagWord = uint32_t(tag[0]) << 24 | uint32_t(tag[1]) << 16 | uint32_t(tag[2]) << 8 | tag[3];
    const uint32_t pairs[12] = {reg::kWrapDestination + p,     AddressHigh(destination),
                                reg::kWrapDestination + 4 + p, AddressLow(destination),
                                reg::kWrapSource + p,          AddressHigh(source),
                                reg::kWrapSource + 4 + p,      AddressLow(source),
                                reg::kWrapTag + p,             tagWord,
                                reg::kCaptureModeWord + p,     modeWord};
    return BVT_GenW(6, pairs);
}

int ConfigureOwnWrap(uint8_t port) {
    static constexpr uint8_t kDestination[6] = {0x02, 0x5E, 0xC1, 0x0D, 0x11, 0x00};
    const uint8_t source[6] = {0x02, 0x5E, 0xC1, 0x0D, 0x11, port};
    // 0xFF00 + port as a little-endian word: the tag register reads 0x00FF0000 + port << 24.
    const uint8_t tag[4] = {port, 0xFF, 0x00, 0x00};
    const uint32_t modeWord = InTapCapture(port) ? 0 : words.modeWord[port] | kCaptureToHost;
    return ReplayPortConfigure(port, modeWord, kDestination, source, tag);
}

int SetHostRx(uint8_t port, bool on) {
    const uint32_t options = RegisterImages::Instance().Update([&](RegisterImageSet& images) {
        return images.captureOptions[port] = on ? images.captureOptions[port] | 1u : images.captureOptions[port] & ~1u;
    });
    if (!on) return BVT_Write(reg::kCaptureOptions + PortOffset(port), options);
    const uint32_t pair[2] = {reg::kCaptureOptions + PortOffset(port), options};
    return BVT_GenW(1, pair);
}

int SelectReplayType(uint8_t port, uint16_t type) {
    if (port == 255) {
        int result = 1;
        for (uint8_t p : {0, 1}) {
            CapturePortSettings& settings = CaptureSettings(p);
            if (CaptureState(p).terminate) settings.replayType = type;
            else result = 0;
            if (settings.replayType > 5) settings.replayType = 0;
            if (!BVT_ReplayPortSetType(p, settings.replayType)) return 0;
        }
        return result;
    }
    if (port > 1) return 0;
    // One port always asks for blocks of 20 frames, whatever type it is given: the type is kept
    // only to be replaced.
    int result = 1;
    CapturePortSettings& settings = CaptureSettings(port);
    if (CaptureState(port).terminate) settings.replayType = type;
    else result = 0;
    settings.replayType = kBlockRequestType;
    return BVT_ReplayPortSetType(port, kBlockRequestType) ? result : 0;
}

int ExchangeVlan(uint8_t port, uint8_t enable) {
    const PortList ports = PortsOf(port);
    if (ports.empty()) return 0;
    words.vlanExchange = enable != 0;
    const uint32_t value = enable ? words.lastReplayControl | kReplayVlanExchange : words.lastReplayControl & ~kReplayVlanExchange;
    for (uint8_t p : ports) {
        const uint32_t pair[2] = {reg::kReplayCommand + PortOffset(p), value};
        if (!BVT_GenW(1, pair)) return 0;
    }
    return 1;
}

int BVT_ReplayPortSetType(uint8_t port, uint16_t type) {
    const uint32_t value = WithVlan(ReplayCommandOf(type));
    words.lastReplayControl = value;
    return BVT_Write(reg::kReplayCommand + PortOffset(port), value);
}

int BVT_ReplayPortHalt(uint8_t port) {
    const uint32_t value = WithVlan(kReplayHalt);
    words.lastReplayControl = value;
    const uint32_t pair[2] = {reg::kReplayCommand + PortOffset(port), value};
    return BVT_GenW(1, pair);
}

}  // namespace capi
