#include "usbtree/UsbTreeSearch.h"

#include "runtime/HandleOwner.h"
#include "usbtree/UsbTree.h"

#include <winioctl.h>
#include <usbioctl.h>

#include <cstddef>
#include <cwchar>
#include <type_traits>

namespace capi {
namespace {

const GUID kMpusbInterfaceClass = {0x5354FA28, 0x6D14, 0x4E35, {0xA1, 0xF5, 0x75, 0xBB, 0x54, 0xE6, 0x03, 0x0F}};
const GUID kHidInterfaceClass = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

constexpr int kHostControllers = 10;
constexpr DWORD kInterfaceIndices = 127;
constexpr int kPipeEntries = 30;
// USB allows five hubs between a root hub and a device; deeper names are not followed.
constexpr int kMaxHubDepth = 6;
// Driver names are short; a length beyond this is not a name.
constexpr ULONG kMaxNameRecord = 65536;

std::wstring Upper(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(text.data(), DWORD(text.size()));
    return text;
}

// A handle of the USB layer, closed through it.
using DeviceHandle = HandleOwner<decltype(&usbtree::CloseHandle), &usbtree::CloseHandle>;

HANDLE OpenForIoControl(const std::wstring& path) {
    return usbtree::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

// A name record (USB_ROOT_HUB_NAME, USB_NODE_CONNECTION_DRIVERKEY_NAME, USB_NODE_CONNECTION_NAME)
// asked for in two steps: the fixed record tells the whole record's length, the second query
// fetches it. Empty when either step fails.
template <typename Record>
std::wstring QueryName(HANDLE device, DWORD code, ULONG port, WCHAR (Record::*name)[1]) {
    Record head{};
    if constexpr (!std::is_same_v<Record, USB_ROOT_HUB_NAME>) head.ConnectionIndex = port;
    DWORD returned = 0;
    if (!usbtree::DeviceIoControl(device, code, &head, sizeof head, &head, sizeof head, &returned, nullptr))
        return {};
    if (head.ActualLength <= sizeof head || head.ActualLength > kMaxNameRecord) return {};
    std::vector<BYTE> buffer(head.ActualLength);
    auto* record = reinterpret_cast<Record*>(buffer.data());
    if constexpr (!std::is_same_v<Record, USB_ROOT_HUB_NAME>) record->ConnectionIndex = port;
    if (!usbtree::DeviceIoControl(device, code, record, DWORD(buffer.size()), record, DWORD(buffer.size()), &returned,
                                  nullptr))
        return {};
    const WCHAR* text = record->*name;
    const size_t room = (buffer.size() - (reinterpret_cast<const BYTE*>(text) - buffer.data())) / sizeof(WCHAR);
    return std::wstring(text, wcsnlen(text, room));
}

}  // namespace

UsbTreeSearch& UsbTreeSearch::Instance() {
    static UsbTreeSearch search;
    return search;
}

int UsbTreeSearch::Find(const GUID& interfaceClass, uint32_t vendorId, uint32_t productId,
                        const std::wstring& productName, std::vector<uint32_t>& indices) {
    std::lock_guard<std::mutex> guard(lock_);
    vendorId_ = vendorId;
    productId_ = productId;
    productName_ = productName;
    expected_.clear();
    indices.clear();
    WalkUsbTree();
    MatchInterfaces(interfaceClass, indices);
    return indices.empty() ? 0 : 1;
}

std::wstring UsbTreeSearch::LastFoundDevicePath() const {
    std::lock_guard<std::mutex> guard(lock_);
    return lastFoundPath_;
}

void UsbTreeSearch::WalkUsbTree() {
    for (int n = 0; n < kHostControllers; ++n) {
        wchar_t name[32];
        swprintf(name, 32, L"\\\\.\\HCD%d", n);
        const DeviceHandle controller(OpenForIoControl(name));
        if (!controller) continue;
        const std::wstring rootHub = QueryName<USB_ROOT_HUB_NAME>(controller.get(), IOCTL_USB_GET_ROOT_HUB_NAME, 0,
                                                                  &USB_ROOT_HUB_NAME::RootHubName);
        if (!rootHub.empty()) WalkHub(rootHub, 0);
    }
}

void UsbTreeSearch::WalkHub(const std::wstring& hubName, int depth) {
    if (depth > kMaxHubDepth) return;
    const DeviceHandle hubOwner(OpenForIoControl(L"\\\\.\\" + hubName));
    if (!hubOwner) return;
    const HANDLE hub = hubOwner.get();
    USB_NODE_INFORMATION node{};
    DWORD returned = 0;
    if (!usbtree::DeviceIoControl(hub, IOCTL_USB_GET_NODE_INFORMATION, &node, sizeof node, &node, sizeof node,
                                  &returned, nullptr))
        return;
    const int ports = node.u.HubInformation.HubDescriptor.bNumberOfPorts;
    std::vector<BYTE> buffer(sizeof(USB_NODE_CONNECTION_INFORMATION) + kPipeEntries * sizeof(USB_PIPE_INFO));
    auto* connection = reinterpret_cast<USB_NODE_CONNECTION_INFORMATION*>(buffer.data());
    for (int port = 1; port <= ports; ++port) {
        std::fill(buffer.begin(), buffer.end(), 0);
        connection->ConnectionIndex = ULONG(port);
        if (!usbtree::DeviceIoControl(hub, IOCTL_USB_GET_NODE_CONNECTION_INFORMATION, connection,
                                      DWORD(buffer.size()), connection, DWORD(buffer.size()), &returned, nullptr))
            continue;
        std::wstring driverKey;
        if (connection->ConnectionStatus != NoDeviceConnected)
            driverKey = QueryName<USB_NODE_CONNECTION_DRIVERKEY_NAME>(
                hub, IOCTL_USB_GET_NODE_CONNECTION_DRIVERKEY_NAME, ULONG(port),
                &USB_NODE_CONNECTION_DRIVERKEY_NAME::DriverKeyName);
        if (connection->DeviceIsHub) {
            const std::wstring external = QueryName<USB_NODE_CONNECTION_NAME>(
                hub, IOCTL_USB_GET_NODE_CONNECTION_NAME, ULONG(port), &USB_NODE_CONNECTION_NAME::NodeName);
            if (!external.empty()) {
                WalkHub(external, depth + 1);
                continue;
            }
        }
        // A unit counts when it has the ids, a driver installed and a product string.
        const USB_DEVICE_DESCRIPTOR& device = connection->DeviceDescriptor;
        if (device.idVendor == vendorId_ && device.idProduct == productId_ && !driverKey.empty() &&
            device.iProduct != 0) {
            wchar_t entry[32];
            swprintf(entry, 32, L"#vid_%04x&pid_%04x", unsigned(vendorId_), unsigned(productId_));
            expected_.push_back(entry);
        }
    }
}

void UsbTreeSearch::MatchInterfaces(const GUID& interfaceClass, std::vector<uint32_t>& indices) {
    HDEVINFO set =
        usbtree::SetupDiGetClassDevsW(&interfaceClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return;
    for (DWORD index = 0; index < kInterfaceIndices && !expected_.empty(); ++index) {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof data;
        if (!usbtree::SetupDiEnumDeviceInterfaces(set, nullptr, &interfaceClass, index, &data)) {
            if (GetLastError() == ERROR_NO_MORE_ITEMS) break;
            continue;
        }
        DWORD size = 0;
        usbtree::SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &size, nullptr);
        if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
        std::vector<BYTE> buffer(size);
        auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_W>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (!usbtree::SetupDiGetDeviceInterfaceDetailW(set, &data, detail, size, nullptr, &device)) continue;

        const std::wstring path = detail->DevicePath;
        const std::wstring upperPath = Upper(path);
        for (auto entry = expected_.begin(); entry != expected_.end(); ++entry) {
            if (upperPath.find(Upper(*entry)) == std::wstring::npos) continue;
            lastFoundPath_ = path;
            indices.push_back(index);
            expected_.erase(entry);
            break;
        }
    }
    usbtree::SetupDiDestroyDeviceInfoList(set);
}

int FindUsbInterfacePathsByHub(uint32_t vendorId, uint32_t productId, const std::wstring& productName,
                               std::vector<uint32_t>& indices) {
    return UsbTreeSearch::Instance().Find(kMpusbInterfaceClass, vendorId, productId, productName, indices);
}

int FindUsbInterfacePaths(uint32_t vendorId, uint32_t productId, const std::wstring& productName,
                          std::vector<uint32_t>& indices) {
    return UsbTreeSearch::Instance().Find(kHidInterfaceClass, vendorId, productId, productName, indices);
}

std::wstring LastFoundDevicePath() { return UsbTreeSearch::Instance().LastFoundDevicePath(); }

}  // namespace capi
