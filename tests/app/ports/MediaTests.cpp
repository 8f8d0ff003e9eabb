// The start-up media detection with its progress panel, ended by the library or by the panel's own
// 35 seconds, and the media status panels filled from the tester's link report.
#include "BrevixCAPI.h"
#include "main/DeviceEventCallback.h"
#include "main/Globals.h"
#include "PortsBench.h"
#include "res/resource.h"
#include "sim/TesterControl.h"
#include "support/gui/Picture.h"
#include "support/gui/Pump.h"
#include "support/gui/Windows.h"
#include "support/Waiting.h"

#include <atomic>
#include <ctime>
#include <thread>
#include <vector>


using namespace appbench;

namespace {

const std::wstring kFailed = L"Fail to detect media!";
// The register of the SFP selection image; bits 28-29 name the port.
constexpr uint32_t kSfpImage = 0x400000B0;
// Each port's SFP enable image: a media selection's last write, after its progress reports.
constexpr uint32_t kSfpEnableA = 0x400000E8;
constexpr uint32_t kSfpEnableB = 0x400000EC;

// A media selection's progress report (port event 2, value 0) as a library thread hands it over.
void DeliverDetectionProgress() {
    std::vector<uint8_t> bytes(BREVIXC_MSG_LENGTH, 0);
    bytes[12] = 0x04;
    bytes[13] = 0xFF;
    bytes[14] = 0xFE;
    bytes[18] = BREVIXC_EVENT_MEDIA_DETECTION;
    std::thread([&bytes] { DeviceEventCallback(bytes.data(), static_cast<int32_t>(bytes.size()), 0, 0); }).join();
}


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

// The panel's own clock ends a detection the library has not ended 35 seconds after it began, with
// one box, whatever the library reports meanwhile and later.
TEST_F(MediaTest, DetectionNotEndedAfterThirtyFiveSecondsEndsWithOneBox) {
    StartTester(1);
    // While the failure box is open, the library goes on reporting the selection's progress.
    bool reportedDuringBox = false;
    BoxAnswers boxes([&reportedDuringBox](const ShownBox& box) {
        if (box.text == kFailed && !reportedDuringBox) {
            reportedDuringBox = true;
            DeliverDetectionProgress();
            support::gui::PumpPending();
        }
        return BoxAnswers::DefaultAnswer(box);
    });
    Run([&](CVorel_TAP_Test3Dlg& dialog) {
        ASSERT_TRUE(support::gui::PumpUntil([&dialog] { return dialog.progressPanel.IsWindowVisible() != FALSE; },
                                            static_cast<DWORD>(support::kPatience.count())));
        tester_->Device().ClearLog();
        EXPECT_EQ(0u, boxes.CountWithText(kFailed));
        // The library's worker pauses a second twice for each port: its clock is still short of
        // its end when the panel's reads 36 seconds on.
        const __time64_t later = std::time(nullptr) + 36;
        framework::SetClockStandIn([later] { return later; });
        ASSERT_TRUE(AwaitHidden(dialog.progressPanel));
        framework::SetClockStandIn(nullptr);
        EXPECT_EQ(1u, boxes.CountWithText(kFailed)) << "one box while it is open";
        EXPECT_EQ(0, dialog.progressPanel.m_progress.GetPos());
        // The library's own end of the detection, after the panel's, asks nothing more.
        ASSERT_TRUE(support::gui::PumpUntil(
            [this] {
                return !portsbench::WritesTo(*tester_, kSfpEnableA).empty() &&
                       !portsbench::WritesTo(*tester_, kSfpEnableB).empty();
            },
            static_cast<DWORD>(support::kPatience.count())));
        support::gui::PumpPending();
        EXPECT_EQ(1u, boxes.CountWithText(kFailed));
        EXPECT_FALSE(dialog.progressPanel.IsWindowVisible());
    });
}

TEST_F(MediaTest, ApplyLongAfterStartUpIsNoFailedDetection) {
    StartTester(1);
    BoxAnswers boxes;
    Run([this, &boxes](CVorel_TAP_Test3Dlg& dialog) {
        ASSERT_TRUE(AwaitHidden(dialog.progressPanel));
        // 40 seconds after the start-up's detection ended, the operator applies the port settings.
        const __time64_t later = std::time(nullptr) + 40;
        framework::SetClockStandIn([later] { return later; });
        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemPortConfiguration);
        ASSERT_TRUE(dialog.applyButton.IsWindowVisible());
        tester_->Device().ClearLog();
        ClickControl(dialog.applyButton);
        // Both ports' selections have made their progress reports once their last writes arrive.
        ASSERT_TRUE(support::Eventually([this] {
            return !portsbench::WritesTo(*tester_, kSfpEnableA).empty() &&
                   !portsbench::WritesTo(*tester_, kSfpEnableB).empty();
        }));
        support::gui::PumpPending();
        EXPECT_EQ(0u, boxes.CountWithText(kFailed));
        EXPECT_FALSE(dialog.progressPanel.IsWindowVisible());
    });
}

