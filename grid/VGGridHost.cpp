#include "VGGridHost.h"

#include "VGCell.h"

#include <cwchar>
#include <utility>

int CVGGridHost::CompareCells(CVGCell* a, CVGCell* b, int flags)
{
    return CompareCellsByDefault(a, b, flags);
}

void CVGGridHost::OnBlockSelected(int, int, int, int, int)
{
}

CellRedrawList* CVGGridHost::CellAreaRedrawList()
{
    return nullptr;
}

bool CVGGridHost::IsKeyHeld(int virtualKey)
{
    return GetKeyState(virtualKey) < 0;
}

int CVGGridHost::CompareCellsByDefault(CVGCell* a, CVGCell* b, int flags)
{
    if (!a && !b)
        return 0;
    if (!a)
        return 1;
    if (!b)
        return -1;
    if (flags & 2)
        std::swap(a, b);
    switch (a->ReadDataType()) {
    case VGDATA_NUMBER:
    case VGDATA_BOOLEAN:
    case VGDATA_CURRENCY: {
        const double x = a->ReadNumber();
        const double y = b->ReadNumber();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    default: {
        // Cells without text sort after every text; two of them are equal, so a sort keeps their order.
        const LPCWSTR x = a->ReadText();
        const LPCWSTR y = b->ReadText();
        const bool xEmpty = !x || !*x;
        const bool yEmpty = !y || !*y;
        if (xEmpty || yEmpty)
            return xEmpty == yEmpty ? 0 : (xEmpty ? 1 : -1);
        const int order = std::wcscmp(x, y);
        return order < 0 ? -1 : (order > 0 ? 1 : 0);
    }
    }
}
