#include "capture/CaptureFeed.h"

#include <algorithm>

namespace capture {

std::vector<CaptureRow> CaptureFeed::Take(int count, const BrevixC_CaptureVector& frames) {
    if (count < nextIndex_) nextIndex_ = 0;
    const int end = std::min(count, static_cast<int>(std::min<size_t>(frames.size(), INT32_MAX)));
    std::vector<CaptureRow> rows;
    for (int k = nextIndex_; k < end; ++k) {
        const BrevixC_PKTCAP_Content_S& frame = frames[static_cast<size_t>(k)];
        CaptureRow row;
        row.number = ++rowCount_;
        row.length = frame.length;
        if (frame.data) row.bytes.assign(frame.data, frame.data + frame.length);
        rows.push_back(std::move(row));
    }
    nextIndex_ = std::max(nextIndex_, end);
    return rows;
}

}  // namespace capture
