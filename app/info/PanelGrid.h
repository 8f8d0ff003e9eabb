// What the information panels share in setting up their grids: a control's rectangle in the
// dialog, and the one-column identity grid of the system information page and the About panel.
#pragma once

#include <framework/Framework.h>

#include "VGCtrl.h"

namespace info {

// The identity rows: model, agent, S/N, MAC, PCB, API, FPGA and firmware versions, manufacture
// date, with the side heading's label of each.
constexpr int kIdentityRows = 9;
extern const LPCWSTR kIdentityRowLabels[kIdentityRows];

// Alignment of the identity grids' cells: vertically centred.
constexpr short kVerticalCentre = 0x20;

// The rectangle of the dialog's control, in the dialog's client coordinates.
CRect ControlRect(CWnd& dialog, int controlId);

struct IdentityGridLayout {
    int gridId;   // the control the grid takes the place of
    int frameId;  // the control whose rectangle places the grid
    // The grid's width and height are the frame's right and bottom coordinates (not its size) less
    // these margins.
    int rightMargin;
    int bottomMargin;
    int rowHeight;
    int sideHeadingWidth;
    int valueColumnWidth;
    LPCWSTR fontFace;
};

// Attaches the grid to its control and moves it 2 pixels into the frame; then one column of the
// identity rows under no top heading: every row of the given height, labelled in the side heading,
// its label and value vertically centred in the layout's font (height 16, weight 1).
void PlaceIdentityGrid(CWnd& panel, CVGCtrl& grid, const IdentityGridLayout& layout);
// The same with rows of the caller's own labels.
void PlaceLabelledGrid(CWnd& panel, CVGCtrl& grid, const IdentityGridLayout& layout, const LPCWSTR* labels,
                       int rowCount);

}  // namespace info
