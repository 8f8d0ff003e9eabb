// Layout arithmetic of the "TreeTable" window as plain functions over its record: item rectangles,
// the hit test, rows per page, column edges and the weighted share of the width. Nothing here sends
// a message or paints, except that the header learns the widths the sharing gives its items.
#include "TreeTableData.h"

#include <algorithm>

namespace {

// Indent steps before the item's state image: one per level, and one more when root items have
// lines and buttons.
int IndentSteps(const TreeTableData* data, const TreeTableItem* it) { return it->level + (data->linesAtRoot ? 1 : 0); }

int TextLeftOfColumn0(const TreeTableData* data, const TreeTableItem* it) {
    int x = IndentSteps(data, it) * data->indent;
    if (data->stateList) x += data->stateWidth;
    if (!(data->style & TVS_HASLINES)) x -= 1;
    const bool drawn = (it->flags & kFlagImageDrawn) != 0;
    if (HasGridLines(data)) x += drawn ? 2 : 1;
    if (drawn) x += data->imageWidth;
    return x;
}

}  // namespace

int CheckBoxWidth(const TreeTableData* data) { return data->cellList ? data->cellWidth : 0; }

bool ItemRect(const TreeTableData* data, unsigned item, WPARAM flags, RECT* rect) {
    const TreeTableItem* it = ItemOf(data, item);
    *rect = RECT{};
    if (!it || !it->row) return false;
    const long shown = static_cast<long>(it->row) - 1 - data->firstRow;
    if (shown < 0 || shown >= static_cast<long>(data->rowsThatFit)) return false;
    rect->top = data->headerHeight + shown * data->rowHeight;
    rect->bottom = rect->top + data->rowHeight;
    unsigned column = 0;
    if ((flags & 0xFE) == 0x80) {
        column = static_cast<unsigned>(flags >> 24) & 0xFF;
        if (column >= data->columnCount) column = 0;
        rect->left = data->edges[column] - data->scrollX;
        rect->right = data->edges[column + 1] - data->scrollX;
    } else {
        rect->left = -data->scrollX;
        rect->right = static_cast<LONG>(data->clientWidth);
    }
    if (flags & 1) {
        if (column > 0) {
            const TreeTableSubItem* cell = CellOf(data, item, column);
            if (data->columns[column].editMode == TVAE_CHECK) rect->left += CheckBoxWidth(data);
            else if (cell && (cell->flags & kFlagImageDrawn)) rect->left += data->imageWidth;
        } else {
            rect->left += TextLeftOfColumn0(data, it);
        }
        if (rect->left > rect->right) rect->left = rect->right;
    }
    return true;
}