TEST_F(MediaTest, MediaStatusPanelsShowEachPortsLinkFromTheReport) {
    StartTester(1);
    BoxAnswers boxes;
    Run([](CVorel_TAP_Test3Dlg& dialog) {
        ASSERT_TRUE(AwaitHidden(dialog.progressPanel));
        ChooseMenuCommand(dialog, ID_MEDIA_STATUS_A);
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

        ChooseMenuCommand(dialog, ID_MEDIA_STATUS_B);
        EXPECT_TRUE(dialog.mediaB.IsWindowVisible());
        EXPECT_FALSE(dialog.mediaA.IsWindowVisible());
        EXPECT_EQ(L"Link Up", std::wstring(dialog.mediaB.RowText(CMediaStatus::kLinkRow)));

        ChooseMenuCommand(dialog, ID_PORT_A_COUNTER);
        EXPECT_FALSE(dialog.mediaB.IsWindowVisible());
    });
}

// The multi-gigabit models report the API's codes 11-17: the counter page's speed row (which the
// spreadsheet copies) and the media panel read them alike, as the tester's link is.
TEST_F(MediaTest, SpeedRowsShowTheMultiGigabitLinksAsTheTesterHasThem) {
    const struct {
        int machineId;
        int megabits;
        const wchar_t* speed;  // Brevix-H's link report tells a link, always at 10G
    } models[] = {{3, 1000, L"10G"}, {4, 2500, L"2.5G"}, {4, 5000, L"5G"}, {4, 1000, L"1000M"}};
    for (const auto& model : models) {
        SCOPED_TRACE(model.machineId);
        SCOPED_TRACE(model.megabits);
        sim::FullTester& tester = StartTester(model.machineId);
        tester.Phys().SetLink(0, sim::LinkState{true, model.megabits, true});
        BoxAnswers boxes;
        Run([&model](CVorel_TAP_Test3Dlg& dialog) {
            const std::wstring full = std::wstring(model.speed) + L" Full";
            const bool shown = support::gui::PumpUntil(
                [&] {
                    return std::wstring(dialog.portCounterWindow.RowValue(counters::kSpeedRow)) == full &&
                           std::wstring(dialog.mediaA.RowText(CMediaStatus::kSpeedRow)) == model.speed;
                },
                static_cast<DWORD>(support::kPatience.count()));
            EXPECT_TRUE(shown) << "counter row " << dialog.portCounterWindow.RowValue(counters::kSpeedRow).GetString()
                               << ", media panel " << dialog.mediaA.RowText(CMediaStatus::kSpeedRow).GetString();
            EXPECT_EQ(L"Link Up", std::wstring(dialog.portCounterWindow.RowValue(counters::kLinkRow)));
            EXPECT_EQ(L"Full", std::wstring(dialog.mediaA.RowText(CMediaStatus::kDuplexRow)));
        });
        TearDown();
    }
}

