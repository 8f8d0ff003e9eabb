// The USB channel against a simulated unit in both transports: finding and opening a unit, the
// write forms, the two exchange patterns with replies that come after some reads, and the bytes
// of the unit's commands.

#include "support/Waiting.h"
#include "usb/UsbBench.h"

#include <atomic>
#include <cstring>
#include <functional>
#include <future>

using namespace usbbench;

namespace {

using ReadReg = int(__stdcall*)(uint16_t, uint32_t*);
using WriteReg = int(__stdcall*)(uint16_t, uint32_t);
using GetEeprom = int(__stdcall*)(uint16_t, uint16_t, uint8_t*);
using SetEeprom = int(__stdcall*)(Korrin_EepromWrite_T);
using GetTask = int(__stdcall*)(void*, uint8_t, uint8_t);
using SetTask = int(__stdcall*)(Korrin_Task_T);
using GetLog = int(__stdcall*)(void*, uint16_t);
using Vcxo = int(__stdcall*)(int);
using NoArgs = int(__stdcall*)();
using GetFrame = int(__stdcall*)(int, uint8_t*);
using SendFrame = int(__stdcall*)(Korrin_Frame_T);
using SystemInfo = int(__stdcall*)(Korrin_SystemInfo_T*);

class UsbChannelTest : public UsbTest {};

TEST_P(UsbChannelTest, RequestsGoInTheReportFormOfTheTransport) {
    uint32_t value = 0;
    Unit().SetRegister(0x0123, 0xA1B2C3D4);
    ASSERT_EQ(Export<ReadReg>("_Korrin_ReadReg@8")(0x0123, &value), 1);
    EXPECT_EQ(value, 0xA1B2C3D4u);
    const std::vector<sim::UsbPacket> received = Unit().Received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].bytes, Packet({1, 0, 0x23, 0x01, 1, 0, 0, 0}));
    EXPECT_EQ(received[0].report, Hid()) << "a report with its id in HID mode, the bare packet over mpusbapi";
}

TEST_P(UsbChannelTest, AcknowledgedExchangeTakesTheReplyOfItsThirdReadAndNoLater) {
    const WriteReg write = Export<WriteReg>("_Korrin_WriteToReg@8");
    Unit().PrecedeReplies(1, 2);
    EXPECT_EQ(write(0x10, 0x11223344), 1) << "two stale packets, the reply on the third read";
    EXPECT_EQ(Unit().Register(0x10), 0x11223344u);
    EXPECT_EQ(Unit().LastRequest(2), Packet({2, 0, 0x10, 0, 0x44, 0x33, 0x22, 0x11}));
    Unit().PrecedeReplies(1, 3);
    EXPECT_EQ(write(0x10, 5), 0) << "three reads find only stale packets";
}

TEST_P(UsbChannelTest, ExchangesFailWhenTheUnitIsSilentOrItsRepliesAreCorrupt) {
    uint32_t value = 7;
    Unit().CorruptReplies(1);
    EXPECT_EQ(Export<ReadReg>("_Korrin_ReadReg@8")(1, &value), 0);
    EXPECT_EQ(value, 7u) << "nothing is written on failure";
    Unit().SetSilent(true);
    EXPECT_EQ(Export<Vcxo>("_Korrin_VCXO_SetAdjustPPM@4")(3), 0);
    Unit().SetSilent(false);
    EXPECT_EQ(Export<ReadReg>("_Korrin_ReadReg@8")(1, &value), 1) << "the unit answers again once it speaks";
}

TEST_P(UsbChannelTest, ALateReplyOfAFailedExchangeIsNotTaken) {
    Unit().SetRegister(0x0A, 0xA0A0A0A0);
    Unit().SetRegister(0x00, 0x12345678);
    // The read's three reads wait up to a second each: its reply comes well after it gave up.
    Unit().DelayNextReplies(1, 5000);
    uint32_t value = 0;
    EXPECT_EQ(Export<ReadReg>("_Korrin_ReadReg@8")(0x0A, &value), 0);
    ASSERT_TRUE(support::Eventually([&] { return Unit().LateRepliesPending() == 0; }));
    // A raw frame takes the first reply with its code: the late one now waits in the channel.
    uint8_t frame[68] = {};
    ASSERT_EQ(Export<GetFrame>("_Korrin_GetFrame@8")(1, frame), 1);
    uint32_t framed = 0;
    std::memcpy(&framed, frame + 6, 4);
    EXPECT_EQ(frame[4], 0) << "the reply to the frame's own request, for address 0";
    EXPECT_EQ(framed, 0x12345678u);
}

