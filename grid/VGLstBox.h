// CVGLstBox: the list of choices a drop-list cell opens under itself.
//
// A child list box of the cell area that holds the focus and the mouse while it is open. A release
// on an item, or Enter, makes the choice; Escape, a press outside the list or the loss of the focus
// closes it without one.
// The window is made for each opening and destroys itself on closing; the object belongs to its
// drop-list type and outlives every window.
#pragma once

#include <framework/Framework.h>

class CVGCtrl;
class CVGDropListType;

class CVGLstBox : public CListBox {
    DECLARE_DYNAMIC(CVGLstBox)

public:
    CVGLstBox() = default;

    // Set before each opening: the grid, the type and its index, and where the type keeps the
    // cell whose list is open.
    void Prepare(CVGCtrl* grid, CVGDropListType* type, int typeIndex, int* listColumn, int* listRow);
    int IsOpen() const { return m_open; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The selected item goes into the cell (when the application agrees); the focus goes back to
    // the cell area, which closes the list.
    void MakeChoice();
    // Destroys the window once, even when the destruction itself takes the focus away.
    void Close();
    // A press outside the list: closed without a choice, the focus back in the cell area.
    void CloseWithoutChoice();
    // A press on the list's frame or scroll bar (it arrives through the capture in client terms):
    // the scroll bar works as under a free mouse.
    void PressOnFrame(CPoint screen);
    // Whether a point of the client area lies on an item.
    bool ItemUnder(CPoint point) const;
    // However the window went: the list is closed, and without a choice the type learns that
    // the list just closed (list cell -2).
    void OnClosed();

    CVGCtrl* m_pGrid = nullptr;
    int m_open = 0;
    int* m_pListColumn = nullptr;
    int* m_pListRow = nullptr;
    int m_choiceMade = 0;
    CVGDropListType* m_pType = nullptr;
    int m_typeIndex = 0;
    int m_closing = 0;
};
