#pragma once
// Downloads made to fail on demand, as a person or a test asks through the control channel:
//   silent  the USB unit of a Brevix-H or Brevix-J takes packets and answers none, so a firmware
//           or FPGA transfer waits on its first chunk
//   verify  the first page of the serial flash keeps its old bytes through every program, so a
//           download that reads its pages back finds that page differing in every pass
//   none    both faults lifted

#include "sim/FullTester.h"

#include <string>

namespace sim {

enum class DownloadFault { None, SilentUnit, VerifyMismatch };

// False when the tester has nothing the fault acts on (a silent unit without a USB unit).
bool SetDownloadFault(FullTester& tester, DownloadFault fault);

// The fault a control-channel word names ("silent", "verify", "none"); false for any other word.
bool ParseDownloadFault(const std::string& word, DownloadFault* fault);

}  // namespace sim
