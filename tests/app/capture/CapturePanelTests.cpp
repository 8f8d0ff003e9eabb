// The capture panels and the alarm report in the real main dialog against a simulated tester:
// frames the tester's ports receive while a capture runs reach the list in order after Stop
// Capture, a click on a row shows its bytes and headers, a second capture loses none of its frames,
// and each capture report adds its two lines to the alarm report.
#include "alarm/AlarmSetup.h"
#include "BrevixCAPI.h"
#include "capture/CaptureIds.h"
#include "main/DialogBench.h"
#include "main/Globals.h"
#include "res/resource.h"
#include "sim/CaptureEngine.h"
#include "sim/DemoTraffic.h"
#include "sim/PortPeers.h"
#include "support/gui/Input.h"
#include "support/gui/Picture.h"
#include "support/gui/Pump.h"
#include "support/gui/Windows.h"
#include "support/Waiting.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace appbench;

namespace {

const sim::Mac kStation = {0x00, 0x1C, 0x7E, 0x5D, 0x01, 0xA0};
const sim::Mac kPartner = {0x00, 0x1C, 0x7E, 0x5D, 0x00, 0xA0};
const sim::Mac kBroadcast = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
const sim::Ipv4 kStationIp = {10, 77, 80, 3};
const sim::Ipv4 kPartnerIp = {10, 77, 80, 2};

const DWORD kPatienceMs = static_cast<DWORD>(support::kPatience.count());

// A mix of what a port receives: UDP (some VLAN tagged), ARP, ICMP echo; `first` numbers them.
std::vector<sim::Bytes> Frames(uint32_t first, int count) {
    std::vector<sim::Bytes> frames;
    for (int i = 0; i < count; ++i) {
        const uint32_t n = first + static_cast<uint32_t>(i);
        sim::Bytes frame;
        if (n % 5 == 3) {
            const sim::Ipv4 target = {10, 77, 80, static_cast<uint8_t>(n)};
            frame = sim::wire::Arp(1, kBroadcast, kPartner, kPartnerIp, sim::Mac{}, target);
        } else if (n % 5 == 4) {
            frame = sim::wire::EchoRequest(kStation, kPartner, kPartnerIp, kStationIp, 0x0301, uint16_t(n), 24);
        } else {
            sim::Bytes data(20 + n % 40);
            for (size_t k = 0; k < data.size(); ++k) data[k] = uint8_t(k < 4 ? n >> (24 - 8 * k) : k);
            frame = sim::wire::Udp(kStation, kPartner, kPartnerIp, kStationIp, uint16_t(49152 + n), 9, data);
            if (n % 5 == 1) {
                const uint8_t tag[4] = {0x81, 0x00, 0x00, 0x64};
                frame.insert(frame.begin() + 12, tag, tag + 4);
            }
        }
        frames.push_back(frame);
    }
    return frames;
}

std::wstring Hex(const sim::Bytes& bytes, size_t first, size_t count) {
    std::wstring text;
    for (size_t i = first; i < first + count && i < bytes.size(); ++i) {
        wchar_t pair[4];
        std::swprintf(pair, 4, L"%02X", bytes[i]);
        text += (text.empty() ? L"" : L" ") + std::wstring(pair);
    }
    return text;
}

std::wstring Cell(CListCtrl& list, int row, int column) {
    return std::wstring(list.GetItemText(row, column).GetString());
}

class CapturePanelTest : public DialogBench {
protected:
    // Opens the port's capture page as the operator does: its item in the device tree.
    static CCaptureReport& OpenCapture(CVorel_TAP_Test3Dlg& dialog, int port) {
        const HTREEITEM item =
            treeItems[port == 0 ? CVorel_TAP_Test3Dlg::kItemCaptureA : CVorel_TAP_Test3Dlg::kItemCaptureB];
        EXPECT_NE(item, nullptr);
        ClickTreeItem(dialog, port == 0 ? CVorel_TAP_Test3Dlg::kItemCaptureA : CVorel_TAP_Test3Dlg::kItemCaptureB);
        CCaptureReport& panel = port == 0 ? static_cast<CCaptureReport&>(dialog.captureA) : dialog.captureB;
        EXPECT_TRUE(support::gui::PumpUntil([&panel] { return panel.IsWindowVisible() != FALSE; }, kPatienceMs));
        return panel;
    }

