// CVGEditBase: the key handling the grid's in-cell editors share.
//
// The grid lays an editor over the cell it edits (CVGCtrl::StartCellEdit). From then on the editor
// decides which keys stay in it and which end the edit: an exit key records the editor's wishes
// (cancel or keep, continue or not, the cell to continue at) and hands the focus to the grid. Losing
// the focus is the only way out: the editor then gives its text to CVGCtrl::FinishCellEdit, so the
// grid sees exactly one finish call per edit, whichever key or click ended it. When the grid refuses
// the value the editor takes the focus back and the edit goes on with the text as typed.
#pragma once

#include <framework/Framework.h>

class CVGCell;
class CVGCtrl;

// Posted to an editor whose value was refused: it takes the focus back once the focus change that
// ended the edit is over (taking it inside that change would fight the window gaining it).
constexpr UINT VGM_RETAKEFOCUS = WM_APP + 0x164;

class CVGEditBase : public CEdit {
    DECLARE_DYNAMIC(CVGEditBase)

public:
    CVGEditBase();
    ~CVGEditBase() override = default;

    void SetGrid(CVGCtrl* grid) { m_pGrid = grid; }
    CVGCtrl* Grid() const { return m_pGrid; }
    // The last key or character the editor received.
    int LastKey() const { return m_lastKey; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // The cell being edited (the grid's record of it); null without a grid.
    CVGCell* EditedCell() const;
    // Ends the edit so that editing continues at (column, row).
    void LeaveTo(int column, int row);
    // Ends the edit, the cell keeping its old value.
    void LeaveCancelled();
    // The data source's edit-key hook, then the grid's; both must accept. The key may be changed.
    bool OfferKey(UINT* key);
    // Whether the themed drawing layer draws the editor (its background is then left transparent).
    static bool Themed();
    // Repaints what lies under the editor in its parent (themed drawing shows it through).
    void RepaintBeneath();

    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);

    DECLARE_MESSAGE_MAP()

    int m_targetColumn = 0;
    int m_targetRow = 0;
    int m_cancel = 0;
    int m_continue = 0;
    int m_lastKey = 0;
    HBRUSH m_transparentBrush;
    CVGCtrl* m_pGrid = nullptr;

private:
    LRESULT OnKeyDownMessage(WPARAM key, LPARAM flags);
    LRESULT OnCharMessage(WPARAM character, LPARAM flags);
    LRESULT OnFocusLost(HWND gaining);
    void PaintThemed();
};
