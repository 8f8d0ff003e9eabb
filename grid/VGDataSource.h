// CVGDataSource: where a grid's cells live.
//
// Every cell read and write of the grid goes to a data source. Column arguments are the grid's column
// ids, not visible indices (heading columns, negative, pass unchanged). The base class supports no
// storage (-1, "not supported") and permits every move and edit; the notification and permission
// calls let a source veto the user's moves and edits before the grid's own hooks are asked.
#pragma once

#include <framework/Framework.h>

class CVGCell;
class CVGGridHost;
class CWnd;

class CVGDataSource {
public:
    CVGDataSource() = default;
    CVGDataSource(const CVGDataSource&) = delete;
    CVGDataSource& operator=(const CVGDataSource&) = delete;
    virtual ~CVGDataSource() = default;

    virtual int GetLastRowIndex();
    virtual int GetColumnCount();
    virtual int InsertRowAt(int row);
    virtual int AppendColumn();
    virtual int InsertColumnAt(int column);
    virtual int RemoveRow(int row);
    virtual int RemoveColumn(int column);
    virtual int RemoveCell(int column, int row);
    virtual int RemoveAll();
    // Lays the stored properties over the caller's cell (only set properties overwrite).
    virtual int FetchCell(int column, int row, CVGCell* cell);
    virtual int StoreCell(int column, int row, const CVGCell* cell);
    // Search flags: 1 the text may occur anywhere in the cell, 2 ignore case, 4 backwards, 8 every column.
    virtual int FindFirstText(LPCWSTR text, int* column, int* row, int flags);
    virtual int FindNextText(LPCWSTR text, int* column, int* row, int flags);
    virtual int SortByColumns(const int* columns, int count, int flags);
    virtual int SortByColumn(int column, int flags);
    virtual int OnPastLastRow(int rowCount, int rowsPastEnd, int* rowsAdded);
    virtual void OnRowChanged(int oldRow, int newRow);
    virtual void OnColumnChanged(int oldColumn, int newColumn);
    // 1 lets the current cell move; anything else refuses.
    virtual int CanMove(int oldColumn, int oldRow, int newColumn, int newRow);
    // 0 refuses the edit; the source may substitute the edit window.
    virtual int OnEditStarting(int column, int row, CWnd** editor);
    // 0 rejects the key; the key may be changed.
    virtual int OnEditKey(int column, int row, CWnd* editor, UINT* key);
    // Anything but 1 keeps the editor open.
    virtual int OnEditFinishing(int column, int row, CWnd* editor, LPCWSTR text, int cancelled);
    virtual int OnEditMoveOn(int column, int row, int* nextColumn, int* nextRow);
    // The nearest column left of *column in the row whose cell has text (for text overflow).
    virtual int FindPrevTextCell(int* column, int row);

    // Registration with a grid: its data-source table index (-1 for a sheet's own source).
    void SetOwner(CVGGridHost* grid, int index);
    CVGGridHost* GetGrid() const { return m_pGrid; }
    int GetIndex() const { return m_index; }

protected:
    CVGGridHost* m_pGrid = nullptr;
    int m_index = -1;
};
