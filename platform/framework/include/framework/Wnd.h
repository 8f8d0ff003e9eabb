// CWnd: one object per window handle, receiving the window's messages through its message map.
//
// A window becomes "permanent" when it is created through the object, subclassed or attached:
// the handle map then leads from the handle to the object, and the framework's window procedure,
// installed in place of the class's, hands every message to WindowProc. FromHandle on any other
// handle gives a temporary wrapper that lives until the thread next goes idle.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <framework/CmdTarget.h>
#include <framework/Geometry.h>
#include <framework/String.h>

// A function-like convenience macro of the Win32 headers that would take over the member of its name.
#undef GetNextWindow

// Tool flags of OnToolHitTest beyond the tooltip control's own: a button press leaves the tip up
// (TTF_NOTBUTTON), and the tip closes as soon as the pointer leaves the tool (TTF_CLOSEONLEAVE). The
// framework strips them before the tool reaches the control.
constexpr UINT TTF_NOTBUTTON = 0x80000000u;
constexpr UINT TTF_CLOSEONLEAVE = 0x40000000u;
// Asked of a window in context-help mode: the help context id of the point in lParam.
constexpr UINT WM_HELPHITTEST = 0x0366;

class CDC;
class CFont;
class CMenu;
class CBitmap;
class CRgn;
class CScrollBar;

class CWnd : public CCmdTarget {
    DECLARE_DYNCREATE(CWnd)
public:
    CWnd() = default;
    explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    // Stand-ins for the z-order handles that SetWindowPos takes.
    static const CWnd wndTop;
    static const CWnd wndBottom;
    static const CWnd wndTopMost;
    static const CWnd wndNoTopMost;

    // Handle map.
    static CWnd* FromHandle(HWND hWnd);
    static CWnd* FromHandlePermanent(HWND hWnd);
    BOOL Attach(HWND hWndNew);
    HWND Detach();
    // Null for a null object, so it may be called through a pointer that may be null.
    HWND GetSafeHwnd() const;
    operator HWND() const { return GetSafeHwnd(); }

