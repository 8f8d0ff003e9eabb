#pragma once
// The flash commands' way to the USB-Ethernet chip: the driver's WMI classes in root\wmi, and
// nothing else. A configuration record or a command block is written to its class; the driver's
// verdict is read back from the status class (4 done, 3 failed, anything else still working),
// polled every 20 ms for at most 21 reads; the bytes a read transaction fetched wait in the data
// class. The GPIO output word has a class of its own.
//
// Every failure is shown to the user in a message box and reported as false. All of it runs on the
// caller's thread, in the caller's COM apartment; nothing is locked (one caller at a time).

#include "Clock.h"
#include "FlashRecords.h"

#include <wbemcli.h>
#include <wrl/client.h>

#include <cstdint>

namespace win7 {

class WmiTransport {
public:
    explicit WmiTransport(Clock& clock) : clock_(clock) {}
    ~WmiTransport() { WmiDisconnect(); }
    WmiTransport(const WmiTransport&) = delete;
    WmiTransport& operator=(const WmiTransport&) = delete;

    bool Connected() const { return services_ != nullptr; }
    // The last lookup of one of the driver's SPI classes found no instance, or its query failed for
    // the second time running: the adapter is gone (unplugged, or its driver unloaded), and every
    // transaction after would fail the same way. One failed query tells nothing of the adapter (the
    // WMI service may have had a bad moment): the transaction fails, the next one tries again. A
    // lookup that finds its instance again clears it.
    bool DriverGone() const { return driverGone_; }
    // Forgets an earlier loss: a download starts from what its own transactions find.
    void ForgetDriverLoss() {
        driverGone_ = false;
        lastLookup_ = Lookup::Found;
    }

    // Initialises COM (single-threaded apartment) and its security, then connects.
    bool WmiConnect();
    // Connects in a COM apartment that the host initialised itself.
    bool WmiConnectShared();
    // Releases the connection; uninitialises COM only when WmiConnect initialised it.
    void WmiDisconnect();

    bool WmiSpiConfig(const spiflash::SpiConfig& record);
    bool WmiSpiSendCmd(const uint8_t* block, int length);
    // On failure *status is 128 (no class or no instance) or 129 (no readable status).
    bool WmiSpiReadStatus(int* status);
    bool WmiSpiReadData(uint8_t* buffer, int length);
    bool WmiSetGpioValue(const uint32_t* word);

    // One SPI transaction: the command block written, its status polled, and for a read the bytes
    // fetched into data.
    bool SpiTransact(spiflash::Direction direction, const uint8_t* command, uint32_t commandLength, uint8_t* data,
                     uint32_t dataLength);
    bool SpiSetInterface(bool enable, bool flagA, bool flagB, uint8_t mode, uint8_t clock);

private:
    enum class Lookup { Found, QueryFailed, NoInstance };
    enum class PollEnd { Done, Failed, ReadFailed, TimedOut };

    // The first instance of a class, by a WQL query (the write sequence) or an instance
    // enumeration (the read sequence).
    Lookup QueryFirst(const wchar_t* className, Microsoft::WRL::ComPtr<IWbemClassObject>* object);
    Lookup EnumerateFirst(const wchar_t* className, Microsoft::WRL::ComPtr<IWbemClassObject>* object);
    // Marks the driver gone when the lookup found no instance or repeated a failed query, and
    // present again when it found its instance.
    Lookup Noted(Lookup lookup);
    // Shows the texts of a failed lookup (a null text: no box); true when the instance was found.
    static bool Found(Lookup lookup, const char* queryFailed, const char* noInstance, const char* caption);
    // Connection steps shared by both connects: the locator, root\wmi and the proxy blanket.
    // `shared` selects the texts; on failure everything obtained is released.
    bool ConnectServices(bool shared);
    PollEnd PollStatus();

    Clock& clock_;
    Microsoft::WRL::ComPtr<IWbemLocator> locator_;
    Microsoft::WRL::ComPtr<IWbemServices> services_;
    bool comInitialised_ = false;  // WmiConnect's CoInitializeEx, owed a CoUninitialize
    bool driverGone_ = false;
    Lookup lastLookup_ = Lookup::Found;  // of the SPI classes, for telling a repeated failure
};

}  // namespace win7
