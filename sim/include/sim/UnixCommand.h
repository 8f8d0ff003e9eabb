#pragma once
// Runs a Linux command from inside Wine (for example `/usr/sbin/ip link set bvh0 down`) and waits
// for it to end; true when it ended with status 0 within the patience given. Wine starts a Linux
// program but can wait neither for its end nor for its exit code, so the command leaves its status
// in a file of its own, which this call waits for.

#include <chrono>
#include <string>

namespace sim {

bool RunUnixCommand(const std::string& commandLine, std::chrono::milliseconds patience);

}  // namespace sim
