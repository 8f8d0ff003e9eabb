// The channel's part in the library's start, connect, manual identity reads and VCXO calls for the
// Brevix-H family (machine ids 3 and 4). A unit is selected and opened for each call and closed
// after it; while a worker download runs, these calls fail rather than reopen its channel.

#include "BrevixCAPI.h"
#include "connection/DeviceState.h"
#include "identity/Identity.h"
#include "identity/IdentityReplies.h"
#include "runtime/DebugStream.h"
#include "usb/Usb.h"
#include "usb/UsbCommands.h"

#include <cstring>

namespace capi {
namespace {

constexpr size_t kAnswer = 62;  // a read's 58 data bytes follow 4 bytes of header

// Reads EEPROM words and hands the data bytes to `store`; nothing is stored when the read fails.
template <typename Store>
bool ReadWords(uint16_t word, uint16_t count, Store store) {
    uint8_t answer[kAnswer] = {};
    if (!UsbGetEeprom(word, count, answer)) return false;
    store(answer + 4);
    return true;
}

bool StartsWith(const char* text, const char* prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

void ReadIdentity() {
    Identity& identity = Identity::Instance();
    UsbGetSystemVersion();
    uint8_t record[kSystemInfoRecord];
    UsbGetSystemInfo(record);
    ReadWords(16, 8, [&](const uint8_t* data) {
        identity.SetUsbField(BVX_Module, sizeof BVX_Module, data, 16);
        if ((StartsWith(BVX_Module, "Brevix-H") || StartsWith(BVX_Module, "Brevix-J")) &&
            !IsBrevixHFamily(MachineId())) {
            Log("(API)(Korrin_GetEeprom)(BVX_Module) is BVX-8 series");
            identity.SetMachineId(3);
        }
    });
    ReadWords(38, 10, [&](const uint8_t* data) { identity.SetUsbField(BVX_SN, sizeof BVX_SN, data, 20); });
    ReadWords(32, 4, [&](const uint8_t* data) { identity.SetUsbField(BVX_PCB, sizeof BVX_PCB, data, 4); });
    ReadWords(64, 3, [&](const uint8_t* data) { identity.SetMac(data); });
    ReadWords(48, 6,
              [&](const uint8_t* data) { identity.SetUsbField(BVX_ProductDate, sizeof BVX_ProductDate, data, 12); });
    ReadWords(33, 1, [&](const uint8_t* data) { identity.SetEepromVersion(data[0], data[1]); });
    SetIdentityComplete(true);
}

}  // namespace

bool ProbeUsbUnit() {
    if (!OpenUsbUnit()) return false;
    CloseUsbUnit();
    return true;
}

bool ReadUsbIdentity() {
    if (!OpenUsbUnit()) return false;
    ReadIdentity();
    CloseUsbUnit();
    return true;
}

bool ReadUsbIdentityField(int32_t index) {
    if (!OpenUsbUnit()) return false;
    Identity& identity = Identity::Instance();
    const bool read =
        index == 0
            ? ReadWords(16, 8,
                        [&](const uint8_t* data) { identity.SetUsbField(BVX_Module, sizeof BVX_Module, data, 16); })
            : ReadWords(38, 10, [&](const uint8_t* data) { identity.SetUsbField(BVX_SN, sizeof BVX_SN, data, 20); });
    CloseUsbUnit();
    return read;
}

namespace {

// The VCXO calls use the open channel, or open one for the call; the unit's value is kept in
// BVX_VCXO_PPM.
template <typename Exchange>
int VcxoCall(Exchange exchange) {
    const bool opened = !UsbTesterDevice::Instance().IsConnected();
    if (opened && !OpenUsbUnit()) return 0;
    int16_t unit = 0;
    const int result = exchange(&unit);
    if (result) Identity::Instance().SetVcxoPpm(unit);
    if (opened) CloseUsbUnit();
    return result;
}

}  // namespace

int SetVcxoAdjustPpm(uint16_t ppm) {
    return VcxoCall([&](int16_t* unit) { return UsbSetVcxo(int16_t(ppm), unit); });
}

int GetVcxoAdjustPpm() {
    return VcxoCall([](int16_t* unit) { return UsbGetVcxo(unit); });
}

}  // namespace capi
