// The search for USB units: which devices of a topology count, and which interfaces of a class
// they match, with the indices and the last found device path the USB layer takes.

#include "sim/UsbTopology.h"
#include "usbtree/UsbTreeSearch.h"

#include <gtest/gtest.h>

namespace {

const GUID kHid = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
const GUID kMpusb = {0x5354FA28, 0x6D14, 0x4E35, {0xA1, 0xF5, 0x75, 0xBB, 0x54, 0xE6, 0x03, 0x0F}};

const sim::UsbDevice kBrevixH = {0x2403, 0x1700, 2, L"{745a17a0-74d3-11d0-b6fe-00a0c90f57da}\\0004",
                                 L"Quendal Brevix-H diagnosis and manager"};
const sim::UsbDevice kMouse = {0x046D, 0xC077, 2, L"{745a17a0-74d3-11d0-b6fe-00a0c90f57da}\\0001", L"USB Mouse"};

std::wstring HidPath(const wchar_t* ids, int instance) {
    return std::wstring(L"\\\\?\\hid#") + ids + L"#7&2c1a" + std::to_wstring(instance) +
           L"&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
}

class UsbTreeSearchTest : public testing::Test {
protected:
    void SetUp() override {
        host_.Start();
        host_.Attach();
    }

    int FindHid(std::vector<uint32_t>& indices, uint32_t vendor = 0x2403, uint32_t product = 0x1700) {
        return capi::FindUsbInterfacePaths(vendor, product, L"Quendal Device", indices);
    }

