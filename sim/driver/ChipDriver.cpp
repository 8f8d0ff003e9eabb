#include "sim/ChipDriver.h"

#include <wbemcli.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>

namespace sim {
namespace {

constexpr wchar_t kNamespace[] = L"root\\wmi";
constexpr size_t kBlockHeader = 24;
constexpr int32_t kSpiDone = 4;
constexpr int32_t kSpiFailed = 3;

// An adapter EEPROM as the tester's adapters leave the factory: words that differ from one another
// around two USB device descriptors (18 bytes each) that give vendor 0x2403, product 0x8001.
Bytes TesterEeprom() {
    Bytes image(ChipDriver::kEepromSize);
    for (size_t i = 0; i < image.size(); ++i) image[i] = uint8_t(i * 37 + 11);
    const Bytes descriptor = {0x12, 0x01, 0x00, 0x02, 0xFF, 0xFF, 0x00, 0x40, 0x03,
                              0x24, 0x01, 0x80, 0x01, 0x00, 0x01, 0x02, 0x03, 0x01};
    for (size_t at : {size_t(64), size_t(142)}) std::copy(descriptor.begin(), descriptor.end(), image.begin() + at);
    return image;
}

uint32_t Get32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

}  // namespace

// Guarded by lock: the host's pipe threads and the test thread touch it.
struct ChipDriver::State {
    std::mutex lock;
    SerialFlash flash;  // has its own lock
    uint32_t gpio = 0;
    Bytes spiConfig = Bytes(5, 0);
    bool failOpens = false;
    std::map<uint32_t, size_t> failures;  // code -> I/O controls still to fail (0 = any code)
    std::optional<size_t> lossCountdown;
    bool present = true;
    bool failGpio = false;
    int32_t spiStatus = kSpiDone;
    std::optional<int32_t> forcedSpiStatus;
    std::optional<WmiValue> forcedSpiData;
    Bytes spiData;
    std::set<std::pair<std::wstring, std::wstring>> droppedProperties;  // class, property
    std::map<std::wstring, uint32_t> failedWrites;                      // class -> HRESULT
    std::map<uint32_t, size_t> failedReads;                             // flash address -> reads still to fail
    std::map<std::wstring, std::pair<size_t, size_t>> failedQueries;    // class -> queries to pass, then to fail
    Bytes eeprom = TesterEeprom();
    bool eepromProtected = false;

    // Whether a command block is a read (opcode 03) of an address whose reads are to fail; counts
    // it when so.
    bool TakeFailedRead(const Bytes& block) {
        if (block.size() < kBlockHeader + 4 || Get32(block, 0) != 0 || block[kBlockHeader] != 0x03) return false;
        const uint32_t address = uint32_t(block[kBlockHeader + 1]) << 16 | uint32_t(block[kBlockHeader + 2]) << 8 |
                                 block[kBlockHeader + 3];
        auto it = failedReads.find(address);
        if (it == failedReads.end() || it->second == 0) return false;
        --it->second;
        return true;
    }

    bool SpiEnabledLocked() const {
        for (uint8_t b : spiConfig)
            if (b) return true;
        return false;
    }

    // Runs one SPI command block (the layout of the driver's transaction I/O control). Returns a
    // Win32 error; the bytes read go to *read.
    uint32_t RunBlock(const Bytes& block, size_t outputLength, Bytes* read) {
        if (block.size() < kBlockHeader) return ERROR_INVALID_PARAMETER;
        const uint32_t direction = Get32(block, 0);
        const uint32_t commandOffset = Get32(block, 4), commandLength = Get32(block, 8);
        const uint32_t dataOffset = Get32(block, 12), dataLength = Get32(block, 16);
        if (commandLength == 0 || size_t(commandOffset) + commandLength > block.size() - kBlockHeader)
            return ERROR_INVALID_PARAMETER;
        const auto commandAt = block.begin() + kBlockHeader + commandOffset;
        const Bytes command(commandAt, commandAt + commandLength);
        Bytes data;
        size_t readLength = 0;
        if (direction == 1) {
            if (size_t(dataOffset) + dataLength > block.size() - kBlockHeader) return ERROR_INVALID_PARAMETER;
            const auto dataAt = block.begin() + kBlockHeader + dataOffset;
            data.assign(dataAt, dataAt + dataLength);
        } else {
            if (outputLength < dataLength) return ERROR_INSUFFICIENT_BUFFER;
            readLength = dataLength;
        }
        if (!SpiEnabledLocked()) return ERROR_NOT_READY;
        *read = flash.Transact(command, data, readLength);
        return ERROR_SUCCESS;
    }

