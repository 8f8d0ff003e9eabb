#include "WmiObjects.h"

#include <cstring>
#include <cwctype>

namespace chipdriver {
namespace {

bool SameName(const std::wstring& a, LPCWSTR b) {
    const size_t length = std::wcslen(b);
    if (a.size() != length) return false;
    for (size_t i = 0; i < length; ++i)
        if (std::towupper(a[i]) != std::towupper(b[i])) return false;
    return true;
}

}  // namespace

WmiClassObject* WmiClassObject::Decode(driverpipe::Reader& reader) {
    std::wstring className = reader.String();
    const uint32_t count = reader.U32();
    std::vector<Property> properties;
    for (uint32_t i = 0; i < count && reader.ok(); ++i) {
        Property property;
        property.name = reader.String();
        property.type = reader.U16();
        property.bytes = reader.Raw(reader.U32());
        properties.push_back(std::move(property));
    }
    if (!reader.ok()) return nullptr;
    return new WmiClassObject(std::move(className), std::move(properties));
}

void WmiClassObject::Encode(driverpipe::Writer& writer) const {
    std::lock_guard<std::mutex> guard(lock_);
    writer.String(className_);
    writer.U32(uint32_t(properties_.size()));
    for (const Property& property : properties_) {
        writer.String(property.name);
        writer.U16(property.type);
        writer.U32(uint32_t(property.bytes.size()));
        writer.Raw(property.bytes.data(), property.bytes.size());
    }
}

std::vector<Property> WmiClassObject::Properties() const {
    std::lock_guard<std::mutex> guard(lock_);
    return properties_;
}

Property* WmiClassObject::Find(LPCWSTR name) {
    if (!name) return nullptr;
    for (Property& property : properties_)
        if (SameName(property.name, name)) return &property;
    return nullptr;
}

HRESULT WmiClassObject::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IWbemClassObject)) {
        *object = static_cast<IWbemClassObject*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT WmiClassObject::Get(LPCWSTR name, LONG, VARIANT* value, CIMTYPE* type, LONG* flavor) {
    std::lock_guard<std::mutex> guard(lock_);
    const Property* property = Find(name);
    if (!property) return WBEM_E_NOT_FOUND;
    if (value) {
        VariantInit(value);
        if (property->type == VT_I4) {
            int32_t v = 0;
            std::memcpy(&v, property->bytes.data(), std::min<size_t>(4, property->bytes.size()));
            value->vt = VT_I4;
            value->lVal = v;
        } else {
            SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, ULONG(property->bytes.size()));
            if (!array) return WBEM_E_OUT_OF_MEMORY;
            void* data = nullptr;
            SafeArrayAccessData(array, &data);
            if (!property->bytes.empty()) std::memcpy(data, property->bytes.data(), property->bytes.size());
            SafeArrayUnaccessData(array);
            value->vt = VT_ARRAY | VT_UI1;
            value->parray = array;
        }
    }
    if (type) *type = property->type == VT_I4 ? CIM_UINT32 : CIM_UINT8 | CIM_FLAG_ARRAY;
    if (flavor) *flavor = WBEM_FLAVOR_ORIGIN_LOCAL;
    return WBEM_S_NO_ERROR;
}

