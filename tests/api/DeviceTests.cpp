#include "BrevixCAPI.h"
#include "sim/Tester.h"
#include "sim/TesterModel.h"
#include "support/CallbackRecorder.h"
#include "support/Environment.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstring>

using namespace std::chrono_literals;

namespace {

class ConnectedTester : public testing::Test {
protected:
    static void SetUpTestSuite() {
        pair_ = support::TestNetwork();
        SetEnvironmentVariableA("BREVIXCAPI_ADAPTERS", pair_.hostInterface.c_str());
        std::string error;
        auto link = sim::PcapLink::Open(pair_.deviceInterface, &error);
        ASSERT_TRUE(link) << error;
        tester_ = new sim::Tester(std::move(link));
        model_ = new sim::TesterModel(*tester_, 1);
        sim::TesterIdentity identity;
        identity.model = "Brevix-CF 2x1G";
        identity.eepromVersion = "12";
        identity.serialNumber = "SN0123456789ABCDEFGH";
        identity.productDate = "2019-05-17AB";
        identity.mac = {0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F};
        model_->SetIdentity(identity);
        tester_->Start();
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(BrevixC_SYS_Init(support::CallbackRecorder::Callback, 0), 1);
        char name[32] = {};
        ASSERT_EQ(BrevixC_SYS_DetectBrevixCDevice(name), 1);
        printf("detect %lld ms: %s\n", (long long)std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count(), name);
        ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
        printf("connect %lld ms\n", (long long)std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
    }
    static void TearDownTestSuite() {
        BrevixC_SYS_TerminateProcess();
        delete model_;
        delete tester_;
    }

    static support::VethPair pair_;
    static sim::Tester* tester_;
    static sim::TesterModel* model_;
};

support::VethPair ConnectedTester::pair_;
sim::Tester* ConnectedTester::tester_;
sim::TesterModel* ConnectedTester::model_;

TEST_F(ConnectedTester, Smoke) {
    EXPECT_STREQ(BVX_Module, "Brevix-CF 2x1G");
    EXPECT_STREQ(BVX_SN, "SN0123456789ABCDEFGH");
    EXPECT_EQ(BVX_Machine_ID, 1);
    for (auto& f : tester_->Log()) {
        printf("%3zu:", f.bytes.size());
        for (size_t i = 12; i < std::min<size_t>(f.bytes.size(), 40); ++i) printf(" %02x", f.bytes[i]);
        printf("\n");
    }
    tester_->Registers().Set(0x41000004, 1234);
    uint32_t v = 0;
    auto t0 = std::chrono::steady_clock::now();
    int ok = 0;
    for (int i = 0; i < 100; ++i) ok += BVT_Read(0x41000004, &v);
    printf("100 reads: %d ok, %lld us\n", ok, (long long)std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0).count());
    EXPECT_EQ(v, 1234u);
}

}  // namespace
