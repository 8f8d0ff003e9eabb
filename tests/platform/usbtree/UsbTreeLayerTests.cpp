// The USB-tree layer serves SetupAPI device-interface sets and the host controller and hub I/O
// controls from the topology the simulator describes, with the record sizes of 64-bit Windows.

#include "sim/UsbTopology.h"
#include "usbtree/UsbTree.h"

#include <winioctl.h>
#include <usbioctl.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

const GUID kHidClass = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
const GUID kOtherClass = {0x5354FA28, 0x6D14, 0x4E35, {0xA1, 0xF5, 0x75, 0xBB, 0x54, 0xE6, 0x03, 0x0F}};

class UsbTreeLayerTest : public testing::Test {
protected:
    void SetUp() override {
        host_.Start();
        host_.Attach();
    }

    HANDLE Open(const std::wstring& path) {
        return usbtree::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    }

    // A name query in two steps, as a hub's client makes it: the fixed record first to learn the
    // whole length, then the whole record.
    template <typename Record>
    std::wstring Name(HANDLE device, DWORD code, ULONG port, WCHAR* (*name)(Record*)) {
        Record head{};
        SetIndex(head, port);
        DWORD returned = 0;
        if (!usbtree::DeviceIoControl(device, code, &head, sizeof head, &head, sizeof head, &returned, nullptr))
            return L"<failed>";
        std::vector<BYTE> whole(head.ActualLength);
        auto* record = reinterpret_cast<Record*>(whole.data());
        SetIndex(*record, port);
        if (!usbtree::DeviceIoControl(device, code, record, DWORD(whole.size()), record, DWORD(whole.size()),
                                      &returned, nullptr))
            return L"<failed>";
        return name(record);
    }

    static void SetIndex(USB_ROOT_HUB_NAME&, ULONG) {}
    static void SetIndex(USB_NODE_CONNECTION_DRIVERKEY_NAME& r, ULONG port) { r.ConnectionIndex = port; }
    static void SetIndex(USB_NODE_CONNECTION_NAME& r, ULONG port) { r.ConnectionIndex = port; }

    sim::DriverHost host_;
    sim::UsbTopology usb_{host_};
};

TEST_F(UsbTreeLayerTest, InterfaceSetListsTheClassInOrder) {
    usb_.AddInterface(kHidClass, L"\\\\?\\hid#vid_2403&pid_1700#7&1&0#{4d1e55b2-f16f-11cf-88cb-001111000030}");
    usb_.AddInterface(kOtherClass, L"\\\\?\\usb#vid_2403&pid_1688#5&2&0#{5354fa28-6d14-4e35-a1f5-75bb54e6030f}");
    usb_.AddInterface(kHidClass, L"\\\\?\\hid#vid_046d&pid_c077#7&3&0#{4d1e55b2-f16f-11cf-88cb-001111000030}");

    HDEVINFO set = usbtree::SetupDiGetClassDevsW(&kHidClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    ASSERT_NE(set, INVALID_HANDLE_VALUE);
    std::vector<std::wstring> paths;
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    DWORD index = 0;
    for (; usbtree::SetupDiEnumDeviceInterfaces(set, nullptr, &kHidClass, index, &data); ++index) {
        DWORD size = 0;
        EXPECT_FALSE(usbtree::SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &size, nullptr));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
        std::vector<BYTE> buffer(size);
        auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_W>(buffer.data());
        detail->cbSize = sizeof *detail;
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        ASSERT_TRUE(usbtree::SetupDiGetDeviceInterfaceDetailW(set, &data, detail, size, nullptr, &device));
        paths.push_back(detail->DevicePath);
    }
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_ITEMS));
    EXPECT_TRUE(usbtree::SetupDiDestroyDeviceInfoList(set));
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[0], L"\\\\?\\hid#vid_2403&pid_1700#7&1&0#{4d1e55b2-f16f-11cf-88cb-001111000030}");
    EXPECT_EQ(paths[1], L"\\\\?\\hid#vid_046d&pid_c077#7&3&0#{4d1e55b2-f16f-11cf-88cb-001111000030}");
}

TEST_F(UsbTreeLayerTest, RecordSizesOfThirtyTwoBitWindowsAreRefused) {
    usb_.AddInterface(kHidClass, L"\\\\?\\hid#vid_2403&pid_1700#7&1&0#{4d1e55b2-f16f-11cf-88cb-001111000030}");
    HDEVINFO set = usbtree::SetupDiGetClassDevsW(&kHidClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    ASSERT_TRUE(usbtree::SetupDiEnumDeviceInterfaces(set, nullptr, &kHidClass, 0, &data));
    std::vector<BYTE> buffer(512);
    auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_W>(buffer.data());
    detail->cbSize = 6;
    EXPECT_FALSE(usbtree::SetupDiGetDeviceInterfaceDetailW(set, &data, detail, 512, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_USER_BUFFER));
    detail->cbSize = sizeof *detail;
    SP_DEVINFO_DATA device{};
    device.cbSize = 28;
    EXPECT_FALSE(usbtree::SetupDiGetDeviceInterfaceDetailW(set, &data, detail, 512, nullptr, &device));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_USER_BUFFER));
    usbtree::SetupDiDestroyDeviceInfoList(set);
}

