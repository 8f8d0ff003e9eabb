// The picture controls in real windows: a GIF's frames drawn in turn by the control's own thread
// with their disposal, resting while the control is hidden, one thread at a time, stopped before
// what it reads is freed; other pictures drawn once; and a bitmap painted with its key colour left
// out.
#include "picture/AnimPicture.h"
#include "GifBuilder.h"
#include "picture/TransparentPicture.h"

#include <support/Waiting.h>
#include <support/gui/Picture.h>
#include <support/gui/Pump.h>

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <chrono>
#include <cstring>

namespace {

using support::gui::Picture;

constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kGreen = RGB(0, 160, 0);

HGLOBAL Global(const std::vector<uint8_t>& bytes) {
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(::GlobalLock(block), bytes.data(), bytes.size());
    ::GlobalUnlock(block);
    return block;
}

int ThreadsOfThisProcess() {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry)) {
        count += entry.th32OwnerProcessID == ::GetCurrentProcessId();
    }
    ::CloseHandle(snapshot);
    return count;
}

class CPictureHost : public CWnd {
public:
    BOOL CreateShown() {
        // A green background: what a transparent picture lets through.
        static CString cls = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW), ::CreateSolidBrush(kGreen));
        return CreateEx(0, cls, L"pictures", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(40, 40, 300, 200), nullptr, 0);
    }
};

// One shown host for the whole suite (a top-level window takes Wine a while to end); each case
// has picture controls of its own.
class PictureControlTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        hostWindow = new CPictureHost;
        hostWindow->CreateShown();
    }
    static void TearDownTestSuite() {
        hostWindow->DestroyWindow();
        delete hostWindow;
        hostWindow = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(nullptr, host.GetSafeHwnd());
        ASSERT_TRUE(picture.Create(L"", WS_CHILD | WS_VISIBLE, CRect(10, 10, 50, 50), &host, 100));
    }
    void TearDown() override {
        picture.DestroyWindow();
        keyed.DestroyWindow();
    }

    bool LoadGif(const std::vector<uint8_t>& file) {
        HGLOBAL block = Global(file);
        const BOOL loaded = picture.Load(block, static_cast<DWORD>(file.size()));
        ::GlobalFree(block);
        return loaded != FALSE;
    }
    // What the control shows once the paints it asked for have run, as a program's message loop runs them.
    Picture Shown() {
        support::gui::PumpPending();
        return support::gui::CaptureWindow(picture);
    }
    // Pumps until the picture shows something that satisfies the check; returns that picture.
    bool ShowsEventually(const std::function<bool(const Picture&)>& check, Picture* seen = nullptr) {
        Picture last;
        const bool ok = support::gui::PumpUntil([&] { return check(last = Shown()); }, 10000);
        if (seen != nullptr) *seen = last;
        return ok;
    }

    static CPictureHost* hostWindow;
    CPictureHost& host = *hostWindow;
    CAnimPicture picture;
    CTransparentPicture keyed;
};

CPictureHost* PictureControlTest::hostWindow = nullptr;

TEST_F(PictureControlTest, OneFrameGifIsAStillPictureWithoutThread) {
    ASSERT_TRUE(LoadGif(gif::Build(16, 12, {{0, 0, 16, 12, gif::kBlue, 10}})));
    EXPECT_TRUE(picture.IsGif());
    EXPECT_EQ(CSize(16, 12), picture.PictureSize());
    CRect window;
    picture.GetClientRect(&window);
    EXPECT_EQ(16, window.Width());  // the control takes the picture's size
    EXPECT_TRUE(picture.Draw());
    EXPECT_FALSE(picture.IsAnimating());
    EXPECT_EQ(kBlue, Shown().At(8, 6));
}

TEST_F(PictureControlTest, FramesFollowEachOtherAndTheThreadStopsAtOnce) {
    ASSERT_TRUE(LoadGif(gif::Build(16, 16, {{0, 0, 16, 16, gif::kRed, 5}, {0, 0, 16, 16, gif::kBlue, 5}})));
    ASSERT_EQ(2u, picture.Frames().size());
    EXPECT_EQ(5, picture.Frames()[1].delay);
    EXPECT_FALSE(picture.Draw());  // animated, not drawn once
    EXPECT_TRUE(ShowsEventually([](const Picture& p) { return p.At(8, 8) == kBlue; }));
    EXPECT_TRUE(ShowsEventually([](const Picture& p) { return p.At(8, 8) == kRed; }));
    EXPECT_TRUE(picture.IsAnimating());
    const auto before = std::chrono::steady_clock::now();
    picture.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
    EXPECT_FALSE(picture.IsAnimating());
}

