// The tips the grid's sections show for the cell under the pointer: a tip appears once the pointer
// rests on the same cell over two hit tests, and its text comes from the grid when the tooltip asks.
#pragma once

#include <framework/Framework.h>

namespace VGToolTips {

// The cell the previous hit test of a window class found; each class keeps one for the process.
struct LastCell {
    int column = -2;
    int row = -2;
};

// On the cell found last time: fills the tool (the window itself, text by callback) and answers 1.
// Otherwise remembers the cell (found false: no cell), takes any tip down and answers -1.
INT_PTR HitTest(HWND window, bool found, int column, int row, LastCell& last, TOOLINFOW* pTI);

// Answers a tooltip's text request with the text, kept in a buffer shared by every grid. With
// wideAndSlow the tip may be as wide as it needs and stays up long, after 200 ms.
BOOL AnswerTextRequest(NMHDR* request, const CString& text, bool wideAndSlow);

// The pointer's position in the window's client coordinates.
CPoint PointerIn(const CWnd& window);

}  // namespace VGToolTips
