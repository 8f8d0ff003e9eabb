// The flash layer's transport: the chip driver's control device, opened for each I/O control, and
// the SPI configuration and transaction built on it.

#include "connection/DeviceState.h"
#include "runtime/HandleOwner.h"
#include "runtime/DebugStream.h"
#include "serialflash/FlashLayer.h"
#include "serialflash/FlashOutput.h"

#include "chipdriver/ChipDriver.h"

namespace capi {
namespace {

constexpr wchar_t kControlDevice[] = L"\\\\.\\AX88772";
// On Windows 8 and later the driver of the Brevix-H and Brevix-J adapters is reached by its
// device-interface path instead.
constexpr wchar_t kInterfaceDevice[] = L"\\\\.\\{4d1e55b2-f16f-11cf-88cb-001111000030}";

// A handle of the chip driver's layer, closed through it.
using ChipHandle = HandleOwner<decltype(&chipdriver::CloseHandle), &chipdriver::CloseHandle>;

}  // namespace

bool FlashLayer::ChipIoControl(uint32_t code, const void* in, uint32_t inLength, void* out, uint32_t* outLength) {
    const bool byInterface = windows8_ && IsBrevixHFamily(MachineId());
    const ChipHandle device(chipdriver::CreateFileW(
        byInterface ? kInterfaceDevice : kControlDevice, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
        OPEN_EXISTING, byInterface ? FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN : FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!device) {
        PrintToStdout("Failed to open the device");
        return false;
    }
    DWORD returned = 0;
    const BOOL done = chipdriver::DeviceIoControl(device.get(), code, const_cast<void*>(in), inLength, out,
                                                  outLength ? *outLength : 0, &returned, nullptr);
    if (!done) {
        Log("DeviceIoControl failed");
        // Once the tester is gone every transaction fails: say so only while it is there.
        if (!DeviceLost()) PrintToStdout("I/O control failed.");
    }
    if (outLength) *outLength = returned;
    return done;
}

bool FlashLayer::SpiSetInterface(bool enable, bool flagA, bool flagB, uint8_t mode, uint8_t clock) {
    const spiflash::SpiConfig config = spiflash::MakeSpiConfig(enable, flagA, flagB, mode, clock);
    uint32_t outLength = 0;
    return ChipIoControl(kIoctlSpiConfigure, config.data(), uint32_t(config.size()), nullptr, &outLength);
}

bool FlashLayer::SpiTransact(spiflash::Direction direction, const uint8_t* command, uint32_t commandLength,
                             uint8_t* data, uint32_t dataLength) {
    if (!command || commandLength == 0) {
        PrintToStdout("SPI OP code error!!");
        return false;
    }
    spiflash::CommandBlock block;
    const size_t length = spiflash::BuildCommandBlock(direction, command, commandLength, data, dataLength, &block);
    if (length == 0) return false;
    const bool read = direction == spiflash::Direction::Read;
    uint32_t outLength = read ? dataLength : 0;
    return ChipIoControl(kIoctlSpiTransaction, block.data(), uint32_t(length), read ? data : nullptr, &outLength);
}

}  // namespace capi