TEST_P(UsbChannelTest, RepliesForAnotherAddressArePassedOver) {
    Unit().SetRegister(0x0123, 0xA1B2C3D4);
    Unit().MisdirectReplies(1);
    uint32_t value = 0;
    ASSERT_EQ(Export<ReadReg>("_Korrin_ReadReg@8")(0x0123, &value), 1);
    EXPECT_EQ(value, 0xA1B2C3D4u);

    std::array<uint8_t, 256> image{};
    for (size_t i = 0; i < image.size(); ++i) image[i] = uint8_t(i + 1);
    Unit().SetEeprom(image);
    Bytes other = Packet({18, 0, 0x30, 0, 8, 0});
    std::fill(other.begin() + 6, other.end(), 0xEE);
    Unit().ForgeReplies({{{other}, {}}});
    uint8_t out[62] = {};
    ASSERT_EQ(Export<GetEeprom>("_Korrin_GetEeprom@12")(0x10, 8, out), 1);
    EXPECT_TRUE(std::equal(out + 4, out + 62, image.begin() + 32)) << "the words of address 0x10, not 0x30";
}

TEST_P(UsbChannelTest, ReadsTakeRepliesThatLeaveTheAddressBytesZero) {
    Unit().EchoAddresses(false);
    Unit().SetRegister(0x0123, 0xA1B2C3D4);
    uint32_t value = 0;
    ASSERT_EQ(Export<ReadReg>("_Korrin_ReadReg@8")(0x0123, &value), 1);
    EXPECT_EQ(value, 0xA1B2C3D4u);

    std::array<uint8_t, 256> image{};
    for (size_t i = 0; i < image.size(); ++i) image[i] = uint8_t(i * 5 + 1);
    Unit().SetEeprom(image);
    uint8_t out[62] = {};
    ASSERT_EQ(Export<GetEeprom>("_Korrin_GetEeprom@12")(0x10, 8, out), 1);
    EXPECT_TRUE(std::equal(out + 4, out + 62, image.begin() + 32));

    // A reply naming another address is still not this read's.
    Unit().SetRegister(0x0200, 0x600DF00D);
    Unit().MisdirectReplies(1);
    ASSERT_EQ(Export<ReadReg>("_Korrin_ReadReg@8")(0x0200, &value), 1);
    EXPECT_EQ(value, 0x600DF00Du);
    EXPECT_EQ(Unit().ReceivedCount(), 3u) << "one request each";
}

// A unit that answers a request twice and leaves the address bytes 0: the spare reply of one read
// is not the next read's.
TEST_P(UsbChannelTest, ARepeatedReplyIsNotTakenByTheNextRead) {
    Unit().EchoAddresses(false);
    Unit().SetRegister(0x0031, 0x0A0A0A0A);
    Unit().SetRegister(0x0032, 0x0B0B0B0B);
    Unit().RepeatReplies(1);
    const ReadReg read = Export<ReadReg>("_Korrin_ReadReg@8");
    uint32_t first = 0, second = 0;
    ASSERT_EQ(read(0x0031, &first), 1);
    ASSERT_EQ(read(0x0032, &second), 1);
    EXPECT_EQ(first, 0x0A0A0A0Au);
    EXPECT_EQ(second, 0x0B0B0B0Bu) << "the second read took the first one's spare reply";
    EXPECT_EQ(Unit().ReceivedCount(), 2u) << "one request each";
}

TEST_P(UsbChannelTest, DeadlineExchangeWaitsOutADelayedReply) {
    Unit().DelayReplies(700);
    EXPECT_EQ(Export<Vcxo>("_Korrin_VCXO_SetAdjustPPM@4")(-12), 1);
    EXPECT_EQ(Unit().VcxoPpm(), -12) << "the adjustment travels at bytes 2-3";
    EXPECT_EQ(Unit().LastRequest(32), Packet({32, 0, 0xF4, 0xFF}));
    Unit().ClearFaults();
    Unit().PrecedeReplies(1, 5);
    EXPECT_EQ(Export<NoArgs>("_Korrin_VCXO_GetAdjustPPM@0")(), 1) << "reads go on until the deadline";
}

