#include <framework/CommonControls.h>
#include <framework/HandleMap.h>
#include <framework/Module.h>

#include <vector>

IMPLEMENT_DYNCREATE(CImageList, CObject)
IMPLEMENT_DYNAMIC(CToolTipCtrl, CWnd)
IMPLEMENT_DYNAMIC(CToolBarCtrl, CWnd)
IMPLEMENT_DYNAMIC(CToolBar, CToolBarCtrl)
IMPLEMENT_DYNAMIC(CTreeCtrl, CWnd)
IMPLEMENT_DYNAMIC(CListCtrl, CWnd)
IMPLEMENT_DYNAMIC(CTabCtrl, CWnd)

namespace {

constexpr DWORD kBarStyles = CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_GRIPPER |
                             CBRS_SIZE_DYNAMIC;
// The toolbar resource: version 1, button width and height, count, then the command ids.
LPCWSTR const kToolbarResourceType = MAKEINTRESOURCEW(241);
// The largest buffer (in characters) an item text is read through: far beyond any real text, and
// small enough that growing it fourfold cannot overflow an int.
constexpr int kLargestTextBuffer = 1 << 28;

}  // namespace

CImageList* CImageList::FromHandle(HIMAGELIST hImageList) {
    return framework::TemporaryFor<CImageList, &CImageList::m_hImageList>(hImageList);
}

BOOL CImageList::Attach(HIMAGELIST hImageList) {
    if (hImageList == nullptr || m_hImageList != nullptr) return FALSE;
    m_hImageList = hImageList;
    return TRUE;
}

HIMAGELIST CImageList::Detach() {
    HIMAGELIST hImageList = m_hImageList;
    m_hImageList = nullptr;
    return hImageList;
}

HIMAGELIST CImageList::GetSafeHandle() const { return this != nullptr ? m_hImageList : nullptr; }

BOOL CImageList::DeleteImageList() {
    if (m_hImageList == nullptr) return FALSE;
    return ImageList_Destroy(Detach());
}

BOOL CImageList::Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask) {
    LPCWSTR name = MAKEINTRESOURCEW(nBitmapID);
    HINSTANCE module = AfxFindResourceHandle(name, RT_BITMAP);
    if (module == nullptr) return FALSE;
    return Attach(ImageList_LoadImageW(module, name, cx, nGrow, crMask, IMAGE_BITMAP, LR_CREATEDIBSECTION));
}

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD dwStyle) {
    BOOL created = CWnd::CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | dwStyle, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, pParentWnd->GetSafeHwnd(), nullptr);
    if (created) ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return created;
}

