// An open media status page as the operator sees it: reached through the menu bar, read from the
// screen as the program left it, while the tester's links change, the tester is lost and comes back.
#include "main/Globals.h"
#include "PortsBench.h"
#include "res/resource.h"
#include "sim/TesterControl.h"
#include "support/gui/Input.h"
#include "support/gui/Picture.h"
#include "support/gui/Pump.h"
#include "support/Waiting.h"

#include <functional>
#include <string>

using namespace appbench;

namespace {

const DWORD kPatienceMs = static_cast<DWORD>(support::kPatience.count());
// How soon a change the program knows of must be on the screen.
constexpr DWORD kShownWithinMs = 2000;

// The page's grid as it is on the screen.
support::gui::Picture GridOnScreen(CMediaStatus& page) {
    return support::gui::CaptureWindow(page.mediaGrid.GetSafeHwnd());
}

bool Same(const support::gui::Picture& a, const support::gui::Picture& b) {
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

// Dark pixels (text) in each quarter of the grid's height: one per row, labels and values. A blank
// or wiped grid has none in some row.
bool EveryRowHasText(const support::gui::Picture& picture) {
    if (picture.height < 8 || picture.width < 8) return false;
    for (int row = 0; row < 4; ++row) {
        int dark = 0;
        for (int y = row * picture.height / 4; y < (row + 1) * picture.height / 4; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                const uint32_t p = picture.pixels[static_cast<size_t>(y) * picture.width + x];
                const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
                dark += (r + g + b < 240) ? 1 : 0;
            }
        }
        if (dark < 20) return false;
    }
    return true;
}

class MediaPageTest : public portsbench::PortsTest {
protected:
    // Pumps until the screen shows the page's grid as `matches` wants it, at most `ms`; every read on
    // the way must show text in every row. Returns the last read.
    static support::gui::Picture AwaitScreen(CMediaStatus& page, DWORD ms,
                                             const std::function<bool(const support::gui::Picture&)>& matches,
                                             bool* reached, bool* everBlank) {
        support::gui::Picture last;
        *reached = support::gui::PumpUntil(
            [&] {
                last = GridOnScreen(page);
                if (!EveryRowHasText(last)) *everBlank = true;
                return matches(last);
            },
            ms);
        return last;
    }
    // The grid once two reads a moment apart agree.
    static support::gui::Picture SteadyGrid(CMediaStatus& page) {
        support::gui::Picture previous = GridOnScreen(page), now;
        for (int i = 0; i < 50; ++i) {
            support::gui::PumpFor(100);
            now = GridOnScreen(page);
            if (Same(previous, now)) break;
            previous = now;
        }
        return now;
    }
    static bool ReadsLink(CMediaStatus& page, const wchar_t* link) {
        return support::gui::PumpUntil([&] { return std::wstring(page.RowText(CMediaStatus::kLinkRow)) == link; },
                                       kPatienceMs);
    }
};

TEST_F(MediaPageTest, AnOpenMediaPageShowsEveryLinkChangeLossAndReturnOnTheScreen) {
    sim::FullTester& tester = StartTester(4);
    sim::TesterControl control(tester, nullptr, support::TestNetwork().hostInterface);
    BoxAnswers boxes;
    Run([&](CVorel_TAP_Test3Dlg& dialog) {
        ASSERT_TRUE(support::gui::PumpUntil([&] { return !dialog.progressPanel.IsWindowVisible(); }, kPatienceMs));
        CMediaStatus& page = dialog.mediaB;
        ASSERT_TRUE(ReadsLink(page, L"Link Up"));
        ChooseMenuCommand(dialog, ID_MEDIA_STATUS_B);
        ASSERT_TRUE(page.IsWindowVisible());
        const support::gui::Picture up = SteadyGrid(page);
        ASSERT_TRUE(EveryRowHasText(up));

        bool reached = false, blank = false;
        // Port B's link goes down: the open page shows it, nothing chosen again.
        ASSERT_EQ(0u, control.Execute("link b down").find("ok"));
        ASSERT_TRUE(ReadsLink(page, L"Link Down"));
        AwaitScreen(page, kShownWithinMs, [&](const support::gui::Picture& p) { return !Same(p, up); }, &reached,
                    &blank);
        EXPECT_TRUE(reached) << "the link's fall is not on the screen";
        const support::gui::Picture down = SteadyGrid(page);
        EXPECT_TRUE(EveryRowHasText(down));
        // What the screen showed is what the page shows when it is chosen afresh.
        ChooseMenuCommand(dialog, ID_MEDIA_STATUS_A);
        ChooseMenuCommand(dialog, ID_MEDIA_STATUS_B);
        ASSERT_TRUE(page.IsWindowVisible());
        EXPECT_TRUE(Same(down, SteadyGrid(page)));

        ASSERT_EQ(0u, control.Execute("link b up").find("ok"));
        ASSERT_TRUE(ReadsLink(page, L"Link Up"));
        AwaitScreen(page, kShownWithinMs, [&](const support::gui::Picture& p) { return Same(p, up); }, &reached,
                    &blank);
        EXPECT_TRUE(reached) << "the link's return is not on the screen";

        // The tester is lost: the page reads link down, and is never wiped.
        ASSERT_EQ(0u, control.Execute("lose").find("ok"));
        ASSERT_TRUE(support::gui::PumpUntil([&] { return boxes.CountWithText(L"The device is disconnected!") == 1; },
                                            kPatienceMs));
        ASSERT_TRUE(ReadsLink(page, L"Link Down"));
        AwaitScreen(page, kShownWithinMs, [&](const support::gui::Picture& p) { return Same(p, down); }, &reached,
                    &blank);
        EXPECT_TRUE(reached) << "the loss is not on the screen";

        ASSERT_EQ(0u, control.Execute("return").find("ok"));
        ClickTool(dialog.GetSafeHwnd(), ID_RECONNECT);
        ASSERT_TRUE(support::gui::PumpUntil(
            [&] { return boxes.CountWithText(L"Connection has been re-established!") == 1; }, kPatienceMs));
        ASSERT_TRUE(ReadsLink(page, L"Link Up"));
        AwaitScreen(page, kShownWithinMs, [&](const support::gui::Picture& p) { return Same(p, up); }, &reached,
                    &blank);
        EXPECT_TRUE(reached) << "the link after Reconnect is not on the screen";
        EXPECT_FALSE(blank) << "the page was blank or wiped on the screen";
        support::gui::SavePng(GridOnScreen(page), support::gui::PicturePath(L"vorels-media-page-after-reconnect"));
    });
}

}  // namespace
