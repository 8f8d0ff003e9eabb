// The adapter identity check against the simulated chip driver: what reaches the driver (the
// journal of opens, I/O controls and closes with their bytes), what the adapter's EEPROM holds
// afterwards, and the boxes the user sees.

#include "usbid/UsbIdEeprom.h"

#include "sim/ChipDriver.h"
#include "support/BoxWatcher.h"

#include <framework/App.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using sim::Bytes;
using sim::ChipDriver;
using sim::DriverCall;

using Boxes = std::vector<std::pair<std::wstring, std::wstring>>;  // text, caption
using Codes = std::vector<uint32_t>;

// A tester's USB ids, vendor 0x2403 and product 0x8001 little-endian, as a device descriptor holds
// them at its bytes 8-11; the image keeps its two descriptors at 64 and 142.
const Bytes kTesterIds = {0x03, 0x24, 0x01, 0x80};
const Bytes kOtherIds = {0x95, 0x0B, 0x2A, 0x77};

Bytes WithIds(Bytes image, std::initializer_list<size_t> places, const Bytes& ids) {
    for (size_t at : places) std::copy(ids.begin(), ids.end(), image.begin() + at);
    return image;
}

class UsbIdEepromTest : public testing::Test {
protected:
    void SetUp() override {
        host_.Start();
        host_.Attach();
    }

    // The codes of the I/O controls that reached the driver, in order. Every open is of the control
    // device, and a device opened is closed before the next open.
    Codes IoControls() const {
        Codes codes;
        std::vector<DriverCall::Kind> kinds;
        for (const DriverCall& call : host_.Calls()) {
            EXPECT_TRUE(call.kind != DriverCall::Kind::Open || call.target == L"\\\\.\\AX88772");
            if (call.kind == DriverCall::Kind::IoControl) codes.push_back(call.code);
            else if (call.result == ERROR_SUCCESS) kinds.push_back(call.kind);
        }
        for (size_t i = 1; i < kinds.size(); ++i) EXPECT_NE(kinds[i], kinds[i - 1]) << "open or close " << i;
        return codes;
    }

    std::vector<Bytes> Inputs(uint32_t code) const {
        std::vector<Bytes> inputs;
        for (const DriverCall& call : host_.Calls())
            if (call.kind == DriverCall::Kind::IoControl && call.code == code) inputs.push_back(call.input);
        return inputs;
    }

    Boxes Seen() const {
        Boxes seen;
        for (const auto& box : boxes_.Boxes()) seen.emplace_back(box.text, box.caption);
        return seen;
    }

    CWinApp app_{L"Vorels-NIC"};
    sim::DriverHost host_;
    ChipDriver chip_{host_};
    const Bytes factory_ = chip_.Eeprom();
    const Bytes wrong_ = WithIds(factory_, {72, 150}, kOtherIds);
    support::BoxWatcher boxes_;
    UsbIdEeprom eeprom_{nullptr};
};

const std::vector<Bytes> kAttemptWords = {{0, 0, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 0}};

TEST_F(UsbIdEepromTest, RightImageIsReadOnceAndNeverWritten) {
    ASSERT_EQ(WithIds(factory_, {72, 150}, kTesterIds), factory_);

    EXPECT_FALSE(eeprom_.ReadAndCheck());

    EXPECT_EQ(IoControls(), Codes{0x222000});
    EXPECT_EQ(host_.Calls()[1].output, factory_);
    EXPECT_EQ(host_.Calls()[0].code, DWORD(GENERIC_READ | GENERIC_WRITE));
    EXPECT_TRUE(std::equal(factory_.begin(), factory_.end(), eeprom_.ReadBackImage().begin()));
    EXPECT_TRUE(Seen().empty());
}

TEST_F(UsbIdEepromTest, WrongIdsAreWrittenAndVerifiedAndOnlyTheIdBytesChange) {
    const struct {
        const char* name;
        std::initializer_list<size_t> wrong;
    } cases[] = {{"ids at 72 only", {150}}, {"ids at 150 only", {72}}, {"no ids at all", {72, 150}}};
    for (const auto& c : cases) {
        const Bytes read = WithIds(factory_, c.wrong, kOtherIds);
        chip_.SetEeprom(read);
        host_.ClearCalls();
        UsbIdEeprom eeprom(nullptr);

        ASSERT_TRUE(eeprom.ReadAndCheck()) << c.name;
        eeprom.Configure();

        EXPECT_EQ(chip_.Eeprom(), factory_) << c.name << ": the other 504 bytes as read";
        EXPECT_EQ(Inputs(0x222004), std::vector<Bytes>{factory_}) << c.name;
        EXPECT_EQ(IoControls(), (Codes{0x222000, 0x222058, 0x222004, 0x222000})) << c.name;
        EXPECT_EQ(Inputs(0x222058), std::vector<Bytes>{kAttemptWords[0]}) << c.name;
        EXPECT_EQ(eeprom.AttemptNumber(), 0) << c.name;
    }
    EXPECT_TRUE(Seen().empty());
}

