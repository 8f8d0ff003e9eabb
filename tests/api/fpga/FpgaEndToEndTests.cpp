// One whole FPGA download through the DLL against the simulated chip driver, with the real minute
// of erase wait: the flash ends up holding the bit-reversed data window, and the host hears the
// status messages in their order and at their pace.

#include "fpga/FpgaDownloadFixture.h"

namespace {

using namespace download;

using FpgaEndToEndTest = DownloadTest;

TEST_F(FpgaEndToEndTest, WholeDownloadLeavesTheBitReversedWindowInTheFlash) {
    // A header, then the data: a run of 16 bytes 0xFF and 3000 bytes of pattern (12 pages, the
    // last one 200 bytes).
    Bytes file = {0x55, 0xAA, 0x55, 0xAA, 0x01, 0x02};
    file.insert(file.end(), 16, 0xFF);
    for (size_t i = 0; i < 3000; ++i) file.push_back(uint8_t(i * 29 + 3));
    const Bytes window(file.begin() + 6, file.end());
    const std::wstring path = WriteTempFile(file);

    chip_.Flash().Load(0, Bytes(8192, 0x00));
    chip_.Flash().SetEraseBusyReads(20);
    ASSERT_EQ(BrevixC_SYS_DownloadFPGAW(path.c_str(), 0), 1);
    const HostMessage passed =
        recorder_.WaitFor([](const HostMessage& m) { return m.Type() == 0x0F00 && Word(m, 18) == 6; }, 100s);
    ASSERT_FALSE(passed.bytes.empty());

    // The messages: a minute of erasing, progress below 100, then finished and passed.
    const auto messages = recorder_.OfType(0x0F00);
    ASSERT_GE(messages.size(), 63u);
    for (size_t i = 0; i < 60; ++i) {
        EXPECT_EQ(Word(messages[i], 18), 4) << i;
        EXPECT_EQ(Word(messages[i], 20), 0) << i;
        if (i > 0) {
            EXPECT_GE(messages[i].at - messages[i - 1].at, 900ms) << "one a second: " << i;
        }
    }
    EXPECT_GE(messages[59].at - messages[0].at, 58s);
    for (size_t i = 60; i + 2 < messages.size(); ++i) {
        EXPECT_EQ(Word(messages[i], 18), 2) << i;
        EXPECT_LT(Word(messages[i], 20), 100) << i;
    }
    EXPECT_EQ(Word(messages[messages.size() - 2], 18), 0);
    EXPECT_EQ(Word(messages[messages.size() - 2], 20), 100);
    EXPECT_EQ(Word(messages.back(), 18), 6);
    EXPECT_EQ(Word(messages.back(), 20), 100);
    for (const HostMessage& m : messages) {
        EXPECT_EQ(m.bytes.size(), 60u);
        EXPECT_EQ(m.thread, messages[0].thread);
        EXPECT_EQ(m.stampSeconds, 0u);
    }
    EXPECT_NE(messages[0].thread, GetCurrentThreadId());

    // The flash: the window bit-reversed from address 0, erased behind it.
    Bytes expected;
    for (uint8_t b : window) expected.push_back(Reversed(b));
    EXPECT_EQ(chip_.Flash().Contents(0, expected.size()), expected);
    EXPECT_EQ(chip_.Flash().Contents(expected.size(), 8192 - expected.size()), Bytes(8192 - expected.size(), 0xFF));

    // The transactions: the chip erase, then write enable and program for each page in order.
    const auto blocks = Transactions();
    size_t at = 0;
    while (at < blocks.size() && Command(blocks[at]) != Bytes{0xC7}) ++at;
    ASSERT_LT(at, blocks.size());
    EXPECT_EQ(Command(blocks[at - 1]), Bytes{0x06});
    while (at + 1 < blocks.size() && Command(blocks[at + 1]) == Bytes{0x05}) ++at;
    for (uint16_t page = 0; page < 12; ++page) {
        ASSERT_LT(at + 2, blocks.size());
        EXPECT_EQ(Command(blocks[++at]), Bytes{0x06}) << page;
        const Bytes& program = blocks[++at];
        EXPECT_EQ(Command(program), (Bytes{0x02, uint8_t(page >> 8), uint8_t(page), 0})) << page;
        const size_t length = page < 11 ? 256 : 200;
        EXPECT_EQ(Bytes(program.begin() + 28, program.end()),
                  Bytes(expected.begin() + 256 * page, expected.begin() + 256 * page + length))
            << page;
    }
    EXPECT_EQ(at + 1, blocks.size()) << "nothing after the last page";
}

}  // namespace
