#include "protocol/RegisterImages.h"

namespace capi {

RegisterImages& RegisterImages::Instance() {
    static RegisterImages images;
    return images;
}

}  // namespace capi