TEST_P(UsbChannelTest, EepromAddressesKeepFifteenBitsAndDataFollowsTheHeader) {
    std::array<uint8_t, 256> image{};
    for (size_t i = 0; i < image.size(); ++i) image[i] = uint8_t(i * 3);
    Unit().SetEeprom(image);
    uint8_t out[62];
    std::memset(out, 0xEE, sizeof out);
    ASSERT_EQ(Export<GetEeprom>("_Korrin_GetEeprom@12")(0x8010, 8, out), 1);
    EXPECT_EQ(Unit().LastRequest(18), Packet({18, 0, 0x10, 0, 8, 0}));
    EXPECT_EQ(out[0], 0xEE) << "bytes 0-3 are not written";
    EXPECT_TRUE(std::equal(out + 4, out + 62, image.begin() + 32));

    Korrin_EepromWrite_T record{};
    record.wordAddress = 0x0020;
    record.wordCount = 2;
    const uint8_t words[4] = {0xDE, 0xAD, 0xBE, 0xEF};
    std::memcpy(record.data, words, 4);
    ASSERT_EQ(Export<SetEeprom>("_Korrin_SetEeprom@72")(record), 1);
    const std::array<uint8_t, 256> after = Unit().Eeprom();
    EXPECT_TRUE(std::equal(words, words + 4, after.begin() + 64));
}

TEST_P(UsbChannelTest, TaskReadSkipsRepliesOfOtherChunksAndArguments) {
    Bytes body(116);
    for (size_t i = 0; i < body.size(); ++i) body[i] = uint8_t(0x80 + i);
    Unit().SetTaskBody(7, body);
    Unit().MisdirectReplies(2);
    uint8_t task[75] = {};
    ASSERT_EQ(Export<GetTask>("_Korrin_GetTask@12")(task, 7, 9), 1);
    EXPECT_EQ(task[0], 7);
    EXPECT_TRUE(std::equal(task + 1, task + 75, body.begin()));
    EXPECT_EQ(Unit().LastRequest(5), Packet({5, 0, 1, 0, 7, 9}));

    Dashel_Task_T dashel{};
    dashel.bytes[0] = 4;
    for (size_t i = 1; i < sizeof dashel.bytes; ++i) dashel.bytes[i] = uint8_t(i);
    ASSERT_EQ(Export<int(__stdcall*)(Dashel_Task_T)>("Dashel_SetTask")(dashel), 1);
    const std::vector<sim::UsbPacket> writes = Unit().Received();
    ASSERT_GE(writes.size(), 2u);
    const sim::UsbPacket last = writes.back();
    EXPECT_FALSE(last.report) << "Dashel tasks go as the bare packet";
    EXPECT_EQ(last.bytes[2], 1);
    EXPECT_TRUE(std::equal(dashel.bytes + 59, dashel.bytes + 111, last.bytes.begin() + 6)) << "52 bytes in chunk 1";
}

TEST_P(UsbChannelTest, LogReadsTakeTheModelsChunkCountAndDeliver1210Bytes) {
    Bytes entry(1500);
    for (size_t i = 0; i < entry.size(); ++i) entry[i] = uint8_t(i * 7);
    Unit().AddLogEntry(entry);
    const struct {
        const char* name;
        size_t chunks;
    } cases[] = {{"_Korrin_GetLog@8", 21}, {"Sevane_GetLog", 25}, {"Dashel_GetLog", 22}};
    for (const auto& c : cases) {
        // Each chunk takes 150 ms: the per-model counts are checked over one transport.
        if (Hid() && c.chunks != 21) continue;
        Unit().ClearReceived();
        Bytes out(1300, 0xCC);
        ASSERT_EQ(Export<GetLog>(c.name)(out.data(), 0), 1) << c.name;
        EXPECT_EQ(Unit().ReceivedCount(), c.chunks) << c.name;
        EXPECT_TRUE(std::equal(out.begin(), out.begin() + 1210, entry.begin())) << c.name;
        EXPECT_EQ(out[1210], 0xCC) << c.name;
    }
}

