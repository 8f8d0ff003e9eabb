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

// The USB ids of a tester, little-endian vendor 0x2403 and product 0x8001, as a device descriptor
// holds them at its bytes 8-11; the image keeps descriptors at 64 and 142.
const Bytes kTesterIds = {0x03, 0x24, 0x01, 0x80};
const Bytes kOtherIds = {0x95, 0x0B, 0x2A, 0x77};

Bytes WithIds(Bytes image, size_t at, const Bytes& ids) {
    std::copy(ids.begin(), ids.end(), image.begin() + at);
    return image;
}

class UsbIdEepromTest : public testing::Test {
protected:
    void SetUp() override {
        host_.Start();
        host_.Attach();
    }

    // The inputs of the I/O controls with this code, in order.
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

    // The adapter's EEPROM as the simulator starts it, with other ids at the places given.
    Bytes ImageWithOtherIdsAt(std::initializer_list<size_t> places) const {
        Bytes image = factory_;
        for (size_t at : places) image = WithIds(image, at, kOtherIds);
        return image;
    }

    CWinApp app_{L"Vorels-NIC"};
    sim::DriverHost host_;
    ChipDriver chip_{host_};
    const Bytes factory_ = chip_.Eeprom();
    support::BoxWatcher boxes_;
    UsbIdEeprom eeprom_{nullptr};
};

TEST_F(UsbIdEepromTest, RightImageIsReadOnceAndNeverWritten) {
    const Bytes image = factory_;
    ASSERT_EQ(Bytes(image.begin() + 72, image.begin() + 76), kTesterIds);
    ASSERT_EQ(Bytes(image.begin() + 150, image.begin() + 154), kTesterIds);

    EXPECT_FALSE(eeprom_.ReadAndCheck());

    const auto calls = host_.Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].kind, DriverCall::Kind::Open);
    EXPECT_EQ(calls[0].target, L"\\\\.\\AX88772");
    EXPECT_EQ(calls[0].code, DWORD(GENERIC_READ | GENERIC_WRITE));
    EXPECT_EQ(calls[1].kind, DriverCall::Kind::IoControl);
    EXPECT_EQ(calls[1].code, ChipDriver::kEepromRead);
    EXPECT_EQ(calls[1].output, image);
    EXPECT_EQ(calls[2].kind, DriverCall::Kind::Close);
    EXPECT_EQ(Bytes(eeprom_.ReadBackImage().begin(), eeprom_.ReadBackImage().end()), image);
    EXPECT_EQ(chip_.Eeprom(), image);
    EXPECT_TRUE(Seen().empty());
}

TEST_F(UsbIdEepromTest, WrongIdsAreWrittenAndVerifiedAndOnlyTheIdBytesChange) {
    const struct {
        const char* name;
        std::initializer_list<size_t> wrong;
    } cases[] = {
        {"ids at 72 only", {150}},
        {"ids at 150 only", {72}},
        {"no ids at all", {72, 150}},
    };
    for (const auto& c : cases) {
        const Bytes read = ImageWithOtherIdsAt(c.wrong);
        chip_.SetEeprom(read);
        host_.ClearCalls();
        UsbIdEeprom eeprom(nullptr);

        ASSERT_TRUE(eeprom.ReadAndCheck()) << c.name;
        eeprom.Configure();

        const Bytes expected = WithIds(WithIds(read, 72, kTesterIds), 150, kTesterIds);
        EXPECT_EQ(chip_.Eeprom(), expected) << c.name;
        EXPECT_EQ(Inputs(ChipDriver::kEepromWrite), std::vector<Bytes>{expected}) << c.name;
        EXPECT_EQ(Inputs(ChipDriver::kEepromWriteAttempt), std::vector<Bytes>{Bytes(4, 0)}) << c.name;
        EXPECT_EQ(Inputs(ChipDriver::kEepromRead).size(), 2u) << c.name << ": the check and the verification";
        size_t changed = 0;
        for (size_t i = 0; i < read.size(); ++i) changed += read[i] != chip_.Eeprom()[i];
        EXPECT_EQ(changed, 4 * c.wrong.size()) << c.name;
        EXPECT_EQ(eeprom.AttemptNumber(), 0) << c.name;
    }
    EXPECT_TRUE(Seen().empty());
}

