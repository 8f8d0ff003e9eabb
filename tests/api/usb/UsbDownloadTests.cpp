// Downloads to a simulated Brevix-H unit through the DLL: the stored image equals the file's data,
// the status sequences of the host and Korrin-layer callbacks, refusals, abort and the loss of
// the unit mid-download, one download at a time; and the log clearing's reports.

#include "BrevixCFlash.h"
#include "LibraryThreads.h"
#include "usb/DownloadBench.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <future>

using namespace usbbench;

namespace {

TEST_P(UsbDownloadTest, FpgaWorkerSendsTheWindowAndReportsUntilPassed) {
    const Bytes image = Pattern(1000, 3);
    ASSERT_EQ(Export<DownloadFpga>("_Korrin_DownloadFPGA@12")(image.data(), 100, 161), 0);
    EXPECT_EQ(Export<DownloadFirmware>("_Korrin_DownloadFirmware@4")(L"x"), 1) << "one worker download at a time";
    ASSERT_TRUE(support::Eventually(
        [&] { return !StatusMessages(0x0F00).empty() && StatusMessages(0x0F00).back().status == 6; },
        std::chrono::seconds(20)));
    EXPECT_EQ(Unit().Fpga(), Bytes(image.begin() + 100, image.begin() + 161));
    EXPECT_TRUE(Unit().FpgaComplete());
    const std::vector<sim::UsbPacket> packets = Unit().Received();
    ASSERT_EQ(packets.size(), 3u) << "two chunks of 60 and 1 bytes, then the end packet";
    EXPECT_EQ(packets[1].bytes[1], 1);
    EXPECT_EQ(packets[1].bytes[2], 1);
    const std::vector<Status> messages = StatusMessages(0x0F00);
    EXPECT_EQ(messages.front(), (Status{4, 0}));
    EXPECT_EQ(messages.back(), (Status{6, 100}));
    for (const Status& s : messages)
        if (s.status == 2) EXPECT_LT(s.value, 100);
}

TEST_P(UsbDownloadTest, LosingTheUnitEndsTheWorkerWithAFailureAndFreesTheChannel) {
    const Bytes image = Pattern(6000, 9);
    Unit().UnplugAfter(20);
    ASSERT_EQ(Export<DownloadFpga>("_Korrin_DownloadFPGA@12")(image.data(), 0, int(image.size())), 0);
    ASSERT_TRUE(support::Eventually(
        [&] { return !StatusMessages(0x0F00).empty() && StatusMessages(0x0F00).back().status == 1; }));
    EXPECT_EQ(StatusMessages(0x0F00).back(), (Status{1, 0}));
    EXPECT_FALSE(Unit().FpgaComplete());
    ASSERT_TRUE(support::Eventually([] {
        return Export<DownloadFirmware>("_Korrin_DownloadFirmware@4")(L"missing") != 1;
    })) << "the busy flag is given back";
}

TEST_P(UsbDownloadTest, TerminateAbortsASilentUnitsDownload) {
    Unit().SetSilent(true);
    const Bytes image = Pattern(300, 1);
    ASSERT_EQ(Export<DownloadFpga>("_Korrin_DownloadFPGA@12")(image.data(), 0, 300), 0);
    ASSERT_TRUE(support::Eventually([] { return !StatusMessages(0x0F00).empty(); }));
    const auto start = std::chrono::steady_clock::now();
    BrevixH_SYS_TerminateProcess();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(6));
    ASSERT_TRUE(support::Eventually([] { return StatusMessages(0x0F00).back().status == 1; }));
}

TEST_P(UsbDownloadTest, FilesThatCannotBeSentAreRefused) {
    EXPECT_EQ(Export<DownloadFirmware>("_Korrin_DownloadFirmware@4")(Wide(WriteFile("short.bin", Bytes(511))).c_str()),
              3);
    EXPECT_EQ(Export<DownloadFirmware>("_Korrin_DownloadFirmware@4")(L"C:\\no\\such\\file.bin"), 3);
    const Bytes image(10);
    EXPECT_EQ(Export<DownloadFpga>("_Korrin_DownloadFPGA@12")(image.data(), 8, 4), 3) << "an end before the start";
    const Bytes data = Pattern(100, 5);
    Bytes file = RavloFile(data, "Ravlo FW");
    file[40] ^= 1;
    EXPECT_EQ(Export<DownloadRavlo>("_Korrin_DownloadRavlo@4")(WriteFile("crc.bin", file).c_str()), 3);
    EXPECT_EQ(
        Export<DownloadRavlo>("_Korrin_DownloadRavlo@4")(WriteFile("text.bin", RavloFile(data, "Ravlo FX")).c_str()),
        3);
    EXPECT_EQ(Unit().ReceivedCount(), 0u);
}

