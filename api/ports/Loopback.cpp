#include "ports/PortControls.h"

#include "BrevixCAPI.h"
#include "connection/DeviceMode.h"
#include "ports/PortImages.h"
#include "ports/PortMaps.h"
#include "ports/Ports.h"
#include "protocol/RegisterImages.h"
#include "protocol/RegisterMap.h"
#include "runtime/PumpWait.h"
#include "tx/TxImages.h"

namespace capi {
namespace {

constexpr uint8_t kBothPortsCode = 2;
constexpr uint8_t kNoLoopbackCode = 3;

uint32_t& PhyControl(RegisterImageSet& images) {
    return UsesSecondMap() ? images.phyControl2 : images.phyControl1;
}

// Bits of a loopback image field: Port A's field lies 8 bits above Port B's.
uint32_t FieldBits(uint8_t port, uint32_t bits) {
    if (port == 255) return bits << 8 | bits;
    return port == 0 ? bits << 8 : bits;
}

// The PHY control bits that carry a port's traffic: 19 for Port A, 3 for Port B.
uint32_t PortTrafficBits(uint8_t port) {
    if (port == 255) return 1u << 19 | 1u << 3;
    return port == 0 ? 1u << 19 : 1u << 3;
}

void SetLoopbackImages(PortImageSet& images, uint8_t port, uint8_t mode) {
    const uint8_t code = port == 255 ? kBothPortsCode : port;
    uint32_t& first = images.loopback1;
    switch (mode) {
    case BREVIXC_LOOPBACK_OFF: {
        // The second image goes back to what its shadow kept of the port that was looped.
        const uint32_t kept = images.loopbackCode == 0 ? 0xD00u : images.loopbackCode == 1 ? 0x00Du : 0;
        first = 0;
        images.loopback2 = images.loopback2Shadow & kept;
        images.loopbackCode = kNoLoopbackCode;
        return;
    }
    case BREVIXC_LOOPBACK_TAP:
        first = (first & ~0x707u) | 1u << 16;
        for (uint32_t* second : {&images.loopback2, &images.loopback2Shadow}) {
            *second = (*second & ~0x707u) | 0x808u;
        }
        images.loopbackCode = kBothPortsCode;
        return;
    default:
        break;
    }
    // Modes 1, 2, 4 and 5 set the port's field of the first image to 001, 011, 101 or 111.
    static const uint32_t kFirstField[6] = {0, 1, 3, 0, 5, 7};
    first = (first & ~(1u << 16) & ~FieldBits(port, 7)) | FieldBits(port, kFirstField[mode]);
    for (uint32_t* second : {&images.loopback2, &images.loopback2Shadow}) {
        if (mode == 1) *second = (*second & ~0xA0Au & ~FieldBits(port, 4)) | FieldBits(port, 1);
        if (mode == 2) *second = ((*second & ~0x808u) | 0x202u | FieldBits(port, 4)) & ~FieldBits(port, 1);
    }
    images.loopbackCode = code;
}

}  // namespace

int SetLoopback(uint8_t port, uint8_t mode) {
    const PortList ports = PortsOf(port);
    if (ports.empty() || mode > 5) return 0;

    // Traffic stops first: receive stream counting off and the port's Tx command "stop".
    uint32_t pairs[8];
    uint32_t count = 0;
    RegisterImages::Instance().Update([&](RegisterImageSet& images) {
        uint32_t& phy = PhyControl(images);
        phy &= port == 0 ? ~(1u << 19) : ~(1u << 3);
        pairs[2 * count] = reg::kPhyControl, pairs[2 * count + 1] = phy, ++count;
        for (uint8_t p : ports) {
            images.captureOptions[p] &= ~0x80u;
            pairs[2 * count] = reg::kCaptureOptions + PortOffset(p);
            pairs[2 * count + 1] = images.captureOptions[p];
            ++count;
        }
    });
    pairs[2 * count] = reg::kSharedTxCommand, pairs[2 * count + 1] = SetSharedTxCommand(port, kTxStop), ++count;
    if (!BVT_GenW(count, pairs)) return 0;

    PumpWait(1);
    const uint32_t loopback = PortImages::Instance().Update([&](PortImageSet& images) {
        SetLoopbackImages(images, port, mode);
        return UsesSecondMap() ? images.loopback2 : images.loopback1;
    });
    SetDeviceMode(mode == BREVIXC_LOOPBACK_TAP ? kTapMode : kPacketGeneratorMode);
    const uint32_t phy = RegisterImages::Instance().Update([&](RegisterImageSet& images) {
        return PhyControl(images) |= PortTrafficBits(port);
    });
    const uint32_t final[4] = {reg::kLoopback, loopback, reg::kPhyControl, phy};
    return BVT_GenW(2, final);
}

int SetRxBert(uint8_t port, uint32_t settings) {
    const PortList ports = PortsOf(port);
    if (ports.empty() || DeviceModeNow() != kPacketGeneratorMode) return 0;
    for (uint8_t p : ports) {
        if (UsesSecondMap()) {
            const uint32_t phy = RegisterImages::Instance().Update([&](RegisterImageSet& images) {
                SetBit(images.phyControl2, p == 0 ? 29 : 13, settings & 1);
                return images.phyControl2;
            });
            const uint32_t pair[2] = {reg::kPhyControl, phy};
            if (!BVT_GenW(1, pair)) return 0;
        }
        const uint32_t control = RegisterImages::Instance().Update([&](RegisterImageSet& images) {
            uint32_t& image = images.captureOptions[p];
            image = (settings & 0xFFFF) ? image | 0xE00u : image & ~0xE00u;
            return image;
        });
        const uint32_t pair[2] = {reg::kCaptureOptions + PortOffset(p), control};
        if (!BVT_GenW(1, pair)) return 0;
    }
    return 1;
}

int SetRxDi(uint8_t port, uint8_t value) {
    if (port > 1) return 0;
    const uint32_t phy = RegisterImages::Instance().Update([&](RegisterImageSet& images) {
        SetBit(images.phyControl1, port == 0 ? 20 : 4, value & 1);
        SetBit(images.phyControl2, port == 0 ? 20 : 4, value & 1);
        return PhyControl(images);
    });
    return BVT_Write(reg::kPhyControl, phy);
}

}  // namespace capi
