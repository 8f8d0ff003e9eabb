#pragma once
// The tester's set-up at connection: the register images to their connection values, the fixed
// register writes and the counter clearing.

namespace capi {

// 1 when the set-up writes were sent; until then the dispatcher takes only identity replies.
int DeviceSetUp();
bool SetUpComplete();

}  // namespace capi