// Chunk indices are 16 bits and 0xFFFF marks the end: a download of more than 65535 chunks is
// refused as a bad file before anything is sent, while one of exactly 65535 starts. The long one
// is ended by terminate once its first packet has been seen.
constexpr size_t kMostChunks = 65535;

Bytes ChunkPacketOf(uint8_t code, const uint8_t* data) {
    Bytes packet = Packet({code, 60, 0, 0});
    std::copy(data, data + 60, packet.begin() + 4);
    return packet;
}

Bytes FirstPacketOnceSent(sim::UsbUnit& unit) {
    EXPECT_TRUE(support::Eventually([&] { return unit.ReceivedCount() >= 1; }));
    const std::vector<sim::UsbPacket> received = unit.Received();
    return received.empty() ? Bytes() : received.front().bytes;
}

TEST_P(UsbDownloadTest, FirmwareOfMoreChunksThanTheIndexCountsIsRefusedUnsent) {
    Bytes file = Pattern(512 + kMostChunks * 60 + 1, 21);
    EXPECT_EQ(Export<DownloadFirmware>("_Korrin_DownloadFirmware@4")(Wide(WriteFile("over.bin", file)).c_str()), 3);
    EXPECT_EQ(Unit().ReceivedCount(), 0u);
    EXPECT_TRUE(StatusMessages(BREVIXC_MSG_FIRMWARE_DOWNLOAD).empty());
    file.pop_back();
    ASSERT_EQ(Export<DownloadFirmware>("_Korrin_DownloadFirmware@4")(Wide(WriteFile("most.bin", file)).c_str()), 0);
    EXPECT_EQ(FirstPacketOnceSent(Unit()), ChunkPacketOf(9, &file[512]));
    BrevixH_SYS_TerminateProcess();
    ASSERT_TRUE(support::Eventually([] {
        const std::vector<Status> m = StatusMessages(BREVIXC_MSG_FIRMWARE_DOWNLOAD);
        return !m.empty() && m.back() == Status{1, 0};
    }));
}

TEST_P(UsbDownloadTest, FpgaWindowOfMoreChunksThanTheIndexCountsIsRefusedUnsent) {
    const Bytes image = Pattern(kMostChunks * 60 + 1, 22);
    const int end = int(image.size());
    EXPECT_EQ(Export<DownloadFpga>("_Korrin_DownloadFPGA@12")(image.data(), 0, end), 3);
    EXPECT_EQ(Unit().ReceivedCount(), 0u);
    EXPECT_TRUE(StatusMessages(BREVIXC_MSG_FPGA_DOWNLOAD).empty());
    ASSERT_EQ(Export<DownloadFpga>("_Korrin_DownloadFPGA@12")(image.data(), 1, end), 0) << "the window, not its end";
    EXPECT_EQ(FirstPacketOnceSent(Unit()), ChunkPacketOf(10, &image[1]));
    BrevixH_SYS_TerminateProcess();
    ASSERT_TRUE(support::Eventually([] {
        const std::vector<Status> m = StatusMessages(BREVIXC_MSG_FPGA_DOWNLOAD);
        return !m.empty() && m.back() == Status{1, 0};
    }));
}