TEST_P(UsbChannelTest, RawFramesGoAsTheyStandAndRepliesLandFromByteFour) {
    Korrin_Frame_T frame{};
    for (size_t i = 0; i < 64; ++i) frame.bytes[i] = uint8_t(i == 0 ? 17 : i);
    ASSERT_EQ(Export<SendFrame>("_Korrin_SendFrame@64")(frame), 1);
    EXPECT_EQ(Unit().Received().back().bytes, Bytes(frame.bytes, frame.bytes + 64));
    EXPECT_FALSE(Unit().Received().back().report);

    Unit().SetReplyData(29, {0xA0, 0xA1, 0xA2});
    uint8_t buffer[68];
    std::memset(buffer, 0x55, sizeof buffer);
    ASSERT_EQ(Export<GetFrame>("_Korrin_GetFrame@8")(29, buffer), 1);
    EXPECT_EQ(buffer[0], 29);
    EXPECT_EQ(buffer[2], 0x55) << "bytes 2 and 3 keep what the caller put there";
    EXPECT_EQ(buffer[4], 0xA0);
    EXPECT_EQ(buffer[6], 0xA2);
}

TEST_P(UsbChannelTest, CompositeSystemInformationGathersEepromAndVersionFields) {
    std::array<uint8_t, 256> image{};
    std::memcpy(image.data() + 32, "Brevix-H 8G  x16", 16);
    const uint8_t serial[6] = {0x00, 0x00, 0x01, 0x02, 0x03, 0x04};  // 16909060
    std::memcpy(image.data() + 52, serial, 6);
    Unit().SetEeprom(image);
    Korrin_SystemInfo_T info;
    std::memset(&info, 0xAA, sizeof info);
    ASSERT_EQ(Export<SystemInfo>("_Korrin_GetSystemInfo@4")(&info), 1);
    const Bytes version = Unit().ReplyData(15);
    const Bytes system = Unit().ReplyData(13);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(info.bytes), 16), "Brevix-H 8G  x16");
    EXPECT_STREQ(reinterpret_cast<char*>(info.bytes + 30), "16909060");
    EXPECT_TRUE(std::equal(info.bytes + 16, info.bytes + 30, system.begin()));
    EXPECT_TRUE(std::equal(info.bytes + 76, info.bytes + 85, version.begin()));
    EXPECT_TRUE(std::equal(info.bytes + 85, info.bytes + 93, version.begin() + 52));
    EXPECT_EQ(info.bytes[130], 0) << "unlisted bytes stay zero";
}

TEST_P(UsbChannelTest, ASelectionOutsideTheModelsSearchesNothing) {
    bench_->Host().ClearCalls();
    EXPECT_EQ(BrevixH_SYS_SetDeviceType(0), 0);
    EXPECT_EQ(BrevixH_SYS_SetDeviceType(5), 0);
    EXPECT_EQ(BrevixH_SYS_SelectDevice(4), 0);
    EXPECT_EQ(bench_->Host().CallCount(), 0u);
    EXPECT_EQ(BrevixH_SYS_FindDevice(), Hid() ? 1 : 0) << "the presence check looks at HID interfaces";
}

INSTANTIATE_TEST_SUITE_P(Transports, UsbChannelTest, testing::Values(sim::UsbTransport::Hid, sim::UsbTransport::Mpusb),
                         [](const auto& info) { return TransportName(info.param); });

// An exchange started from a message dispatched during another exchange's wait, on the same
// thread, fails without sending anything rather than mixing its packets into the running one.
class NestedExchangeTest : public UsbTest {};

uint32_t nestedResult = 99;