    sim::DriverHost host_;
    sim::UsbTopology usb_{host_};
};

TEST_F(UsbTreeSearchTest, NothingPresentFindsNothingAndKeepsTheLastPath) {
    const std::wstring before = capi::LastFoundDevicePath();
    usb_.AddHostController(0, 4).Attach(1, kMouse);
    usb_.AddInterface(kHid, HidPath(L"vid_046d&pid_c077", 1));
    std::vector<uint32_t> indices = {99};
    EXPECT_EQ(FindHid(indices), 0);
    EXPECT_TRUE(indices.empty()) << "the caller's list is emptied first";
    EXPECT_EQ(capi::LastFoundDevicePath(), before);
}

TEST_F(UsbTreeSearchTest, EachCountedUnitMatchesOneInterfaceInEnumerationOrder) {
    sim::UsbHub& root = usb_.AddHostController(0, 4);
    root.Attach(1, kMouse).Attach(2, kBrevixH).Attach(4, kBrevixH);
    usb_.AddInterface(kHid, HidPath(L"vid_046d&pid_c077", 1));
    usb_.AddInterface(kHid, HidPath(L"vid_2403&pid_1700", 2));
    usb_.AddInterface(kHid, HidPath(L"vid_046d&pid_c077", 3));
    usb_.AddInterface(kHid, HidPath(L"vid_2403&pid_1700", 4));
    std::vector<uint32_t> indices;
    EXPECT_EQ(FindHid(indices), 1);
    EXPECT_EQ(indices, (std::vector<uint32_t>{1, 3}));
    EXPECT_EQ(capi::LastFoundDevicePath(), HidPath(L"vid_2403&pid_1700", 4));
}

TEST_F(UsbTreeSearchTest, UnitsWithoutDriverOrProductStringDoNotCount) {
    const struct {
        const char* name;
        sim::UsbDevice device;
        int found;
    } cases[] = {
        {"driver and product string", kBrevixH, 1},
        {"no driver installed", {0x2403, 0x1700, 2, L"", L"Brevix-H"}, 0},
        {"no product string", {0x2403, 0x1700, 0, kBrevixH.driverKey, L""}, 0},
        {"other product id", {0x2403, 0x1688, 2, kBrevixH.driverKey, L"Brevix-H"}, 0},
    };
    for (const auto& c : cases) {
        sim::DriverHost host;
        host.Start();
        host.Attach();
        sim::UsbTopology usb(host);
        usb.AddHostController(0, 2).Attach(2, c.device);
        usb.AddInterface(kHid, HidPath(L"vid_2403&pid_1700", 1));
        std::vector<uint32_t> indices;
        EXPECT_EQ(FindHid(indices), c.found) << c.name;
    }
}

TEST_F(UsbTreeSearchTest, UnitsBehindExternalHubsAreFound) {
    sim::UsbHub& root = usb_.AddHostController(1, 2);
    sim::UsbHub& desk = root.AttachHub(2, 4);
    desk.AttachHub(3, 4).Attach(4, kBrevixH);
    usb_.AddInterface(kHid, HidPath(L"vid_2403&pid_1700", 9));
    std::vector<uint32_t> indices;
    EXPECT_EQ(FindHid(indices), 1);
    EXPECT_EQ(indices, std::vector<uint32_t>{0});
}

TEST_F(UsbTreeSearchTest, OnlyTheFirstTenHostControllersAreWalked) {
    usb_.AddHostController(9, 1).Attach(1, kBrevixH);
    usb_.AddHostController(10, 1).Attach(1, kBrevixH);
    usb_.AddInterface(kHid, HidPath(L"vid_2403&pid_1700", 1));
    usb_.AddInterface(kHid, HidPath(L"vid_2403&pid_1700", 2));
    std::vector<uint32_t> indices;
    EXPECT_EQ(FindHid(indices), 1);
    EXPECT_EQ(indices, std::vector<uint32_t>{0}) << "the unit on HCD10 is not counted";
}

TEST_F(UsbTreeSearchTest, MatchIgnoresLetterCaseAndKeepsThePathAsReported) {
    usb_.AddHostController(0, 1).Attach(1, kBrevixH);
    const std::wstring capitals = L"\\\\?\\HID#VID_2403&PID_1700#7&2C1A1&0&0000#{4D1E55B2-F16F-11CF-88CB-001111000030}";
    usb_.AddInterface(kHid, capitals);
    std::vector<uint32_t> indices;
    EXPECT_EQ(FindHid(indices), 1);
    EXPECT_EQ(capi::LastFoundDevicePath(), capitals);
}

TEST_F(UsbTreeSearchTest, EachSearchLooksAtItsOwnInterfaceClass) {
    const sim::UsbDevice oldFirmware = {0x2403, 0x1688, 1, L"{36fc9e60-c465-11cf-8056-444553540000}\\0012", L"Brevix-H"};
    usb_.AddHostController(0, 2).Attach(1, oldFirmware);
    usb_.AddInterface(kHid, HidPath(L"vid_046d&pid_c077", 1));
    usb_.AddInterface(kMpusb, L"\\\\?\\usb#vid_04d8&pid_000c#5&1&0#{5354fa28-6d14-4e35-a1f5-75bb54e6030f}");
    usb_.AddInterface(kMpusb, L"\\\\?\\usb#vid_2403&pid_1688#5&2&0#{5354fa28-6d14-4e35-a1f5-75bb54e6030f}");
    std::vector<uint32_t> indices;
    EXPECT_EQ(capi::FindUsbInterfacePaths(0x2403, 0x1688, L"Brevix-H", indices), 0);
    EXPECT_EQ(capi::FindUsbInterfacePathsByHub(0x2403, 0x1688, L"Brevix-H", indices), 1);
    EXPECT_EQ(indices, std::vector<uint32_t>{1});
    EXPECT_EQ(capi::LastFoundDevicePath(),
              L"\\\\?\\usb#vid_2403&pid_1688#5&2&0#{5354fa28-6d14-4e35-a1f5-75bb54e6030f}");
}

TEST_F(UsbTreeSearchTest, MoreUnitsThanInterfacesFindWhatIsThere) {
    sim::UsbHub& root = usb_.AddHostController(0, 3);
    root.Attach(1, kBrevixH).Attach(2, kBrevixH).Attach(3, kBrevixH);
    usb_.AddInterface(kHid, HidPath(L"vid_2403&pid_1700", 1));
    std::vector<uint32_t> indices;
    EXPECT_EQ(FindHid(indices), 1);
    EXPECT_EQ(indices, std::vector<uint32_t>{0});
}

}  // namespace
