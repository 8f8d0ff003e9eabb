#include "identity/Identity.h"

#include "connection/DeviceState.h"
#include "runtime/HostMessages.h"

#include <algorithm>
#include <cctype>
#include <cstring>

extern "C" {
char BVX_Module[21];
char BVX_SN[21];
uint8_t BVX_MAC[6];
char BVX_PCB[5];
char BVX_ProductDate[13];
int32_t BVX_Machine_ID;
uint8_t BVX_MyIPv4[4];
uint8_t BVX_ServerIPv4[4];
uint8_t BVX_GatewayIPv4[4];
int32_t BVX_VCXO_PPM;
uint8_t BVX_IsPOF;
int32_t EEPROM_Version;
}

namespace capi {
namespace {

// The EEPROM selector is the chip-select nibble the tester's EEPROM answers to: 0 on Brevix-CF
// units, 1 on Brevix-A units.
const ModelRow kModels[] = {
    {"N/A", 0, 0x8000},
    {"Brevix-C Series", 0, 0x8000},
    {"Brevix-A Series", 1, 0x4000},
    {"Brevix-H", 0, 0x8000},
    {"Brevix-J", 0, 0x8000},
};

// Library version reported in the system information message.
constexpr uint32_t kLibraryMajor = 1;
constexpr uint32_t kLibraryMinor = 0;
constexpr uint32_t kLibraryBuild = 30;
constexpr uint32_t kLibraryDate = 0x10152018;

// The machine id is read by every thread of the library without the identity lock; it is stored
// and loaded whole.
void StoreMachineId(int32_t machineId) { __atomic_store_n(&BVX_Machine_ID, machineId, __ATOMIC_RELEASE); }

void SetText(char* field, size_t size, const char* text) {
    std::memset(field, 0, size);
    std::strncpy(field, text, size - 1);
}

int MachineIdOf(uint32_t systemId) {
    switch (systemId >> 16) {
    case 0xDD10:
        return 2;
    case 0xDD30:
        return 1;
    case 0xDD80:
        return (systemId & 0xFFFF) == 0x2001 ? 4 : 3;
    default:
        return 1;
    }
}

uint32_t Bcd(uint32_t value) {
    uint32_t bcd = 0;
    for (int shift = 0; value; value /= 10, shift += 4) bcd |= (value % 10) << shift;
    return bcd;
}

}  // namespace

Identity& Identity::Instance() {
    static Identity identity;
    return identity;
}

void Identity::Reset() {
    std::lock_guard<std::mutex> guard(lock_);
    std::memset(BVX_SN, 0, sizeof BVX_SN);
    std::memset(BVX_MAC, 0, sizeof BVX_MAC);
    modelRow_ = 0;
    modelValue_ = kModels[0].modelValue;
    SetText(BVX_Module, sizeof BVX_Module, "Brevix-CF");
    BVX_VCXO_PPM = 0;
    usbUnit_ = false;
    std::memset(BVX_ProductDate, 0, sizeof BVX_ProductDate);
    std::memset(BVX_PCB, 0, sizeof BVX_PCB);
    BVX_IsPOF = 0;
}

void Identity::SetUsbUnit() {
    std::lock_guard<std::mutex> guard(lock_);
    usbUnit_ = true;
    StoreMachineId(3);
    SetText(BVX_Module, sizeof BVX_Module, "Brevix-H");
}

bool Identity::UsbUnit() const {
    std::lock_guard<std::mutex> guard(lock_);
    return usbUnit_;
}

void Identity::SetDetectedModel(int32_t machineId, const char* module) {
    std::lock_guard<std::mutex> guard(lock_);
    StoreMachineId(machineId);
    SetText(BVX_Module, sizeof BVX_Module, module);
}

void Identity::ApplySystemId(uint32_t systemId, bool hasHardwareWord, uint32_t hardwareWord) {
    std::lock_guard<std::mutex> guard(lock_);
    if (usbUnit_) {
        modelRow_ = 3;
        SetText(BVX_Module, sizeof BVX_Module, "Brevix-H");
    }
    const int machineId = MachineIdOf(systemId);
    modelRow_ = machineId;
    StoreMachineId(machineId);
    modelValue_ = kModels[modelRow_].modelValue;
    if (hasHardwareWord) {
        hardwareNibble_ = machineId == 4 ? (hardwareWord >> 4) & 0xF : hardwareWord & 0xF;
        BVX_IsPOF = machineId == 2 && ((hardwareWord >> 6) & 3) == 0;
    }
}

ModelRow Identity::Row() const {
    std::lock_guard<std::mutex> guard(lock_);
    return kModels[modelRow_];
}

void Identity::SetModuleFromEeprom(const uint8_t* bytes16) {
    std::lock_guard<std::mutex> guard(lock_);
    // An unprogrammed EEPROM (or garbage) leaves the model's default name.
    if (!std::isalnum(bytes16[0])) {
        std::memcpy(BVX_Module, kModels[modelRow_].defaultName, sizeof BVX_Module);
        return;
    }
    std::memset(BVX_Module, 0, sizeof BVX_Module);
    std::memcpy(BVX_Module, bytes16, 16);
}

void Identity::SetSerialNumber(const uint8_t* bytes20) {
    std::lock_guard<std::mutex> guard(lock_);
    std::memset(BVX_SN, 0, sizeof BVX_SN);
    std::transform(bytes20, bytes20 + 20, BVX_SN, [](uint8_t b) { return b == 0xFF ? '\0' : char(b); });
}

void Identity::SetProductDate(const uint8_t* bytes12) {
    std::lock_guard<std::mutex> guard(lock_);
    std::memset(BVX_ProductDate, 0, sizeof BVX_ProductDate);
    std::memcpy(BVX_ProductDate, bytes12, 12);
}

void Identity::SetMac(const uint8_t* bytes6) {
    std::lock_guard<std::mutex> guard(lock_);
    std::memcpy(BVX_MAC, bytes6, 6);
}

void Identity::SetEepromVersion(uint8_t low, uint8_t high) {
    std::lock_guard<std::mutex> guard(lock_);
    EEPROM_Version = (low - 48) * 10 + (high - 48);
}

void Identity::SetVcxoPpm(int32_t ppm) {
    std::lock_guard<std::mutex> guard(lock_);
    BVX_VCXO_PPM = ppm;
}

void Identity::SetUsbField(char* field, size_t size, const uint8_t* bytes, size_t count) {
    std::lock_guard<std::mutex> guard(lock_);
    std::memset(field, 0, size);
    std::memcpy(field, bytes, std::min(count, size - 1));
}

void Identity::SetMachineId(int32_t machineId) {
    std::lock_guard<std::mutex> guard(lock_);
    StoreMachineId(machineId);
}

void Identity::SetFirmwareBits(uint32_t mask, uint32_t bits) {
    std::lock_guard<std::mutex> guard(lock_);
    firmwareWord_ = (firmwareWord_ & ~mask) | (bits & mask);
}

uint32_t FpgaDateWord(uint32_t fpgaWord) {
    const uint32_t year = ((fpgaWord >> 25) & 7) + ((fpgaWord & 0x80000000u) ? 2016 : 2008);
    const uint32_t month = (fpgaWord >> 21) & 0xF;
    const uint32_t day = (fpgaWord >> 16) & 0x1F;
    return Bcd(month) << 24 | Bcd(day) << 16 | Bcd(year);
}

void Identity::ApplyVersion(uint32_t fpgaWord, const uint32_t* hardwareWord, const uint32_t* firmwareWord) {
    std::lock_guard<std::mutex> guard(lock_);
    fpgaDate_ = FpgaDateWord(fpgaWord);
    fpgaParts_[0] = (fpgaWord >> 12) & 0xF;
    fpgaParts_[1] = (fpgaWord >> 8) & 0xF;
    fpgaParts_[2] = fpgaWord & 0xFF;
    if (hardwareWord) hardwareNibble_ = *hardwareWord & 0xF;
    // Machine ids 3 and 4 report their firmware over the USB channel instead.
    if (firmwareWord && (MachineId() == 1 || MachineId() == 2)) firmwareWord_ = *firmwareWord;
}

void Identity::SendSystemInfoMessage(uint32_t stampSeconds, uint32_t stampMicroseconds) const {
    HostMessage message(BREVIXC_MSG_SYSTEM_INFO);
    {
        std::lock_guard<std::mutex> guard(lock_);
        message.Put32(BREVIXC_INFO_LIBRARY_MAJOR, kLibraryMajor);
        message.Put32(BREVIXC_INFO_LIBRARY_MINOR, kLibraryMinor);
        message.Put32(BREVIXC_INFO_LIBRARY_BUILD, kLibraryBuild);
        message.Put32(BREVIXC_INFO_LIBRARY_DATE, kLibraryDate);
        message.Put32(BREVIXC_INFO_FPGA_MAJOR, fpgaParts_[0]);
        message.Put32(BREVIXC_INFO_FPGA_MINOR, fpgaParts_[1]);
        message.Put32(BREVIXC_INFO_FPGA_BUILD, fpgaParts_[2]);
        message.Put32(BREVIXC_INFO_FPGA_DATE, fpgaDate_);
        message.Put32(BREVIXC_INFO_HARDWARE, hardwareNibble_);
        message.Put32(BREVIXC_INFO_FIRMWARE_MAJOR, (firmwareWord_ >> 12) & 0xF);
        message.Put32(BREVIXC_INFO_FIRMWARE_MINOR, (firmwareWord_ >> 8) & 0xF);
        message.Put32(BREVIXC_INFO_FIRMWARE_BUILD, firmwareWord_ & 0xFF);
        message.Put32(BREVIXC_INFO_FIRMWARE_EXTRA, (firmwareWord_ >> 16) & 0xFF);
        message.Put8(BREVIXC_INFO_FIRMWARE_FLAG_28, (firmwareWord_ >> 28) & 1);
        message.Put8(BREVIXC_INFO_FIRMWARE_FLAG_29, (firmwareWord_ >> 29) & 1);
    }
    message.Send(BREVIXC_MSG_SYSTEM_INFO_LENGTH, stampSeconds, stampMicroseconds);
}

int32_t MachineId() { return __atomic_load_n(&BVX_Machine_ID, __ATOMIC_ACQUIRE); }

bool UsbUnitPresent() { return Identity::Instance().UsbUnit(); }

}  // namespace capi
