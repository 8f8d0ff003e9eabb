// A WMI service that fails queries of the command class while the pages are programmed.

#include "DownloadFixture.h"
#include "support/Waiting.h"

namespace {

using namespace win7test;

constexpr wchar_t kCommandClass[] = L"AX88172ASpiSendCommand_OID";
// The boxes of one transaction whose query failed.
const Boxes kOneFailure{{L"WMI ExecQuery failed\r\n", L"Driver API"}, {L"WmiSpiSendCmd return false", L"Error"}};

// One failed query fails one transaction with its boxes, and the download goes on.
class FailedQueryTest : public FpgaDownloadTest {
protected:
    // After `pages` pages, the queries of the command class let `after` through and fail `count`.
    void FailQueriesAfterPages(size_t pages, size_t after, size_t count) {
        window_.OnMessage([this, pages, after, count, seen = size_t(0)](const Progress& p) mutable {
            if (p.phase == 1 && ++seen == pages) chip_.FailQueries(kCommandClass, after, count);
        });
    }
    // The flash holds the image's data from the data start on (22 in these files) in bit order.
    void ExpectImageWhole(const Bytes& file) {
        const Bytes stored = chip_.Flash().Contents(16, file.size() - 22);
        for (size_t i = 0; i < stored.size(); ++i) ASSERT_EQ(stored[i], Reversed(file[22 + i])) << i;
    }
    size_t FailedQueries() const {
        const std::vector<sim::DriverCall> calls = host_.Calls();
        return size_t(std::count_if(calls.begin(), calls.end(), [](const sim::DriverCall& call) {
            return call.kind == sim::DriverCall::Kind::WmiQuery && call.result != 0;
        }));
    }
};

// The failed query is page 100's write enable: tried again, the page is programmed in its turn.
TEST_F(FailedQueryTest, AWriteEnableWhoseQueryFailedIsTriedAgainAndTheImageIsWhole) {
    FailQueriesAfterPages(100, 0, 1);
    const Bytes file = PofImage(50000);
    EXPECT_TRUE(Download(file));
    ASSERT_TRUE(boxes_.WaitForBoxes(2, support::kPatience));
    EXPECT_EQ(TextsAndCaptions(boxes_), kOneFailure);
    EXPECT_EQ(FailedQueries(), 1u);
    EXPECT_EQ(window_.Phase(1).size(), 5000u);
    EXPECT_EQ(ProgrammedPages(host_.Calls()).size(), 5000u);
    EXPECT_EQ(VerifyPasses(), 1);
    ASSERT_NO_FATAL_FAILURE(ExpectImageWhole(file));
}

// The failed query is page 100's program itself: the page stays erased, the verification finds it
// and the second pass programs it.
TEST_F(FailedQueryTest, APageWhoseProgramQueryFailedIsProgrammedAgainAfterTheVerification) {
    FailQueriesAfterPages(100, 1, 1);
    const Bytes file = PofImage(50000);
    EXPECT_TRUE(Download(file));
    ASSERT_TRUE(boxes_.WaitForBoxes(2, support::kPatience));
    EXPECT_EQ(TextsAndCaptions(boxes_), kOneFailure);
    const std::vector<int> pages = ProgrammedPages(host_.Calls());
    EXPECT_EQ(std::count(pages.begin(), pages.end(), 100), 1) << "the failed program reached no chip";
    EXPECT_EQ(pages.size(), 5000u);
    EXPECT_EQ(pages.back(), 100) << "programmed again after the first pass";
    EXPECT_EQ(VerifyPasses(), 2);
    EXPECT_EQ(window_.Messages().back().phase, 5u);
    ASSERT_NO_FATAL_FAILURE(ExpectImageWhole(file));
}

// Queries that keep failing are an adapter gone: the write enable's second try ends the download,
// with the boxes of the two tries and no page after.
TEST_F(FailedQueryTest, QueriesThatKeepFailingEndTheDownloadAtTheSecondFailure) {
    FailQueriesAfterPages(100, 0, 1000000);
    EXPECT_FALSE(Download(PofImage(50000)));
    ASSERT_TRUE(boxes_.WaitForBoxes(4, support::kPatience));
    EXPECT_EQ(TextsAndCaptions(boxes_), (Boxes{kOneFailure[0], kOneFailure[1], kOneFailure[0], kOneFailure[1]}));
    EXPECT_EQ(FailedQueries(), 2u);
    EXPECT_EQ(window_.Phase(1).size(), 100u);
    EXPECT_EQ(ProgrammedPages(host_.Calls()).size(), 100u);
}

}  // namespace
