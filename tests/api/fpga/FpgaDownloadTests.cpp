// The download worker against a host of the test's own: its clock moves only when the worker
// waits or programs, so the minute of erase and the once-a-second progress are checked exactly.

#include "fpga/FpgaDownload.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using capi::FpgaDownloadEnd;
using Bytes = std::vector<uint8_t>;

struct Status {
    uint16_t status;
    uint16_t value;
    bool operator==(const Status& o) const { return status == o.status && value == o.value; }
};

std::ostream& operator<<(std::ostream& out, const Status& s) { return out << "(" << s.status << ", " << s.value << ")"; }

class ScriptedHost : public capi::FpgaDownloadHost {
public:
    uint32_t now = 100000;
    uint32_t pageCostMs = 3;
    bool flashInitialised = true;
    bool lost = false;
    bool terminate = false;
    // Decides each program call's result; may also set the flags.
    std::function<bool(uint16_t page, int call)> program = [](uint16_t, int) { return true; };
    std::function<void(int wait)> onWait = [](int) {};

    bool erased = false;
    std::vector<uint32_t> waits;
    std::vector<Status> logged, sent;
    std::vector<uint32_t> sentAt;
    std::vector<std::pair<uint16_t, Bytes>> programmed;  // every call, failed ones too
    std::vector<std::string> trail;                      // "erase", "log", "wait", "send", "program"

    uint32_t Ticks() override { return now; }
    void Wait(uint32_t ms) override {
        trail.push_back("wait");
        waits.push_back(ms);
        now += ms;
        onWait(int(waits.size()));
    }
    bool FlashInitialised() override { return flashInitialised; }
    bool DeviceLost() override { return lost; }
    bool TerminateRequested() override { return terminate; }
    bool ChipErase() override {
        trail.push_back("erase");
        erased = true;
        return true;
    }
    bool ProgramPage(uint16_t page, const uint8_t* data, uint16_t length) override {
        trail.push_back("program");
        programmed.emplace_back(page, Bytes(data, data + length));
        now += pageCostMs;
        return program(page, int(programmed.size()));
    }
    void LogStatus(uint16_t status, uint16_t value) override {
        trail.push_back("log");
        logged.push_back({status, value});
    }
    void SendStatus(uint16_t status, uint16_t value) override {
        trail.push_back("send");
        sent.push_back({status, value});
        sentAt.push_back(now);
    }

    std::vector<Status> SentAfterErase() const {
        return std::vector<Status>(sent.begin() + std::min<size_t>(sent.size(), 60), sent.end());
    }
};

// A prepared image whose window is `length` bytes from offset 24, filled with a pattern.
capi::FpgaJob Job(size_t length) {
    capi::FpgaJob job;
    job.image.resize(24 + length + 40, 0xEE);
    for (size_t i = 0; i < length; ++i) job.image[24 + i] = uint8_t(i * 7 + 1);
    job.window = {24, 24 + length};
    return job;
}

TEST(FpgaDownloadWorker, ErasesWaitsAMinuteThenProgramsTheWindowPageByPage) {
    ScriptedHost host;
    const capi::FpgaJob job = Job(1000);
    EXPECT_EQ(capi::RunFpgaDownload(job, host), FpgaDownloadEnd::Passed);

    ASSERT_TRUE(host.erased);
    EXPECT_EQ(host.trail[0], "erase");
    for (int s = 0; s < 60; ++s) {
        EXPECT_EQ(host.trail[1 + 3 * s], "log");
        EXPECT_EQ(host.trail[2 + 3 * s], "wait");
        EXPECT_EQ(host.trail[3 + 3 * s], "send");
        EXPECT_EQ(host.sent[s], (Status{4, 0}));
        EXPECT_EQ(host.sentAt[s], 100000u + 1000 * (s + 1)) << "one a second, after its wait";
    }
    EXPECT_EQ(host.waits, std::vector<uint32_t>(60, 1000));

    ASSERT_EQ(host.programmed.size(), 4u);
    const size_t lengths[] = {256, 256, 256, 232};
    for (uint16_t p = 0; p < 4; ++p) {
        EXPECT_EQ(host.programmed[p].first, p);
        EXPECT_EQ(host.programmed[p].second,
                  Bytes(job.image.begin() + 24 + 256 * p, job.image.begin() + 24 + 256 * p + lengths[p]));
    }
    EXPECT_EQ(host.SentAfterErase(), (std::vector<Status>{{2, 0}, {0, 100}, {6, 100}}))
        << "the first page comes more than a second after the clock was taken";
    EXPECT_EQ(host.logged, host.sent) << "every message follows its log line";
}

