// The chart window made with its template's dialog font and with smaller ones (as a prefix whose
// dialog font is narrower makes it): every chart and series list has its pixels, the line charts
// leave their series lists to the pointer, and the pies, bars and controls stay inside the window.
#include "charts/Chart.h"
#include "charts/ChartData.h"
#include "charts/ChartIds.h"
#include "charts/Refresh.h"

#include <support/gui/Input.h>
#include <support/gui/Picture.h>
#include <support/gui/Pump.h>
#include <support/gui/Windows.h>
#include <support/Waiting.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace charts;
using support::gui::PumpPending;

constexpr DWORD kPatienceMs = static_cast<DWORD>(support::kPatience.count());

// The window with its series lists in reach.
class LaidOutChart : public CChart {
public:
    using CChart::m_seriesGridA;
    using CChart::m_seriesGridB;
};

bool Ticked(MyGrid& list, int row) {
    CVGCell box;
    return list.GetStoredCell(0, row, &box) == 0 && box.ReadNumber() != 0;
}

CRect PlaceIn(HWND window, int id) {
    CRect place;
    ::GetWindowRect(::GetDlgItem(window, id), &place);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

void ClickTool(HWND window, UINT command) {
    HWND bar = ::FindWindowExW(window, nullptr, TOOLBARCLASSNAMEW, nullptr);
    ASSERT_NE(nullptr, bar);
    const auto index = static_cast<WPARAM>(::SendMessageW(bar, TB_COMMANDTOINDEX, command, 0));
    RECT rect = {};
    ASSERT_TRUE(::SendMessageW(bar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect)));
    support::gui::Click(bar, POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
    PumpPending();
}

void Feed(int second) {
    std::vector<uint64_t> rows(kCounterRows, 0);
    for (int row = 4; row < kCounterRows; ++row) rows[row] = static_cast<uint64_t>(second * (row + 3) * 1000);
    AddChartSample(rows.data(), rows.data(), 739958.0 * 86400 + 10 * 3600 + second, static_cast<uint32_t>(second));
}

TEST(ChartLayout, EveryChartAndSeriesListHasItsPixelsWhateverTheDialogFont) {
    for (WORD points : {8, 7, 6}) {
        SCOPED_TRACE(points);
        ResetChartData();
        SetRefreshRunning(false);
        const std::vector<BYTE> bytes = support::gui::DialogTemplateWithPointSize(IDD_CHART, points);
        ASSERT_FALSE(bytes.empty());
        LaidOutChart chart;
        ASSERT_TRUE(chart.CreateIndirect(reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), nullptr));
        const HWND window = chart.GetSafeHwnd();
        if (support::gui::InBootedPrefix() && points == 8) {
            // The case at hand: the template's place of a line chart is narrower than its pixels here.
            CRect templatePlace(2, 39, 345, 153);
            chart.MapDialogRect(&templatePlace);
            EXPECT_LT(templatePlace.Width(), kLineChartWidth) << "the booted prefix's dialog font is the narrow one";
        }
        chart.SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        chart.ShowWindow(SW_SHOW);
        for (int second = 1; second <= 4; ++second) Feed(second);
        ::SendMessageW(window, WM_TIMER, CChart::kUpdateTimer, 0);
        support::gui::PumpFor(300);
        CRect client;
        chart.GetClientRect(&client);
        const std::wstring size = std::to_wstring(points) + L"pt" + support::gui::PrefixSuffix();

        // Line: each chart beside its series list, whose check boxes take a click.
        for (const auto& [line, list, frame, grid] :
             {std::tuple<int, int, int, MyGrid*>{IDC_CHART_LINE_A, IDC_CHART_GRID_A, IDC_CHART_GRID_A_FRAME,
                                                 &chart.m_seriesGridA},
              {IDC_CHART_LINE_B, IDC_CHART_GRID_B, IDC_CHART_GRID_B_FRAME, &chart.m_seriesGridB}}) {
            const CRect chartPlace = PlaceIn(window, line), listPlace = PlaceIn(window, list);
            EXPECT_GE(chartPlace.Width(), kLineChartWidth) << "the line chart drawn whole";
            CRect overlap;
            EXPECT_FALSE(overlap.IntersectRect(&chartPlace, &listPlace)) << "the line chart leaves its list alone";
            EXPECT_LE(listPlace.right, client.right);
            EXPECT_LE(PlaceIn(window, frame).right, client.right);
            EXPECT_LE(PlaceIn(window, frame).bottom, client.bottom);

            // The third series ("Rx Byte") is not drawn at first: a click on its box ticks it.
            constexpr int kRow = 2;
            ASSERT_FALSE(Ticked(*grid, kRow));
            int column = 0, row = kRow;
            CRect box;
            grid->ComputeCellRect(&column, &row, &box);
            ::MapWindowPoints(grid->CellArea().GetSafeHwnd(), window, reinterpret_cast<POINT*>(&box), 2);
            POINT inTarget;
            const HWND target = support::gui::MouseTarget(window, box.CenterPoint(), &inTarget);
            support::gui::ClickAt(window, box.CenterPoint());
            ASSERT_TRUE(support::gui::PumpUntil([&] { return Ticked(*grid, kRow); }, kPatienceMs))
                << "a click on the third series' box ticks it; it went to a " << support::gui::ClassName(target)
                << " at " << inTarget.x << "," << inTarget.y;
        }
        for (int id : {IDC_CHART_FROM_SAMPLE, IDC_CHART_TO_SAMPLE, IDC_CHART_SCALE_B_HIGH}) {
            EXPECT_LE(PlaceIn(window, id).right, client.right) << id;
            EXPECT_LE(PlaceIn(window, id).top + 12, client.bottom) << id;
        }
        support::gui::SavePng(support::gui::CaptureWindow(window, false),
                              support::gui::PicturePath(L"chart-layout-line-" + size));

        // Pie and Bar: each picture inside the window, the pies side by side.
        ClickTool(window, ID_CHART_PIE);
        ::SendMessageW(window, WM_TIMER, CChart::kUpdateTimer, 0);
        support::gui::PumpFor(300);
        const CRect pieA = PlaceIn(window, IDC_CHART_PIE_A), pieB = PlaceIn(window, IDC_CHART_PIE_B);
        EXPECT_GE(pieB.Width(), kPieChartWidths[1]);
        EXPECT_LE(pieB.right, client.right) << "the second pie and its legend inside the window";
        EXPECT_LE(pieA.right, pieB.left + 1);
        support::gui::SavePng(support::gui::CaptureWindow(window, false),
                              support::gui::PicturePath(L"chart-layout-pie-" + size));
        ClickTool(window, ID_CHART_BAR);
        ::SendMessageW(window, WM_TIMER, CChart::kUpdateTimer, 0);
        support::gui::PumpFor(300);
        for (int id : {IDC_CHART_BAR_A, IDC_CHART_BAR_B}) {
            EXPECT_GE(PlaceIn(window, id).Width(), kBarChartWidth) << id;
            EXPECT_LE(PlaceIn(window, id).right, client.right) << id << ": the last bar inside the window";
        }
        EXPECT_LE(PlaceIn(window, IDC_CHART_BAR_A).bottom, PlaceIn(window, IDC_CHART_BAR_B).top + 1);
        support::gui::SavePng(support::gui::CaptureWindow(window, false),
                              support::gui::PicturePath(L"chart-layout-bar-" + size));
        chart.DestroyWindow();
        PumpPending();
    }
}

}  // namespace