    // Creation.
    virtual BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                        CWnd* pParentWnd, UINT nID, void* pContext = nullptr);
    virtual BOOL CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, int x,
                          int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam = nullptr);
    virtual BOOL CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                          const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr);
    virtual BOOL DestroyWindow();
    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);

    // Subclassing: the window keeps its class; its messages reach this object first, and Default
    // hands them to the procedure it had before.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow();

    // Message processing, in the order a message meets them.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override;
    // The current message handed to the procedure the window had before (or DefWindowProc).
    LRESULT Default();
    // Offers the message being processed to the control hWndChild, as a reflected message.
    static BOOL ReflectLastMsg(HWND hWndChild, LRESULT* pResult = nullptr);
    BOOL SendChildNotifyLastMsg(LRESULT* pResult = nullptr);
    static const MSG* GetCurrentMessage();

    // Modal loop shared by dialogs: runs while m_bContinueModal holds (the caller sets it), pre-translating
    // each message, and returns the result EndModalLoop was given.
    int RunModalLoop(DWORD dwFlags = 0);
    virtual BOOL ContinueModal();
    virtual void EndModalLoop(int nResult);

    // Messages.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL SendNotifyMessage(UINT message, WPARAM wParam, LPARAM lParam) const;
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL bDeep = TRUE) const;

    // Styles and state.
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    // Disabling the window that holds the focus (or a window around it) first moves the focus to
    // the next control of its dialog that can take it, as Tab would.
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsIconic() const;
    BOOL IsZoomed() const;
    BOOL IsChild(const CWnd* pWnd) const;
    int GetDlgCtrlID() const;
    int SetDlgCtrlID(int nID);

    // Geometry.
    void GetWindowRect(LPRECT lpRect) const;
    void GetClientRect(LPRECT lpRect) const;
    void ClientToScreen(LPPOINT lpPoint) const;
    void ClientToScreen(LPRECT lpRect) const;
    void ScreenToClient(LPPOINT lpPoint) const;
    void ScreenToClient(LPRECT lpRect) const;
    void MapWindowPoints(CWnd* pwndTo, LPRECT lpRect) const;
    void MapWindowPoints(CWnd* pwndTo, LPPOINT lpPoint, UINT nCount) const;
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    void CenterWindow(CWnd* pAlternateOwner = nullptr);
    void BringWindowToTop();
    BOOL GetWindowPlacement(WINDOWPLACEMENT* lpwndpl) const;
    BOOL SetWindowPlacement(const WINDOWPLACEMENT* lpwndpl);
    int SetWindowRgn(HRGN hRgn, BOOL bRedraw);

    // Text and fonts.
    void SetWindowText(LPCWSTR lpszString);
    int GetWindowText(LPWSTR lpszStringBuf, int nMaxCount) const;
    void GetWindowText(CString& rString) const;
    int GetWindowTextLength() const;
    void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
    CFont* GetFont() const;

    // Dialog items.
    CWnd* GetDlgItem(int nID) const;
    void SetDlgItemText(int nID, LPCWSTR lpszString);
    int GetDlgItemText(int nID, CString& rString) const;
    int GetDlgItemText(int nID, LPWSTR lpStr, int nMaxCount) const;
    void SetDlgItemInt(int nID, UINT nValue, BOOL bSigned = TRUE);
    UINT GetDlgItemInt(int nID, BOOL* lpTrans = nullptr, BOOL bSigned = TRUE) const;
    void CheckDlgButton(int nIDButton, UINT nCheck);
    UINT IsDlgButtonChecked(int nIDButton) const;
    void CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton);
    int GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton) const;
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    CWnd* GetNextDlgTabItem(CWnd* pWndCtl, BOOL bPrevious = FALSE) const;
    CWnd* GetNextDlgGroupItem(CWnd* pWndCtl, BOOL bPrevious = FALSE) const;

    // Relations.
    CWnd* GetParent() const;
    CWnd* SetParent(CWnd* pWndNewParent);
    CWnd* GetOwner() const;
    void SetOwner(CWnd* pOwnerWnd);
    CWnd* GetTopLevelParent() const;
    CWnd* GetWindow(UINT nCmd) const;
    CWnd* GetNextWindow(UINT nFlag = GW_HWNDNEXT) const;
    CWnd* GetTopWindow() const;
    static CWnd* GetDesktopWindow();
    static CWnd* FindWindow(LPCWSTR lpszClassName, LPCWSTR lpszWindowName);
    static CWnd* WindowFromPoint(POINT point);
    CWnd* ChildWindowFromPoint(POINT point) const;

    // Painting.
    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
    void InvalidateRgn(CRgn* pRgn, BOOL bErase = TRUE);
    void ValidateRect(LPCRECT lpRect);
    void UpdateWindow();
    BOOL RedrawWindow(LPCRECT lpRectUpdate = nullptr, CRgn* prgnUpdate = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    BOOL GetUpdateRect(LPRECT lpRect, BOOL bErase = FALSE);
    void SetRedraw(BOOL bRedraw = TRUE);
    CDC* GetDC();
    CDC* GetWindowDC();
    int ReleaseDC(CDC* pDC);
    CDC* BeginPaint(LPPAINTSTRUCT lpPaint);
    void EndPaint(LPPAINTSTRUCT lpPaint);
    void ScrollWindow(int xAmount, int yAmount, LPCRECT lpRect = nullptr, LPCRECT lpClipRect = nullptr);
    int ScrollWindowEx(int dx, int dy, LPCRECT lpRectScroll, LPCRECT lpRectClip, CRgn* prgnUpdate,
                       LPRECT lpRectUpdate, UINT flags);
    BOOL LockWindowUpdate();
    void UnlockWindowUpdate();

    // Focus, activation and capture.
    CWnd* SetFocus();
    static CWnd* GetFocus();
    CWnd* SetCapture();
    static CWnd* GetCapture();
    CWnd* SetActiveWindow();
    static CWnd* GetActiveWindow();
    BOOL SetForegroundWindow();
    static CWnd* GetForegroundWindow();

    // Timers: WM_TIMER arrives at OnTimer unless a procedure is given.
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = nullptr);
    BOOL KillTimer(UINT_PTR nIDEvent);

    // Scroll bars of the window itself (SB_HORZ, SB_VERT) or of a scroll-bar control (SB_CTL). A window
    // whose GetScrollBarCtrl names a sibling scroll-bar control for a bar uses that control instead.
    virtual CScrollBar* GetScrollBarCtrl(int nBar) const;
    BOOL SetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, BOOL bRedraw = TRUE);
    BOOL GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask = SIF_ALL) const;
    int SetScrollPos(int nBar, int nPos, BOOL bRedraw = TRUE);
    int GetScrollPos(int nBar) const;
    void SetScrollRange(int nBar, int nMinPos, int nMaxPos, BOOL bRedraw = TRUE);
    void GetScrollRange(int nBar, LPINT lpMinPos, LPINT lpMaxPos) const;
    int GetScrollLimit(int nBar) const;
    void ShowScrollBar(UINT nBar, BOOL bShow = TRUE);
    BOOL EnableScrollBar(int nSBFlags, UINT nArrowFlags = ESB_ENABLE_BOTH);

    // Caret.
    void CreateSolidCaret(int nWidth, int nHeight);
    void CreateGrayCaret(int nWidth, int nHeight);
    void CreateCaret(CBitmap* pBitmap);
    void ShowCaret();
    void HideCaret();
    static void SetCaretPos(POINT point);
    static CPoint GetCaretPos();

    // Menus and icons.
    CMenu* GetMenu() const;
    BOOL SetMenu(CMenu* pMenu);
    void DrawMenuBar();
    CMenu* GetSystemMenu(BOOL bRevert) const;
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    HICON GetIcon(BOOL bBigIcon) const;

    // Tooltips driven by hit testing: while enabled, mouse messages for this window (walked by the
    // framework's loops) ask OnToolHitTest which tool is under the pointer; a change of tool shows the
    // thread's tooltip for the new one, whose text request (TTN_NEEDTEXT) comes to the tool's window.
    BOOL EnableToolTips(BOOL bEnable = TRUE);
    BOOL ToolTipsEnabled() const { return m_bToolTips; }
    // Returns the tool id under point (client coordinates) and fills pTI, or -1 for none. The default
    // names the child window under the point, by its handle.
    virtual INT_PTR OnToolHitTest(CPoint point, TOOLINFOW* pTI) const;
    static void CancelToolTips(BOOL bKeys = FALSE);

    // Lays out the control bars (toolbars) among the children with ids nIDFirst..nIDLast along the
    // client area's edges. The remaining arguments are kept for familiarity; the bars place themselves.
    void RepositionBars(UINT nIDFirst, UINT nIDLast, UINT nIDLeftOver, UINT nFlag = 0, LPRECT lpRectParam = nullptr,
                        LPCRECT lpRectClient = nullptr, BOOL bStretch = TRUE);

    int MessageBox(LPCWSTR lpszText, LPCWSTR lpszCaption = nullptr, UINT nType = MB_OK);
    void DragAcceptFiles(BOOL bAccept = TRUE);
    BOOL FlashWindow(BOOL bInvert);
    BOOL ShowOwnedPopups(BOOL bShow = TRUE);

