#include "device/FakeUsb.h"

#include "usb/Usb.h"

#include <cstring>

namespace fakeusb {

Unit& TheUnit() {
    static Unit unit;
    return unit;
}

}  // namespace fakeusb

namespace capi {

// No unit answers the probe at BrevixC_SYS_Init: the machine id comes from the tester's system ID.
bool ProbeUsbUnit() { return false; }

bool ReadUsbIdentity() { return true; }

bool ReadUsbIdentityField(int32_t) { return true; }

int SetVcxoAdjustPpm(uint16_t) { return 1; }

int GetVcxoAdjustPpm() { return 0; }

bool OpenUsbUnit() {
    ++fakeusb::TheUnit().opened;
    return true;
}

void CloseUsbUnit() { ++fakeusb::TheUnit().closed; }

bool ReadUsbEeprom(uint8_t word, uint8_t count, uint8_t* answer) {
    fakeusb::Unit& unit = fakeusb::TheUnit();
    if (word / 16 == unit.failReadAtBlock) return false;
    std::memset(answer, 0, 4);
    std::memcpy(answer + 4, unit.eeprom.data() + 2 * word, 2 * size_t(count));
    return true;
}

bool WriteUsbEeprom(const uint8_t* record, size_t length) {
    fakeusb::Unit& unit = fakeusb::TheUnit();
    unit.writes.emplace_back(record, record + length);
    std::memcpy(unit.eeprom.data() + 2 * record[0], record + 10, 2 * size_t(record[4]));
    return true;
}

}  // namespace capi
