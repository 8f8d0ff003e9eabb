// CTreeTableCtrl: the window-class-library face of a "TreeTable" window. Every tree control
// operation works as on CTreeCtrl (the window answers the tree-view messages); this class adds
// creation under the "TreeTable" class, columns, per-column texts and colours, the extended style
// and the caller-data size. It keeps nothing of its own: each call is one message to its window.
#pragma once

#include <framework/Framework.h>

#include "TreeTable.h"

class CTreeTableCtrl : public CTreeCtrl {
    DECLARE_DYNAMIC(CTreeTableCtrl)
public:
    CTreeTableCtrl() = default;
    ~CTreeTableCtrl() override = default;

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    // InsertItem: CTreeCtrl's forms (the full one, and text with images: mask 0x23) are this
    // window's too.

    // The window's own stored text (valid until the text changes or the item goes), or null when the
    // item or column is unknown.
    LPCWSTR GetItemText(HTREEITEM hItem, int nColumn) const;
    using CTreeCtrl::GetItemText;
    // 0 on success, as the window answers.
    LRESULT SetItemText(HTREEITEM hItem, LPCWSTR lpszText, int nColumn);
    using CTreeCtrl::SetItemText;
    LRESULT SetItem(HTREEITEM hItem, int nColumn, UINT nMask, LPCWSTR lpszText, int nImage, int nSelectedImage,
                    UINT nState, UINT nStateMask, LPARAM lParam);
    using CTreeCtrl::SetItem;

    // A negative width is a weight; an order other than 0x8000 is the minimum width.
    int InsertColumn(int nColumn, LPCWSTR lpszText, int nFormat = LVCFMT_LEFT, int nWidth = -1, int nOrder = 0x8000);
    int InsertColumn(int nColumn, const LVCOLUMNW* pColumn);
    void SetColumnText(int nColumn, LPCWSTR lpszText);
    BOOL SetColumn(int nColumn, const LVCOLUMNW* pColumn);
    BOOL SetColumnWidth(int nColumn, int nWidth);
    COLORREF SetItemTextColor(HTREEITEM hItem, int nColumn, COLORREF color);
    DWORD SetExtendedStyle(DWORD dwStyle);
    int SetUserDataSize(int nBytes);

protected:
    // The window answers TVM_SETITEMW with 0 for success and -1 for an unknown item or column, the
    // opposite of the common control: CTreeCtrl's setters (SetItem, SetItemText, SetItemData,
    // SetItemState, SetItemImage) read it here, whichever class they are called through.
    BOOL SetItemSucceeded(LRESULT answer) const override { return answer == 0; }
};
