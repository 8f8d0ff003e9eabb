#pragma once
// What the library knows about the connected tester: the exported identity globals, the model
// table behind the machine id, and the version state behind the system information message.

#include "BrevixCAPI.h"

#include <cstdint>
#include <mutex>

namespace capi {

// A row of the model table; the row follows the machine id (row 0 until one is known).
struct ModelRow {
    char defaultName[21];
    uint8_t eepromSelector;  // top nibble of the EEPROM command words
    uint32_t modelValue;
};

class Identity {
public:
    static Identity& Instance();

    // BrevixC_SYS_Init: the globals to their start values ("Brevix-CF", row 0, all else clear).
    void Reset();
    // A USB-attached Brevix-H unit answered: machine id 3, "Brevix-H".
    void SetUsbUnit();
    bool UsbUnit() const;

    // Detection found the model from the adapter's address (or the probe).
    void SetDetectedModel(int32_t machineId, const char* module);
    // The system ID register 0x40000000 and register 0x4000000C, as the tester answered them;
    // `hasHardwareWord` is false when the second pair was not that register.
    void ApplySystemId(uint32_t systemId, bool hasHardwareWord, uint32_t hardwareWord);
    ModelRow Row() const;

    // Identity fields from EEPROM words; the bytes of each word come low byte first.
    void SetModuleFromEeprom(const uint8_t* bytes16);
    void SetSerialNumber(const uint8_t* bytes20);
    void SetProductDate(const uint8_t* bytes12);
    void SetMac(const uint8_t* bytes6);
    void SetEepromVersion(uint8_t low, uint8_t high);
    void SetVcxoPpm(int32_t ppm);
    // Identity read over the USB channel (machine ids 3 and 4): the bytes as the unit's EEPROM
    // holds them, and the firmware word's bits under `mask` from the unit's version text.
    void SetUsbField(char* field, size_t size, const uint8_t* bytes, size_t count);
    void SetMachineId(int32_t machineId);
    void SetFirmwareBits(uint32_t mask, uint32_t bits);

    // The version registers as the tester answered them: 0x40000004, and 0x4000000C and 0x40000040
    // when the reply held them.
    void ApplyVersion(uint32_t fpgaWord, const uint32_t* hardwareWord, const uint32_t* firmwareWord);
    // The 82-byte system information message (0x0500) from the version state.
    void SendSystemInfoMessage(uint32_t stampSeconds, uint32_t stampMicroseconds) const;

private:
    Identity() = default;

    // lock_ guards the globals below and the exported identity globals against each other's
    // writers: the host's thread (init, detection, connect) and the receive thread (replies).
    // Hosts read the exported globals without it, once connect has returned.
    mutable std::mutex lock_;
    int modelRow_ = 0;
    uint32_t modelValue_ = 0x8000;
    bool usbUnit_ = false;
    uint32_t hardwareNibble_ = 0;
    uint32_t fpgaParts_[3] = {};
    uint32_t fpgaDate_ = 0;
    uint32_t firmwareWord_ = 0;
};

// Date word of an FPGA version word: BCD month, BCD day, then the four BCD digits of the year.
uint32_t FpgaDateWord(uint32_t fpgaWord);

}  // namespace capi
