// The responder's checksums against worked examples, and the responder fed frames it must survive.

#include "responder/Checksums.h"
#include "responder/HostTables.h"
#include "responder/Responder.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

TEST(ChecksumTest, SumsBigEndianWordsAndComplements) {
    // The worked example of the Internet checksum's definition: the words sum to DDF2.
    const uint8_t data[8] = {0x00, 0x01, 0xF2, 0x03, 0xF4, 0xF5, 0xF6, 0xF7};
    EXPECT_EQ(capi::InternetChecksum(data, 8), 0x220D);
}

TEST(ChecksumTest, TakesAnOddLastByteAsAHighHalf) {
    const uint8_t data[3] = {0x12, 0x34, 0x56};
    EXPECT_EQ(capi::InternetChecksum(data, 3), uint16_t(~(0x1234 + 0x5600)));
}

// Frames of every length up to 400 bytes with random contents under each EtherType the responder
// reads, while entries of both ports are enabled: none is taken for a request, nothing crashes.
TEST(ResponderFuzzTest, RandomFramesAreNotTakenForRequests) {
    capi::HostTables::Instance().Update([](capi::HostTableSet& t) {
        for (auto& port : t.entries) {
            for (capi::HostEntry& e : port) e.enabled = 1;
        }
    });
    std::mt19937 random(20261209);
    std::vector<uint8_t> frame;
    for (size_t length = 0; length <= 400; ++length) {
        for (uint16_t type : {0x0806, 0x0800, 0x86DD}) {
            frame.resize(length);
            for (uint8_t& b : frame) b = uint8_t(random());
            if (length >= 14) {
                frame[12] = uint8_t(type >> 8);
                frame[13] = uint8_t(type);
            }
            if (length >= 24 && type == 0x0800) frame[14] = 0x45;
            EXPECT_FALSE(capi::RespondToFrame(length, frame.data())) << length << " " << type;
        }
    }
    capi::HostTables::Instance().Update([](capi::HostTableSet& t) {
        for (auto& port : t.entries) {
            for (capi::HostEntry& e : port) e.enabled = 0;
        }
    });
}

}  // namespace
