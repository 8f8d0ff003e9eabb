#include "ports/PortControls.h"

#include "ports/PhyAccess.h"
#include "ports/PortImages.h"
#include "ports/PortMaps.h"
#include "protocol/RegisterImages.h"
#include "protocol/RegisterMap.h"

namespace capi {
namespace {

constexpr uint16_t kUnchanged16 = 0xFFFF;
constexpr uint32_t kUnchanged32 = 0xFFFFFFFF;
constexpr uint32_t kAutoNegotiation = 0x80000000;

bool Given(uint16_t field) { return field != kUnchanged16; }

// The speed register: bit 31 auto-negotiation, the low four bits a forced mode.
uint32_t SpeedImage(uint32_t image, uint16_t code) {
    if (code == 0xFFFC) return (image & ~kAutoNegotiation & ~0xFu) | 8;
    if (code <= 24 && code % 4 == 0) return (image & ~kAutoNegotiation & ~0xFu) | uint32_t(code / 4);
    return image | kAutoNegotiation;
}

}  // namespace

int ApplyPortConfig(uint8_t port, const BrevixC_PortConfig_T& config) {
    if (Given(config.reset) && config.reset != 0) PortReset(port);
    const bool a = port == 0;
    // Port A's switch bits lie 8 (port switch) or 16 (PHY control) above Port B's.
    const int switchShift = a ? 8 : 0;
    const int phyShift = a ? 16 : 0;
    const bool secondMap = UsesSecondMap();

    uint32_t pairs[10];
    RegisterImages::Instance().Update([&](RegisterImageSet& images) {
        if (Given(config.shadowControl)) SetBit(images.shadowControl, 30, config.shadowControl & 1);
        if (Given(config.portSwitchHigh)) SetBit(images.portSwitch, 6 + switchShift, config.portSwitchHigh & 1);
        if (Given(config.portSwitchLow)) SetBit(images.portSwitch, 5 + switchShift, config.portSwitchLow & 1);
        if (Given(config.phySwitch)) {
            SetBit(images.phyControl1, 0 + phyShift, config.phySwitch & 1);
            SetBit(images.phyControl2, 0 + phyShift, config.phySwitch & 1);
        }
        if (Given(config.flowControl)) {
            SetBit(images.phyControl1, a ? 22 : 6, config.flowControl & 1);
            SetBit(images.phyControl2, a ? 30 : 14, config.flowControl & 1);
        }
        if (Given(config.phySwitchHigh)) {
            SetBit(images.phyControl1, 4 + phyShift, config.phySwitchHigh & 1);
            SetBit(images.phyControl2, 4 + phyShift, config.phySwitchHigh & 1);
        }
        uint32_t& portWord = images.portWord[port];
        if (Given(config.portWordSwitch)) SetBit(portWord, 31, config.portWordSwitch & 1);
        if (config.portWord != kUnchanged32) portWord = (portWord & 0x80000000u) | (config.portWord & 0x7FFFFFFF);
        const int modeShift = a ? 17 : 1;
        images.phyControl2 = (images.phyControl2 & ~(3u << modeShift)) | uint32_t(config.phyMode & 3) << modeShift;

        pairs[0] = reg::kPortSwitch, pairs[1] = images.portSwitch;
        pairs[2] = reg::kPhyControl, pairs[3] = secondMap ? images.phyControl2 : images.phyControl1;
        pairs[4] = reg::kShadowControl, pairs[5] = images.shadowControl;
        pairs[6] = reg::kPortWord + PortOffset(port), pairs[7] = portWord;
    });
    PortImages::Instance().Update([&](PortImageSet& images) {
        // Media detection takes bit 0 of these two fields into its SFP image.
        if (Given(config.flowControl)) images.flowControl[port] = config.flowControl & 1;
        if (Given(config.portWordSwitch)) images.portWordSwitch[port] = config.portWordSwitch & 1;
        uint32_t& speed = images.speed[port];
        if (Given(config.speedDuplex)) speed = SpeedImage(speed, config.speedDuplex);
        if (Given(config.speedClass)) speed = (speed & ~(3u << 15)) | uint32_t(config.speedClass & 3) << 15;
        pairs[8] = reg::kPortSpeed + PortOffset(port), pairs[9] = speed;
    });
    return BVT_GenW(5, pairs);
}

}  // namespace capi