TEST_F(UsbTreeLayerTest, HostControllerNamesItsRootHub) {
    sim::UsbHub& root = usb_.AddHostController(2, 4);
    HANDLE controller = Open(L"\\\\.\\HCD2");
    ASSERT_NE(controller, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Name<USB_ROOT_HUB_NAME>(controller, IOCTL_USB_GET_ROOT_HUB_NAME, 0,
                                      [](USB_ROOT_HUB_NAME* r) { return r->RootHubName; }),
              root.Name());
    usbtree::CloseHandle(controller);
    EXPECT_EQ(Open(L"\\\\.\\HCD0"), INVALID_HANDLE_VALUE);
}

TEST_F(UsbTreeLayerTest, HubReportsPortsDevicesDriverKeysAndExternalHubs) {
    sim::UsbHub& root = usb_.AddHostController(0, 3);
    root.Attach(1, sim::UsbDevice{0x2403, 0x1700, 2, L"{745a17a0-74d3-11d0-b6fe-00a0c90f57da}\\0007", L"Brevix-H"});
    sim::UsbHub& external = root.AttachHub(3, 7);

    HANDLE hub = Open(L"\\\\.\\" + root.Name());
    ASSERT_NE(hub, INVALID_HANDLE_VALUE);
    USB_NODE_INFORMATION node{};
    DWORD returned = 0;
    ASSERT_TRUE(usbtree::DeviceIoControl(hub, IOCTL_USB_GET_NODE_INFORMATION, &node, sizeof node, &node, sizeof node,
                                         &returned, nullptr));
    EXPECT_EQ(node.u.HubInformation.HubDescriptor.bNumberOfPorts, 3);

    std::vector<BYTE> buffer(sizeof(USB_NODE_CONNECTION_INFORMATION) + 30 * sizeof(USB_PIPE_INFO));
    auto* info = reinterpret_cast<USB_NODE_CONNECTION_INFORMATION*>(buffer.data());
    info->ConnectionIndex = 1;
    ASSERT_TRUE(usbtree::DeviceIoControl(hub, IOCTL_USB_GET_NODE_CONNECTION_INFORMATION, info, DWORD(buffer.size()),
                                         info, DWORD(buffer.size()), &returned, nullptr));
    EXPECT_EQ(info->ConnectionStatus, DeviceConnected);
    EXPECT_EQ(info->DeviceDescriptor.idVendor, 0x2403);
    EXPECT_EQ(info->DeviceDescriptor.idProduct, 0x1700);
    EXPECT_EQ(info->DeviceDescriptor.iProduct, 2);
    EXPECT_FALSE(info->DeviceIsHub);
    EXPECT_EQ(Name<USB_NODE_CONNECTION_DRIVERKEY_NAME>(hub, IOCTL_USB_GET_NODE_CONNECTION_DRIVERKEY_NAME, 1,
                                                       [](USB_NODE_CONNECTION_DRIVERKEY_NAME* r) {
                                                           return r->DriverKeyName;
                                                       }),
              L"{745a17a0-74d3-11d0-b6fe-00a0c90f57da}\\0007");

    info->ConnectionIndex = 2;
    ASSERT_TRUE(usbtree::DeviceIoControl(hub, IOCTL_USB_GET_NODE_CONNECTION_INFORMATION, info, DWORD(buffer.size()),
                                         info, DWORD(buffer.size()), &returned, nullptr));
    EXPECT_EQ(info->ConnectionStatus, NoDeviceConnected);

    info->ConnectionIndex = 3;
    ASSERT_TRUE(usbtree::DeviceIoControl(hub, IOCTL_USB_GET_NODE_CONNECTION_INFORMATION, info, DWORD(buffer.size()),
                                         info, DWORD(buffer.size()), &returned, nullptr));
    EXPECT_TRUE(info->DeviceIsHub);
    EXPECT_EQ(Name<USB_NODE_CONNECTION_NAME>(hub, IOCTL_USB_GET_NODE_CONNECTION_NAME, 3,
                                             [](USB_NODE_CONNECTION_NAME* r) { return r->NodeName; }),
              external.Name());
    usbtree::CloseHandle(hub);

    HANDLE child = Open(L"\\\\.\\" + external.Name());
    ASSERT_NE(child, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(usbtree::DeviceIoControl(child, IOCTL_USB_GET_NODE_INFORMATION, &node, sizeof node, &node,
                                         sizeof node, &returned, nullptr));
    EXPECT_EQ(node.u.HubInformation.HubDescriptor.bNumberOfPorts, 7);
    usbtree::CloseHandle(child);
}

TEST_F(UsbTreeLayerTest, PortWithoutDriverHasNoDriverKey) {
    sim::UsbHub& root = usb_.AddHostController(0, 2);
    root.Attach(2, sim::UsbDevice{0x2403, 0x1700, 2, L"", L"Brevix-H"});
    HANDLE hub = Open(L"\\\\.\\" + root.Name());
    USB_NODE_CONNECTION_DRIVERKEY_NAME key{};
    key.ConnectionIndex = 2;
    DWORD returned = 0;
    EXPECT_FALSE(usbtree::DeviceIoControl(hub, IOCTL_USB_GET_NODE_CONNECTION_DRIVERKEY_NAME, &key, sizeof key, &key,
                                          sizeof key, &returned, nullptr));
    usbtree::CloseHandle(hub);
}

}  // namespace
