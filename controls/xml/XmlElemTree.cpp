#include "xml/XmlElemTree.h"

#include <algorithm>

void XmlElemTree::Grow(int n)
{
    if (n <= size_)
        return;
    int lastPage = size_ == 0 ? 0 : (size_ - 1) >> kPageShift;
    int neededPage = (n - 1) >> kPageShift;
    if (neededPage > lastPage + 1) {
        neededPage = lastPage + 1;
        n = (lastPage + 2) * kPageSize;
    }
    if (neededPage >= static_cast<int>(pages_.size()))
        pages_.resize(2 * neededPage + 4);

    // Every page before the last holds exactly one page of records.
    for (int page = size_ == 0 ? 0 : lastPage; page < neededPage; ++page) {
        int held = std::max(0, std::min(size_ - page * kPageSize, kPageSize));
        if (held < kPageSize || !pages_[page])
            ResizePage(page, kPageSize, held);
    }
    int held = std::max(0, std::min(size_ - neededPage * kPageSize, kPageSize));
    ResizePage(neededPage, n - neededPage * kPageSize, held);
    size_ = n;
}

void XmlElemTree::ResizePage(int page, int count, int oldCount)
{
    Page fresh(new XmlElemRecord[count]());
    if (pages_[page] && oldCount > 0)
        std::copy(pages_[page].get(), pages_[page].get() + oldCount, fresh.get());
    pages_[page] = std::move(fresh);
}

void XmlElemTree::Clear()
{
    pages_.clear();
    size_ = 0;
}