unsigned HitTest(const TreeTableData* data, POINT point, UINT* flags) {
    *flags = 0;
    if (point.x < 0 || point.x >= static_cast<LONG>(data->clientWidth)) {
        *flags = point.x < 0 ? TVHT_TOLEFT : TVHT_TORIGHT;
        return 0;
    }
    const long y = point.y - data->headerHeight;
    if (y < 0 || y >= static_cast<long>(data->clientHeight)) {
        *flags = y < 0 ? TVHT_ABOVE : TVHT_BELOW;
        return 0;
    }
    if (data->rowHeight <= 0) {
        *flags = TVHT_NOWHERE;
        return 0;
    }
    const unsigned long row = static_cast<unsigned long>(y / data->rowHeight + data->firstRow);
    if (row >= data->rowCount) {
        *flags = TVHT_NOWHERE;
        return 0;
    }
    const unsigned item = data->rows[row];
    const TreeTableItem* it = ItemOf(data, item);
    if (!it) {
        *flags = TVHT_NOWHERE;
        return 0;
    }
    const int grid = HasGridLines(data) ? 1 : 0;
    int x = point.x + data->scrollX;
    if (x < data->edges[1]) {
        if (!data->linesAtRoot) x += data->indent;
        x -= data->indent * it->level;
        if (x < data->indent) {
            const int dy = static_cast<int>(y % data->rowHeight) - data->rowHeight / 2;
            const bool onButton = (data->style & TVS_HASBUTTONS) && HasButton(it) && x >= data->buttonCentre - 6 &&
                                  x <= data->buttonCentre + 7 && dy >= -6 && dy <= 7;
            *flags = onButton ? TVHT_ONITEMBUTTON : TVHT_ONITEMINDENT;
            return item;
        }
        x -= data->indent + grid;
        if (data->stateList) {
            x -= data->stateWidth;
            if (x < 0) {
                *flags = TVHT_ONITEMSTATEICON;
                return item;
            }
        }
        if (it->flags & kFlagImageDrawn) {
            x -= data->imageWidth + grid;
            if (x < 0) {
                *flags = TVHT_ONITEMICON;
                return item;
            }
        }
        *flags = x < it->textWidth + 5 ? TVHT_ONITEMLABEL : TVHT_ONITEMRIGHT;
        return item;
    }
    for (unsigned c = 1; c < data->columnCount; ++c) {
        if (data->edges[c + 1] <= x) continue;
        const int xc = x - data->edges[c];
        const TreeTableSubItem* cell = CellOf(data, item, c);
        const TreeTableColumn& col = data->columns[c];
        int w = 0;
        if (col.editMode == TVAE_CHECK || col.editMode == TVAE_CHECKED) w = CheckBoxWidth(data);
        else if (cell && (cell->flags & kFlagImageDrawn)) w = data->imageWidth;
        UINT f = c << 24;
        const int textWidth = cell ? cell->textWidth : 0;
        const int columnWidth = data->edges[c + 1] - data->edges[c];
        bool onText;
        if (!cell || !cell->text || !cell->textLength) onText = true;
        else if (col.align == 1) {
            const int mid = (columnWidth + w) / 2, half = textWidth / 2 + 3;
            onText = xc >= mid - half && xc <= mid + half;
        } else if (col.align == 2) {
            onText = xc >= columnWidth - textWidth - 5;
        } else {
            onText = xc - w < textWidth + 5;
        }
        if (xc < w) f |= TLHT_ONCOLUMNICON;
        else if (onText) f |= TLHT_ONCOLUMNLABEL;
        else f |= TLHT_ONCOLUMN;
        *flags = f;
        return item;
    }
    *flags = TLHT_BEYONDCOLUMNS;
    return item;
}

void ComputePageRows(TreeTableData* data) {
    const long height = static_cast<long>(data->clientHeight) - data->headerHeight;
    data->listHeight = height > 0 ? static_cast<unsigned>(height) : 0;
    const unsigned h = data->listHeight, rh = data->rowHeight > 0 ? static_cast<unsigned>(data->rowHeight) : 1;
    data->rowsThatFit = (h + rh - 1) / rh;
    data->pageRows = h / rh;
}

long ClampFirstRow(const TreeTableData* data, long first) {
    const long limit = static_cast<long>(data->rowCount) - (static_cast<long>(data->pageRows) - 1);
    return std::max(std::min(first, limit), 0L);
}

int ComputeEdges(TreeTableData* data) {
    int changed = 0x10000;
    const unsigned count = data->columnCount;
    int edge = 0;
    for (unsigned i = 0; i < count; ++i) {
        int next = edge + data->columns[i].width - (i == 0 ? 1 : 0);
        if (next < edge) next = edge;
        if (i + 1 == count && next >= static_cast<int>(data->clientWidth) - 1) next += 1;
        if (changed == 0x10000 && data->edges[i + 1] != next) {
            changed = data->edges[i];
            const bool grew = next > data->edges[i + 1];
            data->edges[i + 1] = next;
            if (grew) {
                RepaintCell(data, data->caretItem, i);
                RepaintCell(data, data->dropItem, i);
            }
        }
        data->edges[i + 1] = next;
        edge = next;
    }
    data->edges[0] = 0;
    data->edges[count + 1] = static_cast<int>(data->clientWidth) + 1;
    if (count == 0) data->edges[1] = static_cast<int>(data->clientWidth) + 1;
    return changed;
}

