#include "connection/DeviceSetUp.h"

#include "BrevixCAPI.h"
#include "capture/Capture.h"
#include "connection/DeviceState.h"
#include "counters/Counters.h"
#include "ports/PortImages.h"
#include "ports/PortMaps.h"
#include "protocol/RegisterImages.h"
#include "protocol/RegisterMap.h"
#include "runtime/PumpWait.h"
#include "tx/Tx.h"

#include <algorithm>
#include <atomic>
#include <initializer_list>

namespace capi {
namespace {

// Cleared and set by the set-up on the connecting thread; read by the receive thread.
std::atomic<bool> setUpComplete{false};

constexpr uint32_t Bits(std::initializer_list<int> bits) {
    uint32_t mask = 0;
    for (int bit : bits) mask |= 1u << bit;
    return mask;
}

}  // namespace

bool SetUpComplete() { return setUpComplete; }

int DeviceSetUp() {
    setUpComplete = false;
    const bool secondMap = UsesSecondMap();
    RegisterImages::Instance().Update([](RegisterImageSet& images) {
        images = RegisterImageSet{};
        images.portWord[0] = images.portWord[1] = 0x7FFFFFFF;
    });
    ResetPortImages();
    ResetTxImages();
    ResetCaptureWords();

    const uint32_t phyControl = RegisterImages::Instance().Update(
        [secondMap](RegisterImageSet& images) { return secondMap ? images.phyControl2 : images.phyControl1; });
    const uint32_t phyPair[2] = {reg::kPhyControl, phyControl};
    BVT_GenW(1, phyPair);

    const uint32_t fixed[10] = {reg::kHostSwitch,       0x101,      reg::kCaptureRunWord, 0x40000000,
                                reg::kCaptureRunWord + kPortStride, 0x40000000, reg::kTinyGapFirstMap, 0,
                                reg::kSharedTxCommand, 0x04040000};
    if (!BVT_GenW(5, fixed)) return 0;

    ClearPortCounters(0);
    ClearPortCounters(1);
    ClearPortStreamCounters(0);
    ClearPortStreamCounters(1);
    ClearCounterBlocks();

    uint32_t pairs[14];
    RegisterImages::Instance().Update([&](RegisterImageSet& images) {
        images.shadowControl = (images.shadowControl & ~Bits({31})) | Bits({30});
        images.portSwitch &= ~Bits({16, 17});
        uint32_t phy;
        if (secondMap) {
            images.phyControl2 = (images.phyControl2 | Bits({19, 16, 3, 0})) & ~Bits({17, 18, 1, 2});
            phy = images.phyControl2;
        } else {
            images.phyControl1 |= Bits({19, 18, 16, 3, 2, 0});
            phy = images.phyControl1;
        }
        for (int port = 0; port < 2; ++port) {
            images.sdfrWordA[port] = 0xFFFF;
            images.sdfrWordB[port] = 31;
        }
        const uint32_t values[14] = {reg::kShadowControl, images.shadowControl, reg::kPortSwitch, images.portSwitch,
                                     reg::kPhyControl, phy, reg::kSdfrWordA, 0xFFFF,
                                     reg::kSdfrWordB, 31, reg::kSdfrWordA + kPortStride, 0xFFFF,
                                     reg::kSdfrWordB + kPortStride, 31};
        std::copy(values, values + 14, pairs);
    });
    if (!BVT_GenW(7, pairs)) return 0;
    PumpWait(1000);
    setUpComplete = true;
    return 1;
}

}  // namespace capi
