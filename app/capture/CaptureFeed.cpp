#include "capture/CaptureFeed.h"

namespace capture {

std::vector<CaptureRow> CaptureFeed::Take(const BrevixC_CaptureVector& fresh) {
    std::vector<CaptureRow> rows;
    rows.reserve(fresh.size());
    for (const BrevixC_PKTCAP_Content_S& frame : fresh) {
        CaptureRow row;
        row.number = ++rowCount_;
        row.length = frame.length;
        if (frame.data) row.bytes.assign(frame.data, frame.data + frame.length);
        rows.push_back(std::move(row));
    }
    nextIndex_ += static_cast<int>(fresh.size());
    return rows;
}

}  // namespace capture