TEST_F(PictureControlTest, ASecondStartReplacesTheFirstThread) {
    ASSERT_TRUE(LoadGif(gif::Build(16, 16, {{0, 0, 16, 16, gif::kRed, 5}, {0, 0, 16, 16, gif::kBlue, 5}})));
    const int before = ThreadsOfThisProcess();
    picture.Draw();
    ASSERT_TRUE(support::Eventually([&] { return picture.IsAnimating(); }));
    // Counted until it settles: Wine may start a short-lived thread of its own meanwhile.
    EXPECT_TRUE(support::Eventually([&] { return ThreadsOfThisProcess() == before + 1; }));
    picture.Draw();
    ASSERT_TRUE(support::Eventually([&] { return picture.IsAnimating(); }));
    EXPECT_TRUE(support::Eventually([&] { return ThreadsOfThisProcess() == before + 1; }));
}

TEST_F(PictureControlTest, UnloadWhileAnimatingEndsTheThreadFirst) {
    ASSERT_TRUE(LoadGif(gif::Build(16, 16, {{0, 0, 16, 16, gif::kRed, 5}, {0, 0, 16, 16, gif::kBlue, 5}})));
    picture.Draw();
    ASSERT_TRUE(support::Eventually([&] { return picture.IsAnimating(); }));
    picture.UnLoad();
    EXPECT_FALSE(picture.IsAnimating());
    EXPECT_TRUE(picture.Frames().empty());
    EXPECT_EQ(CSize(0, 0), picture.PictureSize());
    EXPECT_FALSE(picture.Draw());
}

TEST_F(PictureControlTest, AHiddenAnimationRestsUntilShownAndStillStops) {
    // Another animation, shown, whose frames say that time goes by.
    CAnimPicture beside;
    ASSERT_TRUE(beside.Create(L"", WS_CHILD | WS_VISIBLE, CRect(60, 10, 80, 30), &host, 102));
    const std::vector<uint8_t> two = gif::Build(8, 8, {{0, 0, 8, 8, gif::kRed, 5}, {0, 0, 8, 8, gif::kBlue, 5}});
    HGLOBAL block = Global(two);
    ASSERT_TRUE(beside.Load(block, static_cast<DWORD>(two.size())));
    ::GlobalFree(block);
    beside.Draw();
    int besideFrames = 0;
    const auto besideMoves = [&](int frames) {
        int last = beside.CurrentFrame();
        const int until = besideFrames + frames;
        return support::gui::PumpUntil([&] {
            if (beside.CurrentFrame() != last) {
                ++besideFrames;
                last = beside.CurrentFrame();
            }
            return besideFrames >= until;
        }, 10000);
    };

    std::vector<gif::Frame> eight;
    for (int i = 0; i < 8; ++i) eight.push_back({0, 0, 16, 16, i % 2 ? gif::kBlue : gif::kRed, 5});
    ASSERT_TRUE(LoadGif(gif::Build(16, 16, eight)));
    picture.ShowWindow(SW_HIDE);
    picture.Draw();
    ASSERT_TRUE(besideMoves(4));
    EXPECT_TRUE(picture.IsAnimating());
    EXPECT_EQ(0, picture.CurrentFrame());

    picture.ShowWindow(SW_SHOW);
    Picture resumed;
    EXPECT_TRUE(ShowsEventually([](const Picture& p) { return p.At(8, 8) == kBlue; }, &resumed));
    EXPECT_TRUE(support::gui::SavePng(resumed, support::gui::PicturePath(L"picture-animation-resumed")));

    picture.ShowWindow(SW_HIDE);
    ASSERT_TRUE(besideMoves(2));
    const auto before = std::chrono::steady_clock::now();
    picture.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
    EXPECT_FALSE(picture.IsAnimating());
    beside.DestroyWindow();
}

TEST_F(PictureControlTest, StopWithoutAThreadReturnsAtOnce) {
    ASSERT_TRUE(LoadGif(gif::Build(8, 8, {{0, 0, 8, 8, gif::kRed, 5}, {0, 0, 8, 8, gif::kBlue, 5}})));
    const auto before = std::chrono::steady_clock::now();
    picture.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(500));
}

TEST_F(PictureControlTest, ATruncatedGifShowsTheFramesItHolds) {
    std::vector<uint8_t> file = gif::Build(16, 16, {{0, 0, 16, 16, gif::kRed, 5}, {0, 0, 16, 16, gif::kBlue, 5},
                                                    {0, 0, 16, 16, gif::kGreen, 5}});
    file.resize(file.size() - 20);  // into the third frame's image data
    ASSERT_TRUE(LoadGif(file));
    EXPECT_EQ(2u, picture.Frames().size());
    picture.Draw();
    EXPECT_TRUE(ShowsEventually([](const Picture& p) { return p.At(8, 8) == kBlue; }));
}

