// The grid's sections follow what their layout depends on: columns added after attaching, widths
// that stop fitting, and a resize made while painting was off.
#include "GridWindowFixture.h"

#include <support/gui/Picture.h>
#include <support/gui/Pump.h>

namespace {

// A dialog that attaches its grid in OnInitDialog and then gives it its columns, as the operator
// program's dialogs do.
class GrowingGridDialog : public CDialog {
public:
    explicit GrowingGridDialog(int controlId) : m_controlId(controlId) {}

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 10, 400, 200, m_hWnd,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(m_controlId)), nullptr, nullptr);
        attached = grid.AttachToDialogItem(this, m_controlId);
        grid.SetColumnCount(12, 1);
        grid.SetRowCount(3, 1);
        return TRUE;
    }

    RecordingGrid grid;
    int attached = 0;

private:
    int m_controlId;
};

class LayoutCatchUpTest : public GridWindowTest {
protected:
    // How many pixels of the grid's bottom strip, as tall as a horizontal bar, show the button face
    // that the bar's arrows are drawn in (the cell area's empty part shows the window colour).
    static int ButtonFaceInBottomStrip(CWnd& window)
    {
        const support::gui::Picture picture = support::gui::CaptureWindow(window.GetSafeHwnd());
        const int bar = ::GetSystemMetrics(SM_CYHSCROLL);
        return picture.Count(::GetSysColor(COLOR_BTNFACE), RECT{0, picture.height - bar, picture.width, picture.height});
    }
};

}  // namespace

TEST_F(LayoutCatchUpTest, ColumnsGivenAfterAttachingInTheDialogsSetUpShowTheHorizontalBar)
{
    GrowingGridDialog growing(kControlId);
    ASSERT_TRUE(growing.CreateIndirect(Template(), nullptr));
    ASSERT_EQ(1, growing.attached);
    growing.ShowWindow(SW_SHOW);
    support::gui::PumpPending();

    CRect client;
    growing.grid.GetClientRect(&client);
    CRect bar;
    growing.grid.HScroll().GetWindowRect(&bar);
    growing.grid.ScreenToClient(&bar);
    const int height = ::GetSystemMetrics(SM_CYHSCROLL);
    EXPECT_EQ(CRect(0, client.bottom - height, client.right, client.bottom), bar);
    SCROLLINFO range = {};
    range.cbSize = sizeof(range);
    range.fMask = SIF_RANGE;
    growing.grid.HScroll().GetScrollInfo(&range, SIF_RANGE);
    EXPECT_GT(range.nMax, 0);
    // On the screen: the bar's arrow buttons along the bottom, where the empty cell area was.
    const int width = client.Width();
    EXPECT_GT(ButtonFaceInBottomStrip(growing.grid), height * height);
    support::gui::SavePng(support::gui::CaptureWindow(growing.GetSafeHwnd()),
                          support::gui::PicturePath(L"grid-columns-after-attaching"));
    EXPECT_LT(ButtonFaceInBottomStrip(growing.grid), width * height);

    growing.grid.SendMessage(WM_HSCROLL, SB_PAGERIGHT, 0);
    EXPECT_GT(growing.grid.QueryLeftColumn(), 0);
    growing.DestroyWindow();
    support::gui::PumpPending();
}

TEST_F(LayoutCatchUpTest, AColumnWidenedPastTheWindowBringsTheHorizontalBar)
{
    Fill(3, 5);
    ASSERT_EQ(0, ChildRect(grid.HScroll()).Height());
    grid.ResizeColumn(0, 500);
    support::gui::PumpPending();
    const int height = ::GetSystemMetrics(SM_CYHSCROLL);
    EXPECT_EQ(CRect(0, 300 - height, 400, 300), ChildRect(grid.HScroll()));
    EXPECT_EQ(300 - height, ChildRect(grid.CellArea()).bottom);
}

TEST_F(LayoutCatchUpTest, AResizeWhilePaintingIsOffIsLaidOutWhenPaintingComesBack)
{
    Fill(20, 100);
    const int v = ::GetSystemMetrics(SM_CXVSCROLL);
    const int h = ::GetSystemMetrics(SM_CYHSCROLL);
    grid.SetPainting(0);
    grid.MoveWindow(10, 10, 250, 200, TRUE);
    support::gui::PumpPending();
    EXPECT_EQ(CRect(400 - v, 0, 400, 300 - h), ChildRect(grid.VScroll()));  // nothing moves meanwhile

    grid.SetPainting(1);
    support::gui::PumpPending();
    EXPECT_EQ(CRect(250 - v, 0, 250, 200 - h), ChildRect(grid.VScroll()));
    EXPECT_EQ(CRect(0, 200 - h, 250 - v, 200), ChildRect(grid.HScroll()));
    EXPECT_EQ(200 - h - grid.Info()->m_topHeadingHeight, ChildRect(grid.CellArea()).Height());
}

TEST_F(LayoutCatchUpTest, AGridThatRepaintsFromItsLayoutHookIsLaidOutOnce)
{
    class RepaintingGrid : public RecordingGrid {
    public:
        int layouts = 0;
        void OnLayoutComputed(RECT*, RECT*, RECT*, RECT*, RECT*, RECT*, RECT*) override
        {
            ++layouts;
            RepaintAll();
        }
    };
    RepaintingGrid other;
    ASSERT_NE(nullptr, ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 100, 80, dialog->GetSafeHwnd(),
                                         reinterpret_cast<HMENU>(kControlId + 1), nullptr, nullptr));
    ASSERT_EQ(1, other.AttachToDialogItem(dialog, kControlId + 1));
    EXPECT_EQ(1, other.layouts);
    other.SetColumnCount(8, 1);
    EXPECT_EQ(2, other.layouts);  // the horizontal bar came
    other.DestroyWindow();
}
