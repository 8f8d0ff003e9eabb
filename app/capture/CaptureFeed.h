// What one port's capture list has taken from the library's capture vector. Each capture report
// says how many records the vector holds; the feed turns the records not shown yet into rows.
// The library empties the vector when a capture starts, so a report below the position reached
// belongs to a new capture, whose records are taken from the start again; a capture this program
// starts restarts the position at once, whatever the first report says.
#pragma once

#include "BrevixCCapture.h"

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
    int FirstNew(int lowestCount) {
        if (lowestCount < nextIndex_) nextIndex_ = 0;
        return nextIndex_;
    }
    // The rows of `fresh`: the vector's records from FirstNew on (a report's worth, or fewer when the
    // copy did not hold them all yet; the rest come with the next report).
    std::vector<CaptureRow> Take(const BrevixC_CaptureVector& fresh);
    void Restart() { nextIndex_ = 0; }

    int NextIndex() const { return nextIndex_; }
    int RowCount() const { return rowCount_; }

private:
    int nextIndex_ = 0;
    int rowCount_ = 0;
};

}  // namespace capture
