// Resources of the program's own script: strings (non-ASCII too), menus, toolbars and bitmaps, and
// the fall-back to the program when the resource module (a language library) lacks one.
#include <framework/Framework.h>

#include <gtest/gtest.h>

#include "TestResources.h"

namespace {

// Points the resource module elsewhere for one test, as the program does with a language library.
class ScopedResourceModule {
public:
    explicit ScopedResourceModule(HINSTANCE module) : saved_(AfxGetResourceHandle()) { AfxSetResourceHandle(module); }
    ~ScopedResourceModule() { AfxSetResourceHandle(saved_); }

private:
    HINSTANCE saved_;
};

TEST(Resources, StringTableEntriesLoadWithNonAsciiText) {
    CString japanese;
    ASSERT_TRUE(japanese.LoadString(IDS_JAPANESE));
    EXPECT_EQ(CString(L"\x30E1\x30C3\x30BB\x30FC\x30B8"), japanese);
    CString greeting;
    greeting.Format(IDS_GREETING, L"Zoë");
    EXPECT_EQ(CString(L"Hello, Zoë"), greeting);
    CString missing(L"unchanged");
    EXPECT_FALSE(missing.LoadString(9999));
}

TEST(Resources, ModuleWithoutTheResourceFallsBackToTheProgram) {
    ScopedResourceModule language(::GetModuleHandleW(L"kernel32.dll"));
    CString japanese;
    EXPECT_TRUE(japanese.LoadString(IDS_JAPANESE));
    EXPECT_EQ(5, japanese.GetLength());
    CMenu menu;
    EXPECT_TRUE(menu.LoadMenu(IDR_MENU));
}

TEST(Resources, MenuFromTheScriptHasItsItems) {
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_MENU));
    ASSERT_EQ(2, menu.GetMenuItemCount());
    CString text;
    menu.GetMenuString(1, text, MF_BYPOSITION);
    EXPECT_EQ(CString(L"View"), text);
    CMenu* view = menu.GetSubMenu(1);
    ASSERT_NE(nullptr, view);
    EXPECT_EQ(static_cast<UINT>(ID_VIEW_GRID), view->GetMenuItemID(0));
    EXPECT_EQ(0u, view->GetMenuItemID(1));  // separator
    EXPECT_EQ(static_cast<UINT>(ID_VIEW_CHART), view->GetMenuItemID(2));
}

TEST(Resources, ToolbarLoadsButtonsAndImagesFromItsResource) {
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, L"host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200), nullptr, 0));
    CToolBar toolbar;
    ASSERT_TRUE(toolbar.CreateEx(&host, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS,
                                 CRect(2, 0, 0, 0), AFX_IDW_TOOLBAR));
    EXPECT_EQ(static_cast<int>(AFX_IDW_TOOLBAR), toolbar.GetDlgCtrlID());
    EXPECT_TRUE(toolbar.GetStyle() & TBSTYLE_TOOLTIPS);
    ASSERT_TRUE(toolbar.LoadToolBar(IDR_TOOLBAR));
    ASSERT_EQ(3, toolbar.GetButtonCount());
    EXPECT_EQ(static_cast<UINT>(ID_TOOL_CLEAR), toolbar.GetItemID(0));
    EXPECT_EQ(static_cast<UINT>(ID_SEPARATOR), toolbar.GetItemID(1));
    EXPECT_EQ(static_cast<UINT>(ID_TOOL_CHART), toolbar.GetItemID(2));
    EXPECT_TRUE(toolbar.EnableButton(ID_TOOL_CHART, FALSE));
    EXPECT_FALSE(toolbar.IsButtonEnabled(ID_TOOL_CHART));
    EXPECT_TRUE(toolbar.IsButtonEnabled(ID_TOOL_CLEAR));
    EXPECT_TRUE(toolbar.SetButtonText(2, L"Chart"));
    EXPECT_EQ(CString(L"Chart"), toolbar.GetButtonText(2));
    host.RepositionBars(AFX_IDW_CONTROLBAR_FIRST, AFX_IDW_CONTROLBAR_LAST, 0);
    CRect bar;
    toolbar.GetWindowRect(&bar);
    host.ScreenToClient(&bar);
    EXPECT_EQ(0, bar.top);  // along the top edge
    EXPECT_GT(bar.Height(), 15);
    host.DestroyWindow();
}

TEST(Resources, ToolbarCheckStylesKeepTheirStateAndToggleOnAClick) {
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, L"host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200), nullptr, 0));
    CToolBar toolbar;
    ASSERT_TRUE(toolbar.CreateEx(&host));
    ASSERT_TRUE(toolbar.LoadToolBar(IDR_TOOLBAR));
    toolbar.SetButtonStyle(0, TBBS_CHECKGROUP | TBBS_CHECKED);
    toolbar.SetButtonStyle(2, TBBS_CHECKBOX);
    EXPECT_TRUE(toolbar.IsButtonEnabled(ID_TOOL_CLEAR));
    EXPECT_TRUE(toolbar.IsButtonChecked(ID_TOOL_CLEAR));
    EXPECT_EQ(TBBS_CHECKGROUP | TBBS_CHECKED, toolbar.GetButtonStyle(0));
    EXPECT_EQ(TBBS_SEPARATOR, LOWORD(toolbar.GetButtonStyle(1)));

    // A check box button stays down after a click and comes up at the next.
    CRect chart;
    toolbar.GetItemRect(2, &chart);
    const LPARAM at = MAKELPARAM(chart.CenterPoint().x, chart.CenterPoint().y);
    for (bool checked : {true, false}) {
        toolbar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        toolbar.SendMessage(WM_LBUTTONUP, 0, at);
        EXPECT_EQ(checked, toolbar.IsButtonChecked(ID_TOOL_CHART) != FALSE);
    }

    toolbar.SetButtonStyle(0, TBBS_CHECKBOX | TBBS_DISABLED);
    EXPECT_FALSE(toolbar.IsButtonEnabled(ID_TOOL_CLEAR));
    EXPECT_EQ(TBBS_CHECKBOX | TBBS_DISABLED, toolbar.GetButtonStyle(0));
    host.DestroyWindow();
}

TEST(Resources, BitmapAndImageListFromTheScript) {
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadBitmap(IDR_TOOLBAR));
    BITMAP info = {};
    bitmap.GetBitmap(&info);
    EXPECT_EQ(32, info.bmWidth);
    EXPECT_EQ(15, info.bmHeight);
    CImageList images;
    ASSERT_TRUE(images.Create(IDR_TOOLBAR, 16, 1, RGB(140, 0, 140)));
    EXPECT_EQ(2, images.GetImageCount());
}

}  // namespace