protected:
    // The procedure the window had before it was subclassed; Default and DefWindowProc call it.
    WNDPROC m_pfnSuper = nullptr;

    // The object is deleted by whoever owns it unless PostNcDestroy says otherwise.
    virtual void PostNcDestroy();
    virtual void PreSubclassWindow();
    // Where a subclassed window's original procedure is kept; returns a pointer to the variable.
    virtual WNDPROC* GetSuperWndProcAddr();

    // Message handlers: each default hands the message to Default (reflecting to controls where the
    // message is a control's request).
    BOOL OnNcCreate(LPCREATESTRUCT lpCreateStruct);
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnDestroy();
    void OnNcDestroy();
    void OnClose();
    void OnPaint();
    void OnNcPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnSize(UINT nType, int cx, int cy);
    void OnMove(int x, int y);
    void OnTimer(UINT_PTR nIDEvent);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnRButtonUp(UINT nFlags, CPoint point);
    void OnRButtonDblClk(UINT nFlags, CPoint point);
    void OnMButtonDown(UINT nFlags, CPoint point);
    void OnMButtonUp(UINT nFlags, CPoint point);
    void OnMouseHover(UINT nFlags, CPoint point);
    void OnMouseLeave();
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    void OnNcMouseMove(UINT nHitTest, CPoint point);
    void OnNcLButtonDown(UINT nHitTest, CPoint point);
    void OnNcLButtonUp(UINT nHitTest, CPoint point);
    void OnNcLButtonDblClk(UINT nHitTest, CPoint point);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnSysKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnSysChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnSetFocus(CWnd* pOldWnd);
    void OnKillFocus(CWnd* pNewWnd);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    UINT OnGetDlgCode();
    void OnShowWindow(BOOL bShow, UINT nStatus);
    void OnWindowPosChanging(WINDOWPOS* lpwndpos);
    void OnWindowPosChanged(WINDOWPOS* lpwndpos);
    void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    HCURSOR OnQueryDragIcon();
    void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    void OnInitMenu(CMenu* pMenu);
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnContextMenu(CWnd* pWnd, CPoint pos);
    LRESULT OnNcHitTest(CPoint point);
    void OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp);
    int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);
    void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    void OnActivateApp(BOOL bActive, DWORD dwThreadID);
    void OnEnable(BOOL bEnable);
    void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    void OnCaptureChanged(CWnd* pWnd);
    void OnCancelMode();
    void OnSysColorChange();
    BOOL OnCopyData(CWnd* pWnd, COPYDATASTRUCT* pCopyDataStruct);
    BOOL OnHelpInfo(HELPINFO* pHelpInfo);
    void OnDropFiles(HDROP hDropInfo);
    void OnParentNotify(UINT message, LPARAM lParam);

    // The modal loop runs while m_bContinueModal holds; EndModalLoop clears it and sets the result.
    bool m_bContinueModal = false;
    bool m_bToolTips = false;
    int m_nModalResult = -1;

    DECLARE_MESSAGE_MAP()

private:
    friend struct WndInternals;
};

// Registers a window class whose procedure is DefWindowProc, for windows that CWnd subclasses at
// creation. The returned name stays valid for the process; the same arguments give the same name.
LPCWSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr, HBRUSH hbrBackground = nullptr,
                            HICON hIcon = nullptr);
BOOL AfxRegisterClass(WNDCLASSW* lpWndClass);
// The framework's window procedure: it hands each message to the window's object. Classes may name
// it as their procedure; DefWindowProc serves as well, since objects subclass their windows at creation.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// Offers a message to PreTranslateMessage of each window from its target up to, and including,
// hWndStop (the target's top-level window when null). TRUE when one of them consumed it.
BOOL AfxPreTranslateMessage(MSG* pMsg, HWND hWndStop = nullptr);
// Deletes the temporary wrappers FromHandle made on this thread; the loops call it when idle.
void AfxDeleteTempObjects();
