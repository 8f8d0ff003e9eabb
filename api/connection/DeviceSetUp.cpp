#include "connection/DeviceSetUp.h"

#include "BrevixCAPI.h"
#include "connection/DeviceState.h"
#include "counters/Counters.h"
#include "ports/PortImages.h"
#include "protocol/RegisterImages.h"
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
    const bool secondMap = MachineId() == 3 || MachineId() == 4;
    RegisterImages::Instance().Update([](RegisterImageSet& images) {
        images = RegisterImageSet{};
        images.portWord[0] = images.portWord[1] = 0x7FFFFFFF;
    });
    ResetPortImages();
    ResetTxImages();

    const uint32_t phyControl = RegisterImages::Instance().Update(
        [secondMap](RegisterImageSet& images) { return secondMap ? images.phyControl2 : images.phyControl1; });
    const uint32_t phyPair[2] = {0x400000D0, phyControl};
    BVT_GenW(1, phyPair);

    const uint32_t fixed[10] = {0x40000054, 0x101,       0x410000C8, 0x40000000, 0x430000C8,
                                0x40000000, 0x400000CC,  0,          0x40000080, 0x04040000};
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
        const uint32_t values[14] = {0x400000D4, images.shadowControl, 0x400000DC, images.portSwitch,
                                     0x400000D0, phy,                  0x41000040, 0xFFFF,
                                     0x41000044, 31,                   0x43000040, 0xFFFF,
                                     0x43000044, 31};
        std::copy(values, values + 14, pairs);
    });
    if (!BVT_GenW(7, pairs)) return 0;
    PumpWait(1000);
    setUpComplete = true;
    return 1;
}

}  // namespace capi
