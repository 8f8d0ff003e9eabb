// CVGPtrList: the small indexed list the grid keeps its fonts and cell types in.
//
// Entries are handed out in order and never freed one by one, so an index stays valid for the life
// of the list; the list grows by ten entries when it is full.
#pragma once

#include <framework/Framework.h>

#include <vector>

class CVGPtrList : public CObject {
    DECLARE_DYNAMIC(CVGPtrList)

public:
    static constexpr int kCallerDataSize = 16;

    CVGPtrList() = default;

    // Index of the new entry, or -1 when the list cannot grow. callerData (16 bytes) may be null.
    int Insert(void* item, int value, const void* callerData);
    void* ItemAt(int index) const;
    int ValueAt(int index) const;
    // 1 out of range, 2 for a free entry, else 0.
    int SetValueAt(int index, int value);
    // The entry's 16 bytes of caller data; null for a free or missing entry.
    BYTE* CallerDataAt(int index);
    int Count() const { return m_used; }
    int Capacity() const { return static_cast<int>(m_entries.size()); }
    void Clear();

private:
    struct Entry {
        int inUse = 0;
        void* item = nullptr;
        int value = 0;
        BYTE callerData[kCallerDataSize] = {};
    };

    bool InUse(int index) const { return index >= 0 && index < m_used && m_entries[index].inUse; }

    std::vector<Entry> m_entries;
    int m_used = 0;
};
