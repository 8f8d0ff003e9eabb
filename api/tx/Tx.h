#pragma once
// What the core asks of the Tx stream layer.

namespace capi {

// The device set-up: the Tx images to their connection values.
void ResetTxImages();

}  // namespace capi
