// A library freshly loaded, before any connection: the register calls' message pump, calls that
// need a tester, and the debug log console.

#include "BrevixCAPI.h"
#include "BrevixCPorts.h"
#include "BrevixCTx.h"
#include "ConsoleText.h"
#include "support/CallbackRecorder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

bool PostedMessageWaiting() {
    MSG message;
    return PeekMessageW(&message, nullptr, WM_APP, WM_APP, PM_NOREMOVE) != FALSE;
}

// Every tenth send-and-wait of the process pumps the caller's messages first (the first one
// included). Where the count stands depends on the cases before: the first call that dispatches
// a posted message shows it, and the next such call is ten calls later.
TEST(FreshLibraryTest, EveryTenthSendAndWaitPumpsPostedMessages) {
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // gives the thread its queue
    uint32_t value = 7;
    ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0));
    int calls = 0;
    while (PostedMessageWaiting() && calls < 10) {
        EXPECT_EQ(BVT_Read(0x40000004, &value), 0);
        ++calls;
    }
    ASSERT_FALSE(PostedMessageWaiting()) << "one of ten calls dispatched it";
    ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0));
    for (int call = 1; call < 10; ++call) {
        EXPECT_EQ(BVT_Read(0x40000004, &value), 0);
        EXPECT_TRUE(PostedMessageWaiting()) << "call " << call << " after the pump left it";
    }
    EXPECT_EQ(BVT_Read(0x40000004, &value), 0);
    EXPECT_FALSE(PostedMessageWaiting()) << "the tenth call dispatched it";
    EXPECT_EQ(value, 7u);
}

struct Call {
    const char* name;
    std::function<int()> run;
    int failure = 0;  // what the call gives when it cannot reach a tester
};

uint32_t words[512];
char text[1024];
uint8_t frame[60] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01};

BrevixC_PortConfig_T PortConfigOfPortA() {
    BrevixC_PortConfig_T config;
    std::memset(&config, 0xFF, sizeof config);
    config.port = 0;
    return config;
}

const Call kCalls[] = {
    {"BVT_GenRW", [] { return BVT_GenRW(1, words); }},
    {"BVT_GenW", [] { return BVT_GenW(1, words); }},
    {"BVT_GenR", [] { return BVT_GenR(1, words); }},
    {"BrevixT_GenR", [] { return BrevixT_GenR(1, words); }},
    {"BVT_SeqR", [] { return BVT_SeqR(4, 0x42000000, words); }},
    {"BrevixT_SeqR", [] { return BrevixT_SeqR(4, 0x42000000); }},
    {"BrevixT_SeqR64", [] { return int(BrevixT_SeqR64(4, 0x42000000)); }},
    {"BVT_SeqW", [] { return BVT_SeqW(4, 0x42000000, words); }},
    {"BVT_Read", [] { return BVT_Read(0x40000004, words); }},
    {"BVT_Write", [] { return BVT_Write(0x40000054, 1); }},
    {"BrevixC_SYS_GetSystemVer", [] { return BrevixC_SYS_GetSystemVer(); }},
    {"BrevixC_SYS_SetNICMode", [] { return BrevixC_SYS_SetNICMode(0, 1); }},
    {"BrevixC_SYS_GetManualInfo", [] { return int(BrevixC_SYS_GetManualInfo(0)); }},
    {"BrevixC_SYS_GetAdapterName", [] { return BrevixC_SYS_GetAdapterName(text); }},
    {"BrevixC_SYS_ConnectToBrevixCDevice", [] { return BrevixC_SYS_ConnectToBrevixCDevice(); }},
    {"BrevixC_PortConfig", [] { return int(BrevixC_PortConfig(PortConfigOfPortA())); }},
    {"BrevixC_GetLinkStatus", [] { return BrevixC_GetLinkStatus(); }},
    {"BrevixC_SetSFP", [] { return BrevixC_SetSFP(255, BREVIXC_SFP_AUTO); }},
    {"BrevixC_GetSFPStatus", [] { return BrevixC_GetSFPStatus(0); }, -1},
    {"BrevixC_EnableSFPShadow", [] { return BrevixC_EnableSFPShadow(0, 1); }},
    {"BrevixC_ReadPHY", [] { return BrevixC_ReadPHY(255, 2); }},
    {"BrevixC_WritePHY", [] { return BrevixC_WritePHY(0, 4, 0x01E1); }},
    {"BrevixC_SetAutoMDIX", [] { return BrevixC_SetAutoMDIX(0, 2); }},
    {"BrevixC_SetLoopback", [] { return BrevixC_SetLoopback(0, 1); }},
    {"BrevixC_SetRxDI", [] { return BrevixC_SetRxDI(0, 1); }},
    {"BrevixC_ReadOSCValue", [] { return BrevixC_ReadOSCValue(0); }},
    {"BrevixC_SetMediaType", [] { return BrevixC_SetMediaType({0, 5, 0x3F, 0, 0}); }},
    {"BrevixC_StartTxPkt", [] { return BrevixC_StartTxPkt(0, 0, 1, 1, 0); }},
    {"BrevixC_StopTxPkt", [] { return BrevixC_StopTxPkt(0); }},
    {"BrevixC_PauseTxPkt", [] { return BrevixC_PauseTxPkt(0); }},
    {"BrevixC_ResumeTxPkt", [] { return BrevixC_ResumeTxPkt(0); }},
    {"BrevixC_SetTxGap", [] { return BrevixC_SetTxGap(5); }},
    {"BrevixC_TinyGAP", [] { return BrevixC_TinyGAP(0, 1); }},
    {"BrevixC_EnableTxSend", [] { return BrevixC_EnableTxSend(0, 1, 0, 0, 0); }},
    {"BrevixC_TxSend", [] { return BrevixC_TxSend(0, frame, sizeof frame); }},
};

