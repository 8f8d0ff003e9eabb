#include "runtime/PumpWait.h"

namespace capi {
namespace {

thread_local bool windowless = false;
thread_local int heldMessages = 0;  // HeldMessages alive on the thread

}  // namespace

void MarkWindowlessThread() { windowless = true; }

bool OnWindowlessThread() { return windowless; }

HeldMessages::HeldMessages() { ++heldMessages; }
HeldMessages::~HeldMessages() { --heldMessages; }
bool MessagesHeld() { return heldMessages > 0; }

void BVT_Delay(uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace capi