LRESULT CALLBACK NestingWindow(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_APP) {
        uint32_t value = 0;
        nestedResult = uint32_t(Export<ReadReg>("_Korrin_ReadReg@8")(0x77, &value));
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

TEST_P(NestedExchangeTest, NestedExchangeReturnsZeroWithoutIo) {
    WNDCLASSW cls{};
    cls.lpfnWndProc = NestingWindow;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"UsbNestingWindow";
    RegisterClassW(&cls);
    HWND window = CreateWindowW(cls.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, cls.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    nestedResult = 99;
    PostMessageW(window, WM_APP, 0, 0);
    uint32_t value = 0;
    EXPECT_EQ(Export<ReadReg>("_Korrin_ReadReg@8")(0x12, &value), 1);
    EXPECT_EQ(nestedResult, 0u) << "the nested read ran during the outer one's wait and failed";
    EXPECT_EQ(Unit().ReceivedCount(), 1u) << "only the outer read reached the unit";
    DestroyWindow(window);
}

INSTANTIATE_TEST_SUITE_P(Transports, NestedExchangeTest, testing::Values(sim::UsbTransport::Hid),
                         [](const auto& info) { return TransportName(info.param); });

}  // namespace

namespace {

// Connecting an open channel closes its handles first: the driver sees both endpoints closed
// before they are opened again, and the channel works after.
class ReopenTest : public UsbTest {};

TEST_P(ReopenTest, ConnectingAnOpenChannelClosesItsHandlesFirst) {
    bench_->Host().ClearCalls();
    ASSERT_EQ(BrevixH_SYS_ConnectToDevice(), 1);
    size_t closes = 0, opensAfter = 0;
    for (const sim::DriverCall& call : bench_->Host().Calls()) {
        const bool endpoint = call.target.find(L"\\MCHP_EP1") != std::wstring::npos;
        if (endpoint && call.kind == sim::DriverCall::Kind::Close) ++closes;
        if (endpoint && call.kind == sim::DriverCall::Kind::Open && closes == 2) ++opensAfter;
    }
    EXPECT_EQ(closes, 2u);
    EXPECT_EQ(opensAfter, 2u);
    uint32_t value = 0;
    EXPECT_EQ(Export<ReadReg>("_Korrin_ReadReg@8")(3, &value), 1);
}

// A search that selects a unit of the other transport while a channel is open: the channel keeps
// its transport and its unit until an open replaces it.
TEST_P(ReopenTest, ASearchThatSwitchesTheTransportLeavesTheOpenChannelItsOwn) {
    sim::UsbUnit& newer = bench_->Plug(3, sim::UsbModel::BrevixH, sim::UsbTransport::Hid);
    ASSERT_EQ(BrevixH_SYS_SetDeviceType(4), 1) << "the new firmware's unit is found first";
    Unit().SetRegister(7, 0x0BADCAFE);
    uint32_t value = 0;
    ASSERT_EQ(Export<ReadReg>("_Korrin_ReadReg@8")(7, &value), 1);
    EXPECT_EQ(value, 0x0BADCAFEu);
    EXPECT_EQ(Unit().LastRequest(1), Packet({1, 0, 7, 0, 1}));
    EXPECT_EQ(newer.ReceivedCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Transports, ReopenTest, testing::Values(sim::UsbTransport::Mpusb),
                         [](const auto& info) { return TransportName(info.param); });

}  // namespace

namespace {

// An exchange waits with the channel, dispatching its thread's window messages. A message
// dispatched there whose handler sends a message to another thread that is calling a command
// meanwhile holds neither thread up: the command waits for the channel dispatching its own
// thread's messages, then runs after the exchange. The sent message's handler calls a command in
// turn: that one fails at once (it would wait for the channel inside the wait, while the channel's
// owner waits for its answer).
class PumpedWaitTest : public UsbTest {};

constexpr UINT kSendToCaller = WM_APP + 1;
HWND callerWindow = nullptr;
std::atomic<bool> handlerInside{false};
std::atomic<bool> callerCalling{false};
std::atomic<bool> handlerStuck{false};
std::atomic<int> callerAnswered{0};
std::atomic<int> nestedInCaller{99};

LRESULT CALLBACK CallerWindow(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message != WM_APP) return DefWindowProcW(window, message, w, l);
    uint32_t value = 0;
    nestedInCaller = Export<ReadReg>("_Korrin_ReadReg@8")(0x10, &value);
    ++callerAnswered;
    return 0;
}

// The host code of the exchange's thread: once the other thread is in its call, a message to it.
LRESULT CALLBACK ExchangeWindow(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message != kSendToCaller) return DefWindowProcW(window, message, w, l);
    handlerInside = true;
    if (!support::Eventually([] { return callerCalling.load(); })) return 0;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(callerWindow, WM_APP, 0, 0, SMTO_NORMAL, DWORD(support::kPatience.count()), &result))
        handlerStuck = true;
    return 0;
}

HWND MessageWindow(const wchar_t* name, WNDPROC procedure) {
    WNDCLASSW cls{};
    cls.lpfnWndProc = procedure;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = name;
    RegisterClassW(&cls);
    return CreateWindowW(name, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, cls.hInstance, nullptr);
}

struct RunningExchange {
    const char* name;
    uint8_t code;
    std::function<int()> call;
};