TTTOOLINFOW CToolTipCtrl::ToolInfo(CWnd* pWnd, UINT_PTR nIDTool) const {
    // Mouse messages reach the tooltip through RelayEvent, from the owner's PreTranslateMessage.
    TTTOOLINFOW info = {};
    info.cbSize = sizeof info;
    HWND tool = pWnd->GetSafeHwnd();
    if (nIDTool == 0) {
        // The whole window is the tool, named by its handle and reported to its parent.
        HWND parent = ::GetParent(tool);
        info.hwnd = parent ? parent : tool;
        info.uFlags = TTF_IDISHWND;
        info.uId = reinterpret_cast<UINT_PTR>(tool);
    } else {
        info.hwnd = tool;
        info.uId = nIDTool;
    }
    return info;
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, LPCWSTR lpszText, LPCRECT lpRectTool, UINT_PTR nIDTool) {
    TTTOOLINFOW info = ToolInfo(pWnd, nIDTool);
    if (lpRectTool != nullptr) {
        info.rect = *lpRectTool;
    } else if (nIDTool != 0) {
        ::GetClientRect(pWnd->GetSafeHwnd(), &info.rect);
    }
    info.lpszText = const_cast<LPWSTR>(lpszText);
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::DelTool(CWnd* pWnd, UINT_PTR nIDTool) {
    TTTOOLINFOW info = ToolInfo(pWnd, nIDTool);
    SendMessage(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::UpdateTipText(LPCWSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool) {
    TTTOOLINFOW info = ToolInfo(pWnd, nIDTool);
    info.lpszText = const_cast<LPWSTR>(lpszText);
    SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::SetToolRect(CWnd* pWnd, UINT_PTR nIDTool, LPCRECT lpRect) {
    TTTOOLINFOW info = ToolInfo(pWnd, nIDTool);
    info.rect = *lpRect;
    SendMessage(TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
}

BOOL CToolBarCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    if (!CWnd::Create(TOOLBARCLASSNAMEW, nullptr, dwStyle, rect, pParentWnd, nID)) return FALSE;
    SetButtonStructSize(sizeof(TBBUTTON));
    return TRUE;
}

int CToolBarCtrl::AddBitmap(int nNumButtons, UINT nBitmapID) {
    TBADDBITMAP bitmap = {AfxFindResourceHandle(MAKEINTRESOURCEW(nBitmapID), RT_BITMAP), nBitmapID};
    return static_cast<int>(SendMessage(TB_ADDBITMAP, nNumButtons, reinterpret_cast<LPARAM>(&bitmap)));
}

int CToolBarCtrl::AddBitmap(int nNumButtons, CBitmap* pBitmap) {
    TBADDBITMAP bitmap = {nullptr, reinterpret_cast<UINT_PTR>(static_cast<HBITMAP>(*pBitmap))};
    return static_cast<int>(SendMessage(TB_ADDBITMAP, nNumButtons, reinterpret_cast<LPARAM>(&bitmap)));
}

CImageList* CToolBarCtrl::SetImageList(CImageList* pImageList) {
    return CImageList::FromHandle(reinterpret_cast<HIMAGELIST>(
        SendMessage(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(pImageList->GetSafeHandle()))));
}

CImageList* CToolBarCtrl::GetImageList() const {
    return CImageList::FromHandle(reinterpret_cast<HIMAGELIST>(SendMessage(TB_GETIMAGELIST)));
}

CImageList* CToolBarCtrl::SetDisabledImageList(CImageList* pImageList) {
    return CImageList::FromHandle(reinterpret_cast<HIMAGELIST>(
        SendMessage(TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(pImageList->GetSafeHandle()))));
}

CImageList* CToolBarCtrl::SetHotImageList(CImageList* pImageList) {
    return CImageList::FromHandle(reinterpret_cast<HIMAGELIST>(
        SendMessage(TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(pImageList->GetSafeHandle()))));
}

CToolTipCtrl* CToolBarCtrl::GetToolTips() const {
    return static_cast<CToolTipCtrl*>(CWnd::FromHandle(reinterpret_cast<HWND>(SendMessage(TB_GETTOOLTIPS))));
}

BOOL CToolBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
    return CreateEx(pParentWnd, 0, dwStyle, CRect(0, 0, 0, 0), nID);
}

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, CRect rcBorders, UINT nID) {
    m_dwBarStyle = dwStyle & kBarStyles;
    m_rcBorders = rcBorders;
    // The bar styles are this class's own; the control gets its equivalents.
    DWORD style = (dwStyle & ~kBarStyles) | dwCtrlStyle | CCS_NODIVIDER;
    style |= (m_dwBarStyle & CBRS_ALIGN_BOTTOM) ? CCS_BOTTOM : CCS_TOP;
    if (m_dwBarStyle & CBRS_TOOLTIPS) style |= TBSTYLE_TOOLTIPS;
    if (!CToolBarCtrl::Create(style, CRect(0, 0, 0, 0), pParentWnd, nID)) return FALSE;
    if (rcBorders.left > 0) SendMessage(TB_SETINDENT, static_cast<WPARAM>(rcBorders.left));
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT nIDResource) {
    LPCWSTR name = MAKEINTRESOURCEW(nIDResource);
    HINSTANCE module = AfxFindResourceHandle(name, kToolbarResourceType);
    if (module == nullptr) return FALSE;
    HRSRC resource = ::FindResourceW(module, name, kToolbarResourceType);
    HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    const BYTE* data = loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    DWORD size = resource ? ::SizeofResource(module, resource) : 0;
    if (data == nullptr) return FALSE;
    // Two layouts exist: version 1 followed by 16-bit width, height, count and ids; or, as the GNU
    // resource compiler writes it, no version and 32-bit width, height, count and ids.
    auto word = [data](size_t i) { return static_cast<UINT>(reinterpret_cast<const WORD*>(data)[i]); };
    auto dword = [data](size_t i) { return static_cast<UINT>(reinterpret_cast<const DWORD*>(data)[i]); };
    UINT width = 0, height = 0;
    std::vector<UINT> ids;
    if (size >= 8 && word(0) == 1 && size >= 8u + 2u * word(3)) {
        width = word(1);
        height = word(2);
        for (UINT i = 0; i < word(3); ++i) ids.push_back(word(4 + i));
    } else if (size >= 12 && size >= 12u + 4u * dword(2)) {
        width = dword(0);
        height = dword(1);
        for (UINT i = 0; i < dword(2); ++i) ids.push_back(dword(3 + i));
    } else {
        return FALSE;
    }
    SetSizes(CSize(static_cast<int>(width) + 7, static_cast<int>(height) + 7),
             CSize(static_cast<int>(width), static_cast<int>(height)));
    if (!LoadBitmap(nIDResource)) return FALSE;
    return SetButtons(ids.data(), static_cast<int>(ids.size()));
}

BOOL CToolBar::LoadBitmap(UINT nIDResource) {
    // The bitmap holds one image per button, side by side; the control draws from it but does not
    // own it, so the bar keeps it.
    CBitmap bitmap;
    if (!bitmap.LoadBitmap(nIDResource)) return FALSE;
    BITMAP info = {};
    bitmap.GetBitmap(&info);
    int images = m_sizeImage.cx > 0 ? info.bmWidth / m_sizeImage.cx : 0;
    TBADDBITMAP add = {nullptr, reinterpret_cast<UINT_PTR>(static_cast<HBITMAP>(bitmap))};
    if (SendMessage(TB_ADDBITMAP, static_cast<WPARAM>(images), reinterpret_cast<LPARAM>(&add)) == -1) return FALSE;
    m_bitmap.DeleteObject();
    m_bitmap.Attach(bitmap.Detach());
    return TRUE;
}

BOOL CToolBar::SetButtons(const UINT* lpIDArray, int nIDCount) {
    while (GetButtonCount() > 0) DeleteButton(0);
    std::vector<TBBUTTON> buttons(static_cast<size_t>(nIDCount));
    int image = 0;
    for (int i = 0; i < nIDCount; ++i) {
        TBBUTTON& button = buttons[static_cast<size_t>(i)];
        button.idCommand = lpIDArray ? static_cast<int>(lpIDArray[i]) : 0;
        if (lpIDArray != nullptr && lpIDArray[i] == ID_SEPARATOR) {
            button.fsStyle = BTNS_SEP;
            button.iBitmap = 8;  // width of the gap
        } else {
            button.fsStyle = BTNS_BUTTON;
            button.fsState = TBSTATE_ENABLED;
            button.iBitmap = image++;
        }
    }
    BOOL added = nIDCount == 0 || AddButtons(nIDCount, buttons.data());
    Reposition();
    return added;
}

void CToolBar::SetSizes(SIZE sizeButton, SIZE sizeImage) {
    m_sizeImage = sizeImage;
    SetBitmapSize(sizeImage);
    SetButtonSize(sizeButton);
}

UINT CToolBar::GetItemID(int nIndex) const {
    TBBUTTON button = {};
    return GetButton(nIndex, &button) ? static_cast<UINT>(button.idCommand) : 0;
}

UINT CToolBar::GetButtonStyle(int nIndex) const {
    TBBUTTON button = {};
    if (!GetButton(nIndex, &button)) return 0;
    return MAKELONG(button.fsStyle, button.fsState ^ TBSTATE_ENABLED);
}

void CToolBar::SetButtonStyle(int nIndex, UINT nStyle) {
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_STYLE | TBIF_STATE | TBIF_BYINDEX;
    info.fsStyle = static_cast<BYTE>(LOWORD(nStyle));
    info.fsState = static_cast<BYTE>(HIWORD(nStyle) ^ TBSTATE_ENABLED);
    SetButtonInfo(nIndex, &info);
}

BOOL CToolBar::SetButtonText(int nIndex, LPCWSTR lpszText) {
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT | TBIF_BYINDEX;
    info.pszText = const_cast<LPWSTR>(lpszText);
    BOOL set = SetButtonInfo(nIndex, &info);
    Reposition();
    return set;
}

CString CToolBar::GetButtonText(int nIndex) const {
    wchar_t text[256] = {};
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT | TBIF_BYINDEX;
    info.pszText = text;
    info.cchText = 256;
    return GetButtonInfo(nIndex, &info) ? CString(text) : CString();
}

CSize CToolBar::CalcFixedLayout() const {
    CRect window;
    GetWindowRect(&window);
    return CSize(window.Width(), window.Height() + m_rcBorders.top + m_rcBorders.bottom);
}

void CToolBar::Reposition() { AutoSize(); }

void CWnd::RepositionBars(UINT nIDFirst, UINT nIDLast, UINT, UINT, LPRECT, LPCRECT, BOOL) {
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        UINT id = static_cast<UINT>(::GetDlgCtrlID(child));
        if (id < nIDFirst || id > nIDLast) continue;
        CWnd* bar = FromHandlePermanent(child);
        if (bar != nullptr && bar->IsKindOf(RUNTIME_CLASS(CToolBar))) static_cast<CToolBar*>(bar)->Reposition();
    }
}

HTREEITEM CTreeCtrl::InsertItem(LPCWSTR lpszItem, HTREEITEM hParent, HTREEITEM hInsertAfter) {
    return InsertItem(TVIF_TEXT, lpszItem, 0, 0, 0, 0, 0, hParent, hInsertAfter);
}

HTREEITEM CTreeCtrl::InsertItem(LPCWSTR lpszItem, int nImage, int nSelectedImage, HTREEITEM hParent,
                                HTREEITEM hInsertAfter) {
    return InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE, lpszItem, nImage, nSelectedImage, 0, 0, 0, hParent,
                      hInsertAfter);
}