void ShareWidthChange(TreeTableData* data, int d) {
    const int total = data->weightSum;
    const unsigned n = data->weightedCount;
    if (n == 0 || total <= 0) return;
    const unsigned count = data->columnCount;
    if (n == 1) {
        for (unsigned c = 0; c < count; ++c) {
            TreeTableColumn& col = data->columns[c];
            if (!col.weight) continue;
            col.requestedWidth = static_cast<int16_t>(col.requestedWidth + d);
            data->weightedWidth = col.requestedWidth;
            col.width = col.requestedWidth > col.minWidth ? col.requestedWidth : col.minWidth;
            SetHeaderItemWidth(data, c, col.width);
            break;
        }
        return;
    }
    const int client = static_cast<int>(data->clientWidth);
    int s = ((d < 1) ? client - d : client) % total;
    if (s < 0) s += total;
    int running = 0;
    unsigned k = 0;
    for (; k < count; ++k) {
        if (!data->columns[k].weight) continue;
        running += data->columns[k].weight;
        if (running > s) break;
    }
    if (k >= count) k = 0;
    int p = running - s;
    const int q = d / total, r = d % total;
    TreeTableColumn& start = data->columns[k];
    start.requestedWidth = static_cast<int16_t>(start.requestedWidth + (r * p) / total + q * p);
    int carry = r - (r * p) / total;
    int acc = (r * p) % total;
    unsigned remaining = n;  // columns still to take a turn, the start column among them until done
    if (start.weight <= p) {
        --remaining;
        p = 0;
    }
    // The last turn gives the rest of the quotient and the carried remainders, so the whole
    // difference is handed out.
    for (unsigned c = k; remaining > 0;) {
        c = (c + 1) % count;
        TreeTableColumn& col = data->columns[c];
        if (!col.weight) continue;
        if (remaining == 1) {
            col.requestedWidth = static_cast<int16_t>(col.requestedWidth + q * (col.weight - p) + carry);
            break;
        }
        const int share = (acc + r * col.weight) / total;
        col.requestedWidth = static_cast<int16_t>(col.requestedWidth + share + q * col.weight);
        carry -= share;
        acc = (acc + r * col.weight) % total;
        --remaining;
    }
    int weighted = 0, fixed = 0;
    for (unsigned i = 0; i < count; ++i) {
        TreeTableColumn& col = data->columns[i];
        if (col.weight) {
            col.width = col.requestedWidth > col.minWidth ? col.requestedWidth : col.minWidth;
            SetHeaderItemWidth(data, i, col.width);
            weighted += col.requestedWidth;
        } else {
            fixed += col.width;
        }
    }
    data->weightedWidth = weighted;
    data->fixedWidth = fixed;
    if (d > 0 && data->header) InvalidateRect(data->header, nullptr, FALSE);
}

int ContentWidth(const TreeTableData* data, unsigned column) {
    if (column >= data->columnCount) return 0;
    int widest = 0;
    for (unsigned r = 0; r < data->rowCount; ++r) {
        const unsigned item = data->rows[r];
        const TreeTableItem* it = ItemOf(data, item);
        if (!it) continue;
        int w;
        if (column == 0) {
            w = ((it->flags & kFlagImageDrawn) ? data->imageWidth : 0) + it->level * data->indent + it->textWidth + 8;
        } else {
            const TreeTableSubItem* cell = CellOf(data, item, column);
            w = !cell ? 8
                      : ((data->normalList && (cell->flags & kFlagImageDrawn)) ? data->imageWidth : 0) +
                            cell->textWidth + 8;
        }
        if (w > widest) widest = w;
    }
    if (column == 0) {
        if (HasGridLines(data)) widest += 1;
        if (data->linesAtRoot) widest += data->indent;
        if (data->stateList) widest += data->stateWidth;
    }
    return widest;
}
