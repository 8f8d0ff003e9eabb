// Media detection's workers and its terminate, without a tester: each worker reports its progress
// to the host callback, which may call the library back while a terminate joins the worker.

#include "BrevixCAPI.h"
#include "BrevixCPorts.h"
#include "ports/MediaDetection.h"
#include "ports/PortImages.h"
#include "runtime/HostMessages.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct Event {
    int port;
    int value;
};

// Guarded by lock: the workers' callbacks write, the test reads.
std::mutex lock;
std::vector<Event> events;
HANDLE inCallback;
HANDLE release;
std::atomic<bool> armed{false};

std::vector<Event> Events() {
    std::lock_guard<std::mutex> guard(lock);
    return events;
}

int Le16(const uint8_t* bytes) { return bytes[0] | bytes[1] << 8; }

// The first report, when armed, waits for the test's word and then starts a detection of Port B
// from inside the callback, as a host that answers one report with another request would.
void WINAPI Callback(const uint8_t* message, int32_t, uint32_t, uint32_t) {
    if ((message[14] << 8 | message[15]) != BREVIXC_MSG_PORT_EVENT) return;
    if (message[BREVIXC_EVENT_CODE] != BREVIXC_EVENT_MEDIA_DETECTION) return;
    {
        std::lock_guard<std::mutex> guard(lock);
        events.push_back({Le16(message + BREVIXC_EVENT_PORT), message[BREVIXC_EVENT_VALUE]});
    }
    if (armed.exchange(false)) {
        SetEvent(inCallback);
        WaitForSingleObject(release, INFINITE);
        capi::MediaDetection::Instance().Start(1, BREVIXC_SFP_COPPER);
    }
}

class MediaDetectionTest : public testing::Test {
protected:
    void SetUp() override {
        inCallback = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        events.clear();
        before_ = capi::PortImages::Instance().Update([](capi::PortImageSet& images) { return images; });
        capi::SetHostCallback(Callback);
    }
    void TearDown() override {
        capi::MediaDetection::Instance().Stop();
        capi::SetHostCallback(nullptr);
        // The detections chose media: the next test finds the images as this one found them.
        capi::PortImages::Instance().Update([this](capi::PortImageSet& images) { images = before_; });
        CloseHandle(inCallback);
        CloseHandle(release);
    }

    capi::PortImageSet before_;
};

// The terminate joins the worker while its callback calls the library: the call is answered at
// once, the worker ends, and nothing it asked for runs after the terminate.
TEST_F(MediaDetectionTest, ACallbackThatStartsADetectionDuringTheTerminateLeavesNoWorkerBehind) {
    armed = true;
    ASSERT_TRUE(capi::MediaDetection::Instance().Start(0, BREVIXC_SFP_FIBER));
    ASSERT_EQ(WaitForSingleObject(inCallback, static_cast<DWORD>(support::kPatience.count())), WAIT_OBJECT_0);
    std::thread stopping([] { capi::MediaDetection::Instance().Stop(); });
    // Lets the terminate reach its join before the callback calls; it must end however it falls.
    Sleep(200);
    SetEvent(release);
    stopping.join();

    // A detection of Port A after the terminate: its second report comes two seconds on, when a
    // worker of Port B left running from the callback would have reported already.
    ASSERT_TRUE(capi::MediaDetection::Instance().Start(0, BREVIXC_SFP_COPPER));
    const size_t before = Events().size();
    ASSERT_TRUE(support::Eventually([&] { return Events().size() >= before + 2; }));
    for (const Event& e : Events()) EXPECT_EQ(e.port, 0) << "a report of Port B after the terminate";
}

}  // namespace
