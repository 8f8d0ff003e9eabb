#pragma once
// The USB-Ethernet chip's Windows driver as the tester's serial flash sees it: the control device
// ("\\.\AX88772", and the device-interface path that newer systems use) with the SPI configuration
// and SPI transaction I/O controls, and the driver's WMI classes in root\wmi: the GPIO output word
// and the SPI configuration, command, status and data classes. Behind the SPI master sits the
// flash. The same control device reads and writes the adapter's own 512-byte configuration EEPROM,
// whose device descriptors give the adapter's USB vendor and product ids. Faults can be injected;
// the DriverHost's call log holds every transaction's bytes.

#include "sim/DriverHost.h"
#include "sim/SerialFlash.h"

#include <optional>

namespace sim {

class ChipDriver {
public:
    static constexpr uint32_t kSpiConfigure = 0x222100;
    static constexpr uint32_t kSpiTransaction = 0x222104;
    // The configuration EEPROM: read the image (512 bytes out), write it (512 bytes in), and the
    // 4-byte attempt number a writer sends before each write (accepted and only logged).
    static constexpr uint32_t kEepromRead = 0x222000;
    static constexpr uint32_t kEepromWrite = 0x222004;
    static constexpr uint32_t kEepromWriteAttempt = 0x222058;
    static constexpr size_t kEepromSize = 512;
    static constexpr wchar_t kControlDevice[] = L"\\\\.\\AX88772";
    static constexpr wchar_t kInterfaceDevice[] = L"\\\\.\\{4d1e55b2-f16f-11cf-88cb-001111000030}";

    // Registers the devices and classes with the host; the destructor removes them.
    explicit ChipDriver(DriverHost& host);
    ~ChipDriver();
    ChipDriver(const ChipDriver&) = delete;
    ChipDriver& operator=(const ChipDriver&) = delete;

    SerialFlash& Flash();
    uint32_t Gpio() const;
    // The SPI configuration record last written (five zero bytes before any).
    Bytes SpiConfig() const;
    bool SpiEnabled() const;

    // The configuration EEPROM. It starts as an adapter of the tester: vendor 0x2403 and product
    // 0x8001 in the device descriptors at 64 and 142. SetEeprom cuts a longer image to kEepromSize
    // bytes and fills a shorter one with 0xFF, as an erased part reads.
    Bytes Eeprom() const;
    void SetEeprom(Bytes image);
    // Writes are accepted but change nothing, as on a write-protected part.
    void ProtectEeprom(bool protect);

    // Faults. FailOpens: opening the control device fails (the WMI classes still answer).
    void FailOpens(bool fail);
    // The next `count` I/O controls with this code (0: any code) fail with ERROR_GEN_FAILURE.
    void FailIoControls(uint32_t code, size_t count);
    // After `count` more I/O controls the adapter is gone, as when the tester is unplugged: opens
    // and I/O controls fail and the WMI classes have no instance, until SetPresent(true).
    void LoseAfter(size_t count);
    void SetPresent(bool present);
    bool Present() const;
    // Writes of the GPIO class fail with WBEM_E_FAILED.
    void FailGpioWrites(bool fail);
    // The SPI status class answers this value; nullopt restores the true status.
    void ForceSpiStatus(std::optional<int32_t> status);
    // The SPI data class answers this value (of any type or length); nullopt restores the bytes
    // the last read returned.
    void ForceSpiData(std::optional<WmiValue> value);
    // Instances of the class lack the property, as a driver of another version would report them;
    // RestoreProperties brings every one back.
    void DropProperty(const std::wstring& className, const std::wstring& property);
    void RestoreProperties();
    // The next `count` read transactions (opcode 03) of this flash address end with SPI status 3
    // and fetch nothing, as a transfer the chip gave up on.
    void FailReadsAt(uint32_t address, size_t count);
    // Instance writes of the class fail with this HRESULT; nullopt lets them through again.
    void FailWrites(const std::wstring& className, std::optional<uint32_t> result);
    // Of the WQL queries of the class (the lookup before each instance write), the `after` next
    // ones go through and the `count` that follow fail with WBEM_E_FAILED, as a WMI service that
    // has a bad moment; the instance stays and later queries find it.
    void FailQueries(const std::wstring& className, size_t after, size_t count);

    struct State;

private:
    DriverHost& host_;
    std::shared_ptr<State> state_;  // shared with the devices and classes registered at the host
};

}  // namespace sim