TEST_P(UsbDownloadTest, RavloFileOfMoreChunksThanTheIndexCountsIsRefusedUnsent) {
    Bytes data = Pattern(kMostChunks * 60 + 1, 23);
    EXPECT_EQ(Export<DownloadRavlo>("_Korrin_DownloadRavlo@4")(WriteFile("over.bin", RavloFile(data, "Ravlo FW")).c_str()),
              3);
    EXPECT_EQ(Unit().ReceivedCount(), 0u);
    data.pop_back();
    ASSERT_EQ(Export<DownloadRavlo>("_Korrin_DownloadRavlo@4")(WriteFile("most.bin", RavloFile(data, "Ravlo FW")).c_str()),
              0);
    Bytes start = Packet({16, 0, 0, 60});  // index in bytes 1-2, length in byte 3
    std::copy(data.begin(), data.begin() + 60, start.begin() + 4);
    EXPECT_EQ(FirstPacketOnceSent(Unit()), start);
    BrevixH_SYS_TerminateProcess();
    ASSERT_TRUE(support::Eventually([] { return !Reports().empty() && Reports().back() == std::make_pair(255, 0); }));
}

TEST_P(UsbDownloadTest, TerminateEndsARavloDownloadWaitingForTheLoadersAnswer) {
    Unit().SetSilent(true);
    const std::string path = WriteFile("ravlo-silent.bin", RavloFile(Pattern(150, 2), "Ravlo FW"));
    ASSERT_EQ(Export<DownloadRavlo>("_Korrin_DownloadRavlo@4")(path.c_str()), 0);
    ASSERT_TRUE(support::Eventually([&] { return Unit().ReceivedCount() == 1; })) << "the start packet";
    BrevixH_SYS_TerminateProcess();
    // Terminate waits for the worker's end, which comes at once rather than after 201 tries.
    ASSERT_FALSE(Reports().empty());
    EXPECT_EQ(Reports().back(), std::make_pair(255, 0));
    EXPECT_EQ(Unit().ReceivedCount(), 1u);
}

TEST_P(UsbDownloadTest, RavloStreamEndsWithTheLastChunkMarkedAndRefusesAClosedChannel) {
    const Bytes data = Pattern(150, 7);
    const std::string path = WriteFile("ravlo.bin", RavloFile(data, "Ravlo FW"));
    ASSERT_EQ(Export<DownloadRavlo>("_Korrin_DownloadRavlo@4")(path.c_str()), 0);
    ASSERT_TRUE(support::Eventually([] { return !Reports().empty() && Reports().back() == std::make_pair(2, 100); }));
    EXPECT_EQ(Unit().Ravlo(), data);
    const std::vector<sim::UsbPacket> packets = Unit().Received();
    ASSERT_EQ(packets.size(), 4u) << "the start packet, then chunks 0, 1 and the last";
    EXPECT_FALSE(packets[0].report) << "plain packets in both transports";
    EXPECT_EQ(packets[3].bytes[1], 0xFF);
    EXPECT_EQ(packets[3].bytes[2], 0xFF);
    EXPECT_EQ(packets[3].bytes[3], 30);
    EXPECT_EQ(Reports().front(), std::make_pair(2, 33));
    BrevixH_SYS_TerminateProcess();
    EXPECT_EQ(Export<DownloadRavlo>("_Korrin_DownloadRavlo@4")(path.c_str()), 2);
}

// A terminate while the unit takes the Ravlo image (after the last chunk's acknowledgement) ends
// the download as a failure, not a pass.
TEST_P(UsbDownloadTest, ATerminateAfterTheLastRavloChunkEndsAsAFailureNotAPass) {
    const std::string path = WriteFile("ravlo-end.bin", RavloFile(Pattern(150, 9), "Ravlo FW"));
    ASSERT_EQ(Export<DownloadRavlo>("_Korrin_DownloadRavlo@4")(path.c_str()), 0);
    ASSERT_TRUE(support::Eventually([] {
        const std::vector<std::pair<int, int>> r = Reports();
        return std::count(r.begin(), r.end(), std::make_pair(2, 99)) == 1;
    })) << "the last chunk was acknowledged";
    EXPECT_TRUE(Unit().RavloComplete());
    BrevixH_SYS_TerminateProcess();
    ASSERT_TRUE(support::Eventually([] { return Reports().back() != std::make_pair(2, 99); })) << "a last report";
    const std::vector<std::pair<int, int>> reports = Reports();
    EXPECT_EQ(reports.back(), std::make_pair(255, 0));
    EXPECT_EQ(std::count(reports.begin(), reports.end(), std::make_pair(2, 100)), 0);
}