HRESULT WmiClassObject::Put(LPCWSTR name, LONG, VARIANT* value, CIMTYPE) {
    std::lock_guard<std::mutex> guard(lock_);
    Property* property = Find(name);
    if (!property) return WBEM_E_NOT_FOUND;
    if (!value) return WBEM_E_INVALID_PARAMETER;
    if (property->type == VT_I4 && value->vt == VT_I4) {
        const int32_t v = value->lVal;
        property->bytes.assign(reinterpret_cast<const uint8_t*>(&v), reinterpret_cast<const uint8_t*>(&v) + 4);
        return WBEM_S_NO_ERROR;
    }
    if (property->type == (VT_ARRAY | VT_UI1) && value->vt == (VT_ARRAY | VT_UI1) && value->parray) {
        LONG low = 0, high = -1;
        SafeArrayGetLBound(value->parray, 1, &low);
        SafeArrayGetUBound(value->parray, 1, &high);
        void* data = nullptr;
        if (FAILED(SafeArrayAccessData(value->parray, &data))) return WBEM_E_INVALID_PARAMETER;
        const auto* bytes = static_cast<const uint8_t*>(data);
        property->bytes.assign(bytes, bytes + (high - low + 1));
        SafeArrayUnaccessData(value->parray);
        return WBEM_S_NO_ERROR;
    }
    return WBEM_E_TYPE_MISMATCH;
}

HRESULT WmiClassObject::GetQualifierSet(IWbemQualifierSet**) { return WBEM_E_NOT_SUPPORTED; }
HRESULT WmiClassObject::Delete(LPCWSTR) { return WBEM_E_NOT_SUPPORTED; }
HRESULT WmiClassObject::GetNames(LPCWSTR, LONG, VARIANT*, SAFEARRAY**) { return WBEM_E_NOT_SUPPORTED; }
HRESULT WmiClassObject::BeginEnumeration(LONG) { return WBEM_E_NOT_SUPPORTED; }
HRESULT WmiClassObject::Next(LONG, BSTR*, VARIANT*, CIMTYPE*, LONG*) { return WBEM_E_NOT_SUPPORTED; }
HRESULT WmiClassObject::EndEnumeration() { return WBEM_E_NOT_SUPPORTED; }
HRESULT WmiClassObject::GetPropertyQualifierSet(LPCWSTR, IWbemQualifierSet**) { return WBEM_E_NOT_SUPPORTED; }
HRESULT WmiClassObject::Clone(IWbemClassObject**) { return WBEM_E_NOT_SUPPORTED; }
HRESULT WmiClassObject::GetObjectText(LONG, BSTR*) { return WBEM_E_NOT_SUPPORTED; }
HRESULT WmiClassObject::SpawnDerivedClass(LONG, IWbemClassObject**) { return WBEM_E_NOT_SUPPORTED; }
HRESULT WmiClassObject::SpawnInstance(LONG, IWbemClassObject**) { return WBEM_E_NOT_SUPPORTED; }
HRESULT WmiClassObject::CompareTo(LONG, IWbemClassObject*) { return WBEM_E_NOT_SUPPORTED; }
HRESULT WmiClassObject::GetPropertyOrigin(LPCWSTR, BSTR*) { return WBEM_E_NOT_SUPPORTED; }
HRESULT WmiClassObject::InheritsFrom(LPCWSTR) { return WBEM_E_NOT_SUPPORTED; }
HRESULT WmiClassObject::GetMethod(LPCWSTR, LONG, IWbemClassObject**, IWbemClassObject**) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WmiClassObject::PutMethod(LPCWSTR, LONG, IWbemClassObject*, IWbemClassObject*) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WmiClassObject::DeleteMethod(LPCWSTR) { return WBEM_E_NOT_SUPPORTED; }
HRESULT WmiClassObject::BeginMethodEnumeration(LONG) { return WBEM_E_NOT_SUPPORTED; }
HRESULT WmiClassObject::NextMethod(LONG, BSTR*, IWbemClassObject**, IWbemClassObject**) {
    return WBEM_E_NOT_SUPPORTED;
}
HRESULT WmiClassObject::EndMethodEnumeration() { return WBEM_E_NOT_SUPPORTED; }
HRESULT WmiClassObject::GetMethodQualifierSet(LPCWSTR, IWbemQualifierSet**) { return WBEM_E_NOT_SUPPORTED; }
HRESULT WmiClassObject::GetMethodOrigin(LPCWSTR, BSTR*) { return WBEM_E_NOT_SUPPORTED; }

}  // namespace chipdriver
