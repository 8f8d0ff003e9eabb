// The Tx stream layer until it is part of the library: it keeps no images yet.

#include "Tx.h"

namespace capi {

void ResetTxImages() {}

}  // namespace capi
