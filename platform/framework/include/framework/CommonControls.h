// The common controls: image lists, tooltips, toolbars, tree and list views, tab strips. Each class
// is its control's messages as member functions.
#pragma once

#include <framework/Dc.h>
#include <framework/Wnd.h>

class CImageList : public CObject {
    DECLARE_DYNCREATE(CImageList)
public:
    CImageList() = default;
    ~CImageList() override { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    HIMAGELIST m_hImageList = nullptr;

    static CImageList* FromHandle(HIMAGELIST hImageList);
    BOOL Attach(HIMAGELIST hImageList);
    HIMAGELIST Detach();
    // Null for a null object, so it may be called through a pointer that may be null.
    HIMAGELIST GetSafeHandle() const;
    operator HIMAGELIST() const { return GetSafeHandle(); }

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow) {
        return Attach(ImageList_Create(cx, cy, nFlags, nInitial, nGrow));
    }
    // Images cx wide cut from a bitmap resource; pixels of crMask are transparent.
    BOOL Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask);
    BOOL DeleteImageList();
    int GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }
    int Add(CBitmap* pbmImage, CBitmap* pbmMask) {
        return ImageList_Add(m_hImageList, *pbmImage, pbmMask ? static_cast<HBITMAP>(*pbmMask) : nullptr);
    }
    int Add(CBitmap* pbmImage, COLORREF crMask) { return ImageList_AddMasked(m_hImageList, *pbmImage, crMask); }
    int Add(HICON hIcon) { return ImageList_AddIcon(m_hImageList, hIcon); }
    BOOL Remove(int nImage) { return ImageList_Remove(m_hImageList, nImage); }
    BOOL SetImageCount(UINT uNewCount) { return ImageList_SetImageCount(m_hImageList, uNewCount); }
    COLORREF SetBkColor(COLORREF cr) { return ImageList_SetBkColor(m_hImageList, cr); }
    HICON ExtractIcon(int nImage) { return ImageList_ExtractIcon(nullptr, m_hImageList, nImage); }
    BOOL Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle) {
        return ImageList_Draw(m_hImageList, nImage, pDC->m_hDC, pt.x, pt.y, nStyle);
    }
    BOOL GetImageInfo(int nImage, IMAGEINFO* pImageInfo) const {
        return ImageList_GetImageInfo(m_hImageList, nImage, pImageInfo);
    }
};

class CToolTipCtrl : public CWnd {
    DECLARE_DYNAMIC(CToolTipCtrl)
public:
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);
    void Activate(BOOL bActivate) { SendMessage(TTM_ACTIVATE, bActivate); }
    // A tool for the whole of pWnd (nIDTool 0) or for a rectangle of it with that id.
    BOOL AddTool(CWnd* pWnd, LPCWSTR lpszText = LPSTR_TEXTCALLBACKW, LPCRECT lpRectTool = nullptr, UINT_PTR nIDTool = 0);
    void DelTool(CWnd* pWnd, UINT_PTR nIDTool = 0);
    void UpdateTipText(LPCWSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool = 0);
    void SetToolRect(CWnd* pWnd, UINT_PTR nIDTool, LPCRECT lpRect);
    void RelayEvent(LPMSG lpMsg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(lpMsg)); }
    void SetDelayTime(UINT nDelay) { SendMessage(TTM_SETDELAYTIME, TTDT_AUTOMATIC, static_cast<LPARAM>(nDelay)); }
    void SetDelayTime(DWORD dwDuration, int iTime) { SendMessage(TTM_SETDELAYTIME, dwDuration, MAKELPARAM(iTime, 0)); }
    int SetMaxTipWidth(int iWidth) { return static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, iWidth)); }
    int GetToolCount() const { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }
    void Pop() { SendMessage(TTM_POP); }
    void Update() { SendMessage(TTM_UPDATE); }

private:
    TTTOOLINFOW ToolInfo(CWnd* pWnd, UINT_PTR nIDTool) const;
};

