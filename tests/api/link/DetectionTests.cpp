// Detection over a scripted list of adapters: by description, by the model byte of the maker's MAC
// prefix, by the adapter probe, and refusal.

#include "BrevixCAPI.h"
#include "identity/Identity.h"
#include "link/Detection.h"
#include "LibraryThreads.h"
#include "ScriptedLink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <vector>

namespace {

using scripted::Bytes;

capi::CaptureDevice Device(const std::string& guid, const std::string& description) {
    return {"\\Device\\NPF_" + guid, description};
}

capi::NetworkAdapter Adapter(const std::string& guid, uint8_t modelByte) {
    return {guid, {0x02, 0x5E, 0xC1, modelByte, 0x00, 0x09}};
}

class DetectionTest : public testing::Test {
protected:
    void SetUp() override {
        capi::UseAdapterSource(&source_);
        capi::Identity::Instance().Reset();
        std::memset(model_, 'Z', sizeof model_);
    }
    void TearDown() override { capi::UseAdapterSource(nullptr); }

    int Detect() { return capi::Detection::Instance().Detect(model_); }
    std::string AdapterName() {
        char name[1024] = {};
        return capi::Detection::Instance().GetAdapterName(name) ? name : "";
    }

    scripted::ScriptedAdapters source_;
    char model_[21];
};

TEST_F(DetectionTest, DescriptionChoosesTheAdapterAndTheModelByteNamesTheModel) {
    source_.devices = {Device("{X}", "bvh9"), Device("{A}", "Realtek USB2.0 to Fast Ethernet Adapter #2")};
    source_.adapters = {Adapter("{A}", 0x20)};
    ASSERT_EQ(Detect(), 1);
    EXPECT_EQ(std::string(model_, 9), "Brevix-AZ") << "the name's characters only, no terminator";
    EXPECT_EQ(BVX_Machine_ID, 2);
    EXPECT_EQ(AdapterName(), "\\Device\\NPF_{A}");
}

struct ModelByteCase {
    uint8_t modelByte;
    int machineId;
    const char* module;
};

class ModelByteTest : public DetectionTest, public testing::WithParamInterface<ModelByteCase> {};

TEST_P(ModelByteTest, SetsTheModelButChoosesNoAdapter) {
    source_.devices = {Device("{A}", "bvh3")};
    source_.adapters = {Adapter("{A}", GetParam().modelByte)};
    EXPECT_EQ(Detect(), 0);
    EXPECT_EQ(BVX_Machine_ID, GetParam().machineId);
    EXPECT_STREQ(BVX_Module, GetParam().module);
    EXPECT_EQ(AdapterName(), "");
}

INSTANTIATE_TEST_SUITE_P(Bytes, ModelByteTest,
                         testing::Values(ModelByteCase{0x21, 1, "Brevix-CF"}, ModelByteCase{0x20, 2, "Brevix-A"},
                                         ModelByteCase{0x2F, 3, "Brevix-H"}));

TEST_F(DetectionTest, NoMatchChoosesNothing) {
    source_.devices = {Device("{A}", "eth0"), Device("{B}", "")};
    source_.adapters = {{"{A}", {0x00, 0x11, 0x22, 0x33, 0x44, 0x55}}};
    EXPECT_EQ(Detect(), 0);
    EXPECT_EQ(AdapterName(), "");
}

TEST_F(DetectionTest, FailingAdapterTablesChooseNothing) {
    source_.devices = {Device("{A}", "Brevix Series Stream Gen")};
    source_.listResult = capi::AdapterList::Failed;
    EXPECT_EQ(Detect(), 0);
    EXPECT_EQ(AdapterName(), "");
}

TEST_F(DetectionTest, DevicesBeyondTheTablesAreNotConsidered) {
    for (int i = 0; i < 25; ++i) source_.devices.push_back(Device("{" + std::to_string(i) + "}", "eth"));
    source_.devices[22].description = "Brevix-A/C Stream Gen Analyzer";
    EXPECT_EQ(Detect(), 0);
    source_.devices[3].description = "Brevix Series Stream Gen & Analyzer";
    EXPECT_EQ(Detect(), 1);
    EXPECT_EQ(AdapterName(), "\\Device\\NPF_{3}");
}

TEST_F(DetectionTest, AdapterNameIsCutToTheHostsBufferAndAlwaysTerminated) {
    const std::string guid = "{" + std::string(1500, 'G') + "}";
    source_.devices = {Device(guid, "Brevix Series Stream Gen")};
    ASSERT_EQ(Detect(), 1);
    // The host's 1024 bytes, and a guard behind them.
    std::vector<char> buffer(1024 + 64, 'Z');
    ASSERT_EQ(BrevixC_SYS_GetAdapterName(buffer.data()), 1);
    EXPECT_EQ(std::string(buffer.data(), 1023), ("\\Device\\NPF_" + guid).substr(0, 1023));
    EXPECT_EQ(buffer[1023], '\0');
    EXPECT_EQ(std::string(buffer.begin() + 1024, buffer.end()), std::string(64, 'Z')) << "written past the buffer";

    // A buffer the host did not clear still ends right after the name.
    source_.devices = {Device("{A}", "Brevix Series Stream Gen")};
    ASSERT_EQ(Detect(), 1);
    std::fill(buffer.begin(), buffer.end(), 'Z');
    ASSERT_EQ(BrevixC_SYS_GetAdapterName(buffer.data()), 1);
    EXPECT_STREQ(buffer.data(), "\\Device\\NPF_{A}");
}

TEST_F(DetectionTest, ProbeAnsweredOnItsThirdFrameChoosesTheAdapter) {
    auto link = std::make_shared<scripted::ScriptedLink>();
    std::atomic<int> probes{0};
    link->answer = [&probes](const Bytes& sent) {
        if (++probes != 3) return Bytes{};
        Bytes reply = sent;
        reply[13] = 0x04;
        return reply;
    };
    source_.open = [link](const std::string&) { return link; };
    source_.devices = {Device("{P}", "bvh9")};
    source_.adapters = {Adapter("{P}", 0xFF)};
    ASSERT_EQ(Detect(), 1);
    EXPECT_EQ(std::string(model_, 10), "Brevix-CFZ");
    ASSERT_TRUE(capi::Detection::Instance().Chosen());
    EXPECT_TRUE(capi::Detection::Instance().Chosen()->probeUnit);

    const std::vector<Bytes> sent = link->Sent();
    ASSERT_EQ(sent.size(), 3u);
    Bytes expected(60, 0);
    const uint8_t head[20] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x5E, 0xC1, 0xFF, 0x00,
                              0x09, 0xFF, 0x03, 0x00, 0x01, 0xC0, 0x00, 0x00, 0xD4};
    std::copy(head, head + 20, expected.begin());
    for (const Bytes& frame : sent) EXPECT_EQ(frame, expected);
}

// The adapter that detection chose cannot be opened when the host connects (unplugged between the
// two, say): connect fails and starts nothing.
TEST_F(DetectionTest, ConnectFailsWhenTheChosenAdapterCannotBeOpened) {
    source_.devices = {Device("{A}", "Realtek USB2.0 to Fast Ethernet Adapter #2")};
    source_.adapters = {Adapter("{A}", 0x21)};
    ASSERT_EQ(Detect(), 1);
    source_.open = nullptr;  // every open fails
    EXPECT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 0);
    EXPECT_EQ(CountLibraryThreads(L"BrevixCAPI"), 0);
    uint32_t value = 0;
    EXPECT_EQ(BVT_Read(0x41000004, &value), 0) << "not connected";
}

}  // namespace
