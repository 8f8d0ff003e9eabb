#include <framework/Clipboard.h>

#include <cstring>

namespace {

// The clipboard needs an owner window to take data; a message-only window per thread serves.
HWND ClipboardOwner() {
    thread_local HWND owner = nullptr;
    if (owner == nullptr || !::IsWindow(owner)) {
        owner = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    }
    return owner;
}

}  // namespace

IMPLEMENT_DYNAMIC(COleDataSource, CObject)

COleDataSource::~COleDataSource() {
    for (auto& entry : m_cache) ::GlobalFree(entry.second);
}

void COleDataSource::CacheGlobalData(CLIPFORMAT cfFormat, HGLOBAL hGlobal) { m_cache.emplace_back(cfFormat, hGlobal); }

void COleDataSource::SetClipboard() {
    if (::OpenClipboard(ClipboardOwner())) {
        ::EmptyClipboard();
        for (auto& entry : m_cache) {
            // Once accepted, the block belongs to the clipboard.
            if (::SetClipboardData(entry.first, entry.second) != nullptr) entry.second = nullptr;
        }
        ::CloseClipboard();
    }
    for (auto& entry : m_cache) {
        if (entry.second != nullptr) ::GlobalFree(entry.second);
    }
    m_cache.clear();
    delete this;
}

BOOL COleDataObject::AttachClipboard() {
    m_attached = true;
    return TRUE;
}

BOOL COleDataObject::IsDataAvailable(CLIPFORMAT cfFormat) const {
    return m_attached && ::IsClipboardFormatAvailable(cfFormat);
}

HGLOBAL COleDataObject::GetGlobalData(CLIPFORMAT cfFormat) const {
    if (!m_attached || !::OpenClipboard(ClipboardOwner())) return nullptr;
    HGLOBAL copy = nullptr;
    HANDLE data = ::GetClipboardData(cfFormat);
    if (data != nullptr) {
        SIZE_T size = ::GlobalSize(data);
        const void* source = ::GlobalLock(data);
        copy = source ? ::GlobalAlloc(GMEM_MOVEABLE, size) : nullptr;
        if (copy != nullptr) {
            std::memcpy(::GlobalLock(copy), source, size);
            ::GlobalUnlock(copy);
        }
        if (source != nullptr) ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    return copy;
}