// The unit is still erasing when the worker sends chunk 0 again, and then answers both copies. The
// spare acknowledgement is not taken for chunk 1's: the journal shows every chunk answered before
// the next one went, to the end, and the image is whole. Every reply comes a little late, as a
// real unit's, so that a download running one acknowledgement ahead would send a chunk before the
// last one was answered.
TEST_P(UsbDownloadTest, AChunkAnsweredTwiceAfterItsResendDoesNotPutTheDownloadAhead) {
    Bytes file = Pattern(512, 0);
    const Bytes data = Pattern(150 * 60 + 17, 31);
    file.insert(file.end(), data.begin(), data.end());
    const std::wstring path = Wide(WriteFile("firmware-twice.bin", file));
    Unit().DelayReplies(15);
    Unit().DelayNextReplies(1, 6000);
    ASSERT_EQ(Export<DownloadFirmware>("_Korrin_DownloadFirmware@4")(path.c_str()), 0);
    ASSERT_TRUE(support::Eventually([&] { return Unit().FirmwareComplete(); }, std::chrono::seconds(60)));
    EXPECT_EQ(Unit().Firmware(), data);
    size_t sent = 0, answered = 0, firstCopies = 0;
    int last = -1;
    std::string ahead;
    for (const sim::UsbJournalEntry& entry : Unit().Journal()) {
        if (entry.bytes[0] != 9) continue;
        if (!entry.fromHost) {
            ++answered;
            continue;
        }
        const bool end = entry.bytes[1] == 0 && entry.bytes[2] == 0xFF && entry.bytes[3] == 0xFF;
        const int index = end ? 0x10000 : entry.bytes[2] | entry.bytes[3] << 8;
        if (index == 0) ++firstCopies;
        if (index != last && answered != sent && ahead.empty())
            ahead = (end ? std::string("the end packet") : "chunk " + std::to_string(index)) + " went with " +
                    std::to_string(sent - answered) + " packet(s) unanswered";
        ++sent;
        last = index;
    }
    EXPECT_EQ(firstCopies, 2u) << "chunk 0 went again while the unit was erasing";
    EXPECT_EQ(last, 0x10000) << "the end packet last";
    EXPECT_TRUE(ahead.empty()) << ahead;
}

// The unit's answer to chunk 5 is lost: the chunk goes again after its period, and chunk 6 follows
// its one answer at once rather than after a second period spent waiting for a spare.
TEST_P(UsbDownloadTest, AChunkWhoseAnswerWasLostCostsOnePeriod) {
    Bytes file = Pattern(512, 0);
    const Bytes data = Pattern(12 * 60, 17);
    file.insert(file.end(), data.begin(), data.end());
    const std::wstring path = Wide(WriteFile("firmware-lost.bin", file));
    Unit().DropReplyTo(6);
    ASSERT_EQ(Export<DownloadFirmware>("_Korrin_DownloadFirmware@4")(path.c_str()), 0);
    ASSERT_TRUE(support::Eventually([&] { return Unit().FirmwareComplete(); }, std::chrono::seconds(30)));
    EXPECT_EQ(Unit().Firmware(), data);
    std::vector<std::chrono::steady_clock::time_point> fifth, sixth;
    for (const sim::UsbJournalEntry& entry : Unit().Journal()) {
        if (!entry.fromHost || entry.bytes[0] != 9) continue;
        const int index = entry.bytes[2] | entry.bytes[3] << 8;
        if (index == 5) fifth.push_back(entry.at);
        if (index == 6) sixth.push_back(entry.at);
    }
    ASSERT_EQ(fifth.size(), 2u) << "chunk 5 went again";
    ASSERT_EQ(sixth.size(), 1u);
    EXPECT_LT(sixth[0] - fifth[0], std::chrono::milliseconds(5000 + 1500)) << "about one period from chunk 5 to 6";
}

TEST_P(UsbDownloadTest, SynchronousFirmwareReportsEachChunkThenOneHundred) {
    Bytes file = Pattern(512, 0);
    const Bytes data = Pattern(125, 40);
    file.insert(file.end(), data.begin(), data.end());
    std::string path = WriteFile("firmware.bin", file);
    EXPECT_EQ(BrevixH_SYS_DownloadFirmware(path.data()), 0);
    EXPECT_EQ(Unit().Firmware(), data);
    EXPECT_TRUE(Unit().FirmwareComplete());
    EXPECT_EQ(Reports(), (std::vector<std::pair<int, int>>{{0, 33}, {0, 66}, {0, 99}, {0, 100}}));
}

