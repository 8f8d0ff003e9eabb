// The root of the class tree: objects that know their run-time class.
//
// Each class that declares itself dynamic owns one static CRuntimeClass record holding its name, its
// size, its base class's record and, for dynamically creatable classes, a factory. IsKindOf walks the
// base chain; CRuntimeClass::FromName finds a record by the name a class registered under, so windows
// can be created from a class name read at run time.
#pragma once

#include <windows.h>

class CObject;
// Archives are not part of this framework; the name exists for the serialisation slot of CObject.
class CArchive;

struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    CObject* (*m_pfnCreateObject)();
    const CRuntimeClass* m_pBaseClass;
    // Registration chain of every record, in the order the static records were built.
    const CRuntimeClass* m_pNextClass;

    CObject* CreateObject() const;
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;

    static const CRuntimeClass* FromName(LPCSTR lpszClassName);
    static const CRuntimeClass* FromName(LPCWSTR lpszClassName);
    static CObject* CreateObject(LPCSTR lpszClassName);
    static CObject* CreateObject(LPCWSTR lpszClassName);
};

namespace framework {
// Links a record into the registration chain when its static initialiser runs.
struct ClassRegistration {
    explicit ClassRegistration(CRuntimeClass* record);
};
}  // namespace framework

class CObject {
public:
    virtual ~CObject() = default;

    virtual CRuntimeClass* GetRuntimeClass() const;
    // Kept for classes that declare it; nothing in the framework archives objects.
    virtual void Serialize(CArchive& ar);
    BOOL IsKindOf(const CRuntimeClass* pClass) const;

    static CRuntimeClass classCObject;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name) \
public:                             \
    static CRuntimeClass class##class_name; \
    CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name)       \
    static CObject* CreateObject();

#define FRAMEWORK_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, pfnNew)                          \
    CRuntimeClass class_name::class##class_name = {#class_name, static_cast<int>(sizeof(class_name)), \
                                                   pfnNew, RUNTIME_CLASS(base_class_name), nullptr};   \
    static const framework::ClassRegistration frameworkRegister##class_name(                          \
        &class_name::class##class_name);                                                               \
    CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    FRAMEWORK_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                   \
    CObject* class_name::CreateObject() { return new class_name; }         \
    FRAMEWORK_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, class_name::CreateObject)

// Checked downcast: null when the object is not of the class.
#define DYNAMIC_DOWNCAST(class_name, object) \
    (((object) != nullptr && (object)->IsKindOf(RUNTIME_CLASS(class_name))) ? static_cast<class_name*>(object) : nullptr)
#define STATIC_DOWNCAST(class_name, object) (static_cast<class_name*>(object))
