#pragma once
// The serial flash commands over the WMI transport: one SPI transaction each, with the page
// program's write-enable retries and the erase polling. The exports run on one instance with the
// system's clock; a test may make its own with a clock of its own.

#include "Clock.h"
#include "WmiTransport.h"

#include <cstdint>

namespace win7 {

class FlashCommands {
public:
    explicit FlashCommands(Clock& clock) : clock_(clock), transport_(clock) {}

    // The exports' instance. It lives as long as the process: the host never shuts the layer
    // down, and COM must not be released from a DLL's detach.
    static FlashCommands& Instance();

    Clock& Time() { return clock_; }
    WmiTransport& Transport() { return transport_; }

    // Connects (initialising COM, or in the host's apartment when `sharedCom`), raises the GPIO
    // lines and switches the SPI master on. A connection held from before is closed first; a
    // failure leaves nothing open.
    bool Init(bool sharedCom);
    // Switches the SPI master off and disconnects; the connection stays when the switch fails.
    bool Shutdown();
    // Writes GPIO word 15; true whatever the driver made of it.
    bool ResetGpio();

    bool WriteEnable();
    bool WriteDisable();
    bool ReadStatus(uint8_t* status);
    bool WriteStatus(const uint8_t* status);
    bool ReadId(uint8_t* manufacturer, uint8_t* memoryType, uint8_t* capacity);
    bool FastRead(uint8_t* buffer, uint32_t address, uint16_t length);
    bool ReadPage(uint8_t* buffer, uint16_t page, uint16_t length);
    bool PageProgram(uint16_t page, const uint8_t* data, uint16_t length);
    bool SectorErase(uint8_t sector);
    bool ChipErase();

private:
    // Reads the status register until an erase ends, pausing between reads: true when it
    // finished, false when it failed, a read failed or the reads ran out.
    bool PollErase(uint32_t pauseMs);

    Clock& clock_;
    WmiTransport transport_;
    uint32_t gpio_ = 0;
};

}  // namespace win7
