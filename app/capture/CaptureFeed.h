// One port's capture list over the library's capture vector. Each capture report says how many
// records the vector holds; the rows of the capture in the vector are those records, read in place,
// so a frame is held once, by the library. The library empties the vector when a capture starts:
// before this program starts one, the rows of the capture in the vector are copied out (Keep), and
// only those copies stay with the program. A report below the position reached belongs to a capture
// started elsewhere: its records are taken from the start again, and the rows of the capture before
// it, whose records went without being kept, keep their numbers but lose their bytes.
#pragma once

#include "BrevixCCapture.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace capture {

struct CaptureRow {
    int number = 0;              // from 1, continuing across captures
    uint32_t length = 0;         // the record's byte length
    std::vector<uint8_t> bytes;  // the frame as the record holds it
};

class CaptureFeed {
public:
    // Where the records not shown yet begin, once reports have said the vector held as few as
    // `lowestCount` records.
    int FirstNew(int lowestCount);
    // Reports said the vector holds `count` records; it holds `held` (fewer only when emptied
    // since): those not shown yet become rows.
    void Add(int count, size_t held);
    // Before this program has the vector emptied for a new capture: the rows of `records` (the
    // vector, read under the library's mutex) become the program's own, and the new capture's
    // records are taken from the start.
    void Keep(const BrevixC_CaptureVector& records);

    // Whether a row's frame is read from the vector (Row's `records`) or from the kept copies.
    bool InVector(int row) const { return row >= vectorFirstRow_ && row < RowCount(); }
    // A row's frame with at most `most` of its bytes; false for no such row. `records` is the vector,
    // read under the library's mutex, for a row InVector says is there.
    bool Row(int row, const BrevixC_CaptureVector& records, size_t most, CaptureRow& frame) const;

    int NextIndex() const { return nextIndex_; }
    int RowCount() const { return vectorFirstRow_ + nextIndex_; }
    // The storage of the kept copies.
    size_t KeptBytes() const;

private:
    // The rows of one capture the program kept: their bytes end to end.
    struct KeptCapture {
        int firstRow = 0;
        std::vector<uint8_t> bytes;
        std::vector<size_t> offsets;    // where each row's bytes begin, and the end
        std::vector<uint32_t> lengths;  // each record's byte length
    };
    // Rows [vectorFirstRow_, vectorFirstRow_ + nextIndex_) are the vector's records from 0.
    int vectorFirstRow_ = 0;
    int nextIndex_ = 0;
    std::vector<KeptCapture> kept_;
};

}  // namespace capture