// Each call gives its failure at once: a PHY read does not wait for a result it never asked for,
// and no media detection starts that could never end.
void RunEveryCall(const char* when) {
    for (const Call& call : kCalls) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(call.run(), call.failure) << call.name << " " << when;
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        EXPECT_LT(took.count(), 1000) << call.name << " " << when;
    }
}

TEST(FreshLibraryTest, EveryCallThatNeedsATesterFailsAtOnceBeforeConnect) {
    RunEveryCall("before init");
    ASSERT_EQ(BrevixC_SYS_Init(support::CallbackRecorder::Callback, 0), 1);
    support::CallbackRecorder::Instance().Clear();
    RunEveryCall("after init");
    // A PHY read reports its PHY lost on the caller's thread, before it returns.
    EXPECT_TRUE(support::CallbackRecorder::Instance().Messages().empty());
    EXPECT_EQ(BrevixC_SYS_TerminateProcess(), 1);
}

int DetectWithoutAdapters() {
    SetEnvironmentVariableA("BREVIXCAPI_ADAPTERS", "no-such-adapter");
    char model[21] = {};
    return BrevixC_SYS_DetectBrevixCDevice(model);
}

TEST(DebugLogTest, LinesAppearInTheConsoleOnlyWhileItIsOpen) {
    ASSERT_FALSE(HasConsole()) << "no console before the log is opened";
    DetectWithoutAdapters();

    EXPECT_EQ(BrevixC_SYS_OpenDebugLog(), 1);
    ASSERT_TRUE(HasConsole());
    BrevixC_SYS_Init(support::CallbackRecorder::Callback, 0);
    EXPECT_EQ(BrevixC_SYS_OpenDebugLog(), 1) << "a second open keeps the console and its lines";
    EXPECT_EQ(DetectWithoutAdapters(), 0);
    EXPECT_EQ(ConsoleLines(), (std::vector<std::wstring>{L"BVT_ReplayPortClear in Init", L"BVT_ReplayPortClear in Init",
                                                         L"Detect Failed"}));

    EXPECT_EQ(BrevixC_SYS_CloseDebugLog(), 1);
    EXPECT_FALSE(HasConsole());
    DetectWithoutAdapters();

    EXPECT_EQ(BrevixC_SYS_OpenDebugLog(), 1);
    BrevixC_SYS_TerminateProcess();
    EXPECT_EQ(ConsoleLines(), (std::vector<std::wstring>{L"(API)(BrevixC_SYS_TerminateProcess)Set Capture Terminate"}))
        << "a new console shows only new lines";
    BrevixC_SYS_CloseDebugLog();
}

}  // namespace