// Runs the exchange on a thread of its own, whose host code sends to this thread once it calls
// Korrin_ReadReg; `quitFirst` posts this thread a quit message before the call.
void CallBesideExchange(sim::UsbUnit& unit, const RunningExchange& exchange, bool quitFirst) {
    handlerInside = false;
    callerCalling = false;
    handlerStuck = false;
    callerAnswered = 0;
    nestedInCaller = 99;
    unit.ClearReceived();
    auto running = std::async(std::launch::async, [&] {
        HWND window = MessageWindow(L"UsbPumpedWaitExchange", ExchangeWindow);
        PostMessageW(window, kSendToCaller, 0, 0);
        const int result = exchange.call();
        DestroyWindow(window);
        return result;
    });
    ASSERT_TRUE(support::Eventually([] { return handlerInside.load(); })) << exchange.name;
    if (quitFirst) PostQuitMessage(3);
    callerCalling = true;
    uint32_t value = 0;
    EXPECT_EQ(Export<ReadReg>("_Korrin_ReadReg@8")(0x10, &value), 1) << exchange.name << ": the command waited";
    EXPECT_EQ(value, 0x5EED1234u) << exchange.name;
    ASSERT_EQ(running.wait_for(support::kPatience), std::future_status::ready) << exchange.name;
    EXPECT_EQ(running.get(), 1) << exchange.name;
    EXPECT_FALSE(handlerStuck) << exchange.name << ": the message waited for the thread that waited for the lock";
    EXPECT_EQ(callerAnswered, 1) << exchange.name;
    EXPECT_EQ(nestedInCaller, 0) << exchange.name << ": the command inside the wait for the channel";
    const std::vector<sim::UsbPacket> received = unit.Received();
    ASSERT_FALSE(received.empty()) << exchange.name;
    EXPECT_EQ(received.front().bytes[0], exchange.code) << exchange.name << ": the exchange's request first";
    EXPECT_EQ(received.back().bytes, Packet({1, 0, 0x10, 0, 1})) << exchange.name << ": the command's after it";
    if (!quitFirst) return;
    MSG quit{};
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit is left for the loop";
    EXPECT_EQ(quit.wParam, 3u);
}

TEST_P(PumpedWaitTest, AMessageSentFromInsideAnExchangeReachesAThreadCallingACommand) {
    Korrin_Frame_T frame{};
    frame.bytes[0] = 13;
    Quillet_WlanCommand_T wlan{};
    wlan.bytes[2] = 1;
    const RunningExchange exchanges[] = {
        {"Korrin_SendFrame", 13, [&] { return Export<SendFrame>("_Korrin_SendFrame@64")(frame); }},
        {"Korrin_ReadReg", 1,
         [] {
             uint32_t value = 0;
             return Export<ReadReg>("_Korrin_ReadReg@8")(0x20, &value);
         }},
        {"Korrin_GetTask", 5,
         [] {
             uint8_t task[75] = {};
             return Export<GetTask>("_Korrin_GetTask@12")(task, 2, 0);
         }},
        {"Quillet_SendWlanCommand", 48, [&] { return Quillet_SendWlanCommand(wlan); }},
    };
    callerWindow = MessageWindow(L"UsbPumpedWaitCaller", CallerWindow);
    ASSERT_NE(callerWindow, nullptr);
    Unit().SetRegister(0x10, 0x5EED1234);
    for (const RunningExchange& exchange : exchanges) CallBesideExchange(Unit(), exchange, false);
    DestroyWindow(callerWindow);
}

// A quit message that came before the wait for the channel is left for the thread's loop; the
// wait still answers the message the exchange's host code sends.
TEST_P(PumpedWaitTest, AfterAQuitTheWaitForTheChannelStillAnswersSentMessages) {
    callerWindow = MessageWindow(L"UsbPumpedWaitCaller", CallerWindow);
    ASSERT_NE(callerWindow, nullptr);
    Unit().SetRegister(0x10, 0x5EED1234);
    const RunningExchange read = {"Korrin_ReadReg", 1, [] {
                                      uint32_t value = 0;
                                      return Export<ReadReg>("_Korrin_ReadReg@8")(0x20, &value);
                                  }};
    CallBesideExchange(Unit(), read, true);
    DestroyWindow(callerWindow);
}

INSTANTIATE_TEST_SUITE_P(Transports, PumpedWaitTest, testing::Values(sim::UsbTransport::Hid),
                         [](const auto& info) { return TransportName(info.param); });

}  // namespace
