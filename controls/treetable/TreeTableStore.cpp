// Storage of the "TreeTable" window's items: numbering and the arrays that grow with it, item and
// cell texts, cell records, insertion (plain, positioned and sorted) and the insert mark, which is an
// empty row inserted for the purpose. Every function runs with the window's lock held; a sorted
// insertion releases it around the parent's comparisons and looks its items up again by number.
#include "TreeTableData.h"

#include <cstdlib>
#include <cwchar>
#include <vector>

namespace {

constexpr unsigned kNoItem = ~0u;

// Grows the item, cell and row arrays by half plus 64 entries; false (nothing changed) when memory
// runs out.
bool GrowArrays(TreeTableData* data) {
    if (data->itemCount + 1 <= data->capacity) return true;
    const unsigned n = data->capacity + data->capacity / 2 + 64;
    std::vector<void*> made;
    auto fail = [&made] {
        for (void* p : made) std::free(p);
        return false;
    };
    auto items = static_cast<TreeTableItem**>(std::calloc(n + 1, sizeof(TreeTableItem*)));
    if (!items) return fail();
    made.push_back(items);
    TreeTableSubItem** cells[kMaxColumns] = {};
    for (unsigned c = 1; c < kMaxColumns; ++c) {
        if (!data->cells[c]) continue;
        cells[c] = static_cast<TreeTableSubItem**>(std::calloc(n + 1, sizeof(TreeTableSubItem*)));
        if (!cells[c]) return fail();
        made.push_back(cells[c]);
    }
    auto rows = static_cast<unsigned*>(std::calloc(n, sizeof(unsigned)));
    if (!rows) return fail();
    for (unsigned i = 0; i <= data->capacity; ++i) items[i] = data->items[i];
    std::free(data->items);
    data->items = items;
    for (unsigned c = 1; c < kMaxColumns; ++c) {
        if (!cells[c]) continue;
        for (unsigned i = 0; i <= data->capacity; ++i) cells[c][i] = data->cells[c][i];
        std::free(data->cells[c]);
        data->cells[c] = cells[c];
    }
    for (unsigned r = 0; r < data->rowCount; ++r) rows[r] = data->rows[r];
    std::free(data->rows);
    data->rows = rows;
    data->capacity = n;
    return true;
}

unsigned NewNumber(TreeTableData* data) {
    unsigned n = data->lastNumber;
    for (;;) {
        ++n;
        if (n > data->capacity) n = 1;
        if (!data->items[n]) return n;
    }
}


wchar_t FoldLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; }

int CompareNoCase(const wchar_t* a, const wchar_t* b) {
    for (;; ++a, ++b) {
        const wchar_t x = FoldLower(*a), y = FoldLower(*b);
        if (x != y) return x < y ? -1 : 1;
        if (!x) return 0;
    }
}

void LinkAfter(TreeTableData* data, unsigned parent, unsigned item, unsigned before) {
    // before = the predecessor (0 = first); links item between before and its successor.
    TreeTableItem* it = data->items[item];
    unsigned next = before ? data->items[before]->nextSibling : FirstChildOf(data, parent);
    it->prevSibling = before;
    it->nextSibling = next;
    if (before) data->items[before]->nextSibling = item;
    else FirstChildOf(data, parent) = item;
    if (next) data->items[next]->prevSibling = item;
    else LastChildOf(data, parent) = item;
}

unsigned NthChild(TreeTableData* data, unsigned parent, unsigned n) {
    unsigned c = FirstChildOf(data, parent);
    for (unsigned k = 1; c && k < n; ++k) {
        if (!data->items[c]->nextSibling) break;
        c = data->items[c]->nextSibling;
    }
    return c;
}

// Sorted placement: the predecessor of the new item among the parent's children.
unsigned SortedPredecessor(TreeTableData* data, unsigned parent, unsigned item, bool byCallback,
                           PFNTLINSERTCOMPARE compare) {
    const wchar_t* newText = ComparableText(data, item, data->textBuffer2);
    const LPARAM newParam = data->items[item]->lParam;
    data->busy = 1;
    unsigned n = 0;
    for (unsigned c = FirstChildOf(data, parent); c; c = data->items[c]->nextSibling) ++n;
    unsigned start = FirstChildOf(data, parent), before = 0;
    while (n > 0 && start) {
        unsigned s = start;
        for (unsigned k = 0; k < n / 2 && data->items[s]->nextSibling; ++k) s = data->items[s]->nextSibling;
        const wchar_t* text = ComparableText(data, s, data->textBuffer);
        int result = byCallback ? compare(data->window, HandleOfItem(s), text, newText, data->items[s]->lParam, newParam)
                                : CompareNoCase(newText, text);
        if (result < 0) {
            n = n - (n + 1) / 2;
        } else if (result == 0) {
            before = data->items[s]->prevSibling;
            break;
        } else {
            n = n - (n / 2 + 1);
            before = s;
            start = data->items[s]->nextSibling;
        }
    }
    data->busy = 0;
    return before;
}

}  // namespace

