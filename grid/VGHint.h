// CVGHint: a small topmost popup with a thin border that shows one line of text beside a scroll bar
// while its thumb is dragged. Positions are the grid window's client coordinates; the hint stays
// inside that client area.
#pragma once

#include <framework/Framework.h>

class CVGCtrl;

// Alignment flags: where the given x and y lie on the hint.
enum : int {
    VGHINT_RIGHT = 0x2,     // x is the right edge
    VGHINT_CENTRE = 0x4,    // x is the centre (else the left edge)
    VGHINT_BOTTOM = 0x10,   // y is the bottom
    VGHINT_VCENTRE = 0x20,  // y is the vertical centre (else the top)
};

class CVGHint : public CWnd {
    DECLARE_DYNAMIC(CVGHint)

public:
    int CreateHintWindow(CVGCtrl* grid, HBRUSH background);
    int PutHintText(LPCWSTR text, int redraw);
    int PutHintAlignment(int flags);
    int PlaceHint(int x, int y, int minimumWidth);
    int ShowHintNoActivate();
    int HideHint();
    // Shows the text beside a scroll bar whose thumb is dragged: left of a vertical bar level with
    // the pointer, or above a horizontal one at the pointer's x.
    void ShowBesideThumb(CWnd* bar, bool vertical, int alignment, const CString& text);
    void PutHintFont(CFont* font) { m_pFont = font; }
    const CString& HintText() const { return m_text; }
    int LineHeight() const { return m_lineHeight; }

protected:
    void OnPaint();

    DECLARE_MESSAGE_MAP()

private:
    CVGCtrl* m_pGrid = nullptr;
    CString m_text;
    COLORREF m_textColor = RGB(0, 0, 0);
    COLORREF m_backColor = 0xE0FFFF;
    int m_alignment = 1;
    CFont* m_pFont = nullptr;
    int m_lineHeight = 0;
};