class CToolBarCtrl : public CWnd {
    DECLARE_DYNAMIC(CToolBarCtrl)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    BOOL EnableButton(int nID, BOOL bEnable = TRUE) { return Bool(TB_ENABLEBUTTON, nID, MAKELPARAM(bEnable, 0)); }
    BOOL CheckButton(int nID, BOOL bCheck = TRUE) { return Bool(TB_CHECKBUTTON, nID, MAKELPARAM(bCheck, 0)); }
    BOOL HideButton(int nID, BOOL bHide = TRUE) { return Bool(TB_HIDEBUTTON, nID, MAKELPARAM(bHide, 0)); }
    BOOL PressButton(int nID, BOOL bPress = TRUE) { return Bool(TB_PRESSBUTTON, nID, MAKELPARAM(bPress, 0)); }
    BOOL IsButtonEnabled(int nID) const { return Bool(TB_ISBUTTONENABLED, nID); }
    BOOL IsButtonChecked(int nID) const { return Bool(TB_ISBUTTONCHECKED, nID); }
    BOOL IsButtonHidden(int nID) const { return Bool(TB_ISBUTTONHIDDEN, nID); }
    BOOL IsButtonPressed(int nID) const { return Bool(TB_ISBUTTONPRESSED, nID); }
    int GetState(int nID) const { return static_cast<int>(SendMessage(TB_GETSTATE, nID)); }
    BOOL SetState(int nID, UINT nState) { return Bool(TB_SETSTATE, nID, MAKELPARAM(nState, 0)); }
    BOOL AddButtons(int nNumButtons, LPTBBUTTON lpButtons) {
        return Bool(TB_ADDBUTTONSW, nNumButtons, reinterpret_cast<LPARAM>(lpButtons));
    }
    BOOL InsertButton(int nIndex, LPTBBUTTON lpButton) {
        return Bool(TB_INSERTBUTTONW, nIndex, reinterpret_cast<LPARAM>(lpButton));
    }
    BOOL DeleteButton(int nIndex) { return Bool(TB_DELETEBUTTON, nIndex); }
    BOOL GetButton(int nIndex, LPTBBUTTON lpButton) const { return Bool(TB_GETBUTTON, nIndex, reinterpret_cast<LPARAM>(lpButton)); }
    int GetButtonCount() const { return static_cast<int>(SendMessage(TB_BUTTONCOUNT)); }
    BOOL GetItemRect(int nIndex, LPRECT lpRect) const { return Bool(TB_GETITEMRECT, nIndex, reinterpret_cast<LPARAM>(lpRect)); }
    UINT CommandToIndex(UINT nID) const { return static_cast<UINT>(SendMessage(TB_COMMANDTOINDEX, nID)); }
    int AddBitmap(int nNumButtons, UINT nBitmapID);
    int AddBitmap(int nNumButtons, CBitmap* pBitmap);
    BOOL SetBitmapSize(CSize size) { return Bool(TB_SETBITMAPSIZE, 0, MAKELPARAM(size.cx, size.cy)); }
    BOOL SetButtonSize(CSize size) { return Bool(TB_SETBUTTONSIZE, 0, MAKELPARAM(size.cx, size.cy)); }
    void SetButtonStructSize(int nSize) { SendMessage(TB_BUTTONSTRUCTSIZE, static_cast<WPARAM>(nSize)); }
    void AutoSize() { SendMessage(TB_AUTOSIZE); }
    CImageList* SetImageList(CImageList* pImageList);
    CImageList* GetImageList() const;
    CImageList* SetDisabledImageList(CImageList* pImageList);
    CImageList* SetHotImageList(CImageList* pImageList);
    CToolTipCtrl* GetToolTips() const;
    void SetToolTips(CToolTipCtrl* pTip) { SendMessage(TB_SETTOOLTIPS, reinterpret_cast<WPARAM>(pTip->GetSafeHwnd())); }
    DWORD SetExtendedStyle(DWORD dwExStyle) { return static_cast<DWORD>(SendMessage(TB_SETEXTENDEDSTYLE, 0, dwExStyle)); }
    BOOL GetButtonInfo(int nID, TBBUTTONINFOW* ptbbi) const {
        return static_cast<int>(SendMessage(TB_GETBUTTONINFOW, nID, reinterpret_cast<LPARAM>(ptbbi))) != -1;
    }
    BOOL SetButtonInfo(int nID, TBBUTTONINFOW* ptbbi) { return Bool(TB_SETBUTTONINFOW, nID, reinterpret_cast<LPARAM>(ptbbi)); }

private:
    BOOL Bool(UINT m, WPARAM w = 0, LPARAM l = 0) const { return static_cast<BOOL>(SendMessage(m, w, l)); }
};

