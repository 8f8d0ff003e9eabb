// The media status panels of Port A (template 267) and Port B (template 268). Their grids come
// with the media page.
#pragma once

#include <framework/Framework.h>

class CMediaStatusA : public CDialog {
public:
    enum { IDD = 267 };
    explicit CMediaStatusA(CWnd* pParent = nullptr) : CDialog(IDD, pParent) {}
};

class CMediaStatusB : public CDialog {
public:
    enum { IDD = 268 };
    explicit CMediaStatusB(CWnd* pParent = nullptr) : CDialog(IDD, pParent) {}
};
