// A library freshly loaded, before any connection: the register calls' message pump, calls that
// need a tester, and the debug log console.

#include "BrevixCAPI.h"
#include "ConsoleText.h"
#include "support/CallbackRecorder.h"

#include <gtest/gtest.h>
#include <windows.h>

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
};

uint32_t words[512];
char text[1024];

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
};

TEST(FreshLibraryTest, EveryCallThatNeedsATesterReturnsZeroBeforeConnect) {
    for (const Call& call : kCalls) EXPECT_EQ(call.run(), 0) << call.name << " before init";
    ASSERT_EQ(BrevixC_SYS_Init(support::CallbackRecorder::Callback, 0), 1);
    for (const Call& call : kCalls) EXPECT_EQ(call.run(), 0) << call.name << " after init";
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
