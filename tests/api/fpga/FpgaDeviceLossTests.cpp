// The USB-Ethernet adapter goes away in the middle of a download through the DLL: the pages
// already written stay, the page that cannot be written ends the download with its failure
// message, and the worker ends. The minute of erase wait comes first, so this test is slow.

#include "fpga/FpgaDownloadFixture.h"

namespace {

using namespace download;

class FpgaDeviceLossTest : public DownloadTest {
protected:
    // The adapter is back for the fixture's shutdown of the flash layer.
    void TearDown() override {
        chip_.SetPresent(true);
        DownloadTest::TearDown();
    }
};

TEST_F(FpgaDeviceLossTest, AdapterLostWhileProgrammingEndsTheDownloadWithAFailure) {
    // A header, a run of 16 bytes 0xFF and 3000 bytes of pattern: 12 pages.
    Bytes file = {'P', 'O', 'F', 0x07};
    file.insert(file.end(), 16, 0xFF);
    for (size_t i = 0; i < 3000; ++i) file.push_back(uint8_t(i * 31 + 9));
    ASSERT_EQ(BrevixC_SYS_DownloadFPGAW(WriteTempFile(file).c_str(), 0), 1);
    // The chip erase is done once the first second of the erase wait is reported. Each page costs
    // two I/O controls (write enable, program): three pages go in before the adapter is gone.
    const HostMessage erasing =
        recorder_.WaitFor([](const HostMessage& m) { return IsStatus(m, 4, 0); }, support::kPatience);
    ASSERT_FALSE(erasing.bytes.empty());
    HANDLE worker = OpenThread(SYNCHRONIZE, FALSE, erasing.thread);
    ASSERT_NE(worker, nullptr);
    chip_.LoseAfter(2 * 3);

    const HostMessage failed =
        recorder_.WaitFor([](const HostMessage& m) { return IsStatus(m, 1, 0); }, 60s + support::kPatience);
    ASSERT_FALSE(failed.bytes.empty()) << "the download failed instead of waiting for the adapter";
    EXPECT_EQ(failed.thread, erasing.thread);
    EXPECT_EQ(WaitForSingleObject(worker, DWORD(support::kPatience.count())), WAIT_OBJECT_0) << "the worker ended";
    CloseHandle(worker);
    EXPECT_FALSE(chip_.Present());
    for (const HostMessage& m : recorder_.OfType(0x0F00)) {
        EXPECT_NE(Word(m, 18), 0) << "no programming-finished message";
        EXPECT_NE(Word(m, 18), 6) << "no passed message";
    }

    // The three pages written before the loss, bit-reversed, and nothing behind them.
    Bytes written;
    for (size_t i = 4; i < 4 + 3 * 256; ++i) written.push_back(Reversed(file[i]));
    EXPECT_EQ(chip_.Flash().Contents(0, written.size()), written);
    EXPECT_EQ(chip_.Flash().Contents(written.size(), 256), Bytes(256, 0xFF));
}

}  // namespace