TEST_F(UsbIdEepromTest, RefusedReadShowsOneBoxAndWritesNothing) {
    chip_.SetEeprom(wrong_);
    chip_.FailIoControls(ChipDriver::kEepromRead, 1);

    EXPECT_FALSE(eeprom_.ReadAndCheck()) << "the working image stands in, and its ids are right";
    eeprom_.Configure();

    EXPECT_EQ(Seen(), (Boxes{{L"Read IOCTL failed!", L"Vorels-NIC"}}));
    EXPECT_EQ(IoControls(), Codes{0x222000});
    EXPECT_EQ(chip_.Eeprom(), wrong_);
}

TEST_F(UsbIdEepromTest, WriteRefusedEveryTimeEndsAfterThreeAttemptsWithOneBox) {
    chip_.SetEeprom(wrong_);
    ASSERT_TRUE(eeprom_.ReadAndCheck());
    chip_.FailIoControls(ChipDriver::kEepromWrite, 100);

    eeprom_.Configure();

    EXPECT_EQ(Seen(), (Boxes{{L"Write EEPROM failed!", L"Vorels-NIC"}}));
    EXPECT_EQ(IoControls(), (Codes{0x222000, 0x222058, 0x222004, 0x222058, 0x222004, 0x222058, 0x222004}));
    EXPECT_EQ(Inputs(0x222058), kAttemptWords);
    EXPECT_EQ(chip_.Eeprom(), wrong_);
    EXPECT_EQ(eeprom_.AttemptNumber(), 3);
}

TEST_F(UsbIdEepromTest, WriteThatReadsBackDifferentIsTriedThreeTimesWithoutABox) {
    chip_.SetEeprom(wrong_);
    chip_.ProtectEeprom(true);
    ASSERT_TRUE(eeprom_.ReadAndCheck());

    eeprom_.Configure();

    EXPECT_EQ(Inputs(0x222004), std::vector<Bytes>(3, factory_));
    EXPECT_EQ(Inputs(0x222000).size(), 4u) << "the check and three verifications";
    EXPECT_EQ(Inputs(0x222058), kAttemptWords);
    EXPECT_EQ(eeprom_.AttemptNumber(), 3);
    EXPECT_TRUE(Seen().empty());
}

TEST_F(UsbIdEepromTest, RefusedVerifyingReadKeepsTheAdaptersOtherBytes) {
    chip_.SetEeprom(wrong_);
    ASSERT_TRUE(eeprom_.ReadAndCheck());
    chip_.FailIoControls(ChipDriver::kEepromRead, 1);

    eeprom_.Configure();

    EXPECT_EQ(Seen(), (Boxes{{L"Read IOCTL failed!", L"Vorels-NIC"}}));
    EXPECT_EQ(Inputs(0x222004), std::vector<Bytes>(2, factory_))
        << "the second attempt writes the adapter's bytes, not the stand-in image";
    EXPECT_EQ(chip_.Eeprom(), factory_);
    EXPECT_EQ(eeprom_.AttemptNumber(), 0);
}

TEST_F(UsbIdEepromTest, MissingControlDeviceShowsItsBoxOverTheOwnerAndNothingIsSent) {
    chip_.FailOpens(true);
    // A hidden window of another class than a dialog's, which the box watcher leaves alone.
    const HWND owner =
        CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    UsbIdEeprom eeprom(owner);

    EXPECT_FALSE(eeprom.ReadAndCheck());
    eeprom.Configure();

    EXPECT_EQ(Seen(), (Boxes{{L"Failed to open the control device!", L"Vorels-NIC"}}));
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].owner, owner);
    ASSERT_EQ(host_.CallCount(), 1u);
    EXPECT_EQ(host_.Calls()[0].result, DWORD(ERROR_FILE_NOT_FOUND));
    DestroyWindow(owner);
}

TEST_F(UsbIdEepromTest, DeviceGoneBeforeTheWriteStopsWithItsBox) {
    chip_.SetEeprom(wrong_);
    ASSERT_TRUE(eeprom_.ReadAndCheck());
    // The adapter goes with the attempt number's I/O control, so the write finds no device.
    chip_.LoseAfter(0);

    eeprom_.Configure();

    EXPECT_EQ(Seen(), (Boxes{{L"Failed to open the control device", L"Vorels-NIC"}}));
    EXPECT_EQ(IoControls(), (Codes{0x222000, 0x222058}));
}

}  // namespace
