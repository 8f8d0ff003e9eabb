#pragma once
// The simulated tester's end of this test's veth pair.

#include "sim/Link.h"
#include "support/Environment.h"

#include <memory>
#include <string>

namespace support {

// Limits the library's detection to the pair's host side (the other pairs belong to tests running
// at the same time) and opens the device side for the simulator. Null, with the reason in
// `error`, when the device side cannot be opened.
std::unique_ptr<sim::PcapLink> OpenTesterLink(const VethPair& pair, std::string* error);

// A program's own pair opened as above; null, with the reason on the error output, when the program
// runs outside the test namespace or the device side cannot be opened (the benchmarks' start).
std::unique_ptr<sim::PcapLink> OpenOwnTesterLink();

}  // namespace support
