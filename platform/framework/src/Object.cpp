#include <framework/Object.h>

#include <cstring>
#include <string>

namespace {

// The chain of every registered record. Records register from static initialisers, which run on the
// loader's thread before main, and are only read afterwards, so the chain needs no lock.
const CRuntimeClass* g_firstClass = nullptr;

}  // namespace

namespace framework {

ClassRegistration::ClassRegistration(CRuntimeClass* record) {
    record->m_pNextClass = g_firstClass;
    g_firstClass = record;
}

}  // namespace framework

CRuntimeClass CObject::classCObject = {"CObject", static_cast<int>(sizeof(CObject)), nullptr, nullptr, nullptr};
static const framework::ClassRegistration registerCObject(&CObject::classCObject);

CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

void CObject::Serialize(CArchive&) {}

BOOL CObject::IsKindOf(const CRuntimeClass* pClass) const { return GetRuntimeClass()->IsDerivedFrom(pClass); }

CObject* CRuntimeClass::CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const {
    for (const CRuntimeClass* c = this; c != nullptr; c = c->m_pBaseClass) {
        if (c == pBaseClass) return TRUE;
    }
    return FALSE;
}

const CRuntimeClass* CRuntimeClass::FromName(LPCSTR lpszClassName) {
    if (lpszClassName == nullptr) return nullptr;
    for (const CRuntimeClass* c = g_firstClass; c != nullptr; c = c->m_pNextClass) {
        if (std::strcmp(c->m_lpszClassName, lpszClassName) == 0) return c;
    }
    return nullptr;
}

const CRuntimeClass* CRuntimeClass::FromName(LPCWSTR lpszClassName) {
    if (lpszClassName == nullptr) return nullptr;
    // Class names are C++ identifiers, so plain ASCII narrowing is exact.
    std::string narrow;
    for (const wchar_t* p = lpszClassName; *p; ++p) {
        if (*p > 0x7F) return nullptr;
        narrow.push_back(static_cast<char>(*p));
    }
    return FromName(narrow.c_str());
}

CObject* CRuntimeClass::CreateObject(LPCSTR lpszClassName) {
    const CRuntimeClass* c = FromName(lpszClassName);
    return c ? c->CreateObject() : nullptr;
}

CObject* CRuntimeClass::CreateObject(LPCWSTR lpszClassName) {
    const CRuntimeClass* c = FromName(lpszClassName);
    return c ? c->CreateObject() : nullptr;
}