TEST(FpgaDownloadWorker, ProgressIsThrottledToOnceASecondAndNeverReaches100) {
    const struct {
        const char* name;
        uint32_t pageCostMs;
        std::vector<Status> progress;
    } cases[] = {
        {"slow pages report each", 1001, {{2, 0}, {2, 25}, {2, 50}, {2, 75}}},
        {"400 ms pages report every third", 400, {{2, 0}, {2, 75}}},
        {"fast pages report once", 3, {{2, 0}}},
    };
    for (const auto& c : cases) {
        ScriptedHost host;
        host.pageCostMs = c.pageCostMs;
        ASSERT_EQ(capi::RunFpgaDownload(Job(1000), host), FpgaDownloadEnd::Passed) << c.name;
        std::vector<Status> progress = host.SentAfterErase();
        progress.resize(progress.size() - 2);
        EXPECT_EQ(progress, c.progress) << c.name;
    }
}

TEST(FpgaDownloadWorker, ThrottleSurvivesTheTickCountWrap) {
    ScriptedHost host;
    host.now = 0xFFFFFFFFu - 30000;
    host.pageCostMs = 600;
    ASSERT_EQ(capi::RunFpgaDownload(Job(256 * 6), host), FpgaDownloadEnd::Passed);
    std::vector<Status> progress = host.SentAfterErase();
    progress.resize(progress.size() - 2);
    EXPECT_EQ(progress, (std::vector<Status>{{2, 0}, {2, 33}, {2, 66}}));
}

TEST(FpgaDownloadWorker, TerminateEndsWithAFailureStatus) {
    const struct {
        const char* name;
        int waitsBefore;   // terminate after this many erase seconds (-1: not during the erase)
        int pagesBefore;   // ... or after this many pages
        size_t programmed;
        size_t erasingMessages;
    } cases[] = {
        {"during programming", -1, 2, 2, 60},
        {"during the erase wait", 5, -1, 0, 5},
    };
    for (const auto& c : cases) {
        ScriptedHost host;
        host.onWait = [&](int wait) { host.terminate = host.terminate || wait == c.waitsBefore; };
        host.program = [&](uint16_t, int call) {
            host.terminate = host.terminate || call == c.pagesBefore;
            return true;
        };
        EXPECT_EQ(capi::RunFpgaDownload(Job(256 * 8), host), FpgaDownloadEnd::Failed) << c.name;
        EXPECT_EQ(host.programmed.size(), c.programmed) << c.name;
        EXPECT_EQ(size_t(std::count(host.sent.begin(), host.sent.end(), Status{4, 0})), c.erasingMessages) << c.name;
        EXPECT_EQ(host.sent.back(), (Status{1, 0})) << c.name;
        EXPECT_EQ(std::count(host.sent.begin(), host.sent.end(), Status{6, 100}), 0) << c.name;
    }
}

TEST(FpgaDownloadWorker, PageFailuresAreRetriedABoundedNumberOfTimes) {
    ScriptedHost host;
    // Page 1 fails twice and then takes; page 2 never does.
    host.program = [&](uint16_t page, int call) { return page == 0 || (page == 1 && call >= 4) || page == 3; };
    EXPECT_EQ(capi::RunFpgaDownload(Job(256 * 4), host), FpgaDownloadEnd::Failed);
    std::vector<uint16_t> pages;
    for (const auto& entry : host.programmed) pages.push_back(entry.first);
    std::vector<uint16_t> expected = {0, 1, 1, 1};
    expected.insert(expected.end(), capi::kFpgaPageAttempts, 2);
    EXPECT_EQ(pages, expected);
    EXPECT_EQ(host.sent.back(), (Status{1, 0}));
}

TEST(FpgaDownloadWorker, LossOfTheTesterEndsWithoutAnotherMessage) {
    ScriptedHost host;
    host.pageCostMs = 1001;
    host.program = [&](uint16_t, int call) {
        host.lost = call == 2;
        return true;
    };
    EXPECT_EQ(capi::RunFpgaDownload(Job(256 * 8), host), FpgaDownloadEnd::Stopped);
    EXPECT_EQ(host.programmed.size(), 2u);
    EXPECT_EQ(host.SentAfterErase(), (std::vector<Status>{{2, 0}, {2, 12}}));
}

TEST(FpgaDownloadWorker, NothingHappensWithoutAnInitialisedFlashOrWithTheTesterGone) {
    ScriptedHost uninitialised;
    uninitialised.flashInitialised = false;
    EXPECT_EQ(capi::RunFpgaDownload(Job(1000), uninitialised), FpgaDownloadEnd::Stopped);
    ScriptedHost gone;
    gone.lost = true;
    EXPECT_EQ(capi::RunFpgaDownload(Job(1000), gone), FpgaDownloadEnd::Stopped);
    for (const ScriptedHost* host : {&uninitialised, &gone}) {
        EXPECT_TRUE(host->trail.empty());
        EXPECT_TRUE(host->sent.empty());
    }
}

}  // namespace