    // Start Capture, the frames arrive at the port, Stop Capture; waits for their rows.
    void Capture(CCaptureReport& panel, const std::vector<sim::Bytes>& frames) {
        const int before = panel.captureList.GetItemCount();
        ClickControl(*panel.GetDlgItem(IDC_CAPTURE_START));
        support::gui::PumpPending();
        EXPECT_FALSE(support::gui::IsEnabled(panel.GetSafeHwnd(), IDC_CAPTURE_START));
        ASSERT_TRUE(support::gui::PumpUntil([&] { return tester_->Captures().Running(panel.Port()); }, kPatienceMs));
        for (const sim::Bytes& frame : frames) tester_->Captures().Receive(panel.Port(), frame);
        ClickControl(*panel.GetDlgItem(IDC_CAPTURE_STOP));
        // Every frame the tester held is uploaded and has its row.
        const int expected = before + static_cast<int>(frames.size());
        sim::CaptureEngine& engine = tester_->Captures();
        const int port = panel.Port();
        ASSERT_TRUE(support::gui::PumpUntil(
            [&] {
                const int rows = panel.captureList.GetItemCount();
                return rows >= expected && engine.Held(port) == 0 && static_cast<size_t>(rows) == engine.Sent(port);
            },
            kPatienceMs))
            << panel.captureList.GetItemCount() << " rows, at least " << expected << " expected, " << engine.Sent(port)
            << " sent";
        EXPECT_TRUE(support::gui::IsEnabled(panel.GetSafeHwnd(), IDC_CAPTURE_START));
        EXPECT_FALSE(support::gui::IsEnabled(panel.GetSafeHwnd(), IDC_CAPTURE_STOP));
    }

    // The rows are the frames the port received while its captures ran, in the
    // order received: the test's frames, with the link partner's frames (numbered, of the partner's
    // one length) between them; each row shows its number, addresses, length, type and bytes.
    void ExpectRows(CListCtrl& list, const std::vector<sim::Bytes>& frames, int port) {
        EXPECT_EQ(static_cast<size_t>(list.GetItemCount()), tester_->Captures().Sent(port));
        size_t next = 0;
        long long lastPartner = -1;
        for (int row = 0; row < list.GetItemCount(); ++row) {
            const sim::Bytes bytes = BytesOf(Cell(list, row, 5));
            if (next < frames.size() && bytes == frames[next]) {
                ++next;
            } else {
                ASSERT_TRUE(IsPartnerFrame(bytes, port)) << "row " << row;
                const long long number =
                    static_cast<long long>(bytes[0]) << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
                EXPECT_GT(number, lastPartner) << "row " << row;
                lastPartner = number;
            }
            EXPECT_EQ(Cell(list, row, 0), std::to_wstring(row + 1));
            EXPECT_EQ(Cell(list, row, 1), Hex(bytes, 0, 6)) << row;
            EXPECT_EQ(Cell(list, row, 2), Hex(bytes, 6, 6)) << row;
            EXPECT_EQ(Cell(list, row, 3), std::to_wstring(bytes.size())) << row;
            EXPECT_EQ(Cell(list, row, 4), Hex(bytes, 12, 2)) << row;
            EXPECT_EQ(Cell(list, row, 5), Hex(bytes, 0, bytes.size()) + L" ") << row;
        }
        EXPECT_EQ(next, frames.size()) << "frames of the test missing from the list";
    }

    // The bytes a Data column shows ("00 22 33 ").
    static sim::Bytes BytesOf(const std::wstring& data) {
        sim::Bytes bytes;
        for (size_t at = 0; at + 1 < data.size(); at += 3)
            bytes.push_back(uint8_t(std::stoul(data.substr(at, 2), nullptr, 16)));
        return bytes;
    }

    // A frame of the simulated link partner's light load: its number in the first four bytes, then
    // byte k = 7k plus its place in the batch.
    static bool IsPartnerFrame(const sim::Bytes& bytes, int port) {
        if (bytes.size() != (port == 0 ? 512u : 128u)) return false;
        for (size_t k = 5; k < bytes.size(); ++k) {
            if (uint8_t(bytes[k] - 7 * k) != uint8_t(bytes[4] - 28)) return false;
        }
        return true;
    }

    // The row showing the frame, or -1.
    static int RowOf(CListCtrl& list, const sim::Bytes& frame) {
        const std::wstring data = Hex(frame, 0, frame.size()) + L" ";
        for (int row = 0; row < list.GetItemCount(); ++row) {
            if (Cell(list, row, 5) == data) return row;
        }
        return -1;
    }