    // Counts an I/O control against the injected faults; a Win32 error when it is to fail.
    uint32_t TakeFault(uint32_t code) {
        if (!present) return ERROR_DEVICE_NOT_CONNECTED;
        if (lossCountdown) {
            if (*lossCountdown == 0) {
                present = false;
                lossCountdown.reset();
                return ERROR_DEVICE_NOT_CONNECTED;
            }
            --*lossCountdown;
        }
        for (uint32_t key : {code, 0u}) {
            auto it = failures.find(key);
            if (it != failures.end() && it->second > 0) {
                --it->second;
                return ERROR_GEN_FAILURE;
            }
        }
        return ERROR_SUCCESS;
    }
};

namespace {

class ControlDevice : public DriverDevice {
public:
    explicit ControlDevice(std::shared_ptr<ChipDriver::State> state) : state_(std::move(state)) {}

    uint32_t Open(uint32_t, uint32_t) override {
        std::lock_guard<std::mutex> guard(state_->lock);
        return state_->present && !state_->failOpens ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    }

    uint32_t IoControl(uint32_t code, const Bytes& input, uint32_t outputLength, Bytes* output) override {
        std::lock_guard<std::mutex> guard(state_->lock);
        if (const uint32_t fault = state_->TakeFault(code)) return fault;
        switch (code) {
        case ChipDriver::kSpiConfigure:
            if (input.size() < 5) return ERROR_INVALID_PARAMETER;
            state_->spiConfig.assign(input.begin(), input.begin() + 5);
            return ERROR_SUCCESS;
        case ChipDriver::kSpiTransaction:
            return state_->RunBlock(input, outputLength, output);
        case ChipDriver::kEepromRead:
            if (outputLength < ChipDriver::kEepromSize) return ERROR_INSUFFICIENT_BUFFER;
            *output = state_->eeprom;
            return ERROR_SUCCESS;
        case ChipDriver::kEepromWrite:
            if (input.size() != ChipDriver::kEepromSize) return ERROR_INVALID_PARAMETER;
            if (!state_->eepromProtected) state_->eeprom = input;
            return ERROR_SUCCESS;
        case ChipDriver::kEepromWriteAttempt:
            return input.size() == 4 ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
        default:
            return ERROR_INVALID_FUNCTION;
        }
    }

private:
    std::shared_ptr<ChipDriver::State> state_;
};

// A WMI class of the driver: one instance while the adapter is present.
class DriverClass : public WmiClass {
public:
    explicit DriverClass(std::shared_ptr<ChipDriver::State> state) : state_(std::move(state)) {}

    std::vector<WmiObject> Instances() override {
        std::lock_guard<std::mutex> guard(state_->lock);
        if (!state_->present) return {};
        WmiObject object = Read(*state_);
        auto& properties = object.properties;
        properties.erase(std::remove_if(properties.begin(), properties.end(),
                                        [&](const auto& p) {
                                            return state_->droppedProperties.count({object.className, p.first}) > 0;
                                        }),
                         properties.end());
        return {object};
    }

