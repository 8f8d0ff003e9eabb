#include "PortImages.h"

namespace capi {

PortImages& PortImages::Instance() {
    static PortImages images;
    return images;
}

}  // namespace capi
