// CVGTab: the sheet-tab strip left of the horizontal scroll bar (section 7).
//
// Up to 64 tabs in a strip with a small scroll bar of its own; a clicked tab becomes current and is
// reported to the grid by its id. The strip's right edge can be dragged to change its width (never
// below 40 pixels); its width lives in the sheet's settings (0: no strip).
#pragma once

#include <framework/Framework.h>

class CVGCtrl;
class CVGGridInfo;

class CVGTab : public CWnd {
    DECLARE_DYNAMIC(CVGTab)

public:
    static constexpr int kMaxTabs = 64;

    CVGTab();
    void SetOwner(CVGCtrl* grid) { m_pGrid = grid; }
    void SetInfo(CVGGridInfo* info) { m_pInfo = info; }

    virtual void SetStripWidth(int width);
    virtual void RefreshNow();
    void RecomputeScrollLimit();

    // The tabs: the grid (or a caller) fills them. 1 when the strip is full.
    int AddTab(LPCWSTR label, int id, int width, COLORREF text, COLORREF back, COLORREF currentText,
               COLORREF currentBack);
    int TabCount() const { return m_count; }
    int CurrentTab() const { return m_current; }
    int ScrollOffset() const { return m_offset; }
    int LargestOffset() const { return m_largestOffset; }
    // The tab under a client x, -1 for none (the later of two overlapping tabs).
    int TabAt(int x) const;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;

protected:
    void OnPaint();
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnSize(UINT nType, int cx, int cy);
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnRButtonDown(UINT nFlags, CPoint point);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);

    DECLARE_MESSAGE_MAP()

private:
    void DrawTab(CDC* dc, int index, int x, const RECT& client, bool current);

    CScrollBar m_bar;
    CFont m_font;
    CFont* m_pFont = nullptr;
    CString m_labels[kMaxTabs];
    int m_widths[kMaxTabs] = {};
    int m_ids[kMaxTabs] = {};
    COLORREF m_textColors[kMaxTabs] = {};
    COLORREF m_backColors[kMaxTabs] = {};
    COLORREF m_currentTextColors[kMaxTabs] = {};
    COLORREF m_currentBackColors[kMaxTabs] = {};
    int m_count = 0;
    int m_offset = 0;
    int m_largestOffset = 0;
    int m_current = 0;
    int m_barWidth = 0;
    int m_armed = 0;
    int m_resizing = 0;
    CVGCtrl* m_pGrid = nullptr;
    CVGGridInfo* m_pInfo = nullptr;
};
