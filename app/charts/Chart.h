// CChart (template 251, "Chart"): the pop-up chart window the main dialog's Chart command shows.
// The charts themselves come with the chart page.
#pragma once

#include <framework/Framework.h>

class CChart : public CDialog {
public:
    enum { IDD = 251 };
    explicit CChart(CWnd* pParent = nullptr) : CDialog(IDD, pParent) {}
};
