#include "WmiObjects.h"

namespace chipdriver {

WmiEnumerator::~WmiEnumerator() {
    for (WmiClassObject* object : objects_) object->Release();
}

HRESULT WmiEnumerator::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumWbemClassObject)) {
        *object = static_cast<IEnumWbemClassObject*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT WmiEnumerator::Reset() {
    std::lock_guard<std::mutex> guard(lock_);
    next_ = 0;
    return WBEM_S_NO_ERROR;
}

// The instances are all here already, so no call waits and the time-out does not matter.
HRESULT WmiEnumerator::Next(LONG, ULONG count, IWbemClassObject** objects, ULONG* returned) {
    if (!objects || !returned) return WBEM_E_INVALID_PARAMETER;
    std::lock_guard<std::mutex> guard(lock_);
    ULONG given = 0;
    while (given < count && next_ < objects_.size()) {
        objects_[next_]->AddRef();
        objects[given++] = objects_[next_++];
    }
    *returned = given;
    return given == count ? WBEM_S_NO_ERROR : WBEM_S_FALSE;
}

HRESULT WmiEnumerator::Skip(LONG, ULONG count) {
    std::lock_guard<std::mutex> guard(lock_);
    const size_t left = objects_.size() - next_;
    next_ += std::min<size_t>(count, left);
    return count <= left ? WBEM_S_NO_ERROR : WBEM_S_FALSE;
}

HRESULT WmiEnumerator::NextAsync(ULONG, IWbemObjectSink*) { return WBEM_E_NOT_SUPPORTED; }
HRESULT WmiEnumerator::Clone(IEnumWbemClassObject**) { return WBEM_E_NOT_SUPPORTED; }

}  // namespace chipdriver