    // A real click on the row of a frame.
    static void ClickRow(CCaptureReport& panel, const sim::Bytes& frame) {
        const int row = RowOf(panel.captureList, frame);
        ASSERT_GE(row, 0);
        panel.captureList.EnsureVisible(row, FALSE);
        RECT rect = {};
        rect.left = LVIR_BOUNDS;
        panel.captureList.SendMessage(LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
        POINT at{rect.left + 10, (rect.top + rect.bottom) / 2};
        const HWND root = ::GetAncestor(panel.GetSafeHwnd(), GA_ROOT);
        ::MapWindowPoints(panel.captureList.GetSafeHwnd(), root, &at, 1);
        POINT local;
        ASSERT_EQ(panel.captureList.GetSafeHwnd(), support::gui::MouseTarget(root, at, &local)) << "the row shows";
        support::gui::ClickAt(root, at);
        support::gui::PumpPending();
    }

    // The tree's rows as "name|value", top level and children, in order.
    static std::vector<std::wstring> TreeRows(CCaptureReport& panel) {
        std::vector<std::wstring> rows;
        CTreeTableCtrl& tree = panel.captureInfoTree;
        for (HTREEITEM layer = tree.GetRootItem(); layer; layer = tree.GetNextSiblingItem(layer)) {
            for (HTREEITEM item = layer; item;
                 item = item == layer ? tree.GetChildItem(layer) : tree.GetNextSiblingItem(item)) {
                const wchar_t* name = tree.GetItemText(item, 0);
                const wchar_t* value = tree.GetItemText(item, 1);
                rows.push_back(std::wstring(name ? name : L"") + L"|" + (value ? value : L""));
            }
        }
        return rows;
    }

    static bool Has(const std::vector<std::wstring>& rows, const std::wstring& row) {
        for (const std::wstring& r : rows) {
            if (r == row) return true;
        }
        return false;
    }

    // A Brevix-C on the pair (and, when asked, the demonstration's traffic), the dialog run with the
    // port's capture page open for the body, then File, Exit.
    void OnCapturePage(int port, const std::function<void(CVorel_TAP_Test3Dlg&, CCaptureReport&)>& body,
                       bool demoTraffic = false, int machineId = 1) {
        StartTester(machineId);
        sim::TesterIdentity identity = sim::FullTester::FactoryIdentity(machineId);
        identity.productDate = "201905171432";  // as a tester holds it: year to minute
        SetIdentity(identity);
        std::unique_ptr<sim::DemoTraffic> demo;
        if (demoTraffic) {
            demo = std::make_unique<sim::DemoTraffic>(*tester_);
            demo->Start();
        }
        BoxAnswers boxes;
        RunDialog([port, &body](CVorel_TAP_Test3Dlg& dialog) {
            body(dialog, OpenCapture(dialog, port));
            Exit(dialog);
        });
        if (demo) demo->Stop();
    }

    // Read frames the host sent that ask the tester for the one register alone, or for it among others.
    size_t ReadsOf(uint32_t address, bool alone) const {
        size_t reads = 0;
        for (const sim::LoggedFrame& logged : tester_->Device().Commands()) {
            const sim::Bytes& f = logged.bytes;
            if (f.size() < 16 || f[14] != 0 || (alone && f[15] != 1)) continue;
            for (size_t i = 0; i < f[15] && 24 + 8 * i <= f.size(); ++i) {
                const size_t at = 16 + 8 * i;
                const uint32_t word = uint32_t(f[at]) << 24 | f[at + 1] << 16 | f[at + 2] << 8 | f[at + 3];
                if ((word & 0x80000000u) && (word & 0x7FFFFFFFu) == address) ++reads;
            }
        }
        return reads;
    }

    static std::wstring Note(CCaptureReport& panel) {
        return support::gui::WindowText(panel.GetDlgItem(IDC_CAPTURE_NOTE)->GetSafeHwnd());
    }

    static void SavePicture(CVorel_TAP_Test3Dlg& dialog, const wchar_t* name) {
        support::gui::PumpFor(300);
        support::gui::SavePng(support::gui::CaptureWindow(dialog.GetSafeHwnd(), false),
                              support::gui::PicturePath(name));
    }
};

TEST_F(CapturePanelTest, PortACaptureListsTheFramesInOrderAndAClickShowsBytesAndHeaders) {
    OnCapturePage(0, [this](CVorel_TAP_Test3Dlg& dialog, CCaptureReport& panel) {
        EXPECT_FALSE(dialog.captureB.IsWindowVisible());
        const std::vector<sim::Bytes> frames = Frames(0, 40);
        Capture(panel, frames);
        ExpectRows(panel.captureList, frames, panel.Port());

        ClickRow(panel, frames[4]);  // an echo request
        const sim::Bytes& echo = frames[4];
        ASSERT_EQ(panel.captureHexView.GetDataLength(), static_cast<int>(echo.size()));
        EXPECT_EQ(sim::Bytes(panel.captureHexView.GetData(), panel.captureHexView.GetData() + echo.size()), echo);
        std::vector<std::wstring> rows = TreeRows(panel);
        EXPECT_TRUE(Has(rows, L"ICMP|Echo Request"));
        EXPECT_TRUE(Has(rows, L"Identifier|769"));
        EXPECT_TRUE(Has(rows, L"Source|10.77.80.2"));

        ClickRow(panel, frames[1]);  // a VLAN-tagged UDP datagram
        EXPECT_EQ(sim::Bytes(panel.captureHexView.GetData(), panel.captureHexView.GetData() + frames[1].size()),
                  frames[1]);
        rows = TreeRows(panel);
        EXPECT_TRUE(Has(rows, L"Ethernet II|00-1C-7E-5D-00-A0 > 00-1C-7E-5D-01-A0"));
        EXPECT_TRUE(Has(rows, L"VLAN ID|100"));
        EXPECT_TRUE(Has(rows, L"Destination port|9"));
        EXPECT_TRUE(Has(rows, L"Source port|49153"));
        EXPECT_EQ(panel.captureHexView.State().addressDigits, 4);
        SavePicture(dialog, L"vorels-capture-port-a");
    });
}

TEST_F(CapturePanelTest, PortBCaptureListsTheFramesOfPortBOnly) {
    OnCapturePage(1, [this](CVorel_TAP_Test3Dlg& dialog, CCaptureReport& panel) {
        EXPECT_FALSE(dialog.captureA.IsWindowVisible());
        const std::vector<sim::Bytes> frames = Frames(100, 25);
        Capture(panel, frames);
        ExpectRows(panel.captureList, frames, panel.Port());
        EXPECT_EQ(dialog.captureA.captureList.GetItemCount(), 0);
        ClickRow(panel, frames[3]);  // an ARP request
        EXPECT_TRUE(Has(TreeRows(panel), L"ARP|Who has 10.77.80.103? Tell 10.77.80.2"));
        // The same rule of address digits as Port A's: a short frame's offsets need four.
        EXPECT_EQ(panel.captureHexView.State().addressDigits, 4);
        SavePicture(dialog, L"vorels-capture-port-b");
    });
}

// The second capture starts the library's vector again; its rows follow the first capture's,
// numbered on, and none of its frames is missing, be it shorter or longer than the first.
TEST_F(CapturePanelTest, CapturesInARowLoseNoFrame) {
    OnCapturePage(0, [this](CVorel_TAP_Test3Dlg&, CCaptureReport& panel) {
        const std::vector<sim::Bytes> first = Frames(0, 30), second = Frames(200, 12), third = Frames(400, 60);
        Capture(panel, first);
        Capture(panel, second);
        Capture(panel, third);
        std::vector<sim::Bytes> all = first;
        all.insert(all.end(), second.begin(), second.end());
        all.insert(all.end(), third.begin(), third.end());
        ExpectRows(panel.captureList, all, panel.Port());
    });
}

// Start Capture pressed while an upload runs would start the tester afresh and drop what it still
// holds: it stays off until the list holds every frame the tester captured.
TEST_F(CapturePanelTest, StartCaptureWaitsForTheUploadsLastFrame) {
    OnCapturePage(0, [this](CVorel_TAP_Test3Dlg&, CCaptureReport& panel) {
        sim::CaptureEngine& engine = tester_->Captures();
        const std::vector<sim::Bytes> frames = Frames(0, 600);
        ClickControl(*panel.GetDlgItem(IDC_CAPTURE_START));
        ASSERT_TRUE(support::gui::PumpUntil([&] { return engine.Running(0); }, kPatienceMs));
        for (const sim::Bytes& frame : frames) engine.Receive(0, frame);
        ClickControl(*panel.GetDlgItem(IDC_CAPTURE_STOP));
        EXPECT_FALSE(support::gui::IsEnabled(panel.GetSafeHwnd(), IDC_CAPTURE_START)) << "during the upload";
        EXPECT_GT(engine.Held(0), 0u) << "the upload has frames still to bring";
        ClickControl(*panel.GetDlgItem(IDC_CAPTURE_START));
        ASSERT_TRUE(support::gui::PumpUntil(
            [&] { return support::gui::IsEnabled(panel.GetSafeHwnd(), IDC_CAPTURE_START); }, kPatienceMs));
        EXPECT_FALSE(engine.Running(0)) << "a capture started during the upload";
        EXPECT_EQ(engine.Held(0), 0u);
        ExpectRows(panel.captureList, frames, panel.Port());
    });
}

// A tester slow to send its first block keeps the upload going past a quiet spell: the panel asks
// the tester, finds its store still full, and Start Capture stays off until the last frame is in.
TEST_F(CapturePanelTest, AnUploadSlowToStartKeepsStartCaptureOffUntilItsLastFrame) {
    OnCapturePage(0, [this](CVorel_TAP_Test3Dlg&, CCaptureReport& panel) {
        sim::CaptureEngine& engine = tester_->Captures();
        const std::vector<sim::Bytes> frames = Frames(0, 200);
        ClickControl(*panel.GetDlgItem(IDC_CAPTURE_START));
        ASSERT_TRUE(support::gui::PumpUntil([&] { return engine.Running(0); }, kPatienceMs));
        for (const sim::Bytes& frame : frames) engine.Receive(0, frame);
        engine.HoldBlocks(true);
        const size_t asked = ReadsOf(0x41000028, true);
        ClickControl(*panel.GetDlgItem(IDC_CAPTURE_STOP));
        // The stop's own look at the tester, then the quiet spell's.
        ASSERT_TRUE(support::gui::PumpUntil([&] { return ReadsOf(0x41000028, true) >= asked + 2; }, kPatienceMs));
        EXPECT_GT(engine.WaitingRequests(0), 0u);
        EXPECT_FALSE(support::gui::IsEnabled(panel.GetSafeHwnd(), IDC_CAPTURE_START)) << "after a quiet spell";
        engine.HoldBlocks(false);
        ASSERT_TRUE(support::gui::PumpUntil(
            [&] { return support::gui::IsEnabled(panel.GetSafeHwnd(), IDC_CAPTURE_START); }, kPatienceMs));
        EXPECT_EQ(engine.Held(0), 0u);
        ExpectRows(panel.captureList, frames, panel.Port());
    });
}

// A tester that stops sending its frames leaves the operator no wait without end: once its store
// stayed as it was over a whole quiet spell, Start Capture is given back.
TEST_F(CapturePanelTest, AnUploadTheTesterStopsGivesStartCaptureBack) {
    OnCapturePage(0, [this](CVorel_TAP_Test3Dlg&, CCaptureReport& panel) {
        sim::CaptureEngine& engine = tester_->Captures();
        ClickControl(*panel.GetDlgItem(IDC_CAPTURE_START));
        ASSERT_TRUE(support::gui::PumpUntil([&] { return engine.Running(0); }, kPatienceMs));
        for (const sim::Bytes& frame : Frames(0, 50)) engine.Receive(0, frame);
        engine.HoldBlocks(true);
        const size_t sent = engine.Sent(0);
        ClickControl(*panel.GetDlgItem(IDC_CAPTURE_STOP));
        ASSERT_TRUE(support::gui::PumpUntil(
            [&] { return support::gui::IsEnabled(panel.GetSafeHwnd(), IDC_CAPTURE_START); }, kPatienceMs));
        EXPECT_EQ(engine.Sent(0), sent) << "the tester sent frames meanwhile";
        EXPECT_GE(engine.Held(0), 50u);
        engine.HoldBlocks(false);
    });
}

// Two quick clicks on Stop Capture: the second comes while the first still waits for the tester,
// and asks for no second upload.
TEST_F(CapturePanelTest, ADoubleClickOnStopCaptureAsksForOneUpload) {
    OnCapturePage(1, [this](CVorel_TAP_Test3Dlg&, CCaptureReport& panel) {
        sim::CaptureEngine& engine = tester_->Captures();
        const std::vector<sim::Bytes> frames = Frames(0, 40);
        ClickControl(*panel.GetDlgItem(IDC_CAPTURE_START));
        ASSERT_TRUE(support::gui::PumpUntil([&] { return engine.Running(1); }, kPatienceMs));
        for (const sim::Bytes& frame : frames) engine.Receive(1, frame);
        const size_t statusReads = ReadsOf(0x43000024, false);
        CWnd* stop = panel.GetDlgItem(IDC_CAPTURE_STOP);
        RECT rect = {};
        stop->GetClientRect(&rect);
        support::gui::DoubleClick(stop->GetSafeHwnd(), POINT{rect.right / 2, rect.bottom / 2});
        ASSERT_TRUE(support::gui::PumpUntil(
            [&] { return support::gui::IsEnabled(panel.GetSafeHwnd(), IDC_CAPTURE_START); }, kPatienceMs));
        EXPECT_EQ(ReadsOf(0x43000024, false), statusReads + 1) << "stop-next requests";
        ExpectRows(panel.captureList, frames, panel.Port());
    });
}

// A Brevix-A keeps 16,384 frames: a capture that filled it says so under the list, in the language
// of the program, until the next capture starts.
class CaptureLimitTest : public CapturePanelTest, public testing::WithParamInterface<bool> {};

TEST_P(CaptureLimitTest, ACaptureThatFillsTheTesterSaysSo) {
    const bool japanese = GetParam();
    WriteLanguageValue(japanese ? "3" : "0", 1);
    OnCapturePage(
        0,
        [this, japanese](CVorel_TAP_Test3Dlg& dialog, CCaptureReport& panel) {
            sim::CaptureEngine& engine = tester_->Captures();
            ASSERT_EQ(engine.Capacity(), 16384u);
            EXPECT_EQ(Note(panel), L"");
            ClickControl(*panel.GetDlgItem(IDC_CAPTURE_START));
            ASSERT_TRUE(support::gui::PumpUntil([&] { return engine.Running(0); }, kPatienceMs));
            engine.ReceiveNumbered(0, 0, 16400, 64);
            ClickControl(*panel.GetDlgItem(IDC_CAPTURE_STOP));
            EXPECT_EQ(Note(panel),
                      japanese ? L"テスターのキャプチャメモリが満杯です。最初の16,384フレームを保持しました。"
                               : L"The tester's capture memory is full: this capture kept its first 16,384 frames.");
            SavePicture(dialog, japanese ? L"vorels-capture-full-japanese" : L"vorels-capture-full");
            if (japanese) return;
            // The upload of the whole store takes a while at the library's pace.
            ASSERT_TRUE(support::gui::PumpUntil(
                [&] { return support::gui::IsEnabled(panel.GetSafeHwnd(), IDC_CAPTURE_START); }, 6 * kPatienceMs))
                << panel.captureList.GetItemCount() << " rows, " << engine.Held(0) << " held, " << engine.Sent(0) << " sent";
            EXPECT_GE(panel.captureList.GetItemCount(), 16384);
            ClickControl(*panel.GetDlgItem(IDC_CAPTURE_START));
            ASSERT_TRUE(support::gui::PumpUntil([&] { return engine.Running(0); }, kPatienceMs));
            EXPECT_EQ(Note(panel), L"") << "a new capture";
        },
        false, 2);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, CaptureLimitTest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Japanese" : "English"; });

// The note of a capture that filled the tester follows a language switch made while it shows, on
// either port's page: Japanese by the Language menu, then English again.
class CaptureLimitLanguageTest : public CapturePanelTest, public testing::WithParamInterface<int> {};

TEST_P(CaptureLimitLanguageTest, TheFullMemoryNoteTakesALanguageSwitchWhileItShows) {
    const int port = GetParam();
    WriteLanguageValue("0", 1);
    OnCapturePage(
        port,
        [this, port](CVorel_TAP_Test3Dlg& dialog, CCaptureReport& panel) {
            sim::CaptureEngine& engine = tester_->Captures();
            ClickControl(*panel.GetDlgItem(IDC_CAPTURE_START));
            ASSERT_TRUE(support::gui::PumpUntil([&] { return engine.Running(port); }, kPatienceMs));
            engine.ReceiveNumbered(port, 0, 16400, 64);
            ClickControl(*panel.GetDlgItem(IDC_CAPTURE_STOP));
            const std::wstring english = L"The tester's capture memory is full: this capture kept its first 16,384 frames.";
            ASSERT_EQ(Note(panel), english);

            ChooseMenuCommand(dialog, ID_LANGUAGE_JAPANESE);
            ASSERT_TRUE(panel.IsWindowVisible()) << "the page stays";
            EXPECT_TRUE(panel.GetDlgItem(IDC_CAPTURE_NOTE)->IsWindowVisible());
            EXPECT_EQ(Note(panel), L"テスターのキャプチャメモリが満杯です。最初の16,384フレームを保持しました。");
            SavePicture(dialog, port == 0 ? L"vorels-capture-full-switched-a" : L"vorels-capture-full-switched-b");

            ChooseMenuCommand(dialog, ID_LANGUAGE_ENGLISH);
            EXPECT_EQ(Note(panel), english);
        },
        false, 2);
}

INSTANTIATE_TEST_SUITE_P(BothPorts, CaptureLimitLanguageTest, testing::Values(0, 1),
                         [](const testing::TestParamInfo<int>& info) { return info.param == 0 ? "PortA" : "PortB"; });

// Demo mode has no tester to capture with.
TEST_F(CapturePanelTest, StartCaptureIsOffInDemoMode) {
    BoxAnswers boxes;
    RunDialog([](CVorel_TAP_Test3Dlg& dialog) {
        ASSERT_TRUE(IsDemoMode());
        CCaptureReport& panel = OpenCapture(dialog, 1);
        EXPECT_FALSE(support::gui::IsEnabled(panel.GetSafeHwnd(), IDC_CAPTURE_START));
        EXPECT_FALSE(support::gui::IsEnabled(panel.GetSafeHwnd(), IDC_CAPTURE_STOP));
        ClickControl(*panel.GetDlgItem(IDC_CAPTURE_START));
        EXPECT_FALSE(support::gui::IsEnabled(panel.GetSafeHwnd(), IDC_CAPTURE_STOP)) << "a capture started";
        SavePicture(dialog, L"vorels-capture-demo");
        Exit(dialog);
    });
}

TEST_F(CapturePanelTest, CaptureReportsAddAlarmLinesAndClearEmptiesThem) {
    OnCapturePage(1, [this](CVorel_TAP_Test3Dlg& dialog, CCaptureReport& panel) {
        Capture(panel, Frames(0, 16));
        CListBox& alarms = dialog.alarmReport.alarmList;
        const std::vector<std::wstring> lines = support::gui::ListItems(alarms.GetSafeHwnd());
        ASSERT_GE(lines.size(), 2u);
        ASSERT_EQ(lines.size() % 2, 0u);
        // Count then port: the last report counts every frame of Port B.
        EXPECT_EQ(lines[lines.size() - 2], std::to_wstring(panel.captureList.GetItemCount()));
        EXPECT_EQ(lines.back(), L"1");
        for (size_t i = 1; i < lines.size(); i += 2) EXPECT_EQ(lines[i], L"1");

        ChooseMenuCommand(dialog, ID_ALARM);
        ASSERT_TRUE(
            support::gui::PumpUntil([&dialog] { return dialog.alarmReport.IsWindowVisible() != FALSE; }, kPatienceMs));
        support::gui::PumpFor(300);
        support::gui::SavePng(support::gui::CaptureWindow(dialog.alarmReport.GetSafeHwnd(), false),
                              support::gui::PicturePath(L"vorels-alarm-report"));
        ClickControl(*dialog.alarmReport.GetDlgItem(IDC_ALARM_CLEAR));
        EXPECT_EQ(alarms.GetCount(), 0);
        ClickControl(*dialog.alarmReport.GetDlgItem(IDC_ALARM_CLEAR));
        EXPECT_EQ(alarms.GetCount(), 0);
        dialog.alarmReport.ShowWindow(SW_HIDE);
    });
}

// Dragging the splitters: the vertical bar by +20 narrows the hex view by 20 and widens the tree by
// 20; the horizontal bar by -30 shortens the list by 30 and lengthens the three below it by 30.
TEST_F(CapturePanelTest, SplittersShareTheRoomBetweenListTreeAndHexView) {
    OnCapturePage(0, [](CVorel_TAP_Test3Dlg&, CCaptureReport& panel) {
        const auto rectOf = [&panel](CWnd& window) {
            CRect rect;
            window.GetWindowRect(&rect);
            panel.ScreenToClient(&rect);
            return rect;
        };
        const auto drag = [&panel, &rectOf](CWnd& bar, int dx, int dy) {
            const CPoint from = rectOf(bar).CenterPoint();
            support::gui::DragAt(panel.GetSafeHwnd(), from, POINT{from.x + dx, from.y + dy});
            support::gui::PumpPending();
        };
        const CRect hex = rectOf(panel.captureHexView), tree = rectOf(panel.captureInfoTree);
        drag(panel.verticalSplitter, 20, 0);
        EXPECT_EQ(rectOf(panel.captureHexView).Width(), hex.Width() - 20);
        EXPECT_EQ(rectOf(panel.captureHexView).right, hex.right);
        EXPECT_EQ(rectOf(panel.captureInfoTree).Width(), tree.Width() + 20);
        EXPECT_EQ(rectOf(panel.captureInfoTree).left, tree.left);

        const CRect list = rectOf(panel.captureList), bar = rectOf(panel.verticalSplitter);
        const CRect hexNow = rectOf(panel.captureHexView), treeNow = rectOf(panel.captureInfoTree);
        drag(panel.horizontalSplitter, 0, -30);
        EXPECT_EQ(rectOf(panel.captureList).Height(), list.Height() - 30);
        EXPECT_EQ(rectOf(panel.captureHexView).Height(), hexNow.Height() + 30);
        EXPECT_EQ(rectOf(panel.captureInfoTree).Height(), treeNow.Height() + 30);
        EXPECT_EQ(rectOf(panel.verticalSplitter).Height(), bar.Height() + 30);
        EXPECT_EQ(rectOf(panel.captureHexView).bottom, hexNow.bottom);
    });
}

// A capture on the demonstration's traffic: every frame the tester caught is a row, in the order
// caught. The demonstration numbers the frames it hands the capture from 0: a UDP frame carries its
// number in its first four data bytes, an ARP request in its target address (4 + number % 200).
TEST_F(CapturePanelTest, DemoTrafficCaptureListsItsFramesInTheOrderCaught) {
    OnCapturePage(
        0,
        [this](CVorel_TAP_Test3Dlg&, CCaptureReport& panel) {
            sim::CaptureEngine& engine = tester_->Captures();
            ClickControl(*panel.GetDlgItem(IDC_CAPTURE_START));
            ASSERT_TRUE(support::gui::PumpUntil([&engine] { return engine.Held(0) >= 60; }, kPatienceMs));
            ClickControl(*panel.GetDlgItem(IDC_CAPTURE_STOP));
            ASSERT_TRUE(support::gui::PumpUntil(
                [&] {
                    const int rows = panel.captureList.GetItemCount();
                    return rows >= 60 && engine.Held(0) == 0 && static_cast<size_t>(rows) == engine.Sent(0);
                },
                kPatienceMs));
            int udpRows = 0, arpRows = 0, firstUdpRow = -1;
            for (int row = 0; row < panel.captureList.GetItemCount(); ++row) {
                const sim::Bytes bytes = BytesOf(Cell(panel.captureList, row, 5));
                ASSERT_GE(bytes.size(), 60u) << row;
                const size_t type = bytes[12] == 0x81 && bytes[13] == 0x00 ? 16 : 12;
                if (bytes[type] == 0x08 && bytes[type + 1] == 0x00) {
                    const size_t data = type + 2 + 20 + 8;
                    const uint32_t number =
                        uint32_t(bytes[data]) << 24 | bytes[data + 1] << 16 | bytes[data + 2] << 8 | bytes[data + 3];
                    EXPECT_EQ(number, static_cast<uint32_t>(row)) << row;
                    if (firstUdpRow < 0) firstUdpRow = row;
                    ++udpRows;
                } else if (bytes[type] == 0x08 && bytes[type + 1] == 0x06) {
                    EXPECT_EQ(bytes[41], 4 + row % 200) << row;
                    ++arpRows;
                }
            }
            EXPECT_GT(udpRows, 30);
            ASSERT_GE(firstUdpRow, 0);
            ClickRow(panel, BytesOf(Cell(panel.captureList, firstUdpRow, 5)));
            const std::vector<std::wstring> rows = TreeRows(panel);
            EXPECT_TRUE(Has(rows, L"Source|10.77.80.2"));
            EXPECT_TRUE(Has(rows, L"Source port|" + std::to_wstring(49152 + firstUdpRow % 1000)));
        },
        true);
}

}  // namespace