TEST_P(UsbDownloadTest, SynchronousFpgaFailsAtTheFirstDeadlineWhenTheUnitIsGone) {
    Bytes file = Pattern(512 + 200, 0);
    std::string path = WriteFile("fpga.bin", file);
    Unit().UnplugAfter(2);
    EXPECT_EQ(BrevixH_SYS_DownloadFPGA(path.data()), 0);
    EXPECT_EQ(Reports().back(), std::make_pair(255, 0));
}

TEST_P(UsbDownloadTest, LosingTheUnitMidFirmwareEndsItOnceLeavesNoThreadAndTheUnitOpensAgain) {
    const std::string path = WriteFile("firmware-lost.bin", Pattern(512 + 6000, 5));
    Unit().UnplugAfter(20);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(Export<DownloadFirmware>("_Korrin_DownloadFirmware@4")(Wide(path).c_str()), 0);
    const auto failed = [] {
        const std::vector<Status> m = StatusMessages(BREVIXC_MSG_FIRMWARE_DOWNLOAD);
        return std::count(m.begin(), m.end(), Status{1, 0});
    };
    ASSERT_TRUE(support::Eventually([&] { return failed() >= 1; }));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_FALSE(Unit().FirmwareComplete());
    BrevixH_SYS_TerminateProcess();
    EXPECT_EQ(CountLibraryThreads(L"BrevixCAPI"), 0);
    EXPECT_EQ(failed(), 1) << "one failure, and nothing after terminate";
    Unit().PlugIn();
    ASSERT_EQ(BrevixH_SYS_SetDeviceType(4), 1);
    EXPECT_EQ(BrevixH_SYS_ConnectToDevice(), 1);
}

// While a worker download waits for a silent unit, a command from another thread gets its failure
// result at once and sends nothing; terminate then ends the download.
TEST_P(UsbDownloadTest, ACommandDuringADownloadReturnsAtOnce) {
    Unit().SetSilent(true);
    const std::string firmware = WriteFile("firmware-busy.bin", Pattern(512 + 100, 3));
    const Bytes image = Pattern(100, 4);
    const struct {
        const char* name;
        std::function<int()> start;
    } downloads[] = {
        {"firmware", [&] { return Export<DownloadFirmware>("_Korrin_DownloadFirmware@4")(Wide(firmware).c_str()); }},
        {"FPGA", [&] { return Export<DownloadFpga>("_Korrin_DownloadFPGA@12")(image.data(), 0, 100); }},
    };
    for (const auto& d : downloads) {
        ASSERT_EQ(BrevixH_SYS_ConnectToDevice(), 1) << d.name;
        Unit().ClearReceived();
        ASSERT_EQ(d.start(), 0) << d.name;
        ASSERT_TRUE(support::Eventually([&] { return Unit().ReceivedCount() == 1; })) << d.name << ": the first chunk";
        auto command = std::async(std::launch::async, [] {
            uint32_t value = 0;
            return Export<int(__stdcall*)(uint16_t, uint32_t*)>("_Korrin_ReadReg@8")(1, &value);
        });
        const bool returned = command.wait_for(support::kPatience) == std::future_status::ready;
        BrevixH_SYS_TerminateProcess();
        ASSERT_TRUE(returned) << d.name << ": the command waited for the download";
        EXPECT_EQ(command.get(), 0) << d.name;
        EXPECT_TRUE(Unit().LastRequest(1).empty()) << d.name << ": the command sent nothing";
    }
}