// Control-bar styles of CToolBar::CreateEx.
constexpr DWORD CBRS_ALIGN_TOP = 0x1000;
constexpr DWORD CBRS_ALIGN_BOTTOM = 0x4000;
constexpr DWORD CBRS_TOP = CBRS_ALIGN_TOP;
constexpr DWORD CBRS_BOTTOM = CBRS_ALIGN_BOTTOM;
constexpr DWORD CBRS_TOOLTIPS = 0x0010;
constexpr DWORD CBRS_FLYBY = 0x0020;
constexpr DWORD CBRS_GRIPPER = 0x00400000;
constexpr DWORD CBRS_SIZE_DYNAMIC = 0x0040;
constexpr UINT AFX_IDW_TOOLBAR = 0xE800;
constexpr UINT AFX_IDW_CONTROLBAR_FIRST = 0xE800;
constexpr UINT AFX_IDW_CONTROLBAR_LAST = 0xE8FF;

// Button styles of CToolBar::GetButtonStyle and SetButtonStyle: the button's style in the low word,
// its state in the high word, where the enabled bit reads the other way round (TBBS_DISABLED), so
// that a plain style leaves the button enabled.
constexpr UINT TBBS_BUTTON = MAKELONG(BTNS_BUTTON, 0);
constexpr UINT TBBS_SEPARATOR = MAKELONG(BTNS_SEP, 0);
constexpr UINT TBBS_CHECKBOX = MAKELONG(BTNS_CHECK, 0);
constexpr UINT TBBS_GROUP = MAKELONG(BTNS_GROUP, 0);
constexpr UINT TBBS_CHECKGROUP = TBBS_GROUP | TBBS_CHECKBOX;
constexpr UINT TBBS_CHECKED = MAKELONG(0, TBSTATE_CHECKED);
constexpr UINT TBBS_PRESSED = MAKELONG(0, TBSTATE_PRESSED);
constexpr UINT TBBS_DISABLED = MAKELONG(0, TBSTATE_ENABLED);
constexpr UINT TBBS_INDETERMINATE = MAKELONG(0, TBSTATE_INDETERMINATE);
constexpr UINT TBBS_HIDDEN = MAKELONG(0, TBSTATE_HIDDEN);

// A toolbar laid along the top (or bottom) of its parent's client area and filled from a toolbar
// resource: the button ids of the TOOLBAR statement and the bitmap of the same id.
class CToolBar : public CToolBarCtrl {
    DECLARE_DYNAMIC(CToolBar)
public:
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT nID = AFX_IDW_TOOLBAR);
    // dwCtrlStyle is the toolbar control's own style (TBSTYLE_FLAT...); dwStyle the window and bar
    // styles; rcBorders the margins kept around the buttons.
    BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                  DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, CRect rcBorders = CRect(0, 0, 0, 0),
                  UINT nID = AFX_IDW_TOOLBAR);
    BOOL LoadToolBar(UINT nIDResource);
    BOOL LoadBitmap(UINT nIDResource);
    // nIDArray lists the commands in order, ID_SEPARATOR (0) for gaps; a null array makes nIDCount
    // empty buttons.
    BOOL SetButtons(const UINT* lpIDArray, int nIDCount);
    void SetSizes(SIZE sizeButton, SIZE sizeImage);
    CToolBarCtrl& GetToolBarCtrl() { return *this; }
    UINT GetItemID(int nIndex) const;
    void GetItemRect(int nIndex, LPRECT lpRect) const { CToolBarCtrl::GetItemRect(nIndex, lpRect); }
    UINT GetButtonStyle(int nIndex) const;
    void SetButtonStyle(int nIndex, UINT nStyle);
    // The text shown with the button at the index (below its image).
    BOOL SetButtonText(int nIndex, LPCWSTR lpszText);
    CString GetButtonText(int nIndex) const;
    // Height of the bar including its borders; the parent lays its other windows below it.
    CSize CalcFixedLayout() const;
    // Puts the bar along its parent's edge.
    void Reposition();

    DWORD m_dwBarStyle = 0;
    CRect m_rcBorders;

