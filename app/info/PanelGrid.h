// What the information panels share in setting up their grids: a control's rectangle in the
// dialog, and the one-column identity grid of the system information page and the About panel.
#pragma once

#include <framework/Framework.h>

#include "VGCtrl.h"

namespace info {

// Alignment of the identity grids' cells: vertically centred.
constexpr short kVerticalCentre = 0x20;

// The rectangle of the dialog's control, in the dialog's client coordinates.
CRect ControlRect(CWnd& dialog, int controlId);

struct IdentityGridLayout {
    int rows = 0;
    int rowHeight = 0;
    int sideHeadingWidth = 0;
    int valueColumnWidth = 0;
    LPCWSTR fontFace = L"";
    // The side heading's label of each row; null leaves the labels empty.
    const LPCWSTR* sideLabels = nullptr;
};

// One column of values under no top heading: every row of the given height, its side heading
// cell and value cell vertically centred in the layout's font (height 16, weight 1).
void LayOutIdentityGrid(CVGCtrl& grid, const IdentityGridLayout& layout);

}  // namespace info
