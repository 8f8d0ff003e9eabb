#include "tx/TxImages.h"

#include "tx/Tx.h"

namespace capi {

TxImages& TxImages::Instance() {
    static TxImages images;
    return images;
}

uint32_t SetSharedTxCommand(uint8_t port, TxCommand command) {
    return TxImages::Instance().Update([&](TxImageSet& images) {
        if (port != 1) images.sharedCommand = (images.sharedCommand & ~0x0F000000u) | command << 24;
        if (port != 0) images.sharedCommand = (images.sharedCommand & ~0x000F0000u) | command << 16;
        return images.sharedCommand;
    });
}

// The register images go back to what the set-up leaves in the tester: configuration 0x000A0300,
// stream control with bit 25, both ports' shared command "stop", host sending off.
void ResetTxImages() {
    TxImages::Instance().Update([](TxImageSet& images) {
        for (TxPortImages& port : images.port) {
            port.config = 0x000A0300;
            port.gap = 0;
            port.option = 0;
            port.streamControl = 0x02000000;
            port.streamControl2 = 0x02000000;
            port.command = 0;
            port.lengthAdjust = false;
            port.hostSend = false;
        }
        images.sharedCommand = 0x04040000;
    });
}

}  // namespace capi
