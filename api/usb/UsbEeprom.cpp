// The 93C56 of the Brevix-H family, behind the channel.

#include "usb/Usb.h"
#include "usb/UsbCommands.h"

#include <algorithm>
#include <cstring>

namespace capi {

bool OpenUsbUnit() {
    if (UsbDownloadBusy().load()) return false;
    UsbTesterDevice& device = UsbTesterDevice::Instance();
    return device.FindByType(4) && device.Open();
}

void CloseUsbUnit() {
    UsbTesterDevice::Instance().Close();
    WaitDownloadEnd();
}

bool ReadUsbEeprom(uint8_t word, uint8_t count, uint8_t* answer) {
    // The reply always carries 58 data bytes: a buffer of the caller's size takes what it asked.
    uint8_t whole[62] = {};
    if (!UsbGetEeprom(word, count, whole)) return false;
    std::memcpy(answer, whole, 4 + std::min<size_t>(2 * size_t(count), 58));
    return true;
}

bool WriteUsbEeprom(const uint8_t* record, size_t length) {
    if (length < kEepromRecord) return false;
    return UsbSetEeprom(record) != 0;
}

}  // namespace capi
