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
    // The rows of a report that the vector holds `count` records; `frames` is a copy of it. A record
    // the copy does not hold yet stays for the next report.
    std::vector<CaptureRow> Take(int count, const BrevixC_CaptureVector& frames);
    void Restart() { nextIndex_ = 0; }

    int NextIndex() const { return nextIndex_; }
    int RowCount() const { return rowCount_; }

private:
    int nextIndex_ = 0;
    int rowCount_ = 0;
};

}  // namespace capture