TEST_F(UsbIdEepromTest, EachStepOpensAndClosesTheDeviceInTurn) {
    chip_.SetEeprom(ImageWithOtherIdsAt({72, 150}));
    ASSERT_TRUE(eeprom_.ReadAndCheck());
    eeprom_.Configure();

    using K = DriverCall::Kind;
    std::vector<std::pair<K, uint32_t>> seen;
    std::vector<std::wstring> opened;
    for (const DriverCall& call : host_.Calls()) {
        seen.emplace_back(call.kind, call.kind == K::IoControl ? call.code : 0);
        if (call.kind == K::Open) opened.push_back(call.target);
    }
    const std::vector<std::pair<K, uint32_t>> expected = {
        {K::Open, 0}, {K::IoControl, 0x222000}, {K::Close, 0},  // the check
        {K::Open, 0}, {K::IoControl, 0x222058}, {K::Close, 0},  // attempt 0
        {K::Open, 0}, {K::IoControl, 0x222004}, {K::Close, 0},  // the write
        {K::Open, 0}, {K::IoControl, 0x222000}, {K::Close, 0},  // the verification
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(opened, std::vector<std::wstring>(4, L"\\\\.\\AX88772"));
}

TEST_F(UsbIdEepromTest, RefusedReadShowsOneBoxAndWritesNothing) {
    chip_.SetEeprom(ImageWithOtherIdsAt({72, 150}));
    chip_.FailIoControls(ChipDriver::kEepromRead, 1);

    EXPECT_FALSE(eeprom_.ReadAndCheck()) << "the working image stands in, and its ids are right";
    eeprom_.Configure();

    EXPECT_EQ(Seen(), (Boxes{{L"Read IOCTL failed!", L"Vorels-NIC"}}));
    EXPECT_TRUE(Inputs(ChipDriver::kEepromWrite).empty());
    EXPECT_TRUE(Inputs(ChipDriver::kEepromWriteAttempt).empty());
    EXPECT_EQ(chip_.Eeprom(), ImageWithOtherIdsAt({72, 150}));
}

TEST_F(UsbIdEepromTest, WriteRefusedEveryTimeEndsAfterThreeAttemptsWithOneBox) {
    const Bytes read = ImageWithOtherIdsAt({72, 150});
    chip_.SetEeprom(read);
    ASSERT_TRUE(eeprom_.ReadAndCheck());
    chip_.FailIoControls(ChipDriver::kEepromWrite, 100);

    eeprom_.Configure();

    EXPECT_EQ(Seen(), (Boxes{{L"Write EEPROM failed!", L"Vorels-NIC"}}));
    EXPECT_EQ(Inputs(ChipDriver::kEepromWriteAttempt), (std::vector<Bytes>{{0, 0, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 0}}));
    EXPECT_EQ(Inputs(ChipDriver::kEepromWrite).size(), 3u);
    EXPECT_EQ(Inputs(ChipDriver::kEepromRead).size(), 1u) << "a refused write is not read back";
    EXPECT_EQ(chip_.Eeprom(), read);
    EXPECT_EQ(eeprom_.AttemptNumber(), 3);
}

TEST_F(UsbIdEepromTest, WriteRefusedOnceIsVerifiedOnTheNextAttempt) {
    chip_.SetEeprom(ImageWithOtherIdsAt({150}));
    ASSERT_TRUE(eeprom_.ReadAndCheck());
    chip_.FailIoControls(ChipDriver::kEepromWrite, 1);

    eeprom_.Configure();

    EXPECT_EQ(Seen(), (Boxes{{L"Write EEPROM failed!", L"Vorels-NIC"}}));
    EXPECT_EQ(Inputs(ChipDriver::kEepromWriteAttempt), (std::vector<Bytes>{{0, 0, 0, 0}, {1, 0, 0, 0}}));
    EXPECT_EQ(chip_.Eeprom(), WithIds(ImageWithOtherIdsAt({150}), 150, kTesterIds));
    EXPECT_EQ(eeprom_.AttemptNumber(), 0);
}

TEST_F(UsbIdEepromTest, WriteThatReadsBackDifferentIsTriedThreeTimesWithoutABox) {
    const Bytes read = ImageWithOtherIdsAt({72});
    chip_.SetEeprom(read);
    chip_.ProtectEeprom(true);
    ASSERT_TRUE(eeprom_.ReadAndCheck());

    eeprom_.Configure();

    EXPECT_EQ(Inputs(ChipDriver::kEepromWrite).size(), 3u);
    EXPECT_EQ(Inputs(ChipDriver::kEepromRead).size(), 4u) << "the check and three verifications";
    EXPECT_EQ(Inputs(ChipDriver::kEepromWriteAttempt), (std::vector<Bytes>{{0, 0, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 0}}));
    EXPECT_EQ(chip_.Eeprom(), read);
    EXPECT_EQ(eeprom_.AttemptNumber(), 3);
    EXPECT_TRUE(Seen().empty());
}

TEST_F(UsbIdEepromTest, RefusedVerifyingReadKeepsTheAdaptersOtherBytes) {
    const Bytes read = ImageWithOtherIdsAt({72, 150});
    chip_.SetEeprom(read);
    ASSERT_TRUE(eeprom_.ReadAndCheck());
    chip_.FailIoControls(ChipDriver::kEepromRead, 1);

    eeprom_.Configure();

    const Bytes expected = WithIds(WithIds(read, 72, kTesterIds), 150, kTesterIds);
    EXPECT_EQ(Seen(), (Boxes{{L"Read IOCTL failed!", L"Vorels-NIC"}}));
    EXPECT_EQ(Inputs(ChipDriver::kEepromWrite), (std::vector<Bytes>{expected, expected}))
        << "the second attempt writes the adapter's bytes, not the stand-in image";
    EXPECT_EQ(chip_.Eeprom(), expected);
    EXPECT_EQ(eeprom_.AttemptNumber(), 0);
}

TEST_F(UsbIdEepromTest, MissingControlDeviceShowsItsBoxAndNothingIsSent) {
    chip_.FailOpens(true);

    EXPECT_FALSE(eeprom_.ReadAndCheck());
    eeprom_.Configure();

    EXPECT_EQ(Seen(), (Boxes{{L"Failed to open the control device!", L"Vorels-NIC"}}));
    const auto calls = host_.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].kind, DriverCall::Kind::Open);
    EXPECT_EQ(calls[0].result, DWORD(ERROR_FILE_NOT_FOUND));
}

TEST_F(UsbIdEepromTest, DeviceGoneBeforeTheWriteStopsWithItsBox) {
    chip_.SetEeprom(ImageWithOtherIdsAt({72, 150}));
    ASSERT_TRUE(eeprom_.ReadAndCheck());
    // The adapter goes with the attempt number's I/O control, so the write finds no device.
    chip_.LoseAfter(0);

    eeprom_.Configure();

    EXPECT_EQ(Seen(), (Boxes{{L"Failed to open the control device", L"Vorels-NIC"}}));
    EXPECT_EQ(Inputs(ChipDriver::kEepromWriteAttempt), std::vector<Bytes>{Bytes(4, 0)});
    EXPECT_TRUE(Inputs(ChipDriver::kEepromWrite).empty());
}

}  // namespace