TEST_F(PictureControlTest, AGifWithoutWholeFramesIsRefused) {
    std::vector<uint8_t> file = gif::Build(16, 16, {{0, 0, 16, 16, gif::kRed, 5}});
    file.resize(file.size() - 10);
    EXPECT_FALSE(LoadGif(file));
    EXPECT_FALSE(picture.Draw());
}

TEST_F(PictureControlTest, DisposalThreeRestoresWhatLayUnderTheFrame) {
    // Red all over; a blue patch that is taken away again; then a green dot shown for long.
    ASSERT_TRUE(LoadGif(gif::Build(16, 16, {{0, 0, 16, 16, gif::kRed, 5, 0},
                                            {2, 2, 4, 4, gif::kBlue, 5, 3},
                                            {12, 12, 2, 2, gif::kGreen, 50, 0}})));
    picture.Draw();
    Picture seen;
    ASSERT_TRUE(ShowsEventually([](const Picture& p) { return p.At(12, 12) == kGreen; }, &seen));
    EXPECT_EQ(kRed, seen.At(3, 3));
}

TEST_F(PictureControlTest, AfterTheLastFrameThePictureStartsAgainFromTheBackColour) {
    ASSERT_TRUE(LoadGif(gif::Build(16, 16, {{0, 0, 4, 4, gif::kRed, 5, 0}, {8, 8, 4, 4, gif::kBlue, 5, 0}})));
    picture.Draw();
    ASSERT_TRUE(ShowsEventually([](const Picture& p) { return p.At(9, 9) == kBlue && p.At(1, 1) == kRed; }));
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    EXPECT_TRUE(ShowsEventually([&](const Picture& p) { return p.At(1, 1) == kRed && p.At(9, 9) == face; }));
}

TEST_F(PictureControlTest, OtherPicturesAreDrawnOnceAtTheirSize) {
    HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(300), RT_BITMAP);
    ASSERT_NE(nullptr, found);
    // The bitmap resource as a BMP file: a file header before the resource's bytes.
    const DWORD size = ::SizeofResource(nullptr, found);
    const auto* bytes = static_cast<const uint8_t*>(::LockResource(::LoadResource(nullptr, found)));
    std::vector<uint8_t> file = {'B', 'M'};
    const uint32_t total = 14 + size, offset = 14 + 40;
    for (uint32_t v : {total, 0u, offset}) {
        for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    file.insert(file.end(), bytes, bytes + size);
    ASSERT_TRUE(LoadGif(file));
    EXPECT_FALSE(picture.IsGif());
    EXPECT_EQ(CSize(24, 16), picture.PictureSize());
    EXPECT_TRUE(picture.Draw());
    EXPECT_EQ(kBlue, Shown().At(6, 6));
}

TEST_F(PictureControlTest, GifResourceLoadsFromTheProgram) {
    ASSERT_TRUE(picture.Load(MAKEINTRESOURCEW(301), L"GIF"));
    EXPECT_EQ(2u, picture.Frames().size());
    EXPECT_EQ(20, picture.Frames()[0].delay);
    EXPECT_FALSE(picture.Load(MAKEINTRESOURCEW(999), L"GIF"));
}

TEST_F(PictureControlTest, TransparentPictureLetsTheBackgroundThroughItsKeyColour) {
    ASSERT_TRUE(keyed.Create(L"", WS_CHILD | WS_VISIBLE | SS_BITMAP, CRect(80, 10, 140, 60), &host, 101));
    keyed.SetBitmap(300);
    EXPECT_EQ(0u, keyed.GetStyle() & 0x000E);  // the static draws no picture itself
    // The animated picture beside it, for the person looking at the picture.
    ASSERT_TRUE(LoadGif(gif::Build(48, 48, {{0, 0, 48, 48, gif::kRed, 5}, {12, 12, 24, 24, gif::kBlue, 5}})));
    picture.Draw();
    ASSERT_TRUE(ShowsEventually([](const Picture& p) { return p.At(24, 24) == kBlue; }));
    const Picture shown = support::gui::CaptureWindow(host);
    EXPECT_TRUE(support::gui::SavePng(shown, support::gui::PicturePath(L"picture-controls")));
    EXPECT_EQ(kBlue, shown.At(80 + 6, 10 + 6));                // the bitmap's blue square
    EXPECT_EQ(RGB(255, 220, 0), shown.At(80 + 16, 10 + 7));    // and its yellow bar
    EXPECT_EQ(kGreen, shown.At(80 + 1, 10 + 1));               // the key colour shows the background
    EXPECT_EQ(0, shown.Count(RGB(140, 0, 140)));
}

}  // namespace
