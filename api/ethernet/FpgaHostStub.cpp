// Until the connection offers a way to stop its pollers from outside: they keep running during an
// FPGA download.

#include "FpgaHost.h"

namespace capi {

void StopPollerThreads() {}

}  // namespace capi