HTREEITEM CTreeCtrl::InsertItem(UINT nMask, LPCWSTR lpszItem, int nImage, int nSelectedImage, UINT nState,
                                UINT nStateMask, LPARAM lParam, HTREEITEM hParent, HTREEITEM hInsertAfter) {
    TVINSERTSTRUCTW insert = {};
    insert.hParent = hParent;
    insert.hInsertAfter = hInsertAfter;
    insert.item.mask = nMask;
    insert.item.pszText = const_cast<LPWSTR>(lpszItem);
    insert.item.iImage = nImage;
    insert.item.iSelectedImage = nSelectedImage;
    insert.item.state = nState;
    insert.item.stateMask = nStateMask;
    insert.item.lParam = lParam;
    return InsertItem(&insert);
}

CString CTreeCtrl::GetItemText(HTREEITEM hItem) const {
    // The control copies what fits and does not tell the text's length: a text that fills the
    // buffer may have been cut, so the buffer grows until the text ends short of it.
    for (int capacity = 256;; capacity *= 4) {
        CString text;
        TVITEMW item = {};
        item.mask = TVIF_TEXT;
        item.hItem = hItem;
        item.pszText = text.GetBufferSetLength(capacity);
        item.cchTextMax = capacity;
        if (!GetItem(&item)) return CString();
        text.ReleaseBuffer();
        if (text.GetLength() < capacity - 1 || capacity > kLargestTextBuffer / 4) return text;
    }
}