// Demo mode shows its own link on the media panels as on the counter page, and its own versions on
// both upgrade pages.
TEST_F(MediaTest, DemoModeShowsItsOwnLinkAndVersionsOnEveryPage) {
    BoxAnswers boxes;  // no tester: the demo question, answered Yes
    Run([](CVorel_TAP_Test3Dlg& dialog) {
        ASSERT_TRUE(IsDemoMode());
        ASSERT_TRUE(support::gui::PumpUntil(
            [&dialog] {
                return std::wstring(dialog.portCounterWindow.RowValue(counters::kSpeedRow)) == L"1000M Full";
            },
            static_cast<DWORD>(support::kPatience.count())));
        EXPECT_EQ(L"Link Up", std::wstring(dialog.portCounterWindow.RowValue(counters::kLinkRow)));
        for (CMediaStatus* panel :
             {static_cast<CMediaStatus*>(&dialog.mediaA), static_cast<CMediaStatus*>(&dialog.mediaB)}) {
            EXPECT_EQ(L"Link Up", std::wstring(panel->RowText(CMediaStatus::kLinkRow)));
            EXPECT_EQ(L"1000M", std::wstring(panel->RowText(CMediaStatus::kSpeedRow)));
            EXPECT_EQ(L"Full", std::wstring(panel->RowText(CMediaStatus::kDuplexRow)));
            EXPECT_EQ(L"Copper", std::wstring(panel->RowText(CMediaStatus::kMediaRow)));
        }
        const std::wstring systemFpga = dialog.systemInformation.infoGrid.GetCellText(0, 6);
        const std::wstring systemFirmware = dialog.systemInformation.infoGrid.GetCellText(0, 7);
        ASSERT_FALSE(systemFirmware.empty());
        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemFirmwareUpgrade);
        EXPECT_EQ(systemFirmware, std::wstring(dialog.upgradePanel.InfoText(1).GetString()));
        ClickTreeItem(dialog, CVorel_TAP_Test3Dlg::kItemFpgaUpgrade);
        EXPECT_EQ(systemFpga, std::wstring(dialog.upgradePanel.InfoText(1).GetString()));
    });
}

// Brevix-J: a change of one port's link reaches its media panel within the PHY poll's period, and
// after a loss and Reconnect Port B reads the tester's link.
TEST_F(MediaTest, BrevixJLinkChangesOfOnePortReachTheMediaPanel) {
    sim::FullTester& tester = StartTester(4);
    sim::TesterControl control(tester, nullptr, support::TestNetwork().hostInterface);
    BoxAnswers boxes;
    Run([&](CVorel_TAP_Test3Dlg& dialog) {
        const auto portBReads = [&dialog](const wchar_t* link) {
            return support::gui::PumpUntil(
                [&] { return std::wstring(dialog.mediaB.RowText(CMediaStatus::kLinkRow)) == link; },
                static_cast<DWORD>(support::kPatience.count()));
        };
        ASSERT_TRUE(AwaitHidden(dialog.progressPanel));
        ASSERT_TRUE(portBReads(L"Link Up"));
        for (int round = 0; round < 2; ++round) {
            ASSERT_EQ(0u, control.Execute("link b down").find("ok"));
            EXPECT_TRUE(portBReads(L"Link Down")) << round;
            EXPECT_EQ(L"Link Up", std::wstring(dialog.mediaA.RowText(CMediaStatus::kLinkRow)));
            ASSERT_EQ(0u, control.Execute("link b up").find("ok"));
            EXPECT_TRUE(portBReads(L"Link Up")) << round;
        }

        ASSERT_EQ(0u, control.Execute("lose").find("ok"));
        ASSERT_TRUE(support::gui::PumpUntil([&] { return boxes.CountWithText(L"The device is disconnected!") == 1; },
                                            static_cast<DWORD>(support::kPatience.count())));
        ASSERT_EQ(0u, control.Execute("return").find("ok"));
        ClickTool(dialog.GetSafeHwnd(), ID_RECONNECT);
        ASSERT_TRUE(support::gui::PumpUntil(
            [&] { return boxes.CountWithText(L"Connection has been re-established!") == 1; },
            static_cast<DWORD>(support::kPatience.count())));
        EXPECT_TRUE(portBReads(L"Link Up"));
        EXPECT_EQ(L"Link Up", std::wstring(dialog.mediaA.RowText(CMediaStatus::kLinkRow)));
    });
}

}  // namespace