unsigned& FirstChildOf(TreeTableData* data, unsigned parent) {
    return parent == 0 ? data->firstRoot : data->items[parent]->firstChild;
}
unsigned& LastChildOf(TreeTableData* data, unsigned parent) {
    return parent == 0 ? data->lastRoot : data->items[parent]->lastChild;
}

unsigned ItemFromHandle(ULONG_PTR value) {
    // Item numbers are small; TVI_ROOT and the insertion codes arrive sign-extended on x64.
    const bool signExtended = (value >> 32) == 0xFFFFFFFFu && (value & 0x80000000u);
    if (value <= 0xFFFFFFFFu || signExtended) return static_cast<unsigned>(value);
    return kNoItem;
}

bool StoreText(wchar_t** text, uint16_t* length, uint8_t* callback, const wchar_t* value) {
    if (value == LPSTR_TEXTCALLBACKW) {
        std::free(*text);
        *text = nullptr;
        *length = 0;
        *callback |= kCallText;
        return true;
    }
    if (!value) value = L"";
    size_t n = std::wcslen(value);
    if (n > 0xFFFF) n = 0xFFFF;
    if (!*text || n > *length) {
        auto copy = static_cast<wchar_t*>(std::malloc((n + 1) * sizeof(wchar_t)));
        if (!copy) return false;
        std::free(*text);
        *text = copy;
    }
    std::wmemcpy(*text, value, n);
    (*text)[n] = 0;
    *length = static_cast<uint16_t>(n);
    *callback &= static_cast<uint8_t>(~kCallText);
    return true;
}

TreeTableSubItem* MakeCell(TreeTableData* data, unsigned item, unsigned column) {
    TreeTableItem* it = ItemOf(data, item);
    if (!it || column < 1 || column >= data->columnCount || !data->cells[column]) return nullptr;
    TreeTableSubItem*& cell = data->cells[column][item];
    if (!cell) {
        cell = static_cast<TreeTableSubItem*>(std::calloc(1, sizeof(TreeTableSubItem)));
        if (!cell) return nullptr;
        cell->image = -2;
        cell->state = it->state & 0x11;
    }
    return cell;
}

