#pragma once
// What the FPGA download asks of the connection.

namespace capi {

// Stops the counter and PHY pollers of the current connection (as terminate does); they stay
// stopped after the download, since polling registers while the FPGA is rewritten reads nothing
// useful.
void StopPollerThreads();

}  // namespace capi
