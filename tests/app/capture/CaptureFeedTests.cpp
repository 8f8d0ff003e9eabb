// The capture list's rows over the library's capture vector across reports and captures: the
// capture in the vector read in place, the earlier ones from the copies kept before each start.
#include "capture/CaptureFeed.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

using capture::CaptureFeed;
using capture::CaptureRow;

// A record whose two bytes name the capture and the frame.
BrevixC_PKTCAP_Content_S Record(uint8_t capture, uint8_t frame) {
    BrevixC_PKTCAP_Content_S record;
    record.length = 2;
    record.data = static_cast<uint8_t*>(std::malloc(2));
    record.data[0] = capture;
    record.data[1] = frame;
    return record;
}

BrevixC_CaptureVector Capture(uint8_t capture, int frames) {
    BrevixC_CaptureVector vector;
    for (int i = 0; i < frames; ++i) vector.push_back(Record(capture, static_cast<uint8_t>(i)));
    return vector;
}

// Each row's number and bytes, `records` being the vector.
std::vector<std::vector<uint8_t>> Rows(const CaptureFeed& feed, const BrevixC_CaptureVector& records) {
    std::vector<std::vector<uint8_t>> rows;
    for (int row = 0; row < feed.RowCount(); ++row) {
        CaptureRow frame;
        EXPECT_TRUE(feed.Row(row, records, 100, frame));
        EXPECT_EQ(frame.number, row + 1);
        rows.push_back(frame.bytes);
    }
    return rows;
}

TEST(CaptureFeed, EachReportAddsTheRecordsAfterThoseShown) {
    CaptureFeed feed;
    const BrevixC_CaptureVector records = Capture(1, 5);
    EXPECT_EQ(feed.FirstNew(2), 0);
    feed.Add(2, records.size());
    EXPECT_EQ(feed.FirstNew(5), 2);
    feed.Add(5, records.size());
    EXPECT_EQ(feed.RowCount(), 5);
    EXPECT_TRUE(feed.InVector(4));
    EXPECT_EQ(Rows(feed, records), (std::vector<std::vector<uint8_t>>{{1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}}));
    CaptureRow beyond;
    EXPECT_FALSE(feed.Row(5, records, 100, beyond));
}

// Before a capture this program starts, the rows in the vector are copied out; the new capture's
// records follow them, numbered on, even when the vector held fewer than a report said.
TEST(CaptureFeed, KeptRowsStayWhenTheVectorHoldsTheNextCapture) {
    CaptureFeed feed;
    feed.Add(3, 3);
    feed.Keep(Capture(1, 3));
    EXPECT_FALSE(feed.InVector(2));
    EXPECT_EQ(feed.FirstNew(4), 0);
    const BrevixC_CaptureVector second = Capture(2, 2);
    feed.Add(4, second.size());
    EXPECT_EQ(Rows(feed, second), (std::vector<std::vector<uint8_t>>{{1, 0}, {1, 1}, {1, 2}, {2, 0}, {2, 1}}));
    feed.Keep(second);
    EXPECT_EQ(Rows(feed, BrevixC_CaptureVector()).back(), (std::vector<uint8_t>{2, 1}));
    CaptureRow whole;
    ASSERT_TRUE(feed.Row(4, BrevixC_CaptureVector(), static_cast<size_t>(-1), whole));
    EXPECT_EQ(whole.bytes, (std::vector<uint8_t>{2, 1}));
}

// A count below the position reached is a capture started elsewhere: the records before it went
// without being kept, so their rows keep their numbers but have no bytes any more.
TEST(CaptureFeed, CountBelowThePositionIsANewCaptureTakenFromItsStart) {
    CaptureFeed feed;
    feed.Add(6, 6);
    EXPECT_EQ(feed.FirstNew(2), 0);
    const BrevixC_CaptureVector second = Capture(2, 2);
    feed.Add(2, second.size());
    const auto rows = Rows(feed, second);
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_TRUE(rows[5].empty());
    EXPECT_EQ(rows[6], (std::vector<uint8_t>{2, 0}));
}

TEST(CaptureFeed, ARowGivesTheBytesAskedForAndARecordWithoutBytesItsLength) {
    CaptureFeed feed;
    BrevixC_CaptureVector frames = Capture(3, 1);
    frames.emplace_back();
    frames[1].length = 60;
    feed.Add(2, frames.size());
    CaptureRow row;
    ASSERT_TRUE(feed.Row(0, frames, 1, row));
    EXPECT_EQ(row.bytes, std::vector<uint8_t>{3});
    EXPECT_EQ(row.length, 2u);
    ASSERT_TRUE(feed.Row(1, frames, 100, row));
    EXPECT_TRUE(row.bytes.empty());
    EXPECT_EQ(row.length, 60u);
}

}  // namespace
