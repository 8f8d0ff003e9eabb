#include "VGPtrList.h"

#include <cstring>
#include <new>

IMPLEMENT_DYNAMIC(CVGPtrList, CObject)

int CVGPtrList::Insert(void* item, int value, const void* callerData)
{
    if (m_used == Capacity()) {
        try {
            m_entries.resize(m_entries.size() + 10);
        } catch (const std::bad_alloc&) {
            return -1;
        }
    }
    Entry& entry = m_entries[m_used];
    entry.inUse = 1;
    entry.item = item;
    entry.value = value;
    if (callerData)
        std::memcpy(entry.callerData, callerData, kCallerDataSize);
    else
        std::memset(entry.callerData, 0, kCallerDataSize);
    return m_used++;
}

void* CVGPtrList::ItemAt(int index) const
{
    return InUse(index) ? m_entries[index].item : nullptr;
}

int CVGPtrList::ValueAt(int index) const
{
    return InUse(index) ? m_entries[index].value : 0;
}

int CVGPtrList::SetValueAt(int index, int value)
{
    if (index < 0 || index >= Capacity())
        return 1;
    if (!InUse(index))
        return 2;
    m_entries[index].value = value;
    return 0;
}

BYTE* CVGPtrList::CallerDataAt(int index)
{
    return InUse(index) ? m_entries[index].callerData : nullptr;
}

void CVGPtrList::Clear()
{
    std::vector<Entry>().swap(m_entries);
    m_used = 0;
}
