// CVGEdit: the grid's plain in-cell editor (child id 123).
//
// Beside the shared key handling it keeps Escape from the dialog around the grid, and it widens and
// lengthens itself over the empty cells to its right and below as the text grows, when the cell may
// show its text beyond its own edges.
#pragma once

#include "VGEditBase.h"

class CVGEdit : public CVGEditBase {
    DECLARE_DYNAMIC(CVGEdit)

public:
    CVGEdit() = default;

    BOOL PreTranslateMessage(MSG* pMsg) override;
    // One step of growing with the text (only while growing is on and the grid lets text overflow).
    void GrowToText();
    void SetAutoGrow(int on) { m_autoGrow = on; }

protected:
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnSetFocus(CWnd* pOldWnd);
    void OnUpdate();

    DECLARE_MESSAGE_MAP()

private:
    int m_autoGrow = 1;
    int m_growActive = 0;
};