protected:
    // With WS_TABSTOP the bar is a control of the keyboard too (ToolBarKeys.cpp): Tab reaches it, the
    // arrows move its hot item between the buttons that can be pressed, Space or Return presses it.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The index of the next enabled, shown button after `from` in the direction of `step` (round
    // the end), or -1 when there is none.
    int NextPressable(int from, int step) const;
    void PressHotButton();

    CSize m_sizeImage{16, 15};
    CBitmap m_bitmap;
};

constexpr UINT ID_SEPARATOR = 0;

class CTreeCtrl : public CWnd {
    DECLARE_DYNAMIC(CTreeCtrl)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
        return CWnd::Create(WC_TREEVIEWW, nullptr, dwStyle, rect, pParentWnd, nID);
    }
    HTREEITEM InsertItem(LPTVINSERTSTRUCTW lpInsertStruct) {
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(lpInsertStruct)));
    }
    HTREEITEM InsertItem(LPCWSTR lpszItem, HTREEITEM hParent = TVI_ROOT, HTREEITEM hInsertAfter = TVI_LAST);
    HTREEITEM InsertItem(LPCWSTR lpszItem, int nImage, int nSelectedImage, HTREEITEM hParent = TVI_ROOT,
                         HTREEITEM hInsertAfter = TVI_LAST);
    HTREEITEM InsertItem(UINT nMask, LPCWSTR lpszItem, int nImage, int nSelectedImage, UINT nState, UINT nStateMask,
                         LPARAM lParam, HTREEITEM hParent, HTREEITEM hInsertAfter);
    BOOL DeleteItem(HTREEITEM hItem) { return Bool(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(hItem)); }
    BOOL DeleteAllItems() { return Bool(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)); }
    BOOL Expand(HTREEITEM hItem, UINT nCode) { return Bool(TVM_EXPAND, nCode, reinterpret_cast<LPARAM>(hItem)); }
    BOOL SelectItem(HTREEITEM hItem) { return Bool(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hItem)); }
    BOOL EnsureVisible(HTREEITEM hItem) { return Bool(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(hItem)); }
    HTREEITEM GetNextItem(HTREEITEM hItem, UINT nCode) const {
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, nCode, reinterpret_cast<LPARAM>(hItem)));
    }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_NEXT); }
    HTREEITEM GetPrevSiblingItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PREVIOUS); }
    HTREEITEM GetParentItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PARENT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    BOOL ItemHasChildren(HTREEITEM hItem) const { return GetChildItem(hItem) != nullptr; }
    UINT GetCount() const { return static_cast<UINT>(SendMessage(TVM_GETCOUNT)); }
    BOOL GetItem(TVITEMW* pItem) const { return Bool(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(pItem)); }
    // Every setter below goes through this one, so a tree window that answers otherwise than the
    // common control need only say how its answer reads (SetItemSucceeded).
    BOOL SetItem(TVITEMW* pItem) {
        return SetItemSucceeded(SendMessage(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(pItem)));
    }
    CString GetItemText(HTREEITEM hItem) const;
    BOOL SetItemText(HTREEITEM hItem, LPCWSTR lpszItem);
    DWORD_PTR GetItemData(HTREEITEM hItem) const;
    BOOL SetItemData(HTREEITEM hItem, DWORD_PTR dwData);
    UINT GetItemState(HTREEITEM hItem, UINT nStateMask) const {
        return static_cast<UINT>(SendMessage(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(hItem), nStateMask));
    }
    BOOL SetItemState(HTREEITEM hItem, UINT nState, UINT nStateMask);
    BOOL SetItemImage(HTREEITEM hItem, int nImage, int nSelectedImage);
    BOOL GetItemRect(HTREEITEM hItem, LPRECT lpRect, BOOL bTextOnly) const;
    HTREEITEM HitTest(CPoint pt, UINT* pFlags = nullptr) const;
    CImageList* SetImageList(CImageList* pImageList, int nImageListType);
    CImageList* GetImageList(int nImageListType) const;

protected:
    // TVM_SETITEMW's answer as success: the common control answers non-zero on success.
    virtual BOOL SetItemSucceeded(LRESULT answer) const { return answer != 0; }

private:
    BOOL Bool(UINT m, WPARAM w = 0, LPARAM l = 0) const { return static_cast<BOOL>(SendMessage(m, w, l)); }
};

