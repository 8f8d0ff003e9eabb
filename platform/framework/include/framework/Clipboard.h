// The clipboard as a data source to fill and a data object to read, by clipboard format.
// Both work on the system clipboard directly; the formats offered are rendered at once.
#pragma once

#include <wtypes.h>

#include <framework/Object.h>

#include <utility>
#include <vector>

class COleDataSource : public CObject {
    DECLARE_DYNAMIC(COleDataSource)
public:
    COleDataSource() = default;
    ~COleDataSource() override;
    COleDataSource(const COleDataSource&) = delete;
    COleDataSource& operator=(const COleDataSource&) = delete;

    // Takes ownership of the global block until the data goes onto the clipboard.
    void CacheGlobalData(CLIPFORMAT cfFormat, HGLOBAL hGlobal);
    // Empties the clipboard and puts every cached format on it; the clipboard then owns the blocks.
    // As with the familiar class, the source is deleted here: make it with new.
    void SetClipboard();

private:
    std::vector<std::pair<CLIPFORMAT, HGLOBAL>> m_cache;
};

class COleDataObject {
public:
    COleDataObject() = default;
    ~COleDataObject() { Release(); }
    COleDataObject(const COleDataObject&) = delete;
    COleDataObject& operator=(const COleDataObject&) = delete;

    BOOL AttachClipboard();
    void Release() { m_attached = false; }
    BOOL IsDataAvailable(CLIPFORMAT cfFormat) const;
    // A copy of the clipboard's block in the format, owned by the caller; null when absent.
    HGLOBAL GetGlobalData(CLIPFORMAT cfFormat) const;

private:
    bool m_attached = false;
};
