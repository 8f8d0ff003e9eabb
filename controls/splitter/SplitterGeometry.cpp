#include "splitter/SplitterGeometry.h"

#include <algorithm>

namespace SplitterGeometry {

Orientation OrientationOf(const CRect& rect) { return rect.Width() < rect.Height() ? kVertical : kHorizontal; }

CRect BarRect(const CRect& rect, Orientation orientation) {
    CRect bar = rect;
    if (orientation == kVertical) bar.right = bar.left + kThickness;
    else bar.bottom = bar.top + kThickness;
    return bar;
}

int Middle(const CRect& rect, Orientation orientation) {
    return orientation == kVertical ? (rect.left + rect.right) / 2 : (rect.top + rect.bottom) / 2;
}

int Across(CPoint point, Orientation orientation) { return orientation == kVertical ? point.x : point.y; }

CPoint WithAcross(CPoint point, int value, Orientation orientation) {
    if (orientation == kVertical) point.x = value;
    else point.y = value;
    return point;
}

void Range(int before, int after, int centre, const CRect& barInParent, Orientation orientation, int* minPos,
           int* maxPos) {
    if (centre < 0) centre = Middle(barInParent, orientation);
    *minPos = centre - before;
    *maxPos = centre + after;
}

int ClampToRange(int position, int minPos, int maxPos) { return std::max(minPos, std::min(position, maxPos)); }

CRect MovedTo(const CRect& barInParent, int position, Orientation orientation) {
    CRect moved = barInParent;
    if (orientation == kVertical) moved.MoveToX(position - barInParent.Width() / 2);
    else moved.MoveToY(position - barInParent.Height() / 2);
    return moved;
}

bool ChangedWidth(const CRect& rect, int delta, int side, CRect* changed) {
    *changed = rect;
    if (side == kRight) changed->right += delta;
    else if (side == kLeft) changed->left -= delta;
    else return false;
    return true;
}

bool ChangedHeight(const CRect& rect, int delta, int side, CRect* changed) {
    *changed = rect;
    if (side == kBottom) changed->bottom += delta;
    else if (side == kTop) changed->top -= delta;
    else return false;
    return true;
}

}  // namespace SplitterGeometry
