// CHexEditWnd: a byte buffer shown as rows of an address, hex digit pairs and characters, with a
// nibble caret, mouse and Shift selection, auto-scroll while dragging past the top or bottom, and
// copy and paste through the clipboard ("BinaryData" and text). The buffer never grows: typing and
// pasting overwrite in place.
//
// It reaches a window by Create (class "CHexEditWnd"), by naming "CHexEditWnd_SC" in a dialog
// template (that class's procedure makes the object, which deletes itself with its window), or by
// subclassing a control; a multi-line window (ES_MULTILINE) shows rows and scroll bars, a single-line
// one the whole buffer as one row.
#pragma once

#include <framework/Framework.h>

#include "hexedit/HexEditLayout.h"

// The familiar edit command ids, shared with menus and accelerators.
#ifndef ID_EDIT_COPY
#define ID_EDIT_COPY 0xE122
#endif
#ifndef ID_EDIT_PASTE
#define ID_EDIT_PASTE 0xE125
#endif
#ifndef ID_EDIT_SELECT_ALL
#define ID_EDIT_SELECT_ALL 0xE12A
#endif

class CHexEditWnd : public CWnd {
    DECLARE_DYNCREATE(CHexEditWnd)
public:
    CHexEditWnd();
    ~CHexEditWnd() override;

    // Registers "CHexEditWnd" and "CHexEditWnd_SC" in this module unless they are there already;
    // throws the resource exception when a registration fails.
    static void RegisterWindowClass();

    BOOL Create(LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
                void* pContext = nullptr);
    using CWnd::Create;
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // The buffer shown. With takeOwnership the control frees it (delete[]) when it is replaced or
    // the control goes; otherwise the caller keeps it alive while it is shown. Caret, selection and
    // scroll position start over.
    void SetData(BYTE* data, int length, bool takeOwnership, bool redraw = true);
    const BYTE* GetData() const { return m_state.data; }
    int GetDataLength() const { return m_state.dataLength; }

    void SetAddressSize(BYTE digits, bool redraw);
    void SetShowAddress(bool show, bool redraw);
    void SetShowAscii(bool show, bool redraw);
    void SetBytesPerRow(int count, bool automatic, bool redraw);
    virtual void SetReadOnly(bool readOnly, bool redraw);
    void SetBackgroundColor(COLORREF color, bool redraw);
    void SetSelection(int begin, int end, bool ensureVisible, bool redraw);
    void SelectAll();
    void GetSelection(int& begin, int& end) const { begin = m_state.selBegin; end = m_state.selEnd; }
    void SetContextMenuTexts(LPCWSTR copyText, LPCWSTR pasteText);

    void Copy();
    void Paste();

    // Everything the control knows, for whoever lays out or inspects it.
    const HexEditState& State() const { return m_state; }

protected:
    // Called with the finished context menu just before it shows, so a derived class can add items.
    virtual void OnExtendContextMenu(CMenu& menu);
    void PostNcDestroy() override;

    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnSize(UINT nType, int cx, int cy);
    LRESULT OnUpdateScrollBars(WPARAM, LPARAM);
    LRESULT OnSetFont(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetFont(WPARAM, LPARAM);
    void OnSetFocus(CWnd* pOldWnd);
    void OnKillFocus(CWnd* pNewWnd);
    UINT OnGetDlgCode();
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnCaptureChanged(CWnd* pWnd);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    void OnTimer(UINT_PTR nIDEvent);
    void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void OnContextMenu(CWnd* pWnd, CPoint pos);
    void OnEditCopy() { Copy(); }
    void OnEditPaste() { Paste(); }
    void OnEditSelectAll() { SelectAll(); }
    void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    friend LRESULT CALLBACK HexEditSelfCreatingProc(HWND, UINT, WPARAM, LPARAM);

    bool MultiLine() const { return (GetStyle() & ES_MULTILINE) != 0; }
    // Layout with the control's font in a DC (a client DC when none is given).
    void Relayout(CDC* pDC = nullptr);
    void RelayoutIfPending();
    // After a setting changed: layout pending, caret re-placed, repainted when asked.
    void SettingChanged(bool redraw);
    void UpdateScrollBars();
    void SetTopRow(int row, bool redraw);
    void SetHScroll(int x, bool redraw);
    void StepRows(int delta);
    void StepHScroll(int delta);
    // Where the user drags a scroll bar's thumb, all 32 bits of it.
    int TrackPosition(int bar) const;
    void PlaceCaret(int pos, bool highNibble);
    void DestroyCaretIfOwned();
    // A caret move of the keyboard's rules; with Shift held and an anchor, the selection follows.
    void MoveCaret(int delta, bool highAfter);
    // A click's start: the focus, then the caret on the nibble under the point; false without a buffer.
    bool FocusAndPlaceCaretAt(CPoint point);
    // The caret, the drag's moving end and the selection follow the pointer.
    void FollowPointer(CPoint point);
    void StartAutoScroll(CPoint point, int direction, short reload);
    void StopAutoScroll();
    void NotifyChange();
    void FreeData();

    // Drawing, one column at a time, into the off-screen DC.
    void DrawRows(CDC& dc, bool focused);
    void DrawHexRow(CDC& dc, int y, int firstByte, int lastByte, bool showSelection, bool focused);

    HexEditState m_state;
    CString m_copyText = L"Copy";
    CString m_pasteText = L"Paste";
    CFont m_font;
};
