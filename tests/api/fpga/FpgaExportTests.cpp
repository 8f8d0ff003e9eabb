// The download exports' refusals and the parts of a download that end before programming: the
// image checks, the flash initialisation, terminate, the USB units' path and the firmware forms.

#include "LibraryThreads.h"
#include "fpga/FpgaDownloadFixture.h"

#include <atomic>

namespace {

using namespace download;

class FpgaExportTest : public DownloadTest {
protected:
    void TearDown() override {
        BVX_Machine_ID = 1;
        DownloadTest::TearDown();
    }

    bool ChipErased() const {
        for (const Bytes& block : Transactions())
            if (Command(block) == Bytes{0xC7}) return true;
        return false;
    }
};

TEST_F(FpgaExportTest, MissingFileIsNotedAndNothingStarts) {
    EXPECT_EQ(BrevixC_SYS_DownloadFPGAW(L"C:\\no\\such\\image.pof", 0), 0);
    EXPECT_EQ(BrevixC_SYS_DownloadFPGA("C:\\no\\such\\image.pof", 0), 0);
    ASSERT_TRUE(boxes_.WaitForBoxes(2, support::kPatience));
    for (const auto& box : boxes_.Boxes()) {
        EXPECT_EQ(box.text, L"Can not open FPGA file!");
        EXPECT_EQ(box.caption, L"Note");
    }
    EXPECT_EQ(host_.CallCount(), 0u);
    EXPECT_TRUE(recorder_.Messages().empty());
}

TEST_F(FpgaExportTest, UnknownFormatIsRefusedAfterTheFlashIsInitialised) {
    const struct {
        const char* name;
        sim::Bytes file;
    } cases[] = {{"POE", {'P', 'O', 'E', 1, 2, 3}}, {"55 AA 55 AB", {0x55, 0xAA, 0x55, 0xAB}}, {"two bytes", {'P', 'O'}}};
    size_t seen = 0;
    for (const auto& c : cases) {
        EXPECT_EQ(BrevixC_SYS_DownloadFPGAW(WriteTempFile(c.file).c_str(), 0), 0) << c.name;
        ASSERT_TRUE(boxes_.WaitForBoxes(++seen, support::kPatience)) << c.name;
        EXPECT_EQ(boxes_.Boxes().back().text, L"Image format unkown!") << c.name;
        EXPECT_EQ(boxes_.Boxes().back().caption, L"Error") << c.name;
    }
    EXPECT_EQ(chip_.Gpio(), 15u);
    EXPECT_TRUE(chip_.SpiEnabled());
    EXPECT_FALSE(ChipErased());
}

TEST_F(FpgaExportTest, FlashThatCannotBeInitialisedRefusesTheDownload) {
    chip_.FailGpioWrites(true);
    EXPECT_EQ(BrevixC_SYS_DownloadFPGAW(WriteTempFile(PofImage(1000)).c_str(), 0), 0);
    ASSERT_TRUE(boxes_.WaitForBoxes(2, support::kPatience));
    EXPECT_EQ(boxes_.Boxes()[1].text, L"eeprom init fail!");
    EXPECT_EQ(boxes_.Boxes()[1].caption, L"Error");
    EXPECT_EQ(CountLibraryThreads(L"FpgaDownloadThread"), 0) << "no worker that could end in silence";
    EXPECT_TRUE(recorder_.Messages().empty());
    EXPECT_FALSE(ChipErased());
}

TEST_F(FpgaExportTest, ImagesThatDoNotFitTheFlashAreRefused) {
    sim::Bytes tooLong = PofImage(2 * 1024 * 1024 + 1);
    sim::Bytes empty = {'P', 'O', 'F'};
    empty.resize(0xE0000, 0x11);
    empty.insert(empty.end(), 256, 0xFF);  // the first run of 0xFF is also the end of the data
    for (const sim::Bytes* file : {&tooLong, &empty}) {
        EXPECT_EQ(BrevixC_SYS_DownloadFPGAW(WriteTempFile(*file).c_str(), 0), 0);
        EXPECT_FALSE(ChipErased());
    }
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_TRUE(recorder_.Messages().empty());
}

TEST_F(FpgaExportTest, TerminateDuringTheEraseWaitEndsTheWorkerWithAFailure) {
    // Whatever an earlier case left, a terminate is asked from here on.
    BrevixC_SYS_DownloadFPGA_Terminate();
    EXPECT_EQ(BrevixC_SYS_DownloadFPGA_Terminate(), 0) << "asked already";

    const std::wstring image = WriteTempFile(PofImage(3000));
    ASSERT_EQ(BrevixC_SYS_DownloadFPGAW(image.c_str(), 0), 1) << "a download clears the terminate";
    const HostMessage erasing =
        recorder_.WaitFor([](const HostMessage& m) { return IsStatus(m, 4, 0); }, support::kPatience);
    ASSERT_FALSE(erasing.bytes.empty());
    EXPECT_NE(erasing.thread, GetCurrentThreadId()) << "the worker reports from its own thread";
    EXPECT_TRUE(ChipErased());
    EXPECT_EQ(BrevixC_SYS_DownloadFPGAW(image.c_str(), 0), 0) << "one download at a time";

    EXPECT_EQ(BrevixC_SYS_DownloadFPGA_Terminate(), 1) << "the download cleared the earlier terminate";
    const HostMessage failed =
        recorder_.WaitFor([](const HostMessage& m) { return IsStatus(m, 1, 0); }, support::kPatience);
    ASSERT_FALSE(failed.bytes.empty());
    EXPECT_EQ(failed.thread, erasing.thread);
    for (const HostMessage& m : recorder_.OfType(0x0F00)) EXPECT_FALSE(IsStatus(m, 6, 100));

    HANDLE worker = OpenThread(SYNCHRONIZE, FALSE, failed.thread);
    ASSERT_NE(worker, nullptr);
    EXPECT_EQ(WaitForSingleObject(worker, 5000), WAIT_OBJECT_0);
    CloseHandle(worker);
}

// A host that frees the library while its download worker runs, without terminating it first: the
// worker keeps the library's code mapped until it ends. A copy of the DLL under another name is a
// library of its own that this program can free.
TEST_F(FpgaExportTest, AHostThatFreesTheLibraryDuringADownloadDoesNotLoseTheWorkersCode) {
    wchar_t original[MAX_PATH];
    ASSERT_NE(GetModuleFileNameW(GetModuleHandleW(L"BrevixCAPI.dll"), original, MAX_PATH), 0u);
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring name = L"BrevixCAPI-freed-" + std::to_wstring(GetCurrentProcessId()) + L".dll";
    const std::wstring copy = std::wstring(folder) + name;
    ASSERT_TRUE(CopyFileW(original, copy.c_str(), FALSE));
    HMODULE library = LoadLibraryW(copy.c_str());
    ASSERT_NE(library, nullptr);
    using Init = int(__stdcall*)(BrevixC_HostCallback, int32_t);
    using Download = int(__stdcall*)(const wchar_t*, int32_t);
    using Terminate = int(__stdcall*)();
    const auto init = reinterpret_cast<Init>(reinterpret_cast<void*>(GetProcAddress(library, "BrevixC_SYS_Init")));
    const auto download =
        reinterpret_cast<Download>(reinterpret_cast<void*>(GetProcAddress(library, "BrevixC_SYS_DownloadFPGAW")));
    ASSERT_TRUE(init && download);
    init(&CallbackRecorder::Callback, 0);
    ASSERT_EQ(download(WriteTempFile(PofImage(3000)).c_str(), 0), 1);
    auto erasingMessages = [&] {
        size_t count = 0;
        for (const HostMessage& m : recorder_.OfType(0x0F00)) count += IsStatus(m, 4, 0);
        return count;
    };
    ASSERT_TRUE(support::Eventually([&] { return erasingMessages() >= 1; }));

    ASSERT_TRUE(FreeLibrary(library));
    const size_t before = erasingMessages();
    EXPECT_TRUE(support::Eventually([&] { return erasingMessages() >= before + 2; }))
        << "the worker runs on in the freed library's code";

    // The library is still there for its worker: end the download, and the library goes with it.
    HMODULE still = GetModuleHandleW(name.c_str());
    ASSERT_NE(still, nullptr);
    const auto terminate =
        reinterpret_cast<Terminate>(reinterpret_cast<void*>(GetProcAddress(still, "BrevixC_SYS_DownloadFPGA_Terminate")));
    ASSERT_EQ(terminate(), 1);
    EXPECT_TRUE(support::Eventually([&] { return GetModuleHandleW(name.c_str()) == nullptr; }))
        << "unloaded once the worker ended";
    DeleteFileW(copy.c_str());
}

// A host that ends the download from inside its callback, as the operator program does before it
// shows its failure box: on the first erase message and on the failure message. The callback runs
// on the download worker's thread.
struct TerminatingHost {
    static void WINAPI Callback(const uint8_t* message, int32_t length, uint32_t seconds, uint32_t microseconds) {
        HostMessage m;
        m.bytes.assign(message, message + length);
        if (IsStatus(m, 4, 0) && !worker) {
            worker = OpenThread(SYNCHRONIZE, FALSE, GetCurrentThreadId());
            onErasing = BrevixC_SYS_DownloadFPGA_Terminate();
        } else if (IsStatus(m, 1, 0)) {
            onFailure = BrevixC_SYS_DownloadFPGA_Terminate();
        }
        CallbackRecorder::Callback(message, length, seconds, microseconds);
    }

