#include "VGDataSource.h"

int CVGDataSource::GetLastRowIndex() { return -1; }
int CVGDataSource::GetColumnCount() { return -1; }
int CVGDataSource::InsertRowAt(int) { return -1; }
int CVGDataSource::AppendColumn() { return -1; }
int CVGDataSource::InsertColumnAt(int) { return -1; }
int CVGDataSource::RemoveRow(int) { return -1; }
int CVGDataSource::RemoveColumn(int) { return -1; }
int CVGDataSource::RemoveCell(int, int) { return -1; }
int CVGDataSource::RemoveAll() { return -1; }
int CVGDataSource::FetchCell(int, int, CVGCell*) { return -1; }
int CVGDataSource::StoreCell(int, int, const CVGCell*) { return -1; }
int CVGDataSource::FindFirstText(LPCWSTR, int*, int*, int) { return -1; }
int CVGDataSource::FindNextText(LPCWSTR, int*, int*, int) { return -1; }
int CVGDataSource::SortByColumns(const int*, int, int) { return -1; }
int CVGDataSource::SortByColumn(int, int) { return -1; }
int CVGDataSource::OnPastLastRow(int, int, int*) { return -1; }
void CVGDataSource::OnRowChanged(int, int) {}
void CVGDataSource::OnColumnChanged(int, int) {}
int CVGDataSource::CanMove(int, int, int, int) { return 1; }
int CVGDataSource::OnEditStarting(int, int, CWnd**) { return 1; }
int CVGDataSource::OnEditKey(int, int, CWnd*, UINT*) { return 1; }
int CVGDataSource::OnEditFinishing(int, int, CWnd*, LPCWSTR, int) { return 1; }
int CVGDataSource::OnEditMoveOn(int, int, int*, int*) { return 1; }
int CVGDataSource::FindPrevTextCell(int*, int) { return -1; }

void CVGDataSource::SetOwner(CVGGridHost* grid, int index)
{
    m_pGrid = grid;
    m_index = index;
}
