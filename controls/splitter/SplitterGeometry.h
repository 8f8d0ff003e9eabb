// The splitter bar's arithmetic as plain functions: which way a bar runs, the bar's rectangle, its
// drag range, where a drag stops, and the rectangles its neighbours take. Coordinates are the
// parent's client coordinates unless a name says otherwise.
#pragma once

#include <windows.h>

#include <framework/Geometry.h>

namespace SplitterGeometry {

enum Orientation { kVertical = 1, kHorizontal = 2 };
// Sides for ChangeWidth (right, left) and ChangeHeight (bottom, top).
enum Side { kRight = 1, kLeft = 2, kBottom = 3, kTop = 4 };

// Thickness of a bar across its length.
constexpr int kThickness = 5;

// A bar narrower than it is tall runs vertically (and moves left and right); any other horizontally.
Orientation OrientationOf(const CRect& rect);
// The rectangle cut to the bar's thickness across it.
CRect BarRect(const CRect& rect, Orientation orientation);
// The middle of a rectangle across the bar: x for a vertical bar, y for a horizontal one.
int Middle(const CRect& rect, Orientation orientation);
// The coordinate across the bar, and the point with that coordinate replaced.
int Across(CPoint point, Orientation orientation);
CPoint WithAcross(CPoint point, int value, Orientation orientation);
// The drag range [minPos, maxPos] around a centre; a negative centre is the middle of the bar's
// rectangle (parent coordinates).
void Range(int before, int after, int centre, const CRect& barInParent, Orientation orientation, int* minPos,
           int* maxPos);
// A drag position kept inside [minPos, maxPos] (minPos wins when the range is empty).
int ClampToRange(int position, int minPos, int maxPos);
// The bar's rectangle moved so its middle lies at `position` across it, size and the other
// coordinate kept.
CRect MovedTo(const CRect& barInParent, int position, Orientation orientation);
// A neighbour's rectangle after the bar moved by delta: kRight moves the right edge by +delta,
// kLeft the left edge by -delta, kBottom the bottom by +delta, kTop the top by -delta. False for a
// side that does not belong to the direction asked (width: kRight, kLeft; height: kBottom, kTop).
bool ChangedWidth(const CRect& rect, int delta, int side, CRect* changed);
bool ChangedHeight(const CRect& rect, int delta, int side, CRect* changed);

}  // namespace SplitterGeometry
