#include "sim/UsbTopology.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <sstream>

namespace sim {

// The hubs and their ports: guarded by lock; built by the test thread, read by the host's pipe
// threads.
struct UsbHub::Tree : std::enable_shared_from_this<UsbHub::Tree> {
    std::mutex lock;
    std::vector<std::unique_ptr<UsbHub>> hubs;
    DriverHost* host = nullptr;
    std::vector<std::wstring>* devicePaths = nullptr;
    uint16_t nextAddress = 1;
    unsigned nextHub = 1;

    UsbHub& NewHub(const std::wstring& name, int ports);
};

namespace {

constexpr uint32_t kGetRootHubName = 0x220408;     // on a host controller
constexpr uint32_t kGetNodeInformation = 0x220408;  // on a hub
constexpr uint32_t kGetConnectionInformation = 0x22040C;
constexpr uint32_t kGetConnectionName = 0x220414;
constexpr uint32_t kGetDriverKeyName = 0x220420;

// Record sizes of the hub I/O controls (the records are packed).
constexpr size_t kRootHubNameHeader = 4;      // ActualLength, then the name
constexpr size_t kConnectionNameHeader = 8;   // ConnectionIndex, ActualLength, then the name
constexpr size_t kNodeInformationSize = 76;
constexpr size_t kConnectionInformationSize = 35;  // without pipe entries

constexpr wchar_t kHubInterface[] = L"{f18a0e88-c30c-11d0-8815-00a0c906bed8}";
constexpr uint16_t kHubVendor = 0x05E3, kHubProduct = 0x0608;

void Put16(Bytes& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

void Put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

uint32_t Get32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

// A name record: the header words, then the name with its terminating zero, cut to the room the
// caller gave. ActualLength is the size of the whole record, so a caller can ask again with it.
uint32_t NameRecord(Bytes header, const std::wstring& name, uint32_t outputLength, Bytes* output) {
    const size_t lengthAt = header.size() - 4;
    Bytes record = std::move(header);
    for (wchar_t c : name) record.push_back(uint8_t(c)), record.push_back(uint8_t(c >> 8));
    record.push_back(0), record.push_back(0);
    Put32(record, lengthAt, uint32_t(record.size()));
    if (outputLength < lengthAt + 4 + 2) return ERROR_INSUFFICIENT_BUFFER;
    record.resize(std::min<size_t>(record.size(), outputLength));
    *output = std::move(record);
    return ERROR_SUCCESS;
}

class HostControllerDevice : public DriverDevice {
public:
    explicit HostControllerDevice(std::wstring rootHub) : rootHub_(std::move(rootHub)) {}
    uint32_t Open(uint32_t, uint32_t) override { return ERROR_SUCCESS; }
    uint32_t IoControl(uint32_t code, const Bytes&, uint32_t outputLength, Bytes* output) override {
        if (code != kGetRootHubName) return ERROR_INVALID_FUNCTION;
        return NameRecord(Bytes(kRootHubNameHeader, 0), rootHub_, outputLength, output);
    }

private:
    std::wstring rootHub_;
};

class HubDevice : public DriverDevice {
public:
    HubDevice(std::shared_ptr<UsbHub::Tree> tree, UsbHub& hub) : tree_(std::move(tree)), hub_(hub) {}
    uint32_t Open(uint32_t, uint32_t) override { return ERROR_SUCCESS; }

    uint32_t IoControl(uint32_t code, const Bytes& input, uint32_t outputLength, Bytes* output) override {
        if (code == kGetNodeInformation) return NodeInformation(outputLength, output);
        if (input.size() < 4) return ERROR_INVALID_PARAMETER;
        const uint32_t index = Get32(input, 0);
        const std::optional<UsbHub::Port> port = hub_.PortAt(int(index));
        if (!port) return ERROR_INVALID_PARAMETER;
        Bytes header(kConnectionNameHeader, 0);
        Put32(header, 0, index);
        switch (code) {
        case kGetConnectionInformation:
            return ConnectionInformation(index, *port, input.size(), outputLength, output);
        case kGetDriverKeyName: {
            const std::wstring key = port->hub ? HubDriverKey(index) : port->device ? port->device->driverKey : L"";
            if (key.empty()) return ERROR_INVALID_PARAMETER;  // nothing installed on the port
            return NameRecord(header, key, outputLength, output);
        }
        case kGetConnectionName:
            if (!port->hub && !port->device) return ERROR_INVALID_PARAMETER;
            return NameRecord(header, port->hub ? port->hub->Name() : L"", outputLength, output);
        default:
            return ERROR_INVALID_FUNCTION;
        }
    }

private:
    uint32_t NodeInformation(uint32_t outputLength, Bytes* output) {
        if (outputLength < kNodeInformationSize) return ERROR_INSUFFICIENT_BUFFER;
        Bytes record(kNodeInformationSize, 0);
        // NodeType UsbHub (0), then the hub descriptor.
        record[4] = 9;     // bDescriptorLength
        record[5] = 0x29;  // hub descriptor
        record[6] = uint8_t(hub_.Ports());
        record[9] = 50;  // bPowerOnToPowerGood
        *output = std::move(record);
        return ERROR_SUCCESS;
    }

    uint32_t ConnectionInformation(uint32_t index, const UsbHub::Port& port, size_t inputLength,
                                   uint32_t outputLength, Bytes* output) {
        if (inputLength < kConnectionInformationSize || outputLength < kConnectionInformationSize)
            return ERROR_INSUFFICIENT_BUFFER;
        Bytes record(kConnectionInformationSize, 0);
        Put32(record, 0, index);
        if (port.device || port.hub) {
            const bool hub = port.hub != nullptr;
            // The device descriptor.
            record[4] = 18;
            record[5] = 1;
            Put16(record, 6, 0x0200);
            record[8] = hub ? 9 : 0;
            record[11] = 64;
            Put16(record, 12, hub ? kHubVendor : port.device->vendorId);
            Put16(record, 14, hub ? kHubProduct : port.device->productId);
            Put16(record, 16, 0x0100);
            record[18] = 1;  // iManufacturer
            record[19] = hub ? 1 : port.device->productIndex;
            record[21] = 1;  // bNumConfigurations
            record[22] = 1;  // CurrentConfigurationValue
            record[24] = hub ? 1 : 0;
            Put16(record, 25, port.address);
            Put32(record, 31, 1);  // DeviceConnected
        }
        *output = std::move(record);
        return ERROR_SUCCESS;
    }

    std::wstring HubDriverKey(uint32_t index) const {
        std::wostringstream key;
        key << L"{36fc9e60-c465-11cf-8056-444553540000}\\" << index;
        return key.str();
    }

    std::shared_ptr<UsbHub::Tree> tree_;  // keeps the hub alive while the host can still call in
    UsbHub& hub_;
};

}  // namespace

UsbHub& UsbHub::Tree::NewHub(const std::wstring& name, int ports) {
    hubs.push_back(std::make_unique<UsbHub>(*this, name, ports));
    return *hubs.back();
}

std::optional<UsbHub::Port> UsbHub::PortAt(int port) const {
    if (port < 1 || port > ports_) return std::nullopt;
    std::lock_guard<std::mutex> guard(tree_.lock);
    auto it = attached_.find(port);
    return it == attached_.end() ? Port{} : it->second;
}

UsbHub& UsbHub::Attach(int port, const UsbDevice& device) {
    std::lock_guard<std::mutex> guard(tree_.lock);
    Port& slot = attached_[port];
    slot.device = device;
    slot.hub = nullptr;
    slot.address = tree_.nextAddress++;
    return *this;
}

UsbHub& UsbHub::Detach(int port) {
    std::lock_guard<std::mutex> guard(tree_.lock);
    attached_.erase(port);
    return *this;
}

UsbHub& UsbHub::AttachHub(int port, int ports) {
    std::wostringstream name;
    UsbHub* hub;
    {
        std::lock_guard<std::mutex> guard(tree_.lock);
        name << L"USB#VID_05E3&PID_0608#5&" << std::hex << (0x1a2b0000u + tree_.nextHub++) << L"&0&" << port << L"#"
             << kHubInterface;
        hub = &tree_.NewHub(name.str(), ports);
        Port& slot = attached_[port];
        slot.device.reset();
        slot.hub = hub;
        slot.address = tree_.nextAddress++;
    }
    const std::wstring path = L"\\\\.\\" + hub->Name();
    tree_.devicePaths->push_back(path);
    tree_.host->AddDevice(path, std::make_shared<HubDevice>(tree_.shared_from_this(), *hub));
    return *hub;
}

UsbTopology::UsbTopology(DriverHost& host) : host_(host), tree_(std::make_shared<UsbHub::Tree>()) {
    tree_->host = &host_;
    tree_->devicePaths = &devicePaths_;
}

UsbTopology::~UsbTopology() {
    for (const std::wstring& path : devicePaths_) host_.RemoveDevice(path);
    for (const auto& entry : interfaces_) host_.SetDeviceInterfaces(entry.first, {});
}

UsbHub& UsbTopology::AddHostController(int index, int ports) {
    std::wostringstream name;
    name << L"USB#ROOT_HUB30#4&" << std::hex << (0x2f3e4d00u + unsigned(index)) << L"&0&0#" << kHubInterface;
    UsbHub* root;
    {
        std::lock_guard<std::mutex> guard(tree_->lock);
        root = &tree_->NewHub(name.str(), ports);
    }
    std::wostringstream controller;
    controller << L"\\\\.\\HCD" << index;
    devicePaths_.push_back(controller.str());
    devicePaths_.push_back(L"\\\\.\\" + root->Name());
    host_.AddDevice(controller.str(), std::make_shared<HostControllerDevice>(root->Name()));
    host_.AddDevice(L"\\\\.\\" + root->Name(), std::make_shared<HubDevice>(tree_, *root));
    return *root;
}

void UsbTopology::AddInterface(const GUID& interfaceClass, const std::wstring& path) {
    for (auto& entry : interfaces_) {
        if (IsEqualGUID(entry.first, interfaceClass)) {
            entry.second.push_back(path);
            host_.SetDeviceInterfaces(interfaceClass, entry.second);
            return;
        }
    }
    interfaces_.emplace_back(interfaceClass, std::vector<std::wstring>{path});
    host_.SetDeviceInterfaces(interfaceClass, interfaces_.back().second);
}

void UsbTopology::RemoveInterface(const GUID& interfaceClass, const std::wstring& path) {
    for (auto& entry : interfaces_) {
        if (!IsEqualGUID(entry.first, interfaceClass)) continue;
        auto& paths = entry.second;
        paths.erase(std::remove(paths.begin(), paths.end(), path), paths.end());
        host_.SetDeviceInterfaces(interfaceClass, paths);
    }
}

}  // namespace sim
