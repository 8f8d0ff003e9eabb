#pragma once
// Raw command frames for the device model tests, built with the tests' shared frame helpers from the
// wire format (big-endian words; the simulator shares no frame code with its tests), and a fixture that puts a simulated
// tester on the device side of the test's veth pair and listens on the host side.

#include "sim/Capture.h"
#include "sim/Tester.h"
#include "support/Frames.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <utility>
#include <vector>

namespace wire {

using sim::Bytes;
using frames::Get32;
using frames::Put32;

// General command: (address, value) pairs; a read sets bit 31 of the address.
Bytes General(const std::vector<std::pair<uint32_t, uint32_t>>& pairs);
Bytes Read(uint32_t address);
Bytes Write(uint32_t address, uint32_t value);
Bytes SequentialRead(uint32_t start, unsigned count);
Bytes SequentialRead64(uint32_t start, unsigned count);
Bytes SequentialWrite(uint32_t start, const std::vector<uint32_t>& values);


class ModelTest : public testing::Test {
protected:
    // Opens both sides of the test's veth pair: listens on the host side and returns the device
    // side for a simulated tester.
    std::unique_ptr<sim::PcapLink> OpenPair();
    // OpenPair with a bare tester (not started) on the device side.
    void SetUp() override;
    void TearDown() override;

    // Sends a command and returns its reply (empty on time-out).
    Bytes Exchange(const Bytes& command);
    // Returns once the tester has dealt with every frame sent before (answered it or not): it takes
    // frames one at a time, and a marker frame sent now has reached its log.
    void PassedThroughTester();
    uint32_t ReadRegister(uint32_t address);
    void WriteRegister(uint32_t address, uint32_t value);
    // The value words of a 64-bit sequential read, joined low word first.
    std::vector<uint64_t> Read64(uint32_t start, unsigned count);

    std::unique_ptr<sim::Capture> host_;
    std::unique_ptr<sim::Tester> tester_;
};

}  // namespace wire
