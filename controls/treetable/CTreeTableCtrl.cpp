#include "CTreeTableCtrl.h"

#include <cwchar>

IMPLEMENT_DYNAMIC(CTreeTableCtrl, CTreeCtrl)

namespace {

WPARAM ItemAndColumn(HTREEITEM hItem, int nColumn) {
    return (reinterpret_cast<WPARAM>(hItem) & 0xFFFFFF) | (static_cast<WPARAM>(nColumn & 0xFF) << 24);
}

}  // namespace

BOOL CTreeTableCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    RegisterTreeTableClass(AfxGetInstanceHandle());
    return CWnd::Create(kTreeTableClassName, nullptr, dwStyle, rect, pParentWnd, nID);
}

LPCWSTR CTreeTableCtrl::GetItemText(HTREEITEM hItem, int nColumn) const {
    TVITEMW item{};
    item.mask = TVIF_TEXT | TVIF_TLCOLUMN | TVIF_TLTEXTPTR;
    item.hItem = hItem;
    item.cChildren = nColumn;
    if (!SendMessage(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return item.pszText;
}

LRESULT CTreeTableCtrl::SetItemText(HTREEITEM hItem, LPCWSTR lpszText, int nColumn) {
    return SetItem(hItem, nColumn, TVIF_TEXT, lpszText, 0, 0, 0, 0, 0);
}

LRESULT CTreeTableCtrl::SetItem(HTREEITEM hItem, int nColumn, UINT nMask, LPCWSTR lpszText, int nImage,
                                int nSelectedImage, UINT nState, UINT nStateMask, LPARAM lParam) {
    TVITEMW item{};
    item.mask = nMask | TVIF_TLCOLUMN;
    item.hItem = hItem;
    item.pszText = const_cast<LPWSTR>(lpszText);
    item.cchTextMax = lpszText ? 256 : 0;
    item.iImage = nImage;
    item.iSelectedImage = nSelectedImage;
    item.state = nState;
    item.stateMask = nStateMask;
    item.lParam = lParam;
    item.cChildren = nColumn;
    return SendMessage(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

int CTreeTableCtrl::InsertColumn(int nColumn, LPCWSTR lpszText, int nFormat, int nWidth, int nOrder) {
    LVCOLUMNW column{};
    if (lpszText) {
        column.mask |= TLCF_TEXT;
        column.pszText = const_cast<LPWSTR>(lpszText);
        column.cchTextMax = 256;
    }
    if (nFormat >= 0) {
        column.mask |= TLCF_FMT;
        column.fmt = nFormat;
    }
    if (nWidth >= 0) {
        column.mask |= TLCF_WIDTH;
        column.cx = nWidth;
    } else {
        column.mask |= TLCF_WEIGHT;
        column.cx = -nWidth;
    }
    if (nOrder != 0x8000) {
        column.mask |= TLCF_MINWIDTH;
        column.iOrder = nOrder;
    }
    return InsertColumn(nColumn, &column);
}

int CTreeTableCtrl::InsertColumn(int nColumn, const LVCOLUMNW* pColumn) {
    return static_cast<int>(SendMessage(TLM_INSERTCOLUMN, static_cast<WPARAM>(nColumn), reinterpret_cast<LPARAM>(pColumn)));
}

void CTreeTableCtrl::SetColumnText(int nColumn, LPCWSTR lpszText) {
    LVCOLUMNW column{};
    column.mask = TLCF_TEXT;
    column.pszText = const_cast<LPWSTR>(lpszText);
    column.cchTextMax = lpszText ? static_cast<int>(std::wcslen(lpszText)) : 0;
    SendMessage(TLM_SETCOLUMN, static_cast<WPARAM>(nColumn), reinterpret_cast<LPARAM>(&column));
}

BOOL CTreeTableCtrl::SetColumn(int nColumn, const LVCOLUMNW* pColumn) {
    return static_cast<BOOL>(SendMessage(TLM_SETCOLUMN, static_cast<WPARAM>(nColumn), reinterpret_cast<LPARAM>(pColumn)));
}

BOOL CTreeTableCtrl::SetColumnWidth(int nColumn, int nWidth) {
    return static_cast<BOOL>(SendMessage(TLM_SETCOLUMNWIDTH, static_cast<WPARAM>(nColumn), nWidth));
}

COLORREF CTreeTableCtrl::SetItemTextColor(HTREEITEM hItem, int nColumn, COLORREF color) {
    return static_cast<COLORREF>(SendMessage(TLM_SETITEMTEXTCOLOR, ItemAndColumn(hItem, nColumn),
                                             static_cast<LPARAM>(static_cast<LONG>(color))));
}

DWORD CTreeTableCtrl::SetExtendedStyle(DWORD dwStyle) {
    return static_cast<DWORD>(SendMessage(TVM_SETEXTENDEDSTYLE, 0, static_cast<LPARAM>(dwStyle)));
}

int CTreeTableCtrl::SetUserDataSize(int nBytes) {
    return static_cast<int>(SendMessage(TLM_SETUSERDATASIZE, 0, nBytes));
}