// One download at a time per unit, whichever call starts it: a worker download asked for while a
// synchronous one runs cannot write its first chunk (which makes the unit erase) into it.
TEST_P(UsbDownloadTest, AWorkerDownloadDoesNotCutIntoASynchronousOne) {
    const Bytes file = Pattern(512 + 2000 * 60, 11);
    std::string path = WriteFile("fpga-sync.bin", file);
    const Bytes other = Pattern(100 * 60, 12);
    auto synchronous = std::async(std::launch::async, [&] { return BrevixH_SYS_DownloadFPGA(path.data()); });
    ASSERT_TRUE(support::Eventually([&] { return Unit().ReceivedCount() >= 20; }));
    const int worker = Export<DownloadFpga>("_Korrin_DownloadFPGA@12")(other.data(), 0, int(other.size()));
    synchronous.get();
    if (worker == 0)
        ASSERT_TRUE(support::Eventually([] {
            const std::vector<Status> m = StatusMessages(BREVIXC_MSG_FPGA_DOWNLOAD);
            return !m.empty() && (m.back().status == 6 || m.back().status == 1);
        }));
    EXPECT_TRUE(Unit().FpgaComplete());
    const Bytes stored = Unit().Fpga();
    EXPECT_TRUE(stored == Bytes(file.begin() + 512, file.end()) || stored == other)
        << "the unit holds neither image whole: " << stored.size() << " bytes";
    EXPECT_EQ(worker, 1) << "the worker is refused while the synchronous download runs";
    EXPECT_EQ(Reports().back(), std::make_pair(1, 100));
}

// The Ethernet side's terminate calls end a USB worker download before its next chunk, and its
// last report is a failure.
TEST_P(UsbDownloadTest, EthernetTerminateCallsEndAUsbWorkerBeforeItsNextChunk) {
    const struct {
        const char* name;
        std::function<void()> terminate;
    } calls[] = {
        {"BrevixC_SYS_DownloadFPGA_Terminate", [] { BrevixC_SYS_DownloadFPGA_Terminate(); }},
        {"BrevixC_SYS_TerminateProcess", [] { BrevixC_SYS_TerminateProcess(); }},
    };
    const Bytes image = Pattern(300, 6);
    Unit().SetSilent(true);
    for (const auto& call : calls) {
        support::CallbackRecorder::Instance().Clear();
        Unit().ClearReceived();
        ASSERT_EQ(Export<DownloadFpga>("_Korrin_DownloadFPGA@12")(image.data(), 0, int(image.size())), 0) << call.name;
        ASSERT_TRUE(support::Eventually([&] { return Unit().ReceivedCount() == 1; })) << call.name << ": chunk 0";
        call.terminate();
        ASSERT_TRUE(support::Eventually([] {
            const std::vector<Status> m = StatusMessages(BREVIXC_MSG_FPGA_DOWNLOAD);
            return !m.empty() && m.back() == Status{1, 0};
        })) << call.name;
        EXPECT_EQ(Unit().ReceivedCount(), 1u) << call.name << ": nothing after chunk 0";
        ASSERT_TRUE(support::Eventually([] {
            return Export<DownloadFirmware>("_Korrin_DownloadFirmware@4")(L"x") != 1;
        })) << call.name << ": the channel is free again";
    }
}

TEST_P(UsbDownloadTest, ATerminateWhileTheUnitTakesTheImageEndsAsAFailureNotAPass) {
    const Bytes image = Pattern(100, 8);
    ASSERT_EQ(Export<DownloadFpga>("_Korrin_DownloadFPGA@12")(image.data(), 0, int(image.size())), 0);
    ASSERT_TRUE(support::Eventually([&] { return Unit().FpgaComplete(); })) << "the end packet came";
    BrevixC_SYS_DownloadFPGA_Terminate();
    ASSERT_TRUE(support::Eventually([] {
        const std::vector<Status> m = StatusMessages(BREVIXC_MSG_FPGA_DOWNLOAD);
        return !m.empty() && (m.back().status == 1 || m.back().status == 6);
    }));
    const std::vector<Status> messages = StatusMessages(BREVIXC_MSG_FPGA_DOWNLOAD);
    EXPECT_EQ(messages.back(), (Status{1, 0}));
    EXPECT_EQ(std::count(messages.begin(), messages.end(), Status{6, 100}), 0);
}

INSTANTIATE_TEST_SUITE_P(Transports, UsbDownloadTest, testing::Values(sim::UsbTransport::Hid, sim::UsbTransport::Mpusb),
                         [](const auto& info) { return TransportName(info.param); });

// The log clearing reports to the host without the device lock: a callback that sends to a thread
// which is itself calling another command holds neither up.
class ClearLogTest : public UsbDownloadTest {
protected:
    void TearDown() override {
        Export<Init>("_Korrin_Init@4")(nullptr);
        UsbDownloadTest::TearDown();
    }
};