class CListCtrl : public CWnd {
    DECLARE_DYNAMIC(CListCtrl)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
        return CWnd::Create(WC_LISTVIEWW, nullptr, dwStyle, rect, pParentWnd, nID);
    }
    int InsertColumn(int nCol, LPCWSTR lpszColumnHeading, int nFormat = LVCFMT_LEFT, int nWidth = -1, int nSubItem = -1);
    BOOL DeleteColumn(int nCol) { return Bool(LVM_DELETECOLUMN, nCol); }
    int GetColumnWidth(int nCol) const { return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, nCol)); }
    BOOL SetColumnWidth(int nCol, int cx) { return Bool(LVM_SETCOLUMNWIDTH, nCol, MAKELPARAM(cx, 0)); }
    int InsertItem(int nItem, LPCWSTR lpszItem);
    int InsertItem(int nItem, LPCWSTR lpszItem, int nImage);
    int InsertItem(const LVITEMW* pItem) { return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(pItem))); }
    BOOL DeleteItem(int nItem) { return Bool(LVM_DELETEITEM, nItem); }
    BOOL DeleteAllItems() { return Bool(LVM_DELETEALLITEMS); }
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    BOOL SetItemText(int nItem, int nSubItem, LPCWSTR lpszText);
    CString GetItemText(int nItem, int nSubItem) const;
    BOOL SetItemData(int nItem, DWORD_PTR dwData);
    DWORD_PTR GetItemData(int nItem) const;
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    UINT GetItemState(int nItem, UINT nMask) const { return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, nItem, nMask)); }
    int GetNextItem(int nItem, int nFlags) const { return static_cast<int>(SendMessage(LVM_GETNEXTITEM, nItem, nFlags)); }
    int GetSelectionMark() const { return static_cast<int>(SendMessage(LVM_GETSELECTIONMARK)); }
    int GetSelectedCount() const { return static_cast<int>(SendMessage(LVM_GETSELECTEDCOUNT)); }
    BOOL EnsureVisible(int nItem, BOOL bPartialOK) { return Bool(LVM_ENSUREVISIBLE, nItem, bPartialOK); }
    DWORD SetExtendedStyle(DWORD dwNewStyle) {
        return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, dwNewStyle));
    }
    DWORD GetExtendedStyle() const { return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
    CImageList* SetImageList(CImageList* pImageList, int nImageListType);
    int HitTest(CPoint pt, UINT* pFlags = nullptr) const;
    BOOL GetItemRect(int nItem, LPRECT lpRect, UINT nCode) const;
    int GetTopIndex() const { return static_cast<int>(SendMessage(LVM_GETTOPINDEX)); }
    int GetCountPerPage() const { return static_cast<int>(SendMessage(LVM_GETCOUNTPERPAGE)); }
    BOOL SetBkColor(COLORREF cr) { return Bool(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(cr)); }
    BOOL SetTextColor(COLORREF cr) { return Bool(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(cr)); }
    BOOL SetTextBkColor(COLORREF cr) { return Bool(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(cr)); }

private:
    BOOL Bool(UINT m, WPARAM w = 0, LPARAM l = 0) const { return static_cast<BOOL>(SendMessage(m, w, l)); }
};

class CTabCtrl : public CWnd {
    DECLARE_DYNAMIC(CTabCtrl)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
        return CWnd::Create(WC_TABCONTROLW, nullptr, dwStyle, rect, pParentWnd, nID);
    }
    LONG InsertItem(int nItem, LPCWSTR lpszItem);
    LONG InsertItem(int nItem, LPCWSTR lpszItem, int nImage);
    BOOL DeleteItem(int nItem) { return static_cast<BOOL>(SendMessage(TCM_DELETEITEM, nItem)); }
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(TCM_DELETEALLITEMS)); }
    int GetItemCount() const { return static_cast<int>(SendMessage(TCM_GETITEMCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(TCM_GETCURSEL)); }
    int SetCurSel(int nItem) { return static_cast<int>(SendMessage(TCM_SETCURSEL, nItem)); }
    BOOL GetItemRect(int nItem, LPRECT lpRect) const {
        return static_cast<BOOL>(SendMessage(TCM_GETITEMRECT, nItem, reinterpret_cast<LPARAM>(lpRect)));
    }
    void AdjustRect(BOOL bLarger, LPRECT lpRect) { SendMessage(TCM_ADJUSTRECT, bLarger, reinterpret_cast<LPARAM>(lpRect)); }
    CImageList* SetImageList(CImageList* pImageList);
};
