#include "ports/PortImages.h"

#include <algorithm>

namespace capi {

PortImages& PortImages::Instance() {
    static PortImages images;
    return images;
}

void ResetPortImages() {
    PortImages::Instance().Update([](PortImageSet& images) {
        PortImageSet reset;
        std::copy(images.sfpMode, images.sfpMode + 2, reset.sfpMode);
        std::copy(images.autoMdixMode, images.autoMdixMode + 2, reset.autoMdixMode);
        std::copy(images.forcedMode, images.forcedMode + 2, reset.forcedMode);
        images = reset;
    });
}

}  // namespace capi
