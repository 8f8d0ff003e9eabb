// Sorting the children of a "TreeTable" item by text or by the caller's comparison. The
// comparisons run with the window's lock released, so the parent's comparator may read the tree.
#include "TreeTableData.h"

#include <cwchar>
#include <utility>
#include <vector>

namespace {

struct SortJob {
    TreeTableData* data;
    int kind;  // 0 texts, 1 TVSORTCB, 2 TLSORTCB
    const void* record;
};

// Negative when element a goes before the pivot. Called with the lock released: it takes the lock
// only to read the tree, and calls the caller's comparator without it.
int CompareForSort(const SortJob& job, unsigned a, unsigned pivot) {
    TreeTableData* data = job.data;
    LockTree(data);
    if (job.kind == 0) {
        // Callback texts are asked from the parent, each into its own buffer.
        const wchar_t* pivotText = ComparableText(data, pivot, data->textBuffer2);
        const wchar_t* text = ComparableText(data, a, data->textBuffer);
        const int result = _wcsicmp(text, pivotText);
        UnlockTree(data);
        return result;
    }
    const TreeTableItem* ia = ItemOf(data, a);
    const TreeTableItem* ib = ItemOf(data, pivot);
    const LPARAM la = ia ? ia->lParam : 0, lb = ib ? ib->lParam : 0;
    UnlockTree(data);
    if (job.kind == 1) {
        auto cb = static_cast<const TVSORTCB*>(job.record);
        return cb->lpfnCompare ? cb->lpfnCompare(la, lb, cb->lParam) : 0;
    }
    auto cb = static_cast<const TLSORTCB*>(job.record);
    return cb->lpfnCompare ? cb->lpfnCompare(data->window, HandleOfItem(a), HandleOfItem(pivot), la, lb, cb->lParam) : 0;
}

// Quicksort with an explicit stack; every index stays inside [lo, hi].
void SortNumbers(const SortJob& job, std::vector<unsigned>& v) {
    if (v.size() < 2) return;
    std::vector<std::pair<size_t, size_t>> stack;
    stack.emplace_back(0, v.size() - 1);
    while (!stack.empty()) {
        auto [lo, hi] = stack.back();
        stack.pop_back();
        while (lo < hi) {
            std::swap(v[lo], v[lo + (hi - lo) / 2]);
            const unsigned pivot = v[lo];
            size_t i = lo + 1, j = hi;
            for (;;) {
                while (i <= hi && CompareForSort(job, v[i], pivot) <= 0) ++i;
                while (j > lo && CompareForSort(job, v[j], pivot) >= 0) --j;
                if (j < i) break;
                std::swap(v[i], v[j]);
                ++i;
                --j;
            }
            std::swap(v[lo], v[j]);
            // Sort the smaller part next, push the larger.
            if (j - lo < hi - j) {
                if (j + 1 < hi) stack.emplace_back(j + 1, hi);
                if (j == lo) break;
                hi = j - 1;
            } else {
                if (j > lo + 1) stack.emplace_back(lo, j - 1);
                lo = j + 1;
            }
        }
    }
}

}  // namespace

int SortChildren(TreeTableData* data, unsigned parent, bool recurse, int kind, const void* record, bool outer) {
    if (parent == kRootItem) parent = 0;
    if (parent != 0 && !ItemOf(data, parent)) return 0;
    unsigned first = FirstChildOf(data, parent);
    if (!first) return 1;
    if (!data->items[first]->nextSibling) {
        SortChildren(data, first, recurse, kind, record, false);
    } else {
        if (recurse)
            for (unsigned c = first; c; c = data->items[c]->nextSibling) SortChildren(data, c, true, kind, record, false);
        std::vector<unsigned> children;
        children.reserve(128);
        for (unsigned c = FirstChildOf(data, parent); c; c = data->items[c]->nextSibling) children.push_back(c);
        // Deletion is refused while busy, so the numbers stay valid through the unlocked comparisons.
        data->busy = 1;
        UnlockTree(data);
        SortNumbers(SortJob{data, kind, record}, children);
        LockTree(data);
        data->busy = 0;
        if (parent != 0 && !ItemOf(data, parent)) return 0;
        unsigned prev = 0;
        for (unsigned c : children) {
            data->items[c]->prevSibling = prev;
            if (prev) data->items[prev]->nextSibling = c;
            prev = c;
        }
        data->items[prev]->nextSibling = 0;
        FirstChildOf(data, parent) = children.front();
        LastChildOf(data, parent) = children.back();
    }
    if (outer) {
        if (parent == 0) RebuildRows(data, 0);
        else if (data->items[parent]->row) RebuildRows(data, parent);
        if ((data->style & TVS_SHOWSELALWAYS) && data->caretItem)
            EnsureVisible(data, data->caretItem, static_cast<int>(data->caretColumn));
    }
    return 1;
}
