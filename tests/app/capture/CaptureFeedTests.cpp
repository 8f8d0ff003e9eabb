// The capture list's positions in the library's capture vector across reports and captures.
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

std::vector<std::vector<uint8_t>> Bytes(const std::vector<CaptureRow>& rows) {
    std::vector<std::vector<uint8_t>> bytes;
    for (const CaptureRow& row : rows) bytes.push_back(row.bytes);
    return bytes;
}

TEST(CaptureFeed, EachReportAddsTheRecordsAfterThoseShown) {
    CaptureFeed feed;
    EXPECT_EQ(feed.FirstNew(2), 0);
    const auto first = feed.Take(Capture(1, 2));
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].number, 1);
    EXPECT_EQ(first[1].number, 2);
    EXPECT_EQ(first[1].length, 2u);
    EXPECT_EQ(feed.FirstNew(5), 2);
    EXPECT_EQ(feed.Take(Capture(1, 3)).size(), 3u);
    EXPECT_EQ(feed.FirstNew(5), 5);
    EXPECT_EQ(feed.RowCount(), 5);
}

TEST(CaptureFeed, CountBelowThePositionIsANewCaptureTakenFromItsStart) {
    CaptureFeed feed;
    feed.Take(Capture(1, 6));
    EXPECT_EQ(feed.FirstNew(2), 0);
    const auto second = feed.Take(Capture(2, 2));
    EXPECT_EQ(Bytes(second), (std::vector<std::vector<uint8_t>>{{2, 0}, {2, 1}}));
    EXPECT_EQ(second[0].number, 7);
}

TEST(CaptureFeed, RestartTakesANewCaptureWholeWhateverItsFirstCount) {
    CaptureFeed feed;
    feed.Take(Capture(1, 3));
    feed.Restart();
    EXPECT_EQ(feed.FirstNew(5), 0);
    EXPECT_EQ(Bytes(feed.Take(Capture(2, 5))).front(), (std::vector<uint8_t>{2, 0}));
    EXPECT_EQ(feed.RowCount(), 8);
}

TEST(CaptureFeed, RecordWithoutBytesGivesAnEmptyRowOfItsLength) {
    CaptureFeed feed;
    BrevixC_CaptureVector frames(1);
    frames[0].length = 60;
    const auto rows = feed.Take(frames);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0].bytes.empty());
    EXPECT_EQ(rows[0].length, 60u);
}

}  // namespace
