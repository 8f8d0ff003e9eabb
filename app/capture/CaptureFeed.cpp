#include "capture/CaptureFeed.h"

#include <algorithm>

namespace capture {

int CaptureFeed::FirstNew(int lowestCount) {
    if (lowestCount < nextIndex_) {
        KeptCapture lost;
        lost.firstRow = vectorFirstRow_;
        lost.offsets.assign(static_cast<size_t>(nextIndex_) + 1, 0);
        lost.lengths.assign(static_cast<size_t>(nextIndex_), 0);
        kept_.push_back(std::move(lost));
        vectorFirstRow_ += nextIndex_;
        nextIndex_ = 0;
    }
    return nextIndex_;
}

void CaptureFeed::Add(int count, size_t held) {
    const int present = static_cast<int>(std::min(static_cast<size_t>(std::max(count, 0)), held));
    nextIndex_ = std::max(nextIndex_, present);
}

void CaptureFeed::Keep(const BrevixC_CaptureVector& records) {
    const size_t rows = std::min(static_cast<size_t>(nextIndex_), records.size());
    if (nextIndex_ > 0) {
        KeptCapture capture;
        capture.firstRow = vectorFirstRow_;
        size_t total = 0;
        for (size_t i = 0; i < rows; ++i) total += records[i].data ? records[i].length : 0;
        // Sized once: the copy is as large as the capture, and growing it would copy it again.
        capture.bytes.reserve(total);
        capture.offsets.reserve(static_cast<size_t>(nextIndex_) + 1);
        capture.lengths.reserve(static_cast<size_t>(nextIndex_));
        for (size_t i = 0; i < static_cast<size_t>(nextIndex_); ++i) {
            capture.offsets.push_back(capture.bytes.size());
            const BrevixC_PKTCAP_Content_S* record = i < rows ? &records[i] : nullptr;
            capture.lengths.push_back(record ? record->length : 0);
            if (record && record->data) capture.bytes.insert(capture.bytes.end(), record->data, record->data + record->length);
        }
        capture.offsets.push_back(capture.bytes.size());
        kept_.push_back(std::move(capture));
    }
    vectorFirstRow_ += nextIndex_;
    nextIndex_ = 0;
}

bool CaptureFeed::Row(int row, const BrevixC_CaptureVector& records, size_t most, CaptureRow& frame) const {
    if (row < 0 || row >= RowCount()) return false;
    frame.number = row + 1;
    frame.bytes.clear();
    if (InVector(row)) {
        const size_t index = static_cast<size_t>(row - vectorFirstRow_);
        frame.length = 0;
        if (index >= records.size()) return true;
        const BrevixC_PKTCAP_Content_S& record = records[index];
        frame.length = record.length;
        if (record.data) frame.bytes.assign(record.data, record.data + std::min<size_t>(record.length, most));
        return true;
    }
    const auto capture = std::upper_bound(kept_.begin(), kept_.end(), row,
                                          [](int at, const KeptCapture& kept) { return at < kept.firstRow; }) - 1;
    const size_t index = static_cast<size_t>(row - capture->firstRow);
    frame.length = capture->lengths[index];
    const size_t begin = capture->offsets[index];
    const size_t end = begin + std::min(capture->offsets[index + 1] - begin, most);
    frame.bytes.assign(capture->bytes.begin() + static_cast<std::ptrdiff_t>(begin),
                       capture->bytes.begin() + static_cast<std::ptrdiff_t>(end));
    return true;
}

size_t CaptureFeed::KeptBytes() const {
    size_t bytes = kept_.capacity() * sizeof(KeptCapture);
    for (const KeptCapture& capture : kept_) {
        bytes += capture.bytes.capacity() + capture.offsets.capacity() * sizeof(size_t) +
                 capture.lengths.capacity() * sizeof(uint32_t);
    }
    return bytes;
}

}  // namespace capture