BOOL CTreeCtrl::SetItemText(HTREEITEM hItem, LPCWSTR lpszItem) {
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.hItem = hItem;
    item.pszText = const_cast<LPWSTR>(lpszItem);
    return SetItem(&item);
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM hItem) const {
    TVITEMW item = {};
    item.mask = TVIF_PARAM;
    item.hItem = hItem;
    return GetItem(&item) ? static_cast<DWORD_PTR>(item.lParam) : 0;
}

BOOL CTreeCtrl::SetItemData(HTREEITEM hItem, DWORD_PTR dwData) {
    TVITEMW item = {};
    item.mask = TVIF_PARAM;
    item.hItem = hItem;
    item.lParam = static_cast<LPARAM>(dwData);
    return SetItem(&item);
}

BOOL CTreeCtrl::SetItemState(HTREEITEM hItem, UINT nState, UINT nStateMask) {
    TVITEMW item = {};
    item.mask = TVIF_STATE;
    item.hItem = hItem;
    item.state = nState;
    item.stateMask = nStateMask;
    return SetItem(&item);
}

BOOL CTreeCtrl::SetItemImage(HTREEITEM hItem, int nImage, int nSelectedImage) {
    TVITEMW item = {};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = hItem;
    item.iImage = nImage;
    item.iSelectedImage = nSelectedImage;
    return SetItem(&item);
}

BOOL CTreeCtrl::GetItemRect(HTREEITEM hItem, LPRECT lpRect, BOOL bTextOnly) const {
    // The message takes the item handle in the rectangle it fills.
    *reinterpret_cast<HTREEITEM*>(lpRect) = hItem;
    return Bool(TVM_GETITEMRECT, bTextOnly, reinterpret_cast<LPARAM>(lpRect));
}

