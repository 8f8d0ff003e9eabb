#pragma once
// The tester's serial flash, reached through the USB-Ethernet chip's driver: the SPI master is
// configured and driven with the control device's I/O controls (one open, one I/O control and
// one close per transaction), and the chip's GPIO lines are set through the driver's WMI class.
// The BrevixT_EEProm_* exports and the FPGA download call this.
//
// Threads: the host's thread initialises and shuts the layer down (WMI and COM live in its
// apartment); during an FPGA download the worker thread runs the flash commands, which use only
// the control device. The layer's state is written by Init and Shutdown alone, so it needs no lock
// (the flags other threads read are atomic); one download at a time is the host's rule.

#include "FlashRecords.h"

#include <wbemcli.h>
#include <wrl/client.h>
#include <atomic>
#include <cstdint>


namespace capi {

class FlashLayer {
public:
    static constexpr uint32_t kIoctlSpiConfigure = 0x222100;
    static constexpr uint32_t kIoctlSpiTransaction = 0x222104;

    static FlashLayer& Instance();

    // Init has succeeded and no Shutdown since: the SPI master is on and WMI is connected.
    bool IsOpen() const { return open_; }

    // The exports' operations.
    bool Init();
    bool ResetGpio();
    bool Shutdown();
    bool WriteEnable();
    bool WriteDisable();
    bool ReadStatus(uint8_t* status);
    bool WriteStatus(const uint8_t* status);
    bool ReadId(uint8_t* manufacturer, uint8_t* memoryType, uint8_t* capacity);
    bool SectorErase(uint8_t sector);
    bool ChipErase();
    bool Read(uint8_t* buffer, uint32_t address, uint16_t length);
    bool FastRead(uint8_t* buffer, uint32_t address, uint16_t length);
    bool PageProgram(uint16_t page, const uint8_t* data, uint16_t length);

    // The transport.
    bool WmiConnect();
    void WmiDisconnect();
    bool WmiSetGpioValue(const uint32_t* word);
    // One device I/O control on a freshly opened control device. *outLength gives the output
    // buffer's size and receives the bytes returned.
    bool ChipIoControl(uint32_t code, const void* in, uint32_t inLength, void* out, uint32_t* outLength);
    bool SpiSetInterface(bool enable, bool flagA, bool flagB, uint8_t mode, uint8_t clock);
    bool SpiTransact(spiflash::Direction direction, const uint8_t* command, uint32_t commandLength, uint8_t* data,
                     uint32_t dataLength);

private:
    FlashLayer() = default;

    Microsoft::WRL::ComPtr<IWbemLocator> locator_;
    Microsoft::WRL::ComPtr<IWbemServices> services_;
    bool comSecurityDone_ = false;  // COM security is initialised once for the library's life
    // Set by WmiConnect: Windows 8 and later name the control device by its interface path.
    std::atomic<bool> windows8_{false};
    uint32_t gpio_ = 0;
    std::atomic<bool> open_{false};  // read by terminate and the download worker
};

}  // namespace capi