    uint32_t QueryFault() override {
        std::lock_guard<std::mutex> guard(state_->lock);
        const auto fault = state_->failedQueries.find(Read(*state_).className);
        if (fault == state_->failedQueries.end()) return WBEM_S_NO_ERROR;
        auto& [toPass, toFail] = fault->second;
        if (toPass > 0) {
            --toPass;
            return WBEM_S_NO_ERROR;
        }
        if (toFail == 0) return WBEM_S_NO_ERROR;
        --toFail;
        return WBEM_E_FAILED;
    }

    uint32_t PutInstance(const WmiObject& object) override {
        std::lock_guard<std::mutex> guard(state_->lock);
        if (!state_->present) return WBEM_E_NOT_FOUND;
        const auto failed = state_->failedWrites.find(object.className);
        if (failed != state_->failedWrites.end()) return failed->second;
        return Write(*state_, object);
    }

protected:
    virtual WmiObject Read(ChipDriver::State& state) = 0;
    virtual uint32_t Write(ChipDriver::State&, const WmiObject&) { return WBEM_E_READ_ONLY; }

private:
    std::shared_ptr<ChipDriver::State> state_;
};

// The GPIO output word.
class GpioClass : public DriverClass {
public:
    using DriverClass::DriverClass;
    WmiObject Read(ChipDriver::State& s) override {
        return {L"Set_Gpio_Value_OID", {{L"SetGpioValue_OID", WmiValue::Int(int32_t(s.gpio))}}};
    }
    uint32_t Write(ChipDriver::State& s, const WmiObject& o) override {
        if (s.failGpio) return WBEM_E_FAILED;
        const WmiValue* v = o.Find(L"SetGpioValue_OID");
        if (!v || v->type != VT_I4) return WBEM_E_TYPE_MISMATCH;
        s.gpio = uint32_t(v->i4);
        return WBEM_S_NO_ERROR;
    }
};

// The SPI master reached through WMI: a configuration or command block is written, its outcome
// is read from the status class, and the bytes a read returned from the data class.
class SpiConfigClass : public DriverClass {
public:
    using DriverClass::DriverClass;
    WmiObject Read(ChipDriver::State& s) override {
        return {L"AX88172ASpiConfig_OID", {{L"SpiConfig", WmiValue::Array(s.spiConfig)}}};
    }
    uint32_t Write(ChipDriver::State& s, const WmiObject& o) override {
        const WmiValue* v = o.Find(L"SpiConfig");
        if (!v || v->type != (VT_ARRAY | VT_UI1) || v->bytes.size() != 5) return WBEM_E_TYPE_MISMATCH;
        s.spiConfig = v->bytes;
        s.spiStatus = kSpiDone;
        return WBEM_S_NO_ERROR;
    }
};

class SpiSendCommandClass : public DriverClass {
public:
    using DriverClass::DriverClass;
    WmiObject Read(ChipDriver::State&) override {
        return {L"AX88172ASpiSendCommand_OID",
                {{L"NumberElements", WmiValue::Int(0)}, {L"SpiSendCommand", WmiValue::Array({})}}};
    }
    uint32_t Write(ChipDriver::State& s, const WmiObject& o) override {
        const WmiValue* count = o.Find(L"NumberElements");
        const WmiValue* block = o.Find(L"SpiSendCommand");
        if (!count || !block || count->i4 < 0 || size_t(count->i4) > block->bytes.size())
            return WBEM_E_INVALID_PARAMETER;
        const Bytes used(block->bytes.begin(), block->bytes.begin() + count->i4);
        if (s.TakeFailedRead(used)) {
            s.spiStatus = kSpiFailed;
            s.spiData.clear();
            return WBEM_S_NO_ERROR;
        }
        Bytes read;
        // The bytes of a read wait in the data class, so there is no output buffer to fit.
        s.spiStatus = s.RunBlock(used, SIZE_MAX, &read) == ERROR_SUCCESS ? kSpiDone : kSpiFailed;
        s.spiData = std::move(read);
        return WBEM_S_NO_ERROR;
    }
};

class SpiStatusClass : public DriverClass {
public:
    using DriverClass::DriverClass;
    WmiObject Read(ChipDriver::State& s) override {
        return {L"AX88172ASpiStatus_OID", {{L"SpiStatus", WmiValue::Int(s.forcedSpiStatus.value_or(s.spiStatus))}}};
    }
};

class SpiDataClass : public DriverClass {
public:
    using DriverClass::DriverClass;
    WmiObject Read(ChipDriver::State& s) override {
        return {L"AX88172ASpiGetData_OID", {{L"SpiData", s.forcedSpiData.value_or(WmiValue::Array(s.spiData))}}};
    }
};

std::vector<std::pair<std::wstring, std::shared_ptr<WmiClass>>> DriverClasses(
    const std::shared_ptr<ChipDriver::State>& state) {
    return {
        {L"Set_Gpio_Value_OID", std::make_shared<GpioClass>(state)},
        {L"AX88172ASpiConfig_OID", std::make_shared<SpiConfigClass>(state)},
        {L"AX88172ASpiSendCommand_OID", std::make_shared<SpiSendCommandClass>(state)},
        {L"AX88172ASpiStatus_OID", std::make_shared<SpiStatusClass>(state)},
        {L"AX88172ASpiGetData_OID", std::make_shared<SpiDataClass>(state)},
    };
}

}  // namespace

ChipDriver::ChipDriver(DriverHost& host) : host_(host), state_(std::make_shared<State>()) {
    auto device = std::make_shared<ControlDevice>(state_);
    host_.AddDevice(kControlDevice, device);
    host_.AddDevice(kInterfaceDevice, device);
    for (auto& [name, cls] : DriverClasses(state_)) host_.AddWmiClass(kNamespace, name, cls);
}

ChipDriver::~ChipDriver() {
    host_.RemoveDevice(kControlDevice);
    host_.RemoveDevice(kInterfaceDevice);
    for (const auto& entry : DriverClasses(state_)) host_.RemoveWmiClass(kNamespace, entry.first);
}

SerialFlash& ChipDriver::Flash() { return state_->flash; }

uint32_t ChipDriver::Gpio() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->gpio;
}