LRESULT InsertItem(TreeTableData* data, const TVINSERTSTRUCTW* insert) {
    if (data->busy || !insert) return 0;
    unsigned parent = ItemFromHandle(reinterpret_cast<ULONG_PTR>(insert->hParent));
    if (parent == kRootItem) parent = 0;
    if (parent != 0 && !ItemOf(data, parent)) return 0;
    if (!GrowArrays(data)) return 0;
    auto it = static_cast<TreeTableItem*>(std::calloc(1, sizeof(TreeTableItem) + data->userDataSize));
    if (!it) return 0;
    const TVITEMW& src = insert->item;
    if (src.mask & TVIF_STATE) it->state = src.state & src.stateMask;
    else it->state = (data->style & TVS_CHECKBOXES) ? 0x1000 : 0;
    if (src.mask & TVIF_PARAM) it->lParam = src.lParam;
    if (src.mask & TVIF_IMAGE) {
        it->image = src.iImage;
        if (src.iImage == I_IMAGECALLBACK) it->callback |= kCallImage;
    }
    if (src.mask & TVIF_SELECTEDIMAGE) {
        it->selectedImage = src.iSelectedImage;
        if (src.iSelectedImage == I_IMAGECALLBACK) it->callback |= kCallSelImage;
    }
    if (src.mask & TVIF_CHILDREN) {
        if (src.cChildren == I_CHILDRENCALLBACK) it->callback |= kCallChildren;
        else if (src.cChildren == 1) it->flags |= kFlagButton;
        else if (src.cChildren != 0) it->flags |= kFlagButtonAuto;
    } else {
        it->flags |= kFlagButtonAuto;
    }
    if (data->style & TVS_SINGLEEXPAND) it->state &= ~TVIS_EXPANDED;
    it->state |= TVIS_EXPANDEDONCE;
    const wchar_t* text = (src.mask & TVIF_TEXT) ? src.pszText : L"";
    if (!StoreText(&it->text, &it->textLength, &it->callback, text)) {
        std::free(it);
        return 0;
    }

    const unsigned number = NewNumber(data);
    data->items[number] = it;
    data->lastNumber = number;

    const unsigned after = ItemFromHandle(reinterpret_cast<ULONG_PTR>(insert->hInsertAfter));
    if (after == kRootItem) parent = 0;
    if ((after == 0xFFFF0005u || after == 0xFFFF0006u) && parent != 0) {
        const unsigned named = parent;
        parent = data->items[named]->parent;
        it->parent = parent;
    }
    if (parent) {
        TreeTableItem* p = data->items[parent];
        it->parent = parent;
        it->level = p->level + 1;
        if (p->flags & kFlagButtonAuto) p->flags |= kFlagButton;
    } else {
        it->parent = 0;
        it->level = 0;
    }
    const bool hadChildren = FirstChildOf(data, parent) != 0;
    const unsigned named = ItemFromHandle(reinterpret_cast<ULONG_PTR>(insert->hParent));
    unsigned before = LastChildOf(data, parent);  // default: last child
    if (after == kRootItem || after == 0xFFFF0002u) {
        before = LastChildOf(data, parent);
    } else if (after == 0xFFFF0001u) {
        before = 0;
    } else if (after == 0xFFFF0003u || after == 0xFFFF0007u) {
        before = hadChildren ? SortedPredecessor(data, parent, number, after == 0xFFFF0007u,
                                                 reinterpret_cast<PFNTLINSERTCOMPARE>(reinterpret_cast<ULONG_PTR>(src.hItem)))
                             : 0;
        it = data->items[number];
    } else if (after == 0xFFFF0005u) {
        before = (named == kRootItem || named == 0) ? LastChildOf(data, parent) : named;
    } else if (after == 0xFFFF0006u) {
        before = (named == kRootItem || named == 0) ? 0 : data->items[named]->prevSibling;
    } else if (after >= 0xFFE00000u && after < 0xFFF00000u) {
        const unsigned n = after - 0xFFE00000u;
        before = n == 0 ? 0 : NthChild(data, parent, n);
    } else if (ItemOf(data, after) && data->items[after]->parent == parent && after != number) {
        before = after;
    }
    LinkAfter(data, parent, number, before);
    ++data->itemCount;

    if (parent == 0 || !hadChildren || IsExpanded(data->items[parent])) {
        unsigned from = it->prevSibling ? it->prevSibling : parent;
        if (from == 0 || data->items[from]->row) RebuildRows(data, from);
        else if (parent && data->items[parent]->row) RepaintItem(data, parent);
    }
    if (it->state & TVIS_SELECTED) {
        it->state &= ~TVIS_SELECTED;
        SelectItem(data, number, 0, TVC_UNKNOWN);
    }
    return static_cast<LRESULT>(number);
}

LRESULT SetInsertMark(TreeTableData* data, unsigned item, bool after) {
    LRESULT result = 0;
    if (data->insertMark) {
        result = DeleteItem(data, data->insertMark, true);
        data->insertMark = 0;
    }
    if (item == 0) return result;
    TreeTableItem* it = ItemOf(data, item);
    if (!it) return 0;
    TVINSERTSTRUCTW insert{};
    insert.hParent = it->parent ? HandleOfItem(it->parent) : TVI_ROOT;
    if (after) insert.hInsertAfter = HandleOfItem(item);
    else insert.hInsertAfter = it->prevSibling ? HandleOfItem(it->prevSibling) : TVI_FIRST;
    insert.item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.iImage = insert.item.iSelectedImage = -2;
    const unsigned mark = static_cast<unsigned>(InsertItem(data, &insert));
    if (!mark) return 0;
    TreeTableItem* m = data->items[mark];
    m->flags |= kFlagBackColour;
    m->backColour = data->colours[kColourInsertMark];
    for (unsigned c = 1; c < data->columnCount; ++c) {
        if (TreeTableSubItem* cell = MakeCell(data, mark, c)) {
            cell->flags |= kFlagBackColour;
            cell->backColour = data->colours[kColourInsertMark];
        }
    }
    data->insertMark = mark;
    return static_cast<LRESULT>(mark);
}
