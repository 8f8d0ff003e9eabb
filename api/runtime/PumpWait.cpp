#include "runtime/PumpWait.h"

namespace capi {
namespace {

thread_local bool windowless = false;

}  // namespace

void MarkWindowlessThread() { windowless = true; }

bool OnWindowlessThread() { return windowless; }

void BVT_Delay(uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace capi
