// The start-up media detection with its progress panel, ended by the library or by the panel's own
// 35 seconds, and the media status panels filled from the tester's link report.
#include "main/Globals.h"
#include "PortsBench.h"
#include "res/resource.h"
#include "support/gui/Picture.h"
#include "support/gui/Pump.h"
#include "support/gui/Windows.h"
#include "support/Waiting.h"

#include <atomic>
#include <ctime>

using namespace appbench;

namespace {

const std::wstring kFailed = L"Fail to detect media!";
// The register of the SFP selection image; bits 28-29 name the port.
constexpr uint32_t kSfpImage = 0x400000B0;

class MediaTest : public portsbench::PortsTest {
protected:
    static bool AwaitHidden(CWnd& window) {
        return support::gui::PumpUntil([&window] { return !window.IsWindowVisible(); },
                                       static_cast<DWORD>(support::kPatience.count()));
    }
    static std::wstring PanelText(CVorel_TAP_Test3Dlg& dialog) {
        return support::gui::ControlText(dialog.progressPanel.GetSafeHwnd(), -1);
    }
};

TEST_F(MediaTest, DetectionShowsTheProgressPanelUntilTheLibraryReportsTheMedia) {
    StartTester(1);
    BoxAnswers boxes;
    Run([&boxes](CVorel_TAP_Test3Dlg& dialog) {
        ASSERT_TRUE(dialog.progressPanel.IsWindowVisible());
        EXPECT_EQ(L"Detecting media, please wait!", PanelText(dialog));
        // The panel's clock moves its bar once a second.
        support::gui::PumpFor(1200);
        ASSERT_TRUE(dialog.progressPanel.IsWindowVisible());
        EXPECT_LT(0, dialog.progressPanel.m_progress.GetPos());
        support::gui::SavePng(support::gui::CaptureWindow(dialog.GetSafeHwnd(), false),
                              support::gui::PicturePath(L"vorels-media-detection"));
        ASSERT_TRUE(AwaitHidden(dialog.progressPanel));
        EXPECT_EQ(0u, boxes.CountWithText(kFailed));
    });
}

TEST_F(MediaTest, DetectionWithoutItsFinalReportEndsAfterThirtyFiveSeconds) {
    sim::FullTester& tester = StartTester(1);
    // Once Port B's selection has reached the tester the wire goes down: the library cannot send
    // the selection's last write, and its worker ends without the final report.
    std::atomic<bool> cut{false};
    tester.Device().SetInterceptor([this, &cut](const sim::Bytes& f) {
        if (!cut && f.size() >= 24 && f[14] == 0 && frames::Get32(f, 16) == kSfpImage &&
            ((frames::Get32(f, 20) >> 28) & 3) == 1) {
            cut = SetHostLink(false);
        }
        return false;
    });
    BoxAnswers boxes;
    Run([&](CVorel_TAP_Test3Dlg& dialog) {
        ASSERT_TRUE(
            support::gui::PumpUntil([&cut] { return cut.load(); }, static_cast<DWORD>(support::kPatience.count())));
        // Past the worker's two pauses: its progress reports have come, the final one has not.
        support::gui::PumpFor(3000);
        ASSERT_TRUE(dialog.progressPanel.IsWindowVisible());
        EXPECT_EQ(0u, boxes.CountWithText(kFailed));

        const __time64_t later = std::time(nullptr) + 36;
        framework::SetClockStandIn([later] { return later; });
        ASSERT_TRUE(AwaitHidden(dialog.progressPanel));
        framework::SetClockStandIn(nullptr);
        EXPECT_EQ(1u, boxes.CountWithText(kFailed));
        EXPECT_EQ(0, dialog.progressPanel.m_progress.GetPos());
        ASSERT_TRUE(SetHostLink(true));
    });
}

TEST_F(MediaTest, MediaStatusPanelsShowEachPortsLinkFromTheReport) {
    StartTester(1);
    BoxAnswers boxes;
    Run([](CVorel_TAP_Test3Dlg& dialog) {
        ASSERT_TRUE(AwaitHidden(dialog.progressPanel));
        dialog.SendMessage(WM_COMMAND, ID_MEDIA_STATUS_A, 0);
        EXPECT_TRUE(dialog.mediaA.IsWindowVisible());
        EXPECT_EQ(L"Media Status-Port A", support::gui::ControlText(dialog.GetSafeHwnd(), IDC_PANEL_TITLE));
        // The library's automatic media detection, which start-up sets going, may report a medium it
        // is trying before the copper link's report.
        ASSERT_TRUE(support::gui::PumpUntil(
            [&dialog] {
                return dialog.mediaA.RowText(CMediaStatus::kLinkRow) == L"Link Up" &&
                       dialog.mediaA.RowText(CMediaStatus::kMediaRow) == L"Copper";
            },
            static_cast<DWORD>(support::kPatience.count())));
        EXPECT_EQ(L"1000M", std::wstring(dialog.mediaA.RowText(CMediaStatus::kSpeedRow)));
        EXPECT_EQ(L"Full", std::wstring(dialog.mediaA.RowText(CMediaStatus::kDuplexRow)));
        EXPECT_EQ(L"Copper", std::wstring(dialog.mediaA.RowText(CMediaStatus::kMediaRow)));
        support::gui::PumpFor(300);
        support::gui::SavePng(support::gui::CaptureWindow(dialog.GetSafeHwnd(), false),
                              support::gui::PicturePath(L"vorels-media-status"));

        dialog.SendMessage(WM_COMMAND, ID_MEDIA_STATUS_B, 0);
        EXPECT_TRUE(dialog.mediaB.IsWindowVisible());
        EXPECT_FALSE(dialog.mediaA.IsWindowVisible());
        EXPECT_EQ(L"Link Up", std::wstring(dialog.mediaB.RowText(CMediaStatus::kLinkRow)));

        dialog.SendMessage(WM_COMMAND, ID_PORT_A, 0);
        EXPECT_FALSE(dialog.mediaB.IsWindowVisible());
    });
}

}  // namespace
