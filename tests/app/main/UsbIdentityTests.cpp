// The start-up's USB adapter identity check, which runs on Windows XP alone: the program's view of
// the system is stood in as XP, and the simulated chip driver's EEPROM and journal show what the
// check read and wrote.
#include "DialogBench.h"
#include "main/Globals.h"
#include "main/VersionTests.h"
#include "support/gui/Picture.h"
#include "support/Waiting.h"

#include <windows.h>

#include <atomic>
#include <thread>

using namespace appbench;

namespace {

constexpr uint32_t kReadImage = 0x222000;
constexpr uint32_t kWriteImage = 0x222004;

class UsbIdentityTest : public DialogBench {
protected:
    void SetUp() override {
        DialogBench::SetUp();
        WindowsVersion xp;
        xp.platform = VER_PLATFORM_WIN32_NT;
        xp.major = 5;
        xp.minor = 1;
        xp.architecture = PROCESSOR_ARCHITECTURE_INTEL;
        StandInWindowsVersion(&xp);
    }
    void TearDown() override {
        StandInWindowsVersion(nullptr);
        DialogBench::TearDown();
    }

    int IoControls(uint32_t code) const {
        int count = 0;
        for (const sim::DriverCall& call : tester_->Host().Calls())
            if (call.kind == sim::DriverCall::Kind::IoControl && call.code == code) ++count;
        return count;
    }
};

TEST_F(UsbIdentityTest, AnAdapterWithoutTheTestersIdsIsWrittenAndVerifiedAtStart) {
    sim::FullTester& tester = StartTester(1);
    sim::Bytes image = tester.Driver().Eeprom();
    const sim::Bytes factory = image;
    for (size_t at : {size_t(72), size_t(150)}) {
        image[at] = 0x95;
        image[at + 1] = 0x0B;
    }
    tester.Driver().SetEeprom(image);
    // The check blocks the dialog's thread, so a thread of the test keeps its picture: once the
    // write reached the driver the panel stays up for the half second before the verifying read.
    // The screen may show it a moment late on a busy machine: the panel's bar is taken again until
    // it shows its steps in the bar's colour, for as long as the check still runs. Only the bar's
    // own rectangle counts, and only while the panel is visible: the dialog under it has texts
    // of its own.
    support::gui::Picture bar, panel;
    std::atomic<bool> written{false};
    bool barShown = false;
    std::thread watcher([&] {
        written = support::Eventually([&] { return IoControls(kWriteImage) > 0; });
        if (!written || theMainDialog == nullptr) return;
        const HWND panelWindow = theMainDialog->progressPanel.GetSafeHwnd();
        RECT barArea, panelArea;
        ::GetWindowRect(theMainDialog->progressPanel.m_progress.GetSafeHwnd(), &barArea);
        ::GetWindowRect(panelWindow, &panelArea);
        const COLORREF barColour = ::GetSysColor(COLOR_HIGHLIGHT);
        support::Eventually([&] {
            const bool visible = ::IsWindowVisible(panelWindow) != FALSE;
            HDC screen = ::GetDC(nullptr);
            bar = support::gui::CaptureDC(screen, barArea);
            panel = support::gui::CaptureDC(screen, panelArea);
            ::ReleaseDC(nullptr, screen);
            barShown = visible && ::IsWindowVisible(panelWindow) && bar.Count(barColour) > 30;
            return barShown || IoControls(kReadImage) >= 2;
        });
    });
    BoxAnswers boxes;
    RunDialog([&](CVorel_TAP_Test3Dlg& dialog) {
        EXPECT_EQ(factory, tester.Driver().Eeprom()) << "both id places hold the tester's ids again";
        EXPECT_EQ(1, IoControls(kWriteImage));
        EXPECT_EQ(2, IoControls(kReadImage)) << "the check, then the verifying read";
        Exit(dialog);
    });
    watcher.join();
    EXPECT_TRUE(boxes.Boxes().size() <= 1u) << "at most the closing question";
    ASSERT_TRUE(written);
    ASSERT_GT(panel.width, 0);
    support::gui::SavePng(panel, support::gui::PicturePath(L"vorels-usb-identity"));
    // The panel was on the screen while the check ran: visible, with its bar's steps drawn.
    EXPECT_TRUE(barShown) << "the panel's bar is on the screen in its colour";
}

TEST_F(UsbIdentityTest, AnAdapterWithTheTestersIdsIsReadOnceAndLeftAlone) {
    StartTester(2);
    BoxAnswers boxes;
    RunDialog([&](CVorel_TAP_Test3Dlg& dialog) {
        EXPECT_EQ(1, IoControls(kReadImage));
        EXPECT_EQ(0, IoControls(kWriteImage));
        Exit(dialog);
    });
}

// Windows XP x64 Edition and Windows Server 2003 both report 5.2; the product type tells them apart.
WindowsVersion Version52(BYTE productType) {
    WindowsVersion version;
    version.platform = VER_PLATFORM_WIN32_NT;
    version.major = 5;
    version.minor = 2;
    version.productType = productType;
    version.architecture = PROCESSOR_ARCHITECTURE_AMD64;
    return version;
}

TEST_F(UsbIdentityTest, TheCheckRunsOnWindowsXpX64) {
    const WindowsVersion xp64 = Version52(VER_NT_WORKSTATION);
    StandInWindowsVersion(&xp64);
    StartTester(2);
    BoxAnswers boxes;
    RunDialog([&](CVorel_TAP_Test3Dlg& dialog) {
        EXPECT_EQ(1, IoControls(kReadImage));
        Exit(dialog);
    });
}

TEST_F(UsbIdentityTest, NoCheckRunsOnTheServerOfTheSameVersion) {
    const WindowsVersion server = Version52(VER_NT_SERVER);
    StandInWindowsVersion(&server);
    StartTester(2);
    BoxAnswers boxes;
    RunDialog([&](CVorel_TAP_Test3Dlg& dialog) {
        EXPECT_EQ(0, IoControls(kReadImage));
        Exit(dialog);
    });
}

TEST_F(UsbIdentityTest, NoCheckRunsOffWindowsXP) {
    WindowsVersion seven;
    seven.platform = VER_PLATFORM_WIN32_NT;
    seven.major = 6;
    seven.minor = 1;
    seven.productType = VER_NT_WORKSTATION;
    StandInWindowsVersion(&seven);
    StartTester(1);
    BoxAnswers boxes;
    RunDialog([&](CVorel_TAP_Test3Dlg& dialog) {
        EXPECT_EQ(0, IoControls(kReadImage));
        Exit(dialog);
    });
}

}  // namespace