HTREEITEM CTreeCtrl::HitTest(CPoint pt, UINT* pFlags) const {
    TVHITTESTINFO info = {};
    info.pt = pt;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessage(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    if (pFlags != nullptr) *pFlags = info.flags;
    return item;
}

CImageList* CTreeCtrl::SetImageList(CImageList* pImageList, int nImageListType) {
    return CImageList::FromHandle(reinterpret_cast<HIMAGELIST>(
        SendMessage(TVM_SETIMAGELIST, static_cast<WPARAM>(nImageListType),
                    reinterpret_cast<LPARAM>(pImageList->GetSafeHandle()))));
}

CImageList* CTreeCtrl::GetImageList(int nImageListType) const {
    return CImageList::FromHandle(
        reinterpret_cast<HIMAGELIST>(SendMessage(TVM_GETIMAGELIST, static_cast<WPARAM>(nImageListType))));
}

int CListCtrl::InsertColumn(int nCol, LPCWSTR lpszColumnHeading, int nFormat, int nWidth, int nSubItem) {
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_FMT;
    column.fmt = nFormat;
    column.pszText = const_cast<LPWSTR>(lpszColumnHeading);
    if (nWidth != -1) {
        column.mask |= LVCF_WIDTH;
        column.cx = nWidth;
    }
    if (nSubItem != -1) {
        column.mask |= LVCF_SUBITEM;
        column.iSubItem = nSubItem;
    }
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(nCol), reinterpret_cast<LPARAM>(&column)));
}

int CListCtrl::InsertItem(int nItem, LPCWSTR lpszItem) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = nItem;
    item.pszText = const_cast<LPWSTR>(lpszItem);
    return InsertItem(&item);
}

int CListCtrl::InsertItem(int nItem, LPCWSTR lpszItem, int nImage) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = nItem;
    item.pszText = const_cast<LPWSTR>(lpszItem);
    item.iImage = nImage;
    return InsertItem(&item);
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, LPCWSTR lpszText) {
    LVITEMW item = {};
    item.iSubItem = nSubItem;
    item.pszText = const_cast<LPWSTR>(lpszText);
    return Bool(LVM_SETITEMTEXTW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item));
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const {
    // As for the tree: grow the buffer until the copied text ends short of it.
    for (int capacity = 256;; capacity *= 4) {
        CString text;
        LVITEMW item = {};
        item.iSubItem = nSubItem;
        item.pszText = text.GetBufferSetLength(capacity);
        item.cchTextMax = capacity;
        int length = static_cast<int>(SendMessage(LVM_GETITEMTEXTW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
        text.ReleaseBuffer(length);
        if (length < capacity - 1 || capacity > kLargestTextBuffer / 4) return text;
    }
}

BOOL CListCtrl::SetItemData(int nItem, DWORD_PTR dwData) {
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    item.lParam = static_cast<LPARAM>(dwData);
    return Bool(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

DWORD_PTR CListCtrl::GetItemData(int nItem) const {
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    return Bool(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? static_cast<DWORD_PTR>(item.lParam) : 0;
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask) {
    LVITEMW item = {};
    item.state = nState;
    item.stateMask = nMask;
    return Bool(LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item));
}

CImageList* CListCtrl::SetImageList(CImageList* pImageList, int nImageListType) {
    return CImageList::FromHandle(reinterpret_cast<HIMAGELIST>(
        SendMessage(LVM_SETIMAGELIST, static_cast<WPARAM>(nImageListType),
                    reinterpret_cast<LPARAM>(pImageList->GetSafeHandle()))));
}

int CListCtrl::HitTest(CPoint pt, UINT* pFlags) const {
    LVHITTESTINFO info = {};
    info.pt = pt;
    int item = static_cast<int>(SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    if (pFlags != nullptr) *pFlags = info.flags;
    return item;
}

BOOL CListCtrl::GetItemRect(int nItem, LPRECT lpRect, UINT nCode) const {
    lpRect->left = static_cast<LONG>(nCode);
    return Bool(LVM_GETITEMRECT, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(lpRect));
}

LONG CTabCtrl::InsertItem(int nItem, LPCWSTR lpszItem) {
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<LPWSTR>(lpszItem);
    return static_cast<LONG>(SendMessage(TCM_INSERTITEMW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

LONG CTabCtrl::InsertItem(int nItem, LPCWSTR lpszItem, int nImage) {
    TCITEMW item = {};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<LPWSTR>(lpszItem);
    item.iImage = nImage;
    return static_cast<LONG>(SendMessage(TCM_INSERTITEMW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

CImageList* CTabCtrl::SetImageList(CImageList* pImageList) {
    return CImageList::FromHandle(reinterpret_cast<HIMAGELIST>(
        SendMessage(TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(pImageList->GetSafeHandle()))));
}
