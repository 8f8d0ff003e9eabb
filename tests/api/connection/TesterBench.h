#pragma once
// A simulated Brevix-CF on the test's veth pair, for the cases that connect, lose and reconnect the
// tester over and over: started afresh for each case, with the library limited to its adapter.

#include "BrevixCAPI.h"
#include "LibraryThreads.h"
#include "sim/PhyBank.h"
#include "sim/Tester.h"
#include "sim/TesterModel.h"
#include "support/TesterLink.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

class TesterBench : public testing::Test {
protected:
    void SetUp() override {
        pair_ = support::TestNetwork();
        ASSERT_FALSE(pair_.hostInterface.empty());
        std::string error;
        auto link = support::OpenTesterLink(pair_, &error);
        ASSERT_TRUE(link) << error;
        tester_ = std::make_unique<sim::Tester>(std::move(link));
        model_ = std::make_unique<sim::TesterModel>(*tester_, 1);
        phys_ = std::make_unique<sim::PhyBank>(*tester_, sim::RegisterMap::First);
        phys_->SetLink(0, {true, 1000, true});
        tester_->Start();
        SetEnvironmentVariableA("BREVIXCAPI_ADAPTERS", pair_.hostInterface.c_str());
    }
    void TearDown() override {
        BrevixC_SYS_TerminateProcess();
        tester_->Stop();
    }

    static int Detect() {
        char model[21] = {};
        return BrevixC_SYS_DetectBrevixCDevice(model);
    }

    support::VethPair pair_;
    std::unique_ptr<sim::Tester> tester_;
    std::unique_ptr<sim::TesterModel> model_;
    std::unique_ptr<sim::PhyBank> phys_;
};
