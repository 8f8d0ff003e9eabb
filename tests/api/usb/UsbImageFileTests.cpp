// The USB downloads' files at the edges of what the 16-bit chunk index counts, and the chunks they
// go out in.

#include "usb/UsbImageFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// A Ravlo file of `data` bytes: the text, then the CRC-16/XMODEM of everything from byte 32 on.
Bytes RavloFile(size_t data) {
    Bytes file(capi::kRavloHeader + data, 0x5A);
    const char text[] = "Ravlo FW";
    std::fill(file.begin(), file.begin() + 32, 0);
    std::copy(text, text + 8, file.begin() + 2);
    const uint16_t crc = capi::Crc16Xmodem(file.data() + 32, file.size() - 32);
    file[0] = uint8_t(crc);
    file[1] = uint8_t(crc >> 8);
    return file;
}

TEST(UsbImageFileTest, CrcIsTheXmodemCheckValue) {
    // The check value of CRC-16/XMODEM over "123456789".
    const uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(capi::Crc16Xmodem(digits, sizeof digits), 0x31C3);
}

TEST(UsbImageFileTest, ImageTakesAsManyChunksAsTheIndexCounts) {
    // 65,535 chunks of 60 bytes: indices 0 to 0xFFFE.
    const size_t most = 0xFFFF * 60;
    EXPECT_TRUE(capi::ImageFileData(Bytes(512 + most)));
    EXPECT_FALSE(capi::ImageFileData(Bytes(512 + most + 1)));
    EXPECT_FALSE(capi::ImageFileData(Bytes(511)));
    const auto empty = capi::ImageFileData(Bytes(512, 1));
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());
}

TEST(UsbImageFileTest, RavloKeepsIndexFfffForItsLastChunk) {
    // 0xFFFF chunks: indices 0 to 0xFFFE, and the last one sent as 0xFFFF in its place.
    EXPECT_TRUE(capi::RavloFileData(RavloFile(0xFFFF * 60)));
    EXPECT_FALSE(capi::RavloFileData(RavloFile(0xFFFF * 60 + 1)));
    Bytes wrong = RavloFile(100);
    wrong[40] ^= 1;
    EXPECT_FALSE(capi::RavloFileData(wrong));
}

TEST(UsbImageFileTest, LastChunkCarriesWhatIsLeft) {
    Bytes data(130);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i);
    const capi::UsbPacket last = capi::ChunkPacket(9, 2, data);
    EXPECT_EQ(last[0], 9);
    EXPECT_EQ(last[1], 10);
    EXPECT_EQ(last[2], 2);
    EXPECT_EQ(last[3], 0);
    EXPECT_EQ(last[4], 120);
    EXPECT_EQ(last[13], 129);
    EXPECT_EQ(last[14], 0) << "nothing past the data";

    const capi::UsbPacket ravlo = capi::RavloChunkPacket(16, 2, 0xFFFF, data);
    EXPECT_EQ(ravlo[0], 16);
    EXPECT_EQ(ravlo[1], 0xFF);
    EXPECT_EQ(ravlo[2], 0xFF);
    EXPECT_EQ(ravlo[3], 10);
    EXPECT_EQ(ravlo[4], 120);
}

}  // namespace
