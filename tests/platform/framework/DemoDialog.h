// A small dialog built on the framework, used by the tests to show that a derived class behaves as
// its message map says: data exchange, a button, a control range, an edit notification, a timer,
// a colour request reflected to a control, and pre-translated keys.
#pragma once

#include <framework/Framework.h>

#include "TestResources.h"

// A static control that paints itself in its own colour through the reflected colour request.
class CColourSwatch : public CStatic {
public:
    void SetColour(COLORREF colour);
    COLORREF Colour() const { return m_colour; }

protected:
    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()

private:
    COLORREF m_colour = RGB(255, 0, 0);
    CBrush m_brush;
};

class CDemoDialog : public CDialog {
public:
    explicit CDemoDialog(CWnd* pParent = nullptr) : CDialog(IDD_DEMO, pParent) {}

    // Exchanged with the controls.
    CString m_name;
    int m_count = 0;
    int m_enabled = 0;
    int m_mode = 0;

    // What the handlers saw.
    int m_nameChanges = 0;
    int m_ticks = 0;
    int m_escapesSwallowed = 0;
    int m_applies = 0;

    CStatic m_status;
    CListBox m_log;
    CColourSwatch m_swatch;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    void OnApply();
    void OnNameChanged();
    void OnModeClicked(UINT nID);
    void OnTimer(UINT_PTR nIDEvent);
    DECLARE_MESSAGE_MAP()
};
