#pragma once
// The WMI objects of the chip-driver layer: a locator, the services of one namespace (one pipe
// connection to the simulator), instance enumerators and class objects. They implement the
// parts of the WMI interfaces that a client of a driver's classes uses; the rest answer
// WBEM_E_NOT_SUPPORTED.

#include "driverpipe/Message.h"

#include <wbemcli.h>
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace chipdriver {

// Reference counting shared by the objects.
class RefCounted {
protected:
    virtual ~RefCounted() = default;
    ULONG AddRefImpl() { return ++references_; }
    ULONG ReleaseImpl() {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

private:
    std::atomic<ULONG> references_{1};
};

struct Property {
    std::wstring name;
    VARTYPE type = VT_I4;  // VT_I4 or VT_ARRAY | VT_UI1
    driverpipe::Bytes bytes;
};

// One instance as the driver reported it; Put changes this copy, PutInstance sends it back.
class WmiClassObject : public IWbemClassObject, private RefCounted {
public:
    WmiClassObject(std::wstring className, std::vector<Property> properties)
        : className_(std::move(className)), properties_(std::move(properties)) {}

    const std::wstring& ClassName() const { return className_; }
    std::vector<Property> Properties() const;

    // Reads one object in the pipe's layout; null when the message is short.
    static WmiClassObject* Decode(driverpipe::Reader& reader);
    void Encode(driverpipe::Writer& writer) const;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

    HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE* type, LONG* flavor) override;
    HRESULT STDMETHODCALLTYPE Put(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE type) override;

    HRESULT STDMETHODCALLTYPE GetQualifierSet(IWbemQualifierSet**) override;
    HRESULT STDMETHODCALLTYPE Delete(LPCWSTR) override;
    HRESULT STDMETHODCALLTYPE GetNames(LPCWSTR, LONG, VARIANT*, SAFEARRAY**) override;
    HRESULT STDMETHODCALLTYPE BeginEnumeration(LONG) override;
    HRESULT STDMETHODCALLTYPE Next(LONG, BSTR*, VARIANT*, CIMTYPE*, LONG*) override;
    HRESULT STDMETHODCALLTYPE EndEnumeration() override;
    HRESULT STDMETHODCALLTYPE GetPropertyQualifierSet(LPCWSTR, IWbemQualifierSet**) override;
    HRESULT STDMETHODCALLTYPE Clone(IWbemClassObject**) override;
    HRESULT STDMETHODCALLTYPE GetObjectText(LONG, BSTR*) override;
    HRESULT STDMETHODCALLTYPE SpawnDerivedClass(LONG, IWbemClassObject**) override;
    HRESULT STDMETHODCALLTYPE SpawnInstance(LONG, IWbemClassObject**) override;
    HRESULT STDMETHODCALLTYPE CompareTo(LONG, IWbemClassObject*) override;
    HRESULT STDMETHODCALLTYPE GetPropertyOrigin(LPCWSTR, BSTR*) override;
    HRESULT STDMETHODCALLTYPE InheritsFrom(LPCWSTR) override;
    HRESULT STDMETHODCALLTYPE GetMethod(LPCWSTR, LONG, IWbemClassObject**, IWbemClassObject**) override;
    HRESULT STDMETHODCALLTYPE PutMethod(LPCWSTR, LONG, IWbemClassObject*, IWbemClassObject*) override;
    HRESULT STDMETHODCALLTYPE DeleteMethod(LPCWSTR) override;
    HRESULT STDMETHODCALLTYPE BeginMethodEnumeration(LONG) override;
    HRESULT STDMETHODCALLTYPE NextMethod(LONG, BSTR*, IWbemClassObject**, IWbemClassObject**) override;
    HRESULT STDMETHODCALLTYPE EndMethodEnumeration() override;
    HRESULT STDMETHODCALLTYPE GetMethodQualifierSet(LPCWSTR, IWbemQualifierSet**) override;
    HRESULT STDMETHODCALLTYPE GetMethodOrigin(LPCWSTR, BSTR*) override;

private:
    Property* Find(LPCWSTR name);

    std::wstring className_;
    // Guarded by lock_: a client may hand the object between threads.
    mutable std::mutex lock_;
    std::vector<Property> properties_;
};

// The instances one query or enumeration returned, handed out in order.
class WmiEnumerator : public IEnumWbemClassObject, private RefCounted {
public:
    explicit WmiEnumerator(std::vector<WmiClassObject*> objects) : objects_(std::move(objects)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Next(LONG timeout, ULONG count, IWbemClassObject** objects, ULONG* returned) override;
    HRESULT STDMETHODCALLTYPE NextAsync(ULONG, IWbemObjectSink*) override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumWbemClassObject**) override;
    HRESULT STDMETHODCALLTYPE Skip(LONG timeout, ULONG count) override;

private:
    ~WmiEnumerator() override;

    // Guarded by lock_.
    std::mutex lock_;
    std::vector<WmiClassObject*> objects_;  // one reference each
    size_t next_ = 0;
};

// One namespace of the driver's WMI classes: a pipe connection to the simulator, closed with the
// last reference. It also takes a proxy blanket (IClientSecurity), as a remote WMI proxy does.
class WmiServices : public IWbemServices, public IClientSecurity, private RefCounted {
public:
    // Connects to the namespace; on failure returns null and the HRESULT in *result.
    static WmiServices* Connect(const std::wstring& nameSpace, HRESULT* result);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

    HRESULT STDMETHODCALLTYPE ExecQuery(const BSTR language, const BSTR query, LONG flags, IWbemContext*,
                                        IEnumWbemClassObject** result) override;
    HRESULT STDMETHODCALLTYPE CreateInstanceEnum(const BSTR className, LONG flags, IWbemContext*,
                                                 IEnumWbemClassObject** result) override;
    HRESULT STDMETHODCALLTYPE PutInstance(IWbemClassObject* instance, LONG flags, IWbemContext*,
                                          IWbemCallResult** callResult) override;

    HRESULT STDMETHODCALLTYPE OpenNamespace(const BSTR, LONG, IWbemContext*, IWbemServices**,
                                            IWbemCallResult**) override;
    HRESULT STDMETHODCALLTYPE CancelAsyncCall(IWbemObjectSink*) override;
    HRESULT STDMETHODCALLTYPE QueryObjectSink(LONG, IWbemObjectSink**) override;
    HRESULT STDMETHODCALLTYPE GetObject(const BSTR, LONG, IWbemContext*, IWbemClassObject**,
                                        IWbemCallResult**) override;
    HRESULT STDMETHODCALLTYPE GetObjectAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override;
    HRESULT STDMETHODCALLTYPE PutClass(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**) override;
    HRESULT STDMETHODCALLTYPE PutClassAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*) override;
    HRESULT STDMETHODCALLTYPE DeleteClass(const BSTR, LONG, IWbemContext*, IWbemCallResult**) override;
    HRESULT STDMETHODCALLTYPE DeleteClassAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override;
    HRESULT STDMETHODCALLTYPE CreateClassEnum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**) override;
    HRESULT STDMETHODCALLTYPE CreateClassEnumAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override;
    HRESULT STDMETHODCALLTYPE PutInstanceAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*) override;
    HRESULT STDMETHODCALLTYPE DeleteInstance(const BSTR, LONG, IWbemContext*, IWbemCallResult**) override;
    HRESULT STDMETHODCALLTYPE DeleteInstanceAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override;
    HRESULT STDMETHODCALLTYPE CreateInstanceEnumAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override;
    HRESULT STDMETHODCALLTYPE ExecQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override;
    HRESULT STDMETHODCALLTYPE ExecNotificationQuery(const BSTR, const BSTR, LONG, IWbemContext*,
                                                    IEnumWbemClassObject**) override;
    HRESULT STDMETHODCALLTYPE ExecNotificationQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*,
                                                         IWbemObjectSink*) override;
    HRESULT STDMETHODCALLTYPE ExecMethod(const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*,
                                         IWbemClassObject**, IWbemCallResult**) override;
    HRESULT STDMETHODCALLTYPE ExecMethodAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*,
                                              IWbemObjectSink*) override;

    // IClientSecurity: the blanket is accepted and kept; the pipe needs no authentication.
    HRESULT STDMETHODCALLTYPE QueryBlanket(IUnknown*, DWORD*, DWORD*, OLECHAR**, DWORD*, DWORD*, void**,
                                           DWORD*) override;
    HRESULT STDMETHODCALLTYPE SetBlanket(IUnknown*, DWORD, DWORD, OLECHAR*, DWORD, DWORD, void*, DWORD) override;
    HRESULT STDMETHODCALLTYPE CopyProxy(IUnknown*, IUnknown**) override;

private:
    explicit WmiServices(HANDLE channel) : channel_(channel) {}
    ~WmiServices() override;
    // Sends one request; WBEM_E_TRANSPORT_FAILURE when the simulator went away.
    HRESULT Call(const driverpipe::Request& request, driverpipe::Reply* reply);
    HRESULT Instances(const driverpipe::Request& request, IEnumWbemClassObject** result);

    std::mutex lock_;  // one request at a time on the connection
    HANDLE channel_;
};

}  // namespace chipdriver