HWND reportWindow = nullptr;
std::atomic<int> reportsSeen{0};
std::atomic<int> lastPercent{-1};
std::atomic<bool> reportStuck{false};

void __stdcall SendReportToTestThread(int, const uint8_t* percent, int) {
    DWORD_PTR result = 0;
    if (reportStuck) return;
    if (!SendMessageTimeoutW(reportWindow, WM_APP, 0, LPARAM(*percent), SMTO_NORMAL, DWORD(support::kPatience.count()),
                             &result))
        reportStuck = true;
}

LRESULT CALLBACK ReportWindow(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message != WM_APP) return DefWindowProcW(window, message, w, l);
    ++reportsSeen;
    lastPercent = int(l);
    return 0;
}

// Dispatches this thread's messages, sent ones included, until the condition holds.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

TEST_P(ClearLogTest, ReportsReachAThreadThatCallsAnotherCommandMeanwhile) {
    WNDCLASSW cls{};
    cls.lpfnWndProc = ReportWindow;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"UsbClearLogReports";
    RegisterClassW(&cls);
    reportWindow = CreateWindowW(cls.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, cls.hInstance, nullptr);
    ASSERT_NE(reportWindow, nullptr);
    reportsSeen = 0;
    lastPercent = -1;
    reportStuck = false;
    Unit().AddLogEntry(Bytes(100, 7));
    Export<Init>("_Korrin_Init@4")(SendReportToTestThread);

    auto clearing = std::async(std::launch::async, [] { return Export<NoArgs>("_Korrin_ClearLog@0")(); });
    ASSERT_TRUE(PumpUntil([] { return reportsSeen >= 1; }, support::kPatience));
    uint32_t value = 0;
    using ReadReg = int(__stdcall*)(uint16_t, uint32_t*);
    EXPECT_EQ(Export<ReadReg>("_Korrin_ReadReg@8")(0x10, &value), 0) << "the clearing has the channel";
    const auto cleared = [&] { return clearing.wait_for(std::chrono::seconds(0)) == std::future_status::ready; };
    ASSERT_TRUE(PumpUntil(cleared, 3 * support::kPatience));
    EXPECT_EQ(clearing.get(), 1);
    EXPECT_FALSE(reportStuck) << "a report waited for the thread that waited for the lock";
    EXPECT_EQ(lastPercent, 100);
    EXPECT_EQ(Unit().LogEntries(), 0u);
    EXPECT_TRUE(Unit().LastRequest(1).empty()) << "the read sent nothing into the clearing";
    DestroyWindow(reportWindow);
}

INSTANTIATE_TEST_SUITE_P(Transports, ClearLogTest, testing::Values(sim::UsbTransport::Hid),
                         [](const auto& info) { return TransportName(info.param); });

// A transfer that fails while the unit stays plugged in does not mark it lost: the next download
// goes through.
class TransferFaultTest : public UsbDownloadTest {};

TEST_P(TransferFaultTest, AFailedWriteOfAUnitStillPresentDoesNotEndLaterDownloads) {
    Unit().FailWrites(1);
    EXPECT_EQ(Export<int(__stdcall*)(uint16_t, uint32_t)>("_Korrin_WriteToReg@8")(1, 2), 0);
    const Bytes image = Pattern(60, 8);
    ASSERT_EQ(Export<DownloadFpga>("_Korrin_DownloadFPGA@12")(image.data(), 0, 60), 0);
    ASSERT_TRUE(support::Eventually([] {
        const std::vector<Status> m = StatusMessages(BREVIXC_MSG_FPGA_DOWNLOAD);
        return !m.empty() && (m.back().status == 6 || m.back().status == 1);
    }));
    EXPECT_EQ(StatusMessages(BREVIXC_MSG_FPGA_DOWNLOAD).back(), (Status{6, 100}));
    EXPECT_EQ(Unit().Fpga(), image);
    EXPECT_TRUE(Unit().FpgaComplete());
}

INSTANTIATE_TEST_SUITE_P(Transports, TransferFaultTest, testing::Values(sim::UsbTransport::Mpusb),
                         [](const auto& info) { return TransportName(info.param); });

}  // namespace
