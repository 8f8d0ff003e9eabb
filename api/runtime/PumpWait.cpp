#include "runtime/PumpWait.h"

namespace capi {

void BVT_Delay(uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace capi
