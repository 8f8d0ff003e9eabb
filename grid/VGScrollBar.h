// CVGScrollBar: what the grid's two scroll bars share. Each reports to the grid under its own
// section: its right-click menu, its help context (that of the current cell) and, when the sheet
// asks for one, the tooltip support of a bar whose thumb names what it would scroll to.
#pragma once

#include <framework/Framework.h>

class CVGCtrl;
class CVGGridInfo;

// The step code (0 back, 1 on, 2 page back, 3 page on, 4 first, 5 last) of a scroll-bar code, -1
// for the thumb codes and others.
int ScrollStepCode(UINT code);

class CVGScrollBar : public CScrollBar {
    DECLARE_DYNAMIC(CVGScrollBar)

public:
    void SetOwner(CVGCtrl* grid) { m_pGrid = grid; }
    // A new sheet: the next update sets the range again.
    void SetInfo(CVGGridInfo* info);

protected:
    // section: the bar's section in the grid's hooks (horizontal or vertical scroll bar).
    explicit CVGScrollBar(int section) : m_section(section) {}

    // Whether the sheet wants a hint beside the dragged thumb of this bar.
    virtual bool ThumbTipEnabled() const = 0;
    // Forgets the range set for the previous sheet.
    virtual void ForgetRange() = 0;
    // Every scroll code starts alike: the cell area takes the focus and the move is a scroll.
    void BeginScrollMove();

    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnRButtonDown(UINT nFlags, CPoint point);
    BOOL OnHelpInfo(HELPINFO* pHelpInfo);
    LRESULT OnHelpHitTest(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

    CVGCtrl* m_pGrid = nullptr;
    CVGGridInfo* m_pInfo = nullptr;

private:
    // The help context of the current cell, asked for this bar's section.
    DWORD CurrentHelpContextId() const;

    const int m_section;
};
