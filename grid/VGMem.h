// CVGMem: the in-memory data source every sheet owns.
//
// A two-way list of row nodes, each holding a two-way list of cell nodes, and a cursor. There is no
// head: positions are counted from the cursor. The first row node ever made is row 0 and rows made
// above it are negative (the top-heading rows); in each row the node the row points to is column 0
// and nodes to its left are negative (the side-heading columns). Rows and cells are made densely:
// storing at row 5 of an empty store makes rows 0 to 5.
//
// There is no index: every access walks from the cursor, so reading or writing in row order, or
// along a row, costs one step a cell, while a random jump costs the distance walked.
#pragma once

#include "VGCell.h"
#include "VGDataSource.h"

#include <memory>
#include <vector>


class CVGMem : public CVGDataSource {
public:
    CVGMem() = default;
    ~CVGMem() override;

    int GetLastRowIndex() override;
    int GetColumnCount() override;
    int InsertRowAt(int row) override;
    int AppendColumn() override;
    int InsertColumnAt(int column) override;
    int RemoveRow(int row) override;
    int RemoveColumn(int column) override;
    int RemoveCell(int column, int row) override;
    int RemoveAll() override;
    int FetchCell(int column, int row, CVGCell* cell) override;
    int StoreCell(int column, int row, const CVGCell* cell) override;
    int FindFirstText(LPCWSTR text, int* column, int* row, int flags) override;
    int FindNextText(LPCWSTR text, int* column, int* row, int flags) override;
    int SortByColumns(const int* columns, int count, int flags) override;
    int SortByColumn(int column, int flags) override;
    int FindPrevTextCell(int* column, int row) override;

private:
    // The properties of compactly held cells besides their text, shared by the cells stored one
    // after another that agree in them (a column or a sheet filled alike shares one).
    struct Style {
        explicit Style(const CVGCell& from) : cell(from) {}
        CVGCell cell;
        int uses = 1;
    };
    // A cell is held compactly (a style and its own text) when it holds no number and no extras;
    // otherwise whole.
    struct CellNode {
        // What a walk along a row and a search read comes first, within one or two cache lines.
        CellNode* next = nullptr;  // right
        CellNode* prev = nullptr;  // left
        // The cell's text when it holds a text (not a number, whose text is made when read), kept
        // here so that a search reads the text without visiting the cell; set by every store.
        LPCWSTR text = nullptr;
        // Held compactly: its text, in the node when it is short (no allocation, and a search stays
        // within the node), else in a block of its own.
        static constexpr size_t kShortText = 16;
        wchar_t shortText[kShortText] = {};
        CVGCell* cell = nullptr;   // held whole: owned, from the store's cell pool
        Style* style = nullptr;    // held compactly: a share of its style
        std::unique_ptr<wchar_t[]> longText;
    };
    struct RowNode {
        CellNode* column0 = nullptr;
        RowNode* next = nullptr;   // below
        RowNode* prev = nullptr;   // above
        // The node last looked up in this row, so that a column read row after row (a search, a
        // sort key) walks along the row once. Reset whenever column nodes are linked in or out.
        CellNode* recent = nullptr;
        int recentColumn = 0;
    };

    // Nodes come from chunks the store owns, so the cells of a row, and successive rows, lie side by
    // side in memory and a walk along them stays within a few cache lines.
    template <typename Node>
    class NodePool {
    public:
        Node* Make();
        void Free(Node* node);
        void Clear();

    private:
        static constexpr size_t kChunkSize = 256;
        std::vector<std::unique_ptr<Node[]>> m_chunks;
        size_t m_usedInLastChunk = kChunkSize;
        std::vector<Node*> m_free;
    };

    // Stored cells live in chunks the store owns, made in place and recycled, so storing a cell
    // costs no allocation of its own and the cells of a row lie side by side.
    class CellPool {
    public:
        CellPool() = default;
        CellPool(const CellPool&) = delete;
        CellPool& operator=(const CellPool&) = delete;
        CVGCell* Make(const CVGCell& from);
        void Free(CVGCell* cell);
        // Only once every cell has been freed.
        void Clear();

    private:
        static constexpr size_t kChunkSize = 256;
        std::vector<std::unique_ptr<unsigned char[]>> m_chunks;
        size_t m_usedInLastChunk = kChunkSize;
        std::vector<CVGCell*> m_free;
    };

    bool MoveToRow(int row);
    bool MoveToColumn(int column);
    void ResetCursorColumn();
    RowNode* TopRow() const;
    static CellNode* NodeAt(RowNode* row, int column);
    static void ForgetRecentNodes(RowNode* top);
    void DestroyCell(CellNode* node);
    static bool CanHoldCompactly(const CVGCell& cell);
    Style* ShareStyle(const CVGCell& cell);
    static void ReleaseStyle(Style* style);
    static LPCWSTR NodeText(CellNode* node);
    static void HoldText(CellNode* node, LPCWSTR text);
    void FreeRow(RowNode* row);
    void RenumberColumnIds(int position, int delta);

    NodePool<RowNode> m_rowNodes;
    NodePool<CellNode> m_cellNodes;
    CellPool m_cells;
    Style* m_pLastStyle = nullptr;  // the style the next compact store tries first; one use held
    int m_cursorRow = 0;
    RowNode* m_pCursorRow = nullptr;  // null: the store is empty
    RowNode* m_pRow0 = nullptr;       // row 0 once the cursor has been there; null after rows move
    int m_cursorColumn = 0;
    CellNode* m_pCursorCell = nullptr;
};