    static inline std::atomic<HANDLE> worker{nullptr};
    static inline std::atomic<int> onErasing{-1};
    static inline std::atomic<int> onFailure{-1};
};

TEST_F(FpgaExportTest, TerminateFromTheHostCallbackOnTheWorkerThreadEndsTheWorker) {
    BrevixC_SYS_Init(&TerminatingHost::Callback, 0);
    recorder_.Clear();
    ASSERT_EQ(BrevixC_SYS_DownloadFPGAW(WriteTempFile(PofImage(3000)).c_str(), 0), 1);

    const HostMessage failed =
        recorder_.WaitFor([](const HostMessage& m) { return IsStatus(m, 1, 0); }, support::kPatience);
    ASSERT_FALSE(failed.bytes.empty()) << "the worker ended the download";
    EXPECT_EQ(TerminatingHost::onErasing, 1);
    EXPECT_EQ(TerminatingHost::onFailure, 0) << "asked already, from the same callback";
    const auto messages = recorder_.OfType(0x0F00);
    ASSERT_EQ(messages.size(), 2u) << "the terminate was taken before the next second of the erase wait";
    EXPECT_TRUE(IsStatus(messages[0], 4, 0));
    EXPECT_EQ(messages[1].thread, messages[0].thread);
    EXPECT_NE(messages[0].thread, GetCurrentThreadId());

    const HANDLE worker = TerminatingHost::worker;
    ASSERT_NE(worker, nullptr);
    EXPECT_EQ(WaitForSingleObject(worker, DWORD(support::kPatience.count())), WAIT_OBJECT_0) << "the worker ended";
    CloseHandle(worker);
}

TEST_F(FpgaExportTest, UsbUnitsGetTheImageAndTheirRefusalIsAFailure) {
    BVX_Machine_ID = 3;
    EXPECT_EQ(BrevixC_SYS_DownloadFPGAW(WriteTempFile(PofImage(1000)).c_str(), 0), 1);
    const auto messages = CallbackRecorder::Instance().OfType(0x0F00);
    ASSERT_EQ(messages.size(), 1u) << "sent before the call returns";
    EXPECT_TRUE(IsStatus(messages[0], 1, 0));
    EXPECT_EQ(messages[0].thread, GetCurrentThreadId());
    EXPECT_EQ(messages[0].stampSeconds, 0u);
    EXPECT_FALSE(ChipErased());
}

TEST_F(FpgaExportTest, FirmwareIsForwardedOnlyToAUsbUnit) {
    ASSERT_EQ(BrevixC_Has_PIC24(), 0);
    EXPECT_EQ(BrevixC_SYS_DownloadFirmwareW(L"C:\\firmware\\Brevix-H.bin"), 0);
    EXPECT_EQ(BrevixC_SYS_DownloadFirmware("C:\\firmware\\Brevix-H.bin"), 0);
    EXPECT_EQ(BrevixC_SYS_DownloadFirmware(nullptr), 0);
}

}  // namespace
