#pragma once
// What the FPGA download asks of the connection.

namespace capi {

// Stops the counter and PHY pollers of the current connection (as terminate does); they stay
// stopped after a download through the registers, since polling registers while the FPGA's flash
// is rewritten reads nothing useful.
void StopPollerThreads();
// Starts them again when the connection still has its tester: a download through the USB unit
// leaves the tester's registers as they were, and the host's counters and capture go on.
void RestartPollerThreads();

}  // namespace capi