Bytes ChipDriver::SpiConfig() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->spiConfig;
}

bool ChipDriver::SpiEnabled() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->SpiEnabledLocked();
}

Bytes ChipDriver::Eeprom() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->eeprom;
}

void ChipDriver::SetEeprom(Bytes image) {
    image.resize(kEepromSize, 0xFF);
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->eeprom = std::move(image);
}

void ChipDriver::ProtectEeprom(bool protect) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->eepromProtected = protect;
}

void ChipDriver::FailOpens(bool fail) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->failOpens = fail;
}

void ChipDriver::FailIoControls(uint32_t code, size_t count) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->failures[code] = count;
}

void ChipDriver::LoseAfter(size_t count) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->lossCountdown = count;
}

void ChipDriver::SetPresent(bool present) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->present = present;
    state_->lossCountdown.reset();
}

bool ChipDriver::Present() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->present;
}

void ChipDriver::FailGpioWrites(bool fail) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->failGpio = fail;
}

void ChipDriver::ForceSpiStatus(std::optional<int32_t> status) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->forcedSpiStatus = status;
}

void ChipDriver::ForceSpiData(std::optional<WmiValue> value) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->forcedSpiData = std::move(value);
}

void ChipDriver::DropProperty(const std::wstring& className, const std::wstring& property) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->droppedProperties.insert({className, property});
}

void ChipDriver::RestoreProperties() {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->droppedProperties.clear();
}

void ChipDriver::FailReadsAt(uint32_t address, size_t count) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->failedReads[address] = count;
}

void ChipDriver::FailWrites(const std::wstring& className, std::optional<uint32_t> result) {
    std::lock_guard<std::mutex> guard(state_->lock);
    if (result) state_->failedWrites[className] = *result;
    else state_->failedWrites.erase(className);
}

void ChipDriver::FailQueries(const std::wstring& className, size_t after, size_t count) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->failedQueries[className] = {after, count};
}

}  // namespace sim
